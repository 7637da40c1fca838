#pragma once
// Counters of the dispatcher's calls for the server's metrics page: calls,
// errors and a latency histogram per method, written in the Prometheus text
// format (0.0.4).
//
// Recording is a few relaxed atomic increments on the method's own cache
// lines: no lock and no allocation on the call path. Only the names given at
// construction get series of their own; any other name (a typo, an
// attacker's invention, a request that named none) is counted under
// kUnknownMethod, so callers cannot make the page grow.
//
// Thread-safety: record() and render() may run on any threads at once. A
// page rendered while calls run may count a call in one family and not yet
// in another; within the histogram of one method it is always consistent.

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "rpc/dispatcher.h"

namespace ped::rpc {

class CallMetrics {
 public:
  static constexpr std::string_view kUnknownMethod = "desconhecido";
  // Upper bounds of the latency buckets, in microseconds (0.5 ms to 10 s).
  static constexpr std::array<std::int64_t, 14> kBucketMicros = {500,     1000,    2500,    5000,    10000,
                                                                 25000,   50000,   100000,  250000,  500000,
                                                                 1000000, 2500000, 5000000, 10000000};

  // `methods`: the dispatcher's names (Dispatcher::methodNames()).
  explicit CallMetrics(const std::vector<std::string>& methods);
  ~CallMetrics();
  CallMetrics(const CallMetrics&) = delete;
  CallMetrics& operator=(const CallMetrics&) = delete;

  void record(const CallRecord& call) noexcept;

  // Appends the families ped00800_rpc_calls_total, ped00800_rpc_errors_total
  // and ped00800_rpc_duration_seconds, every method listed (zeros included).
  void render(std::string& out) const;

 private:
  struct Slot;
  std::size_t slotOf(std::string_view method) const noexcept;

  std::vector<std::string> names_;                           // sorted, then kUnknownMethod last
  std::unordered_map<std::string_view, std::size_t> index_;  // views into names_
  std::unique_ptr<Slot[]> slots_;
};

// A sink that records into `metrics`, then passes the call on to `next`
// (which may be empty). `metrics` must outlive the sink.
CallSink recordingInto(CallMetrics& metrics, CallSink next);

}  // namespace ped::rpc
