// The application server end to end: the screen's client connection, the
// HTTP server, the remote methods and a SQLite database filled with demo
// data (50,000 orders, about 10,000 on branch 0003).
//
//   GetItem round trip: p50 and p99 of one small call.
//   GetPedidos: every order of one branch, through the wire, into a data set.
//   32 screens at once: the slowest small call any of them waited for.
//   GetItem with the metrics recorded against without: the p50 of each.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <thread>

#include "engine/data_set.h"
#include "netclient/net_connection.h"
#include "netclient/wire_format.h"
#include "rpc/call_metrics.h"
#include "server/app/connection_pool.h"
#include "server/app/services.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "server/http/http_server.h"

namespace {

using Clock = std::chrono::steady_clock;
using ped::netclient::Arg;
using ped::netclient::TNetConnection;
namespace date_time = ped::engine::date_time;

const double kToday = date_time::fromCivil({2026, 12, 7});

// One server on one demo database for the whole run.
struct Server {
  std::string path = (std::filesystem::temp_directory_path() / "ped_server_bench.db").string();
  ped::engine::FixedClock clock{kToday + 0.5};
  std::unique_ptr<ped::server::ConnectionPool> pool;
  std::unique_ptr<ped::server::Services> services;
  std::unique_ptr<ped::rpc::Dispatcher> dispatcher;
  std::unique_ptr<ped::server::HttpServer> http;
  // The same methods served a second time, recording every call's metrics.
  std::unique_ptr<ped::rpc::Dispatcher> measuredDispatcher;
  std::unique_ptr<ped::rpc::CallMetrics> metrics;
  std::unique_ptr<ped::server::HttpServer> measuredHttp;
  std::string order;  // an order of branch 0003 with a few items
  // A stock check as the allocation grid sends it when a sub-lot is left:
  // an item of branch 0001 with stock reserved, all four keys of the position.
  std::vector<ped::netclient::Arg> stockCheck;

