#include "server/auth/login_throttle.h"

#include <algorithm>

namespace ped::server::auth {
namespace {

std::string key(char kind, std::string_view text) {
  std::string k{kind, ':'};
  k += text;
  return k;
}

}  // namespace

LoginThrottle::LoginThrottle(ThrottlePolicy policy, Clock clock)
    : policy_(policy), clock_(std::move(clock)) {}

std::chrono::milliseconds LoginThrottle::remaining(const std::string& k, TimePoint now) const {
  const auto it = counts_.find(k);
  if (it == counts_.end() || it->second.lockedUntil <= now) return std::chrono::milliseconds(0);
  return std::chrono::ceil<std::chrono::milliseconds>(it->second.lockedUntil - now);
}

std::chrono::milliseconds LoginThrottle::lockedFor(std::string_view operatorCode, std::string_view peer) {
  const TimePoint now = clock_();
  std::lock_guard lock(mutex_);
  return std::max(remaining(key('o', operatorCode), now), remaining(key('p', peer), now));
}

void LoginThrottle::fail(std::string k, int freeFailures, TimePoint now) {
  Count& c = counts_[std::move(k)];
  c.last = now;
  if (++c.failures <= freeFailures) return;
  const int doublings = std::min(c.failures - freeFailures - 1, 20);
  const std::chrono::milliseconds delay =
      std::min<std::chrono::milliseconds>(policy_.firstDelay * (1LL << doublings), policy_.maxDelay);
  c.lockedUntil = now + delay;
}

void LoginThrottle::failed(std::string_view operatorCode, std::string_view peer) {
  const TimePoint now = clock_();
  std::lock_guard lock(mutex_);
  if (counts_.size() + 2 > policy_.maxEntries) prune(now);
  fail(key('o', operatorCode), policy_.freeFailuresPerOperator, now);
  fail(key('p', peer), policy_.freeFailuresPerPeer, now);
}

void LoginThrottle::succeeded(std::string_view operatorCode, std::string_view peer) {
  std::lock_guard lock(mutex_);
  counts_.erase(key('o', operatorCode));
  counts_.erase(key('p', peer));
}

void LoginThrottle::prune(TimePoint now) {
  std::erase_if(counts_, [&](const auto& entry) {
    return entry.second.lockedUntil <= now && now - entry.second.last > policy_.forgetAfter;
  });
  // Still full: a flood of distinct codes. Forget the counts not locking
  // anyone out now rather than grow without bound.
  if (counts_.size() + 2 > policy_.maxEntries)
    std::erase_if(counts_, [&](const auto& entry) { return entry.second.lockedUntil <= now; });
}

std::string_view peerAddress(std::string_view peer) {
  if (!peer.empty() && peer.front() == '[') {
    const auto close = peer.find(']');
    return close == std::string_view::npos ? peer : peer.substr(1, close - 1);
  }
  const auto colon = peer.rfind(':');
  return colon == std::string_view::npos ? peer : peer.substr(0, colon);
}

}  // namespace ped::server::auth
