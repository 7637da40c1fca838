// Settlements per second with 32 screens at once, against the floor the
// database allows for the same writes, measured in the same run.
//
// Each screen is its own logged-in TNetConnection (all logged in before the
// clock starts) and settles orders of branch 0003, one SetLiquidaPed per
// order as the screen sends it: a one-row packet of the marked order, with
// its request key. Settlements are counted in the database (orders of the
// branch in status 2/6 before minus after; HISTLIQMAN rows), over a fresh
// copy of a 100,000-order demo database (about 12,000 open orders of
// branch 0003), generated once. The run ends after kDuration or when the
// first screen runs out of orders, so no tail of fewer screens is counted.
//
// Cases: SQLite with one server; PostgreSQL (PED_BENCH_PG, a connection
// string to a cluster where databases may be created) with one server and
// with two on the same database. The servers run in this process, each with
// its own pool, Services and HTTP server as ped00800-server builds them
// from its default options: they share nothing but the database, as two
// processes would, and one perf record covers both.
//
// The floor: SQLite, settlement_floor.cpp; PostgreSQL, pgbench running
// settlement_floor.sql through settlement_floor.sh.

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <thread>

#include "netclient/net_connection.h"
#include "server/app/connection_pool.h"
#include "server/app/server_options.h"
#include "server/app/services.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "server/http/http_server.h"
#include "server/storage/migrations.h"
#include "settlement_floor.h"

namespace {

namespace fs = std::filesystem;
using ped::netclient::Arg;
using Orders = std::vector<std::pair<std::string, std::string>>;

constexpr int kScreens = 32;
constexpr int kOrders = 100'000;
// PED_BENCH_SECONDS makes the runs longer, e.g. for perf record.
const std::chrono::seconds kDuration{
    std::getenv("PED_BENCH_SECONDS") ? std::atoi(std::getenv("PED_BENCH_SECONDS")) : 6};
const char* const kTemplate = "ped_settlement_100k";

const char* postgresAdmin() {
  const char* pg = std::getenv("PED_BENCH_PG");
  return pg && *pg ? pg : nullptr;
}

void fillDemo(const std::string& target) {
  auto db = ped::sql::open(target, {.create = true});
  ped::engine::SystemClock clock;
  ped::server::demo::writeDemoData(
      *db, ped::server::demo::generateDemoData({.seed = 1, .orders = kOrders, .today = clock.today()}), true);
}

// A fresh copy of the 100,000-order database, made once and kept.
std::string sqliteCopy(const std::string& name) {
  const fs::path dir = fs::temp_directory_path();
  const fs::path kept = dir / (std::string(kTemplate) + ".db");
  if (!fs::exists(kept)) {
    const fs::path making = dir / (std::string(kTemplate) + ".making.db");
    fs::remove(making);
    fillDemo(making.string());
    ped::sql::open(making.string())->executeScript("PRAGMA wal_checkpoint(TRUNCATE);");
    fs::rename(making, kept);
  }
  const fs::path copy = dir / (name + ".db");
  for (const char* suffix : {"", "-wal", "-shm"}) fs::remove(copy.string() + suffix);
  fs::copy_file(kept, copy);
  ped::server::storage::migrate(*ped::sql::open(copy.string()));
  return copy.string();
}

std::string postgresCopy(const std::string& name) {
  const std::string admin = postgresAdmin();
  auto db = ped::sql::open(admin);
  if (db->query("SELECT 1 FROM pg_database WHERE datname = :D", {{"D", kTemplate}}).rowCount() == 0) {
    const std::string making = std::string(kTemplate) + "_making";
    db->executeScript("DROP DATABASE IF EXISTS " + making + " WITH (FORCE)");
    db->executeScript("CREATE DATABASE " + making + " ENCODING 'UTF8' TEMPLATE template0");
    fillDemo(admin + " dbname=" + making);
    db->executeScript("ALTER DATABASE " + making + " RENAME TO " + kTemplate);
  }
  db->executeScript("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
  db->executeScript("CREATE DATABASE " + name + " TEMPLATE " + kTemplate);
  const std::string target = admin + " dbname=" + name;
  ped::server::storage::migrate(*ped::sql::open(target));
  return target;
}

// The open orders (branch, order, status) matching `condition`.
std::vector<std::array<std::string, 3>> openOrders(const std::string& target, const std::string& condition) {
  const auto r = ped::sql::open(target)->query(
      "SELECT CDFILIAL, NRPEDIDO, IDSITPEDIDO FROM PEDIDO WHERE IDSITPEDIDO IN ('2', '6') AND " + condition +
      " ORDER BY NRPEDIDO");
  std::vector<std::array<std::string, 3>> out;
  for (std::size_t i = 0; i < r.rowCount(); ++i)
    out.push_back({std::string(r.text(i, "CDFILIAL")), std::string(r.text(i, "NRPEDIDO")),
                   std::string(r.text(i, "IDSITPEDIDO"))});
  return out;
}

// pgbench's "tps" over the floor script; 0 when it did not run.
double postgresFloor(const std::string& target) {
  const std::string command = std::string("'") + PED_BENCH_DIR + "/settlement_floor.sh' '" + target + "' " +
                              std::to_string(kDuration.count()) + " " + std::to_string(kScreens) + " 2>&1";
  FILE* out = popen(command.c_str(), "r");
  if (!out) return 0;
  double tps = 0;
  char line[512];
  while (fgets(line, sizeof line, out)) std::sscanf(line, "tps = %lf", &tps);
  return pclose(out) == 0 ? tps : 0;
}

// One application server as ped00800-server builds it from its defaults.
struct Server {
  explicit Server(const std::string& target)
      : pool(target, options.connections, dbOptions()), services(pool, clock), dispatcher(services) {
    services.install(dispatcher);
    ped::server::HttpOptions http;
    http.threads = options.threads;
    server = std::make_unique<ped::server::HttpServer>(dispatcher, http);
    server->start();
  }
  ~Server() { server->stop(); }
  ped::sql::OpenOptions dbOptions() const {
    ped::sql::OpenOptions o;
    o.statementTimeoutMs = options.statementTimeoutMs;
    return o;
  }
  ped::server::ServerOptions options;
  ped::engine::SystemClock clock;
  ped::server::ConnectionPool pool;
  ped::server::Services services;
  ped::rpc::Dispatcher dispatcher;
  std::unique_ptr<ped::server::HttpServer> server;
};

struct Counts {
  std::int64_t open = 0, history = 0;
};
Counts count(const std::string& target) {
  auto db = ped::sql::open(target);
  return {db->query("SELECT COUNT(*) AS N FROM PEDIDO WHERE CDFILIAL = '0003' AND IDSITPEDIDO IN ('2', '6')")
              .integer(0, "N"),
          db->query("SELECT COUNT(*) AS N FROM HISTLIQMAN").integer(0, "N")};
}

std::string ordersPacket(const std::string& order, const std::string& status) {
  return R"({"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"IDSITPEDIDO","type":"string","size":1},)"
         R"({"name":"NRPEDIDO","type":"string","size":10},{"name":"CDFILIAL","type":"string","size":4}],"rows":[["S",")" +
         status + R"(",")" + order + R"(","0003"]]})";
}

