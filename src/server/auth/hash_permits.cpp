#include "server/auth/hash_permits.h"

#include <algorithm>

namespace ped::server::auth {

HashPermits::HashPermits(std::size_t permits, std::size_t maxWaiting, std::chrono::milliseconds wait)
    : permits_(std::max<std::size_t>(permits, 1)), maxWaiting_(maxWaiting), wait_(wait) {}

HashPermits::Permit::~Permit() {
  if (owner_) owner_->release();
}

HashPermits::Permit HashPermits::acquire() {
  std::unique_lock lock(mutex_);
  if (inUse_ >= permits_) {
    if (waiting_ >= maxWaiting_) return Permit(nullptr);
    ++waiting_;
    const bool got = freed_.wait_for(lock, wait_, [this] { return inUse_ < permits_; });
    --waiting_;
    if (!got) return Permit(nullptr);
  }
  ++inUse_;
  peak_ = std::max(peak_, inUse_);
  return Permit(this);
}

std::size_t HashPermits::peakInUse() {
  std::lock_guard lock(mutex_);
  return peak_;
}

void HashPermits::release() {
  {
    std::lock_guard lock(mutex_);
    --inUse_;
  }
  freed_.notify_one();
}

}  // namespace ped::server::auth