  Server() {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path + suffix);
    ped::sql::OpenOptions create;
    create.create = true;
    {
      auto db = ped::sql::open(path, create);
      ped::server::demo::writeDemoData(
          *db, ped::server::demo::generateDemoData({.seed = 1, .orders = 50'000, .today = kToday}), false);
      order =
          std::string(db->query("SELECT NRPEDIDO FROM ITEMPEDIDO WHERE CDFILIAL = '0003' GROUP BY NRPEDIDO"
                                " HAVING COUNT(*) >= 4 ORDER BY NRPEDIDO LIMIT 1")
                          .text(0, "NRPEDIDO"));
      const auto r = db->query(
          "SELECT R.NRPEDIDO, R.NRITEMPED, R.CDPRODUTO, R.CDALMOXARIFE, R.CDLOCALESTOQ, R.NRLOTEESTQ,"
          " R.NRSUBLOTE FROM RESERVAITEM R JOIN POSESTOQUE E ON E.CDFILIAL = R.CDFILIAL"
          " AND E.CDPRODUTO = R.CDPRODUTO AND E.CDALMOXARIFE = R.CDALMOXARIFE"
          " AND E.CDLOCALESTOQ = R.CDLOCALESTOQ AND E.NRLOTEESTQ = R.NRLOTEESTQ AND E.NRSUBLOTE = R.NRSUBLOTE"
          " WHERE R.CDFILIAL = '0001' AND R.NRLOTEESTQ <> '' AND R.NRSUBLOTE <> '' ORDER BY R.NRPEDIDO LIMIT "
          "1");
      if (r.rowCount() == 0) std::abort();
      const auto text = [&](const char* field) { return std::string(r.text(0, field)); };
      stockCheck = {"0001",
                    text("NRPEDIDO"),
                    text("CDPRODUTO"),
                    text("CDALMOXARIFE"),
                    text("CDLOCALESTOQ"),
                    text("NRITEMPED"),
                    "N",
                    text("NRLOTEESTQ"),
                    text("NRSUBLOTE")};
    }
    pool = std::make_unique<ped::server::ConnectionPool>(path, 40);
    services = std::make_unique<ped::server::Services>(*pool, clock);
    dispatcher = std::make_unique<ped::rpc::Dispatcher>(*services);
    services->install(*dispatcher);
    ped::server::HttpOptions options;
    options.threads = 31;  // one fewer than the screens of the load test: the pool must grow
    options.keepAliveTimeout = std::chrono::seconds(1);
    http = std::make_unique<ped::server::HttpServer>(*dispatcher, options);
    http->start();
    measuredDispatcher = std::make_unique<ped::rpc::Dispatcher>(*services);
    services->install(*measuredDispatcher);
    metrics = std::make_unique<ped::rpc::CallMetrics>(measuredDispatcher->methodNames());
    measuredDispatcher->setCallSink(ped::rpc::recordingInto(*metrics, {}));
    measuredHttp = std::make_unique<ped::server::HttpServer>(*measuredDispatcher, options);
    measuredHttp->start();
  }
  std::unique_ptr<TNetConnection> screen(bool measured = false) const {
    auto net = std::make_unique<TNetConnection>();
    net->Port = measured ? measuredHttp->port() : http->port();
    net->Open();
    if (!net->Login("GERENTE", "gerente123").ok) std::abort();
    return net;
  }
};

Server& server() {
  static Server s;
  return s;
}

double percentile(std::vector<double>& v, double p) {
  std::sort(v.begin(), v.end());
  return v[static_cast<std::size_t>(p * static_cast<double>(v.size() - 1))];
}

void BM_GetItemRoundTrip(benchmark::State& state) {
  Server& s = server();
  auto net = s.screen();
  std::vector<double> micros;
  for (auto _ : state) {
    const auto start = Clock::now();
    const auto r = net->call("GetItem", {"0003", s.order});
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (!r.ok) state.SkipWithError(r.error.c_str());
  }
  state.counters["p50_us"] = percentile(micros, 0.50);
  state.counters["p99_us"] = percentile(micros, 0.99);
}
BENCHMARK(BM_GetItemRoundTrip)->Iterations(5000)->Unit(benchmark::kMicrosecond);

// The two servers differ only in the metrics; their calls alternate, so both
// see the same machine load.
void BM_GetItemMetricsCost(benchmark::State& state) {
  Server& s = server();
  auto plain = s.screen();
  auto measured = s.screen(true);
  std::vector<double> plainMicros, measuredMicros;
  bool measuredFirst = false;
  const auto timed = [&](TNetConnection& net, std::vector<double>& into) {
    const auto start = Clock::now();
    const auto r = net.call("GetItem", {"0003", s.order});
    into.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (!r.ok) state.SkipWithError(r.error.c_str());
  };
  for (auto _ : state) {
    if (measuredFirst) timed(*measured, measuredMicros);
    timed(*plain, plainMicros);
    if (!measuredFirst) timed(*measured, measuredMicros);
    measuredFirst = !measuredFirst;
  }
  const double p50Plain = percentile(plainMicros, 0.50);
  const double p50Measured = percentile(measuredMicros, 0.50);
  state.counters["p50_plain_us"] = p50Plain;
  state.counters["p50_metrics_us"] = p50Measured;
  state.counters["change_pct"] = 100.0 * (p50Measured - p50Plain) / p50Plain;
}
BENCHMARK(BM_GetItemMetricsCost)->Iterations(10000)->Unit(benchmark::kMicrosecond);

// A key check of the allocation grid: one stock position found (p50 target 150 µs).
void BM_GetPosEstqRoundTrip(benchmark::State& state) {
  Server& s = server();
  auto net = s.screen();
  std::vector<double> micros;
  for (auto _ : state) {
    const auto start = Clock::now();
    const auto r = net->call("GetPosEstq", s.stockCheck);
    micros.push_back(std::chrono::duration<double, std::micro>(Clock::now() - start).count());
    if (!r.ok) state.SkipWithError(r.error.c_str());
  }
  state.counters["p50_us"] = percentile(micros, 0.50);
  state.counters["p99_us"] = percentile(micros, 0.99);
}
BENCHMARK(BM_GetPosEstqRoundTrip)->Iterations(5000)->Unit(benchmark::kMicrosecond);

void BM_GetPosEstqInProcess(benchmark::State& state) {
  Server& s = server();
  auto net = s.screen();
  ped::rpc::RequestContext context{net->token(), "bench"};
  const std::string body = ped::netclient::encodeCall("GetPosEstq", s.stockCheck, 1);
  for (auto _ : state) benchmark::DoNotOptimize(s.dispatcher->handle(body, context));
}
BENCHMARK(BM_GetPosEstqInProcess)->Unit(benchmark::kMicrosecond);

// The same call without the network: what the method and its queries cost.
void BM_GetItemInProcess(benchmark::State& state) {
  Server& s = server();
  auto net = s.screen();
  ped::rpc::RequestContext context{net->token(), "bench"};
  const std::string body =
      R"({"jsonrpc":"2.0","id":1,"method":"GetItem","params":["0003",")" + s.order + R"("]})";
  for (auto _ : state) benchmark::DoNotOptimize(s.dispatcher->handle(body, context));
}
BENCHMARK(BM_GetItemInProcess)->Unit(benchmark::kMicrosecond);

void BM_GetPedidosInProcess(benchmark::State& state) {
  Server& s = server();
  auto net = s.screen();
  ped::rpc::RequestContext context{net->token(), "bench"};
  const std::string body =
      R"({"jsonrpc":"2.0","id":1,"method":"GetPedidos","params":["0003","3526","","","","T","1234657","","T","","T",)"
      R"("","T",null,null,"T",null,null,"T","32140"]})";
  for (auto _ : state) benchmark::DoNotOptimize(s.dispatcher->handle(body, context));
}
BENCHMARK(BM_GetPedidosInProcess)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_GetPedidosOneBranch(benchmark::State& state) {
  Server& s = server();
  auto net = s.screen();
  const std::vector<Arg> all = {"0003", "3526", "",  "",      "",      "T", "1234657", "",      "T", "",
                                "T",    "",     "T", nullptr, nullptr, "T", nullptr,   nullptr, "T", "32140"};
  std::size_t orders = 0;
  for (auto _ : state) {
    const auto r = net->call("GetPedidos", all);
    if (!r.ok) state.SkipWithError(r.error.c_str());
    ped::engine::DataSet cdsPedido("cdsPedido");
    cdsPedido.loadPacket(*r.at(2));
    orders = cdsPedido.recordCount();
  }
  state.counters["orders"] = static_cast<double>(orders);
}
BENCHMARK(BM_GetPedidosOneBranch)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_ThirtyTwoScreens(benchmark::State& state) {
  Server& s = server();
  for (auto _ : state) {
    std::atomic<bool> stop{false};
    std::atomic<long> calls{0}, failures{0};
    std::vector<double> worst(32, 0);
    // Log in first: a log-in is a deliberately slow key derivation, not a small call.
    std::vector<std::unique_ptr<TNetConnection>> nets;
    for (int i = 0; i < 32; ++i) nets.push_back(s.screen());
    std::vector<std::thread> screens;
    for (int i = 0; i < 32; ++i)
      screens.emplace_back([&, i] {
        TNetConnection& net = *nets[i];
        while (!stop) {
          const auto start = Clock::now();
          const auto r = net.call("GetItem", {"0003", s.order});
          worst[i] =
              std::max(worst[i], std::chrono::duration<double, std::milli>(Clock::now() - start).count());
          (r.ok ? calls : failures)++;
        }
      });
    std::this_thread::sleep_for(std::chrono::seconds(3));
    stop = true;
    for (auto& t : screens) t.join();
    state.counters["worst_ms"] = *std::max_element(worst.begin(), worst.end());
    state.counters["calls"] = static_cast<double>(calls);
    state.counters["failures"] = static_cast<double>(failures);
  }
}
BENCHMARK(BM_ThirtyTwoScreens)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
