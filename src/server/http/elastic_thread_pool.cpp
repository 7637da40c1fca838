#include "server/http/elastic_thread_pool.h"

#include <system_error>

namespace ped::server {

ElasticThreadPool::ElasticThreadPool(std::size_t warm, std::size_t max, std::chrono::milliseconds idleExit)
    : warm_(warm < 1 ? 1 : warm), max_(max < warm_ ? warm_ : max), idleExit_(idleExit) {
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < warm_; ++i) startThread();
}

ElasticThreadPool::~ElasticThreadPool() { shutdown(); }

void ElasticThreadPool::startThread() {
  threads_.emplace_back();
  auto self = std::prev(threads_.end());
  try {
    // The new thread locks the mutex before touching `self`, and the caller
    // holds it until the assignment is done.
    *self = std::thread(&ElasticThreadPool::work, this, self);
  } catch (const std::system_error&) {
    // Out of threads: the job waits for a busy one, as in a fixed pool.
    threads_.erase(self);
    return;
  }
  ++live_;
}

void ElasticThreadPool::enqueue(std::function<void()> fn) {
  std::unique_lock lock(mutex_);
  jobs_.push_back(std::move(fn));
  if (jobs_.size() > idle_ && live_ < max_) startThread();
  joinFinished(lock);
  lock.unlock();
  wake_.notify_one();
}

void ElasticThreadPool::shutdown() {
  Threads all;
  {
    std::lock_guard lock(mutex_);
    shutdown_ = true;
    all.splice(all.end(), threads_);
    finished_.clear();
  }
  wake_.notify_all();
  for (auto& t : all)
    if (t.joinable()) t.join();
}

std::size_t ElasticThreadPool::threadCount() {
  std::lock_guard lock(mutex_);
  return live_;
}

void ElasticThreadPool::joinFinished(std::unique_lock<std::mutex>& lock) {
  if (finished_.empty()) return;
  Threads done;
  for (auto it : finished_) done.splice(done.end(), threads_, it);
  finished_.clear();
  lock.unlock();
  for (auto& t : done) t.join();  // each has left work(), so this is quick
  lock.lock();
}

void ElasticThreadPool::work(Threads::iterator self) {
  std::unique_lock lock(mutex_);
  for (;;) {
    ++idle_;
    const bool woken = wake_.wait_for(lock, idleExit_, [this] { return shutdown_ || !jobs_.empty(); });
    --idle_;
    if (!jobs_.empty()) {
      auto job = std::move(jobs_.front());
      jobs_.pop_front();
      lock.unlock();
      job();
      lock.lock();
      continue;
    }
    if (shutdown_) break;
    if (!woken && live_ > warm_) break;
  }
  --live_;
  // After shutdown() the thread is no longer in threads_; shutdown joins it.
  if (!shutdown_) finished_.push_back(self);
}

}  // namespace ped::server
