// What the people who run the server watch: the metrics page and readiness
// of the real process, readiness against a database that is not there or
// not migrated, and the rotating call log.

#include <gtest/gtest.h>
#include <httplib.h>
#include <simdjson.h>

#include <filesystem>
#include <fstream>

#include "buildinfo/build_info.h"
#include "netclient/net_connection.h"
#include "server/app/readiness.h"
#include "server/app/server_log.h"
#include "server/http/spdlog_call_sink.h"
#include "server/storage/migrations.h"
#include "server/support/seed_orders.h"
#include "server/support/server_process.h"
#include "support/prometheus_text.h"
#include "support/test_database.h"

namespace ped::server {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;

std::uint64_t count(const std::map<std::string, std::string>& page, const std::string& series) {
  const auto found = page.find(series);
  if (found == page.end()) {
    ADD_FAILURE() << "no series " << series;
    return 0;
  }
  return std::stoull(found->second);
}

class ServerOperations : public ::testing::TestWithParam<Backend> {};
INSTANTIATE_TEST_SUITE_P(Bancos, ServerOperations, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(ServerOperations, TheMetricsFollowTheCallsAndReadyAnswersOnceMigrated) {
  TestDatabase store(GetParam());
  PED_REQUIRE_DATABASE(store);
  testing::ServerProcess process(store.target());
  process.start();
  seedOrders(*store.open());
  httplib::Client http("127.0.0.1", process.port());
  const auto scrape = [&] {
    const auto res = http.Get("/metrics");
    EXPECT_TRUE(res && res->status == 200);
    EXPECT_EQ(res->get_header_value("Content-Type"), "text/plain; version=0.0.4; charset=utf-8");
    return ped::testing::scrapeMetrics(res ? res->body : "");
  };

  const auto ready = http.Get("/ready");
  ASSERT_TRUE(ready);
  EXPECT_EQ(ready->status, 200);
  EXPECT_EQ(ready->body, R"({"status":"ready"})");

  const auto before = scrape();
  netclient::TNetConnection net;
  net.Port = process.port();
  net.Open();
  ASSERT_TRUE(net.Login("GERENTE", "senha").ok);
  EXPECT_FALSE(net.call("GetParam", {"0001", "OUTRO"}).ok);  // not the session's operator
  EXPECT_FALSE(net.call("NaoExiste", {}).ok);
  const auto during = scrape();
  const auto moved = [&](const std::string& series) { return count(during, series) - count(before, series); };
  EXPECT_EQ(moved(R"(ped00800_rpc_calls_total{method="Login"})"), 1u);
  EXPECT_EQ(moved(R"(ped00800_rpc_errors_total{method="Login"})"), 0u);
  EXPECT_EQ(moved(R"(ped00800_rpc_calls_total{method="GetParam"})"), 1u);
  EXPECT_EQ(moved(R"(ped00800_rpc_errors_total{method="GetParam"})"), 1u);
  EXPECT_EQ(moved(R"(ped00800_rpc_calls_total{method="desconhecido"})"), 1u);
  EXPECT_EQ(during.count(R"(ped00800_rpc_calls_total{method="NaoExiste"})"), 0u);
  EXPECT_EQ(count(during, R"(ped00800_rpc_duration_seconds_count{method="Login"})"),
            count(during, R"(ped00800_rpc_calls_total{method="Login"})"));
  EXPECT_EQ(count(during, "ped00800_sessions_open"), 1u);
  EXPECT_GE(count(during, "ped00800_http_open_connections"), 1u);
  EXPECT_EQ(count(during, "ped00800_db_pool_connections_in_use"), 0u);
  EXPECT_GE(count(during, "ped00800_db_pool_connections"), 1u);
  EXPECT_EQ(count(during, "ped00800_db_pool_connections_max"), 16u);
  EXPECT_EQ(count(during, "ped00800_build_info{version=\"" + std::string(buildinfo::version()) +
                              "\",commit=\"" + std::string(buildinfo::commit()) + "\",build_type=\"" +
                              std::string(buildinfo::buildType()) + "\"}"),
            1u);
  EXPECT_GT(std::stod(during.at("process_start_time_seconds")), 1.7e9);

  ASSERT_TRUE(net.Logout().ok);
  EXPECT_EQ(count(scrape(), "ped00800_sessions_open"), 0u);
}

TEST(OperationsTest, ReadyOnlyWhenTheDatabaseAnswersWithTheSchemaMigrated) {
  TestDatabase store(Backend::Sqlite);
  auto empty = store.open();  // there, but never migrated
  ConnectionPool pool(store.target(), 2);
  Readiness readiness(pool);
  std::string body;
  EXPECT_EQ(readiness.answer(body), 503);
  simdjson::dom::parser parser;
  std::string_view reason;
  ASSERT_EQ(parser.parse(body)["reason"].get(reason), simdjson::SUCCESS) << body;
  EXPECT_NE(reason.find("a migração ainda não foi aplicada"), std::string_view::npos) << reason;

  storage::migrate(*store.open());
  EXPECT_EQ(readiness.answer(body), 200);
  EXPECT_EQ(body, R"({"status":"ready"})");

  // Every connection lent to calls: the check gives up quickly instead of queueing.
  {
    auto a = pool.borrow();
    auto b = pool.borrow();
    EXPECT_EQ(readiness.check().reason, "Todas as conexões com o banco de dados estão ocupadas.");
  }

  const auto missing = std::filesystem::temp_directory_path() / "ped00800-sem-pasta" / "nada.db";
  ConnectionPool gone(missing.string(), 2);
  const ReadinessAnswer down = Readiness(gone).check();
  EXPECT_FALSE(down.ready);
  EXPECT_EQ(down.reason, "O banco de dados não responde.");
}

TEST(OperationsTest, AReadyCheckStuckInTheDatabaseIsCutShortAndItsConnectionDropped) {
  TestDatabase store(Backend::Postgres);
  PED_REQUIRE_DATABASE(store);
  storage::migrate(*store.open());
  ConnectionPool pool(store.target(), 2);
  Readiness readiness(pool, std::chrono::milliseconds(500), std::chrono::milliseconds(300));
  ASSERT_TRUE(readiness.check().ready);
  {
    auto holder = store.open();
    sql::Transaction tx(*holder, sql::TransactionMode::Write);
    holder->execute("LOCK TABLE SCHEMA_VERSAO IN ACCESS EXCLUSIVE MODE");
    EXPECT_EQ(readiness.check().reason, "O banco de dados não respondeu em 1 s.");
  }
  EXPECT_TRUE(readiness.check().ready);
  EXPECT_EQ(pool.usage().open, 1u);  // the cancelled connection was not kept
}

TEST(OperationsTest, TheCallLogRotatesAtItsSizeKeepingNFilesOfJsonLines) {
  const auto dir = std::filesystem::temp_directory_path() / ("ped00800-log-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto file = [&](const char* name) { return dir / name; };
  {
    const rpc::CallSink sink = makeSpdlogCallSink(makeServerLogger({file("servidor.log").string(), 400, 2}));
    rpc::CallRecord record;
    record.method = "GetItem";
    record.operatorCode = "GERENTE";
    record.peer = "127.0.0.1:40000";
    for (int i = 0; i < 60; ++i) sink(record);
  }
  EXPECT_FALSE(std::filesystem::exists(file("servidor.3.log")));
  simdjson::dom::parser parser;
  int lines = 0;
  for (const char* name : {"servidor.log", "servidor.1.log", "servidor.2.log"}) {
    ASSERT_TRUE(std::filesystem::exists(file(name))) << name;
    EXPECT_LE(std::filesystem::file_size(file(name)), 400u) << name;
    std::ifstream in(file(name));
    for (std::string line; std::getline(in, line); ++lines) {
      std::string_view method;
      EXPECT_EQ(parser.parse(line)["method"].get(method), simdjson::SUCCESS) << line;
      EXPECT_EQ(method, "GetItem");
    }
  }
  EXPECT_GT(lines, 4);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ped::server
