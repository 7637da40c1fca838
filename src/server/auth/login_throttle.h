#pragma once
// Slows down password guessing. Failed log-ins are counted per operator code
// and per peer address; past a few free failures each further one locks that
// operator (or address) out for a delay that doubles with every failure, up
// to a ceiling. A success clears the operator's and the address's counts.
// Unknown operator codes are counted like known ones, so the throttle tells
// a guesser nothing about which codes exist. Thread-safe; memory is bounded
// by `maxEntries`.

#include <chrono>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_map>

namespace ped::server::auth {

struct ThrottlePolicy {
  int freeFailuresPerOperator = 5;
  int freeFailuresPerPeer = 20;  // an office behind one address shares it
  std::chrono::milliseconds firstDelay{1000};
  std::chrono::milliseconds maxDelay{std::chrono::minutes(5)};
  // Counts untouched for this long are forgotten.
  std::chrono::milliseconds forgetAfter{std::chrono::minutes(30)};
  std::size_t maxEntries = 100000;
};

class LoginThrottle {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  explicit LoginThrottle(ThrottlePolicy policy = {}, Clock clock = std::chrono::steady_clock::now);

  // How long the caller must still wait before trying `operatorCode` from
  // `peerAddress`; zero when he may try now.
  std::chrono::milliseconds lockedFor(std::string_view operatorCode, std::string_view peerAddress);

  void failed(std::string_view operatorCode, std::string_view peerAddress);
  void succeeded(std::string_view operatorCode, std::string_view peerAddress);

 private:
  using TimePoint = std::chrono::steady_clock::time_point;
  struct Count {
    int failures = 0;
    TimePoint lockedUntil{};
    TimePoint last{};
  };
  void fail(std::string key, int freeFailures, TimePoint now);
  std::chrono::milliseconds remaining(const std::string& key, TimePoint now) const;
  void prune(TimePoint now);

  const ThrottlePolicy policy_;
  const Clock clock_;
  std::mutex mutex_;
  std::unordered_map<std::string, Count> counts_;  // "o:" operator, "p:" address
};

// The address part of a peer written "address:port" ("[v6]:port" too).
std::string_view peerAddress(std::string_view peer);

}  // namespace ped::server::auth
