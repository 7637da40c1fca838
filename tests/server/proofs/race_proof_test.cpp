// Many screens on the same orders at once, over the real server on both
// databases: every answer is checked against what the database holds, and
// stock moves exactly once per settlement.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <thread>

#include "server/auth/password.h"
#include "server/proofs/proof_support.h"
#include "support/test_database.h"

namespace ped::proofs {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;

const char* const kRefusals[] = {"Operação bloqueada. Pedido em alteração por outro usuário.",
                                 "Esta operação não pode ser realizada. Atualize os dados.",
                                 "já liquidado por",
                                 "já teve a liquidação excluída por",
                                 "tem liquidação a excluir",
                                 "Movimento de estoque do item",
                                 "não está em aberto",
                                 "Estoque alterado",
                                 "Estoque insuficiente",
                                 "O banco de dados está ocupado"};

bool knownRefusal(const std::string& text) {
  for (const char* r : kRefusals)
    if (text.find(r) != std::string::npos) return true;
  return false;
}

std::string ordersPacket(const std::string& branch, const std::string& order, const std::string& status) {
  return R"({"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"IDSITPEDIDO","type":"string","size":1},)"
         R"({"name":"NRPEDIDO","type":"string","size":10},{"name":"CDFILIAL","type":"string","size":4}],"rows":[["S",")" +
         status + R"(",")" + order + R"(",")" + branch + R"("]]})";
}

class RaceProof : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    PED_REQUIRE_DATABASE(store_);
    writeDemo(store_.target(), 300);
    admin_ = store_.open();
    server_ = std::make_unique<ServerProcess>(store_.target());
    server_->start();
  }
  std::vector<std::string> orders(const std::string& where, int limit) {
    const sql::Result r =
        admin_->query("SELECT P.NRPEDIDO FROM PEDIDO P WHERE " + where + " ORDER BY P.NRPEDIDO LIMIT :L",
                      {{"L", std::int64_t{limit}}});
    std::vector<std::string> out;
    for (std::size_t i = 0; i < r.rowCount(); ++i) out.emplace_back(r.text(i, "NRPEDIDO"));
    return out;
  }
  // Settlement (L) or exclusion (E) events of `order` by the session of `token`.
  std::int64_t events(const std::string& branch, const std::string& order, const std::string& token,
                      char kind) {
    return admin_
        ->query(
            "SELECT COUNT(DISTINCT DTOPERACAO) AS N FROM HISTLIQMAN WHERE CDFILIAL = :F AND NRPEDIDO = :N"
            " AND CDSESSAO = :K AND IDOPERACAO = :O",
            {{"F", branch},
             {"N", order},
             {"K", server::auth::sessionKey(token)},
             {"O", std::string(1, kind)}})
        .integer(0, "N");
  }

  TestDatabase store_{GetParam()};
  std::unique_ptr<sql::Connection> admin_;
  std::unique_ptr<ServerProcess> server_;
};

