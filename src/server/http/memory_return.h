#pragma once
// Gives the memory of large requests back to the system. glibc keeps freed
// memory in per-thread arenas, and a large request lands on whichever
// worker thread serves it, so a burst of large requests on many threads
// would keep the server's resident memory at its peak for good. Two
// remedies: blocks of 256 KiB and more are mapped on their own and unmapped
// when freed (glibc would otherwise raise that threshold to the largest
// block ever freed and keep such blocks in the arenas), and once a second,
// after large work ended, the free pages of every arena are returned.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <thread>

namespace ped::server {

// Sets the allocator's thresholds for the whole process. Call once, early.
void configureAllocatorForServer();

class MemoryReturn {
 public:
  // Requests or answers of this size or more count as large work.
  static constexpr std::size_t kLargeBytes = 1024 * 1024;

  explicit MemoryReturn(std::chrono::milliseconds every = std::chrono::seconds(1));
  ~MemoryReturn();  // stops the background thread
  MemoryReturn(const MemoryReturn&) = delete;
  MemoryReturn& operator=(const MemoryReturn&) = delete;

  // Says large work just ended; its memory is returned within `every`.
  void largeWorkEnded();

 private:
  void run();

  const std::chrono::milliseconds every_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool pending_ = false;
  bool stop_ = false;
  std::thread thread_;
};

}  // namespace ped::server
