#include "server/http/memory_return.h"

#include <malloc.h>

namespace ped::server {

void configureAllocatorForServer() {
  // Fixing the threshold also stops glibc from raising it dynamically.
  mallopt(M_MMAP_THRESHOLD, 256 * 1024);
}

MemoryReturn::MemoryReturn(std::chrono::milliseconds every) : every_(every), thread_([this] { run(); }) {}

MemoryReturn::~MemoryReturn() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
  }
  wake_.notify_one();
  thread_.join();
}

void MemoryReturn::largeWorkEnded() {
  std::lock_guard lock(mutex_);
  pending_ = true;
}

void MemoryReturn::run() {
  std::unique_lock lock(mutex_);
  while (!wake_.wait_for(lock, every_, [this] { return stop_; })) {
    if (!pending_) continue;
    pending_ = false;
    lock.unlock();
    malloc_trim(0);  // every arena: madvises its free pages away
    lock.lock();
  }
}

}  // namespace ped::server
