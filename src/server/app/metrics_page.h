#pragma once
// GET /metrics: the server's figures in the Prometheus text format (0.0.4).
// The per-call counters are kept by rpc::CallMetrics on the call path; the
// gauges here are read only when the page is asked for.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>

#include "rpc/call_metrics.h"
#include "server/app/connection_pool.h"
#include "server/app/services.h"

namespace ped::server {

struct MetricsSources {
  rpc::CallMetrics* calls = nullptr;             // required
  ConnectionPool* pool = nullptr;                // required
  Services* services = nullptr;                  // for the sessions; null leaves them out
  std::function<std::size_t()> openConnections;  // empty leaves them out
  std::chrono::system_clock::time_point started = std::chrono::system_clock::now();
};

class MetricsPage {
 public:
  // What `sources` points to must outlive the page.
  explicit MetricsPage(MetricsSources sources) : s_(std::move(sources)) {}

  // The whole page. Never throws for a database that does not answer: the
  // open sessions are then left out, with a comment saying why.
  std::string render() const;

  static constexpr std::string_view kContentType = "text/plain; version=0.0.4; charset=utf-8";

 private:
  MetricsSources s_;
};

}  // namespace ped::server
