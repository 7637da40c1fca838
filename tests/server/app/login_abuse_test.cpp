// Log-in under abuse: what a guesser or a flood of log-ins can make the
// server spend. The hash and the throttle do not depend on the database, so
// these run on SQLite only.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "rpc/reply.h"
#include "server/app/connection_pool.h"
#include "server/app/services.h"
#include "server/support/seed_orders.h"
#include "support/test_database.h"

namespace ped::server {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;
using rpc::testing::readReply;

std::string loginBody(const std::string& op, const std::string& password) {
  return rpc::testing::request("Login", "[\"" + op + "\",\"" + password + "\"]");
}

// The process's peak resident memory since the last reset, in MiB.
long peakResidentMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6)) / 1024;
  return -1;
}
void resetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

class LoginAbuse : public ::testing::Test {
 protected:
  void SetUp() override {
    PED_REQUIRE_DATABASE(store_);
    seedOrders(*store_.open());
    pool_ = std::make_unique<ConnectionPool>(store_.target(), 4);
  }
  // A server over the seeded database with these log-in limits.
  struct Server {
    Server(ConnectionPool& pool, const engine::Clock& clock, const ServiceLimits& limits)
        : services(pool, clock, limits), dispatcher(services) {
      services.install(dispatcher);
    }
    rpc::testing::Reply login(const std::string& op, const std::string& password, const std::string& peer) {
      return readReply(dispatcher.handle(loginBody(op, password), {std::nullopt, peer + ":40000"}));
    }
    Services services;
    rpc::Dispatcher dispatcher;
  };

  TestDatabase store_{Backend::Sqlite};
  engine::FixedClock clock_{engine::date_time::fromCivil({2026, 12, 7, 10, 0})};
  std::unique_ptr<ConnectionPool> pool_;
};

TEST_F(LoginAbuse, AnUnknownOperatorCostsAsMuchAsAWrongPassword) {
  Server server(*pool_, clock_, {});
  auto medianMs = [&](const std::string& op) {
    std::vector<double> ms;
    for (int i = 0; i < 3; ++i) {
      const auto start = std::chrono::steady_clock::now();
      EXPECT_EQ(server.login(op, "errada", "10.1.0.1").message, "Operador ou senha inválidos.");
      ms.push_back(
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[1];
  };
  const double known = medianMs("GERENTE");
  const double unknown = medianMs("NINGUEM");
  // A hash takes tens of milliseconds; an answer without one, a fraction of one.
  EXPECT_GT(unknown, known / 3) << "unknown " << unknown << " ms, known " << known << " ms";
}

TEST_F(LoginAbuse, AFloodOfLogInsHashesAFewAtATimeInBoundedMemory) {
  ServiceLimits limits;
  limits.loginHashesAtOnce = 2;
  limits.loginWait = std::chrono::seconds(30);
  Server server(*pool_, clock_, limits);
  server.login("GERENTE", "errada", "10.2.0.1");  // the decoy hash and the first pages, before measuring
  resetPeakResident();
  const long before = peakResidentMiB();
  std::vector<std::thread> flood;
  std::atomic<int> refusedAsWrong{0};
  for (int i = 0; i < 16; ++i)
    flood.emplace_back([&, i] {
      if (server.login(i % 2 ? "GERENTE" : "NINGUEM", "errada", "10.2.1." + std::to_string(i)).message ==
          "Operador ou senha inválidos.")
        ++refusedAsWrong;
    });
  for (auto& t : flood) t.join();
  EXPECT_EQ(refusedAsWrong, 16);
  EXPECT_LE(server.services.hashPeakInUse(), 2u);
  // 16 hashes at once would take 1 GiB; two at a time, 128 MiB.
  EXPECT_LT(peakResidentMiB() - before, 320) << "peak " << peakResidentMiB() << " MiB, before " << before;

  // Past the waiting room a log-in is turned away at once, in Portuguese.
  limits.loginHashesAtOnce = 1;
  limits.loginHashesWaiting = 1;
  limits.loginWait = std::chrono::milliseconds(1);
  Server narrow(*pool_, clock_, limits);
  std::atomic<int> busy{0};
  flood.clear();
  for (int i = 0; i < 6; ++i)
    flood.emplace_back([&, i] {
      if (narrow.login("GERENTE", "errada", "10.3.0." + std::to_string(i)).message ==
          "O servidor de aplicação está atendendo muitas entradas agora. Tente novamente em instantes.")
        ++busy;
    });
  for (auto& t : flood) t.join();
  EXPECT_GE(busy, 1);
}

TEST_F(LoginAbuse, FailedLogInsLockTheOperatorAndTheAddressOut) {
  ServiceLimits limits;
  limits.loginThrottle.freeFailuresPerOperator = 2;
  limits.loginThrottle.freeFailuresPerPeer = 4;
  limits.loginThrottle.firstDelay = std::chrono::minutes(1);
  Server server(*pool_, clock_, limits);

  for (int i = 0; i < 3; ++i) server.login("GERENTE", "errada", "10.4.0.1");
  const auto locked = server.login("GERENTE", "senha", "10.4.0.2");
  EXPECT_EQ(locked.message,
            "Muitas tentativas de entrada sem sucesso. Aguarde 60 segundos e tente novamente.");
  EXPECT_FALSE(server.login("VEND1", "senha", "10.4.0.2").isError) << "another operator is not locked";

  // One address guessing across operator codes, existing or not.
  for (const char* op : {"A1", "A2", "A3", "A4", "A5"}) server.login(op, "x", "10.4.0.3");
  EXPECT_EQ(server.login("VEND1", "senha", "10.4.0.3").message.rfind("Muitas tentativas", 0), 0u);
  EXPECT_FALSE(server.login("VEND1", "senha", "10.4.0.4").isError);
}

}  // namespace
}  // namespace ped::server