INSTANTIATE_TEST_SUITE_P(Bancos, RaceProof, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

// Every screen stages the stock of the same orders and settles them: one wins
// each order, the others are refused in Portuguese, and the stock leaves
// exactly once.
TEST_P(RaceProof, ScreensSettlingTheSameOrdersMoveTheStockOnce) {
  const std::vector<std::string> targets = orders(
      "P.CDFILIAL = '0002' AND P.IDSITPEDIDO = '2' AND NOT EXISTS (SELECT 1 FROM ITEMPEDIDO I WHERE"
      " I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO AND I.IDSITITEMPED IN ('1', '2', '3', '7') AND"
      " ABS(I.QTITEMPED - COALESCE((SELECT SUM(R.QTRESERVADA) FROM RESERVAITEM R WHERE R.CDFILIAL = "
      "I.CDFILIAL"
      " AND R.NRPEDIDO = I.NRPEDIDO AND R.NRITEMPED = I.NRITEMPED), 0)) > 0.0005)",
      setting("PED_PROOF_ORDERS", 6));
  ASSERT_GE(targets.size(), 3u);
  const double stockBefore = admin_->query("SELECT SUM(QTESTOQUE) AS Q FROM POSESTOQUE").number(0, "Q");
  const int screens = setting("PED_PROOF_SCREENS", 16);
  std::mutex mutex;
  std::map<std::string, std::vector<std::string>> winners;  // order -> tokens told it was settled
  std::vector<std::string> unexpected;
  std::vector<std::thread> threads;
  for (int i = 0; i < screens; ++i)
    threads.emplace_back([&, i] {
      Screen screen(server_->port());
      if (!screen.login("GERENTE", "gerente123")) {
        std::lock_guard lock(mutex);
        unexpected.push_back("log-in refused");
        return;
      }
      std::vector<std::string> mine = targets;
      std::shuffle(mine.begin(), mine.end(), std::mt19937(static_cast<unsigned>(i)));
      int call = 0;
      for (const std::string& order : mine) {
        const std::string packet = ordersPacket("0002", order, "2");
        const Answer evol = screen.call("GetEvolEstq", "[" + packet + "]");
        const Answer staged =
            screen.call("AtualizaEstoque", R"(["0002","GERENTE","Liquidação Manual",)" + evol.result +
                                               R"(,"NRPEDIDO IN (')" + order + R"x(')"])x");
        std::string outcome;
        if (evol.code != 0 || staged.code != 0) {
          outcome = evol.code ? evol.message : staged.message;
        } else {
          const Answer a = screen.call("SetLiquidaPed", "[" + packet + R"(,"GERENTE","0001"])",
                                       screen.token().substr(0, 8) + "-" + std::to_string(++call));
          if (a.code != 0) {
            outcome = a.message;
          } else {
            const auto errors = rowsOf(a.result, 1, {"NRPEDIDO", "DSERRO"});
            if (errors.empty()) {
              std::lock_guard lock(mutex);
              winners[order].push_back(screen.token());
              continue;
            }
            outcome = errors.front();
          }
        }
        if (!knownRefusal(outcome)) {
          std::lock_guard lock(mutex);
          unexpected.push_back(outcome);
        }
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_TRUE(unexpected.empty()) << unexpected.front();

  double moved = 0;
  for (const std::string& order : targets) {
    ASSERT_EQ(winners[order].size(), 1u) << order;  // every order is settled, by one screen only
    EXPECT_EQ(events("0002", order, winners[order].front(), 'L'), 1) << order;
    const sql::Result items = admin_->query(
        "SELECT I.NRITEMPED, I.QTITEMPED, (SELECT -SUM(M.QTMOVIMENTO) FROM MOVESTOQUE M WHERE M.CDFILIAL ="
        " I.CDFILIAL AND M.NRPEDIDO = I.NRPEDIDO AND M.NRITEMPED = I.NRITEMPED) AS QTMOVIDA FROM ITEMPEDIDO I"
        " WHERE I.CDFILIAL = '0002' AND I.NRPEDIDO = :N AND I.IDSITITEMPED = '6'",
        {{"N", order}});
    ASSERT_GT(items.rowCount(), 0u) << order;
    for (std::size_t r = 0; r < items.rowCount(); ++r) {
      EXPECT_NEAR(items.number(r, "QTMOVIDA"), items.number(r, "QTITEMPED"), 0.0005) << order;
      moved += items.number(r, "QTMOVIDA");
    }
  }
  EXPECT_NEAR(admin_->query("SELECT SUM(QTESTOQUE) AS Q FROM POSESTOQUE").number(0, "Q"), stockBefore - moved,
              0.001);
  std::printf("race proof, stock (%s): %d screens, %zu orders, %.3f moved out\n",
              ped::testing::backendName(GetParam()).c_str(), screens, targets.size(), moved);
  EXPECT_EQ(admin_->query("SELECT COUNT(*) AS N FROM POSESTOQUE WHERE QTESTOQUE < 0").integer(0, "N"), 0);
}

// Screens settle and exclude the same orders at random: every answer that
// reports an order settled or excluded matches one event in the history, by
// that screen's session, and no other event happened.
TEST_P(RaceProof, EverySettlementOrExclusionAnsweredIsInTheDatabase) {
  const std::vector<std::string> targets = orders("P.CDFILIAL = '0003' AND P.IDSITPEDIDO = '2'", 4);
  ASSERT_GE(targets.size(), 2u);
  const int screens = setting("PED_PROOF_SCREENS", 16), rounds = setting("PED_PROOF_ROUNDS", 12);
  std::mutex mutex;
  std::map<std::tuple<std::string, std::string, char>, int> told;  // (token, order, L|E) -> successes
  std::vector<std::string> tokens, unexpected;
  std::vector<std::thread> threads;
  for (int i = 0; i < screens; ++i)
    threads.emplace_back([&, i] {
      Screen screen(server_->port());
      auto db = store_.open();
      if (!screen.login("GERENTE", "gerente123")) return;
      {
        std::lock_guard lock(mutex);
        tokens.push_back(screen.token());
      }
      std::mt19937 random(static_cast<unsigned>(i) + 100);
      for (int round = 0; round < rounds; ++round) {
        const std::string& order = targets[random() % targets.size()];
        const std::string key = screen.token().substr(0, 8) + "-" + std::to_string(round);
        std::string outcome;
        char kind = 0;
        if (random() % 2) {
          const std::string status(
              db->query("SELECT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = '0003' AND NRPEDIDO = :N",
                        {{"N", order}})
                  .text(0, "IDSITPEDIDO"));
          const Answer a = screen.call(
              "SetLiquidaPed",
              std::string("[").append(ordersPacket("0003", order, status)) + R"(,"GERENTE","0001"])", key);
          outcome = a.code ? a.message : "";
          if (!a.code) {
            const auto errors = rowsOf(a.result, 1, {"DSERRO"});
            outcome = errors.empty() ? "" : errors.front();
          }
          kind = 'L';
        } else {
          const Answer items = screen.call("GetItem", R"(["0003",")" + order + R"("])");
          std::string rows;
          bool settled = false;
          for (const std::string& row : rowsOfPacket(items.result, {"NRITEMPED", "IDSITITEMPED"})) {
            const std::string item = row.substr(0, row.find('|')), status = row.substr(row.find('|') + 1);
            settled = settled || status == "6";
            rows += std::string(rows.empty() ? "" : ",").append(R"(["S",")") + item + R"(",")" + status +
                    R"(",")" + order + R"(","0003"])";
          }
          const std::string packet =
              R"({"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"NRITEMPED","type":"string","size":10},)"
              R"({"name":"IDSITITEMPED","type":"string","size":1},{"name":"NRPEDIDO","type":"string","size":10},)"
              R"({"name":"CDFILIAL","type":"string","size":4}],"rows":[)" +
              rows + "]}";
          const Answer a = screen.call("SetDesfazLiq", "[" + packet + R"(,"GERENTE","0001"])", key);
          outcome = a.code ? a.message : "";
          if (!a.code) {
            const auto errors = rowsOf(a.result, 1, {"DSERRO"});
            outcome = errors.empty() ? "" : errors.front();
          }
          kind = settled ? 'E' : 0;  // nothing to exclude: a success that changes nothing
        }
        std::lock_guard lock(mutex);
        if (outcome.empty() && kind) ++told[{screen.token(), order, kind}];
        if (!outcome.empty() && !knownRefusal(outcome)) unexpected.push_back(outcome);
      }
    });
  for (auto& t : threads) t.join();
  EXPECT_TRUE(unexpected.empty()) << unexpected.front();
  int successes = 0;
  for (const std::string& token : tokens)
    for (const std::string& order : targets)
      for (const char kind : {'L', 'E'}) {
        const int expected = told[{token, order, kind}];
        successes += expected;
        EXPECT_EQ(events("0003", order, token, kind), expected) << order << " " << kind;
      }
  EXPECT_GT(successes, 0);
  std::printf("race proof, settle and exclude (%s): %d screens x %d rounds, %d changes told and found\n",
              ped::testing::backendName(GetParam()).c_str(), screens, rounds, successes);
}

}  // namespace
}  // namespace ped::proofs
