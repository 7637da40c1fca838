// Settlements per second with 32 screens at once, on SQLite and on
// PostgreSQL (when PED_TEST_PG names a cluster, as for the tests): the
// screen's client connection, the HTTP server and the remote methods in one
// process, over demo data (8,000 orders). Each screen settles orders of its
// own of branch 0003, one order per SetLiquidaPed, for a few seconds; each
// call carries its request key, so the answer is kept with the change.

#include <benchmark/benchmark.h>

#include <atomic>
#include <thread>

#include "netclient/net_connection.h"
#include "server/app/connection_pool.h"
#include "server/app/services.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "server/http/http_server.h"
#include "support/test_database.h"

namespace {

using ped::netclient::Arg;
using ped::testing::Backend;

constexpr int kScreens = 32;
constexpr auto kDuration = std::chrono::seconds(5);

std::string ordersPacket(const std::string& order, const std::string& status) {
  return R"({"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"IDSITPEDIDO","type":"string","size":1},)"
         R"({"name":"NRPEDIDO","type":"string","size":10},{"name":"CDFILIAL","type":"string","size":4}],"rows":[["S",")" +
         status + R"(",")" + order + R"(","0003"]]})";
}

void BM_SettlementsThirtyTwoScreens(benchmark::State& state) {
  const Backend backend = state.range(0) == 0 ? Backend::Sqlite : Backend::Postgres;
  ped::testing::TestDatabase store(backend);
  if (!store.available()) {
    state.SkipWithError(store.skipReason().c_str());
    return;
  }
  ped::engine::SystemClock clock;
  std::vector<std::pair<std::string, std::string>> open;
  {
    auto db = store.open();
    ped::server::demo::writeDemoData(
        *db, ped::server::demo::generateDemoData({.seed = 1, .orders = 8'000, .today = clock.today()}),
        false);
    const auto r = db->query(
        "SELECT NRPEDIDO, IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = '0003' AND IDSITPEDIDO IN ('2', '6')"
        " ORDER BY NRPEDIDO");
    for (std::size_t i = 0; i < r.rowCount(); ++i)
      open.emplace_back(r.text(i, "NRPEDIDO"), r.text(i, "IDSITPEDIDO"));
  }
  ped::server::ConnectionPool pool(store.target(), 40);
  ped::server::Services services(pool, clock);
  ped::rpc::Dispatcher dispatcher(services);
  services.install(dispatcher);
  ped::server::HttpOptions options;
  options.threads = kScreens + 8;
  ped::server::HttpServer http(dispatcher, options);
  http.start();

  std::atomic<long> settled{0}, refused{0};
  double seconds = 0;
  for (auto _ : state) {
    // Logged in first: the figure is of settlements only.
    std::vector<std::unique_ptr<ped::netclient::TNetConnection>> nets;
    for (int i = 0; i < kScreens; ++i) {
      nets.push_back(std::make_unique<ped::netclient::TNetConnection>());
      nets.back()->Port = http.port();
      nets.back()->Open();
      if (const auto in = nets.back()->Login("GERENTE", "gerente123"); !in.ok) {
        state.SkipWithError(in.error.c_str());
        return;
      }
    }
    std::vector<std::thread> screens;
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + kDuration;
    for (int i = 0; i < kScreens; ++i)
      screens.emplace_back([&, i] {
        ped::netclient::TNetConnection& net = *nets[static_cast<std::size_t>(i)];
        for (std::size_t k = static_cast<std::size_t>(i);
             k < open.size() && std::chrono::steady_clock::now() < end; k += kScreens) {
          const auto r = net.call(
              "SetLiquidaPed", {Arg::packet(ordersPacket(open[k].first, open[k].second)), "GERENTE", "0001"});
          (r.ok && !r.at(1) ? settled : refused)++;
        }
      });
    for (auto& t : screens) t.join();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  http.stop();
  state.counters["settlements/s"] = static_cast<double>(settled) / seconds;
  state.counters["settled"] = static_cast<double>(settled);
  state.counters["refused"] = static_cast<double>(refused);
  state.SetLabel(ped::testing::backendName(backend));
}
BENCHMARK(BM_SettlementsThirtyTwoScreens)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
