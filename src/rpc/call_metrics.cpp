#include "rpc/call_metrics.h"

#include <algorithm>
#include <cstdio>

namespace ped::rpc {
namespace {

// The bounds as the page writes them, exactly: no float formatting involved.
constexpr std::array<std::string_view, CallMetrics::kBucketMicros.size()> kBucketLabels = {
    "0.0005", "0.001", "0.0025", "0.005", "0.01", "0.025", "0.05",
    "0.1",    "0.25",  "0.5",    "1",     "2.5",  "5",     "10"};

void header(std::string& out, std::string_view name, std::string_view type, std::string_view help) {
  out.append("# HELP ").append(name).append(" ").append(help).append("\n");
  out.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

void sample(std::string& out, std::string_view name, std::string_view method, std::string_view le,
            std::uint64_t value) {
  out.append(name).append("{method=\"").append(method);
  if (!le.empty()) out.append("\",le=\"").append(le);
  out.append("\"} ").append(std::to_string(value)).push_back('\n');
}

}  // namespace

// One method's counters, on cache lines of its own so threads serving
// different methods do not contend.
struct alignas(64) CallMetrics::Slot {
  std::array<std::atomic<std::uint64_t>, kBucketMicros.size() + 1> buckets{};  // last: over 10 s
  std::atomic<std::uint64_t> errors{0};
  std::atomic<std::uint64_t> sumMicros{0};
};

CallMetrics::CallMetrics(const std::vector<std::string>& methods) : names_(methods) {
  std::sort(names_.begin(), names_.end());
  names_.erase(std::unique(names_.begin(), names_.end()), names_.end());
  std::erase(names_, std::string(kUnknownMethod));
  names_.emplace_back(kUnknownMethod);
  for (std::size_t i = 0; i + 1 < names_.size(); ++i) index_.emplace(names_[i], i);
  slots_ = std::make_unique<Slot[]>(names_.size());
}

CallMetrics::~CallMetrics() = default;

std::size_t CallMetrics::slotOf(std::string_view method) const noexcept {
  const auto found = index_.find(method);
  return found == index_.end() ? names_.size() - 1 : found->second;
}

void CallMetrics::record(const CallRecord& call) noexcept {
  Slot& slot = slots_[slotOf(call.method)];
  const std::int64_t micros = std::max<std::int64_t>(0, call.duration.count());
  const auto bucket = static_cast<std::size_t>(
      std::lower_bound(kBucketMicros.begin(), kBucketMicros.end(), micros) - kBucketMicros.begin());
  slot.buckets[bucket].fetch_add(1, std::memory_order_relaxed);
  slot.sumMicros.fetch_add(static_cast<std::uint64_t>(micros), std::memory_order_relaxed);
  if (call.errorCode != 0) slot.errors.fetch_add(1, std::memory_order_relaxed);
}

void CallMetrics::render(std::string& out) const {
  // One snapshot of every histogram, so calls_total and each _count agree.
  std::vector<std::array<std::uint64_t, kBucketMicros.size() + 1>> counts(names_.size());
  for (std::size_t m = 0; m < names_.size(); ++m)
    for (std::size_t b = 0; b < counts[m].size(); ++b)
      counts[m][b] = slots_[m].buckets[b].load(std::memory_order_relaxed);
  const auto total = [&](std::size_t m) {
    std::uint64_t n = 0;
    for (std::uint64_t c : counts[m]) n += c;
    return n;
  };

  header(out, "ped00800_rpc_calls_total", "counter", "Chamadas JSON-RPC atendidas, por método.");
  for (std::size_t m = 0; m < names_.size(); ++m)
    sample(out, "ped00800_rpc_calls_total", names_[m], {}, total(m));
  header(out, "ped00800_rpc_errors_total", "counter", "Chamadas JSON-RPC respondidas com erro, por método.");
  for (std::size_t m = 0; m < names_.size(); ++m)
    sample(out, "ped00800_rpc_errors_total", names_[m], {}, slots_[m].errors.load(std::memory_order_relaxed));

  header(out, "ped00800_rpc_duration_seconds", "histogram",
         "Tempo de atendimento das chamadas JSON-RPC, em segundos, por método.");
  for (std::size_t m = 0; m < names_.size(); ++m) {
    std::uint64_t cumulative = 0;
    for (std::size_t b = 0; b < kBucketLabels.size(); ++b) {
      cumulative += counts[m][b];
      sample(out, "ped00800_rpc_duration_seconds_bucket", names_[m], kBucketLabels[b], cumulative);
    }
    cumulative += counts[m].back();
    sample(out, "ped00800_rpc_duration_seconds_bucket", names_[m], "+Inf", cumulative);
    char sum[64];
    std::snprintf(sum, sizeof sum, "%.6f",
                  static_cast<double>(slots_[m].sumMicros.load(std::memory_order_relaxed)) / 1e6);
    out.append("ped00800_rpc_duration_seconds_sum{method=\"").append(names_[m]).append("\"} ").append(sum);
    out.push_back('\n');
    sample(out, "ped00800_rpc_duration_seconds_count", names_[m], {}, cumulative);
  }
}

CallSink recordingInto(CallMetrics& metrics, CallSink next) {
  if (!next) return [&metrics](const CallRecord& call) { metrics.record(call); };
  return [&metrics, next = std::move(next)](const CallRecord& call) {
    metrics.record(call);
    next(call);
  };
}

}  // namespace ped::rpc
