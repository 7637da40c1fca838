// The real server process, bounded: the memory a burst of large requests
// leaves behind, and a stop that cannot be held up by the calls under way.
// Both databases.

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>
#include <sys/wait.h>

#include <future>
#include <thread>

#include "rpc/reply.h"
#include "server/support/seed_orders.h"
#include "server/support/server_process.h"
#include "sql/connection.h"
#include "support/test_database.h"

namespace ped::server {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;
using rpc::testing::readReply;
using testing::ServerProcess;

class ServerBounds : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    PED_REQUIRE_DATABASE(store_);
    server_ = std::make_unique<ServerProcess>(store_.target());
    server_->start();
    ASSERT_GT(server_->port(), 0);
    seedOrders(*store_.open());  // after the server made the schema
    const auto login = call(rpc::testing::request("Login", R"(["GERENTE","senha"])"));
    token_ = login.result.substr(10, 64);  // {"token":"<64 hex>"}
    ASSERT_EQ(token_.size(), 64u) << login.message;
  }
  // One call on a connection of its own, as a new screen would make it.
  rpc::testing::Reply call(const std::string& body, int timeoutSeconds = 60) {
    httplib::Client c("127.0.0.1", server_->port());
    c.set_read_timeout(timeoutSeconds, 0);
    httplib::Headers headers;
    if (!token_.empty()) headers.emplace("Authorization", "Bearer " + token_);
    auto res = c.Post("/Ped00800.rdmLiquidaItem", headers, body, "application/json");
    rpc::testing::Reply reply;
    if (!res)
      reply.message = "transport: " + httplib::to_string(res.error());
    else
      reply = readReply(res->body);
    return reply;
  }

  TestDatabase store_{GetParam()};
  std::unique_ptr<ServerProcess> server_;
  std::string token_;
};

INSTANTIATE_TEST_SUITE_P(Bancos, ServerBounds, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(ServerBounds, ABurstOfLargeRequestsLeavesNoResidentMemoryBehind) {
  std::string rows;
  for (int i = 0; i < 300000; ++i) rows += i ? R"(,["0001","0000000001"])" : R"(["0001","0000000001"])";
  const std::string big = rpc::testing::request(
      "GetEvolEstq",
      R"([{"fields":[{"name":"CDFILIAL","type":"string","size":4},{"name":"NRPEDIDO","type":"string","size":10}],"rows":[)" +
          rows + "]}]");
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const long before = server_->residentMiB();
  // Several at once, each on a thread of its own in the server, then more.
  std::vector<std::future<rpc::testing::Reply>> burst;
  for (int i = 0; i < 8; ++i) burst.push_back(std::async(std::launch::async, [&] { return call(big); }));
  for (auto& f : burst) EXPECT_FALSE(f.get().isError);
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(call(big).isError);
  long after = server_->residentMiB();
  for (int i = 0; i < 50 && after > before + 64; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    after = server_->residentMiB();
  }
  EXPECT_LE(after, before + 64) << "before " << before << " MiB, 5 s after the burst " << after << " MiB";
}

TEST_P(ServerBounds, SigtermEndsTheServerWithinTenSecondsCancellingTheCallsUnderWay) {
  // Another writer holds the orders' items (the order itself would be
  // refused at once as blocked), so each row of the settlement waits for the
  // database's lock time-out: the call would run for 15 s.
  auto holder = store_.open();
  holder->begin(sql::TransactionMode::Write);
  holder->execute("UPDATE ITEMPEDIDO SET IDSITITEMPED = IDSITITEMPED WHERE CDFILIAL = '0003'");
  const std::string row = R"(["S","2","0000000010","0003"])";
  const std::string settle = rpc::testing::request(
      "SetLiquidaPed",
      R"([{"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"IDSITPEDIDO","type":"string","size":1},)"
      R"({"name":"NRPEDIDO","type":"string","size":10},{"name":"CDFILIAL","type":"string","size":4}],"rows":[)" +
          row + "," + row + "," + row + R"(]},"GERENTE","0001"])");
  auto answer = std::async(std::launch::async, [&] { return call(settle); });
  std::this_thread::sleep_for(std::chrono::milliseconds(1000));
  double took = 0;
  const int status = server_->stop(SIGTERM, 12, &took);
  EXPECT_LT(took, 10.0);
  EXPECT_TRUE(WIFEXITED(status)) << status;
  const auto reply = answer.get();
  EXPECT_TRUE(reply.isError || reply.message.rfind("transport", 0) == 0) << reply.result;
  holder->rollback();
  EXPECT_EQ(store_.open()
                ->query("SELECT IDSITPEDIDO FROM PEDIDO WHERE NRPEDIDO = '0000000010'")
                .text(0, "IDSITPEDIDO"),
            "2")
      << "nothing settled";
}

}  // namespace
}  // namespace ped::server
