#pragma once
// The task queue the HTTP server runs connections on. cpp-httplib keeps one
// thread busy per open keep-alive connection for as long as it stays open,
// so a fixed pool stalls the first client past its size until another
// client disconnects or idles out. This pool keeps `warm` threads and starts
// another whenever every thread is busy, up to `max`; threads above `warm`
// end after a while without work.

#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <mutex>
#include <thread>
#include <vector>

namespace ped::server {

class ElasticThreadPool final : public httplib::TaskQueue {
 public:
  // REQUIRES: 1 <= warm <= max.
  ElasticThreadPool(std::size_t warm, std::size_t max,
                    std::chrono::milliseconds idleExit = std::chrono::seconds(10));
  // Joins every thread (as shutdown() does, if it was not called).
  ~ElasticThreadPool() override;

  void enqueue(std::function<void()> fn) override;
  // Runs the jobs already queued, then joins every thread.
  void shutdown() override;

  // Threads alive now; for tests and diagnostics.
  std::size_t threadCount();

 private:
  using Threads = std::list<std::thread>;
  void startThread();  // REQUIRES: mutex_ held
  void work(Threads::iterator self);
  void joinFinished(std::unique_lock<std::mutex>& lock);

  const std::size_t warm_;
  const std::size_t max_;
  const std::chrono::milliseconds idleExit_;

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> jobs_;
  Threads threads_;
  std::vector<Threads::iterator> finished_;  // ended, not yet joined
  std::size_t live_ = 0;
  std::size_t idle_ = 0;
  bool shutdown_ = false;
};

}  // namespace ped::server
