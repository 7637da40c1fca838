// The metrics page's call families, read back as a scraper reads them.

#include "rpc/call_metrics.h"

#include <gtest/gtest.h>

#include "support/prometheus_text.h"

namespace ped::rpc {
namespace {

using ped::testing::scrapeMetrics;

CallRecord call(std::string_view method, std::chrono::microseconds took, int error = 0) {
  CallRecord r;
  r.method = method;
  r.duration = took;
  r.errorCode = error;
  return r;
}

TEST(CallMetricsTest, CountsCallsErrorsAndLatencyPerRegisteredMethodOnly) {
  CallMetrics metrics({"Login", "GetItem"});
  using std::chrono::microseconds;
  metrics.record(call("GetItem", microseconds(300)));
  metrics.record(call("GetItem", microseconds(1000)));  // on a bound: counted at or under it
  metrics.record(call("GetItem", microseconds(20'000'000), error_code::kMethodFailed));
  metrics.record(call("Inventado", microseconds(40), error_code::kMethodNotFound));
  metrics.record(call("", microseconds(10), error_code::kParseError));

  std::string page;
  metrics.render(page);
  const auto s = scrapeMetrics(page);
  EXPECT_EQ(s.at(R"(ped00800_rpc_calls_total{method="GetItem"})"), "3");
  EXPECT_EQ(s.at(R"(ped00800_rpc_errors_total{method="GetItem"})"), "1");
  EXPECT_EQ(s.at(R"(ped00800_rpc_calls_total{method="Login"})"), "0");
  EXPECT_EQ(s.at(R"(ped00800_rpc_calls_total{method="desconhecido"})"), "2");
  EXPECT_EQ(s.at(R"(ped00800_rpc_errors_total{method="desconhecido"})"), "2");
  for (const auto& [series, value] : s) EXPECT_EQ(series.find("Inventado"), std::string::npos) << series;

  const auto bucket = [&](const char* le) {
    return s.at(std::string(R"(ped00800_rpc_duration_seconds_bucket{method="GetItem",le=")") + le + "\"}");
  };
  EXPECT_EQ(bucket("0.0005"), "1");
  EXPECT_EQ(bucket("0.001"), "2");
  EXPECT_EQ(bucket("10"), "2");
  EXPECT_EQ(bucket("+Inf"), "3");
  EXPECT_EQ(s.at(R"(ped00800_rpc_duration_seconds_count{method="GetItem"})"), "3");
  EXPECT_EQ(s.at(R"(ped00800_rpc_duration_seconds_sum{method="GetItem"})"), "20.001300");
  // Cumulative: never falling from one bound to the next.
  std::uint64_t previous = 0;
  for (const char* le : {"0.0005", "0.001", "0.0025", "0.005", "0.01", "0.025", "0.05", "0.1", "0.25", "0.5",
                         "1", "2.5", "5", "10", "+Inf"}) {
    const std::uint64_t n = std::stoull(bucket(le));
    EXPECT_GE(n, previous) << le;
    previous = n;
  }
}

TEST(CallMetricsTest, TheSinkRecordsAndPassesTheCallOn) {
  CallMetrics metrics({"GetItem"});
  int passed = 0;
  const CallSink sink = recordingInto(metrics, [&](const CallRecord&) { ++passed; });
  sink(call("GetItem", std::chrono::microseconds(5)));
  std::string page;
  metrics.render(page);
  EXPECT_EQ(scrapeMetrics(page).at(R"(ped00800_rpc_calls_total{method="GetItem"})"), "1");
  EXPECT_EQ(passed, 1);
}

}  // namespace
}  // namespace ped::rpc
