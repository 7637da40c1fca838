#pragma once
// Admission to the memory-hard password hash. Each hash takes about 64 MiB
// and a core for a fraction of a second, and log-in is open to anyone, so
// only `permits` hashes run at once (one per core by default); a few more
// callers wait up to `wait` for a permit and the rest are turned away at
// once. Thread-safe.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace ped::server::auth {

class HashPermits {
 public:
  // REQUIRES: permits >= 1. `maxWaiting` callers may wait at once.
  HashPermits(std::size_t permits, std::size_t maxWaiting, std::chrono::milliseconds wait);

  // Held while hashing; gives the permit back when destroyed.
  class Permit {
   public:
    explicit Permit(HashPermits* owner) : owner_(owner) {}
    Permit(Permit&& o) noexcept : owner_(o.owner_) { o.owner_ = nullptr; }
    Permit& operator=(Permit&&) = delete;
    ~Permit();
    explicit operator bool() const { return owner_ != nullptr; }

   private:
    HashPermits* owner_;
  };

  // A permit, or an empty one when none came free in time or too many wait.
  Permit acquire();

  // Most hashes that ran at once so far; for tests and diagnostics.
  std::size_t peakInUse();

 private:
  void release();

  const std::size_t permits_;
  const std::size_t maxWaiting_;
  const std::chrono::milliseconds wait_;
  std::mutex mutex_;
  std::condition_variable freed_;
  std::size_t inUse_ = 0;
  std::size_t waiting_ = 0;
  std::size_t peak_ = 0;
};

}  // namespace ped::server::auth