void BM_Settlements(benchmark::State& state) {
  const bool postgres = state.range(0) == 1;
  const int instances = static_cast<int>(state.range(1));
  if (postgres && !postgresAdmin()) {
    state.SkipWithError("PED_BENCH_PG não configurado");
    return;
  }
  const auto copy = [&](const std::string& name) { return postgres ? postgresCopy(name) : sqliteCopy(name); };

  // The floor, on a copy of its own: the same orders in the same order.
  const std::string floorTarget = copy("ped_settlement_floor");
  double floor = 0;
  if (postgres) {
    floor = postgresFloor(floorTarget);
  } else {
    Orders all;
    for (const auto& o : openOrders(floorTarget, "CDFILIAL = '0003'")) all.emplace_back(o[0], o[1]);
    floor = ped::bench::sqliteSettlementFloor(floorTarget, all, kScreens, kDuration);
  }
  if (floor <= 0) {
    state.SkipWithError("o piso não pôde ser medido (pgbench?)");
    return;
  }

  const std::string target = copy("ped_settlement_run");
  const auto open = openOrders(target, "CDFILIAL = '0003'");
  std::vector<std::unique_ptr<Server>> servers;
  for (int i = 0; i < instances; ++i) servers.push_back(std::make_unique<Server>(target));
  std::vector<std::unique_ptr<ped::netclient::TNetConnection>> nets;
  for (int i = 0; i < kScreens; ++i) {
    auto net = std::make_unique<ped::netclient::TNetConnection>();
    net->Port = servers[static_cast<std::size_t>(i % instances)]->server->port();
    net->Open();
    if (const auto in = net->Login("GERENTE", "gerente123"); !in.ok) {
      state.SkipWithError(in.error.c_str());
      return;
    }
    nets.push_back(std::move(net));
  }

  std::atomic<long> failed{0}, locked{0};
  std::atomic<bool> stop{false};
  double seconds = 0;
  const Counts before = count(target);
  for (auto _ : state) {
    std::fprintf(stderr, "settlement_bench: screens start\n");
    std::vector<std::thread> screens;
    const auto start = std::chrono::steady_clock::now();
    const auto end = start + kDuration;
    for (int i = 0; i < kScreens; ++i)
      screens.emplace_back([&, i] {
        ped::netclient::TNetConnection& net = *nets[static_cast<std::size_t>(i)];
        std::size_t k = static_cast<std::size_t>(i);
        for (; k < open.size() && !stop && std::chrono::steady_clock::now() < end; k += kScreens) {
          const auto r = net.call("SetLiquidaPed",
                                  {Arg::packet(ordersPacket(open[k][1], open[k][2])), "GERENTE", "0001"});
          if (!r.ok || r.at(1)) {
            ++failed;
            if (r.error.find("locked") != std::string::npos ||
                r.error.find("Erro interno") != std::string::npos)
              ++locked;
          }
        }
        if (k >= open.size()) stop = true;  // out of orders: the run ends for all
      });
    for (auto& t : screens) t.join();
    seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  servers.clear();
  const Counts after = count(target);
  const double settled = static_cast<double>(before.open - after.open);
  state.counters["measured"] = settled / seconds;
  state.counters["goal"] = 0.7 * floor;
  state.counters["higher_is_better"] = 1;
  state.counters["floor_per_s"] = floor;
  state.counters["settled"] = settled;
  state.counters["history_rows"] = static_cast<double>(after.history - before.history);
  state.counters["locked_failures"] = static_cast<double>(locked);
  state.counters["failed_calls"] = static_cast<double>(failed);
  state.SetLabel(std::string("settlements/s, 32 screens, ") + (postgres ? "PostgreSQL, " : "SQLite, ") +
                 std::to_string(instances) + (instances == 1 ? " server" : " servers") + " [settlements/s]");
}
BENCHMARK(BM_Settlements)
    ->ArgNames({"pg", "servers"})
    ->Args({0, 1})
    ->Args({1, 1})
    ->Args({1, 2})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
