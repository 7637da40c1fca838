// Stock look-ups, stock movement, settlement and its undoing over real
// SQLite and PostgreSQL databases.

#include <gtest/gtest.h>

#include <thread>

#include "engine/data_set.h"
#include "server/methods/order_changes.h"
#include "server/methods/service_error.h"
#include "server/methods/stock_queries.h"
#include "server/support/packet_dump.h"
#include "server/support/seed_orders.h"
#include "support/test_database.h"

namespace ped::server {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;
namespace date_time = engine::date_time;

// An allocation packet: rows of (order, item, product, lot, quantity) at
// warehouse ALM01, location LC01, sub-lot 01 of branch 0001.
std::string allocation(
    std::initializer_list<std::tuple<const char*, const char*, const char*, const char*, double>> rows) {
  std::string out =
      R"({"fields":[{"name":"CDFILIAL","type":"string","size":4},{"name":"CDPRODUTO","type":"string","size":10},)"
      R"({"name":"CDALMOXARIFE","type":"string","size":6},{"name":"CDLOCALESTOQ","type":"string","size":6},)"
      R"({"name":"NRLOTEESTQ","type":"string","size":20},{"name":"NRSUBLOTE","type":"string","size":4},)"
      R"({"name":"QTEXP","type":"float"},{"name":"NRPEDIDO","type":"string","size":10},)"
      R"({"name":"NRITEMPED","type":"string","size":10}],"rows":[)";
  bool first = true;
  for (const auto& [order, item, product, lot, q] : rows) {
    out += first ? "" : ",";
    first = false;
    out += std::string(R"(["0001",")") + product + R"(","ALM01","LC01",")" + lot + R"(","01",)" +
           std::to_string(q) + R"(,")" + order + R"(",")" + item + R"("])";
  }
  return out + "]}";
}

std::string orders(
    std::initializer_list<std::tuple<const char*, const char*, const char*, const char*>> rows) {
  std::string out =
      R"({"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"IDSITPEDIDO","type":"string","size":1},)"
      R"({"name":"NRPEDIDO","type":"string","size":10},{"name":"CDFILIAL","type":"string","size":4}],"rows":[)";
  bool first = true;
  for (const auto& [mark, status, order, branch] : rows) {
    out += first ? "" : ",";
    first = false;
    out += std::string("[\"") + mark + "\",\"" + status + "\",\"" + order + "\",\"" + branch + "\"]";
  }
  return out + "]}";
}

std::string items(const char* branch, const char* order,
                  std::initializer_list<std::tuple<const char*, const char*, const char*>> rows) {
  std::string out =
      R"({"fields":[{"name":"IDCHECK","type":"string","size":1},{"name":"NRITEMPED","type":"string","size":10},)"
      R"({"name":"IDSITITEMPED","type":"string","size":1},{"name":"NRPEDIDO","type":"string","size":10},)"
      R"({"name":"CDFILIAL","type":"string","size":4}],"rows":[)";
  bool first = true;
  for (const auto& [mark, item, status] : rows) {
    out += first ? "" : ",";
    first = false;
    out += std::string("[\"") + mark + "\",\"" + item + "\",\"" + status + "\",\"" + order + "\",\"" +
           branch + "\"]";
  }
  return out + "]}";
}

class Settlement : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    PED_REQUIRE_DATABASE(store_);
    db_ = store_.open();
    seedOrders(*db_);
  }
  Session login(const char* op, sql::Connection* db = nullptr) {
    sql::Connection& c = db ? *db : *db_;
    return *sessions_.resolve(c, sessions_.login(c, op, "senha"));
  }
  double stock(const char* product, const char* lot) {
    return db_
        ->query(
            "SELECT QTESTOQUE FROM POSESTOQUE WHERE CDFILIAL = '0001' AND CDPRODUTO = :P AND NRLOTEESTQ = :T",
            {{"P", product}, {"T", lot}})
        .number(0, "QTESTOQUE");
  }
  std::int64_t count(const char* sql) { return db_->query(sql).integer(0, "N"); }
  // A change as the server runs it: in a write transaction of its own.
  template <typename Change>
  static std::string committed(sql::Connection& db, Change change) {
    sql::Transaction tx(db, sql::TransactionMode::Write);
    std::string json = change().json;
    tx.commit();
    return json;
  }

  TestDatabase store_{GetParam()};
  std::unique_ptr<sql::Connection> db_;
  engine::FixedClock clock_{date_time::fromCivil({2026, 12, 7, 10, 0})};
  Sessions sessions_{clock_};
  StockQueries stockQueries_;
  StockMovement movement_{clock_};
  OrderChanges changes_{clock_, movement_};
};

INSTANTIATE_TEST_SUITE_P(Bancos, Settlement, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(Settlement, StockLookUpsShowReservationsAndWhatStaysFree) {
  const Session s = login("GERENTE");
  EXPECT_EQ(packet(stockQueries_.GetEvolEstq(
                       *db_, s, orders({{"N", "2", "0000000010", "0001"}, {"N", "2", "0000000010", "0003"}})),
                   "NRPEDIDO;NRITEMPED;NRLOTEESTQ;QTEXP;QTRESPRODPED;QTDISPONIVEL;DSALMOXARIFE;DTVALILOTE"),
            "r Browse 1/1 BOF\n> 0000000010 1 L1 2 2 7 Almoxarifado Central 2027-06-30");

  // Positions of P1 for item 1 of order 10: free stock plus its own reservation.
  EXPECT_EQ(packet(stockQueries_.GetPosEstq(*db_, s, "0001", "10", "P1", "", "", "1", "N", "", ""),
                   "NRLOTEESTQ;QTDISPONIVEL;QTRESPRODPED;NRPEDIDO;NRITEMPED"),
            "r Browse 1/3 BOF\n> LV 5 0 0000000010 1\n  LH 3 0 0000000010 1\n  L1 7 2 0000000010 1");
  EXPECT_EQ(
      packet(stockQueries_.GetPosEstq(*db_, s, "0001", "10", "P1", "ALM01", "LC01", "1", "N", "L1", "01"),
             "NRLOTEESTQ"),
      "r Browse 1/1 BOF\n> L1");
  // A blank key matches positions without that key: none here.
  EXPECT_EQ(
      packet(stockQueries_.GetPosEstq(*db_, s, "0001", "10", "P1", " ", "", "1", "N", "", ""), "NRLOTEESTQ"),
      "r Browse 0/0 BOF EOF");
  // Less than half a thousandth is nothing.
  db_->execute("UPDATE POSESTOQUE SET QTESTOQUE = 0.0004 WHERE NRLOTEESTQ = 'LH'");
  EXPECT_EQ(
      packet(stockQueries_.GetPosEstq(*db_, s, "0001", "10", "P1", "", "", "1", "N", "", ""), "NRLOTEESTQ"),
      "r Browse 1/2 BOF\n> LV\n  L1");
  EXPECT_EQ(
      packet(stockQueries_.GetPosEstq(*db_, s, "0001", "10", "P1", "", "", "1", "S", "", ""), "NRLOTEESTQ"),
      "r Browse 1/3 BOF\n> LV\n  LH\n  L1");
}

TEST_P(Settlement, AnOrderIsSettledWithItsStockMovedOnceAndNeverTwice) {
  const Session s = login("GERENTE");
  const std::string rows = allocation({{"0000000010", "1", "P1", "L1", 2},
                                       {"0000000010", "2", "P2", "L2", 1},
                                       {"0000000011", "2", "P1", "L1", 1}});  // not selected
  // The description is cut to its column's 60 characters, never inside one.
  std::string description = "a", cut = "a";
  for (int i = 0; i < 70; ++i) description += "ç";
  for (int i = 0; i < 59; ++i) cut += "ç";
  EXPECT_EQ(
      movement_.AtualizaEstoque(*db_, s, "0001", "GERENTE", description, rows, "NRPEDIDO IN ('0000000010')"),
      "[null,null]");
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM MOVESTAGIO"), 2);
  EXPECT_DOUBLE_EQ(stock("P1", "L1"), 10);  // nothing moves yet

  const std::string request = orders({{"S", "2", "0000000010", "0001"}, {"N", "6", "0000000011", "0001"}});
  // A staging abandoned for longer than a confirmation takes is not applied.
  clock_.set(clock_.now() + 11.0 / (24 * 60));
  EXPECT_NE(element(committed(*db_, [&] { return changes_.SetLiquidaPed(*db_, s, request, "GERENTE", "1"); }),
                    1, "DSERRO")
                .find("Movimento de estoque do item 1 ausente."),
            std::string::npos);
  clock_.set(clock_.now() - 11.0 / (24 * 60));
  const std::string result =
      committed(*db_, [&] { return changes_.SetLiquidaPed(*db_, s, request, "GERENTE", "1"); });
  EXPECT_EQ(element(result, 0, "NRPEDIDO;IDSITPEDIDO;IDCHECK"),
            "r Browse 1/2 BOF\n> 0000000010 5 N\n  0000000011 6 N");  // no open item left, settled by hand
  EXPECT_EQ(element(result, 1), "null");
  EXPECT_DOUBLE_EQ(stock("P1", "L1"), 8);
  EXPECT_DOUBLE_EQ(stock("P2", "L2"), 3);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM MOVESTOQUE WHERE NRPEDIDO = '0000000010'"), 2);
  EXPECT_EQ(db_->query("SELECT DSMOVIMENTO FROM MOVESTOQUE").text(0, "DSMOVIMENTO"), cut);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM RESERVAITEM WHERE NRPEDIDO = '0000000010'"), 0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM HISTLIQMAN WHERE NRPEDIDO = '0000000010' AND IDOPERACAO = 'L'"
                  " AND CDJUSTEXCHIS = '0001'"),
            2);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO WHERE NRPEDIDO = '0000000010' AND CDFILIAL = '0001'"
                  " AND IDSITITEMPED = '6'"),
            2);

  // The same request again (an answer lost twice): it was settled, and by whom.
  const std::string again =
      committed(*db_, [&] { return changes_.SetLiquidaPed(*db_, s, request, "GERENTE", "1"); });
  EXPECT_EQ(
      element(again, 1, "NRPEDIDO;IDSITPEDIDO;IDJAFEITO;DSERROCOMPL"),
      "r Browse 1/1 BOF\n> 0000000010 5 S Pedido 0000000010 já liquidado por GERENTE em 07/12/2026 10:00.");
  EXPECT_DOUBLE_EQ(stock("P1", "L1"), 8);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM MOVESTOQUE"), 2);
}

// A whole order is the items its operator is shown: with the list restricted
// to product P1, the stock movement and the settlement of order 10 take its
// item 1 and leave item 2 (P2) open.
TEST_P(Settlement, AWholeOrderIsTheItemsTheListShows) {
  const Session s = login("GERENTE");
  db_->execute("UPDATE SESSAO SET IDTPRODUTO = 'N' WHERE CDSESSAO = :K", {{"K", s.key}});
  db_->execute("INSERT INTO SESSAOPRODUTO (CDSESSAO, CDARVPROD) VALUES (:K, '0101001')", {{"K", s.key}});
  EXPECT_EQ(movement_.AtualizaEstoque(*db_, s, "0001", "GERENTE", "Liquidação Manual",
                                      allocation({{"0000000010", "1", "P1", "L1", 2}}),
                                      "NRPEDIDO IN ('0000000010')"),
            "[null,null]");
  const std::string result = committed(*db_, [&] {
    return changes_.SetLiquidaPed(*db_, s, orders({{"S", "2", "0000000010", "0001"}}), "GERENTE", "1");
  });
  EXPECT_EQ(element(result, 0, "NRPEDIDO;IDSITPEDIDO"), "r Browse 1/1 BOF\n> 0000000010 6");
  EXPECT_EQ(element(result, 1), "null");
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000010'"
                  " AND IDSITITEMPED = '3' AND NRITEMPED = '2'"),
            1);
  EXPECT_DOUBLE_EQ(stock("P2", "L2"), 4);
}

TEST_P(Settlement, StockMovementsAreCheckedBeforeAnythingIsStaged) {
  const Session s = login("GERENTE");
  auto refused = [&](const std::string& rows, const char* filter) -> std::string {
    try {
      movement_.AtualizaEstoque(*db_, s, "0001", "GERENTE", "Liquidação Manual", rows, filter);
      return "aceito";
    } catch (const ServiceError& e) {
      return e.what();
    }
  };
  const char* item1 = "(NRPEDIDO = '0000000010') AND (NRITEMPED IN ('1'))";
  EXPECT_EQ(
      refused(allocation({{"0000000010", "1", "P1", "L1", 1.5}}), item1),
      "A quantidade total a liquidar do item 1 do pedido 0000000010 deve ser igual à quantidade pedida.");
  EXPECT_EQ(refused(allocation({{"0000000010", "1", "P1", "LV", 2}}), item1),
            "O lote LV do produto P1 está com a validade vencida.");
  EXPECT_EQ(refused(allocation({{"0000000010", "1", "P1", "LH", 2}}), item1),
            "aceito");  // valid through today
  EXPECT_EQ(
      refused(allocation({{"0000000010", "1", "P1", "L9", 2}}), item1),
      "Posição de estoque não cadastrada: produto P1, almoxarifado ALM01, localização LC01, lote L9/01.");
  EXPECT_EQ(
      refused(allocation({{"0000000010", "1", "P1", "L1", 2}, {"0000000010", "1", "P1", "LH", 0}}), item1),
      "A quantidade a liquidar do item 1 do pedido 0000000010 deve ser maior que 0.");
  for (const char* bad : {"NRPEDIDO IN ('0000000010'); DELETE FROM PEDIDO", "1=1", "NRPEDIDO = '10'",
                          "(NRPEDIDO = '10') OR (NRITEMPED IN ('1'))", "NRPEDIDO IN ()"})
    EXPECT_NE(refused(allocation({}), bad).find("Filtro de estoque inválido"), std::string::npos) << bad;
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM PEDIDO"), 4);

  // A position that would go below zero is reported, and nothing is staged:
  // the settlement that follows is refused for that order.
  db_->execute("DELETE FROM MOVESTAGIO");
  db_->execute("DELETE FROM RESERVAITEM");
  db_->execute("UPDATE POSESTOQUE SET QTESTOQUE = 1 WHERE NRLOTEESTQ = 'L1'");
  const std::string answer =
      movement_.AtualizaEstoque(*db_, s, "0001", "GERENTE", "Liquidação Manual",
                                allocation({{"0000000010", "1", "P1", "L1", 2}}), item1);
  EXPECT_EQ(element(answer, 1, "CDARVPROD;NRLOTEESTQ;QTESTOQUE;QTMOVIMENTO;QTFINAL"),
            "r Browse 1/1 BOF\n> 0101001 L1 1 -2 -1");
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM MOVESTAGIO"), 0);
  const std::string result = committed(*db_, [&] {
    return changes_.SetLiquidaItem(*db_, s, "GERENTE", items("0001", "0000000010", {{"S", "1", "1"}}),
                                   "0001");
  });
  EXPECT_EQ(element(result, 1, "DSERRO"),
            "r Browse 1/1 BOF\n> Movimento de estoque do item 1 ausente. Confirme novamente.");
  EXPECT_DOUBLE_EQ(stock("P1", "L1"), 1);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM PEDIDO WHERE NRPEDIDO = '0000000010' AND IDSITPEDIDO = '2'"), 2);
}

TEST_P(Settlement, UndoingASettlementRestoresThePreviousStatusAndNotTheStock) {
  const Session s = login("GERENTE");
  // Order 11: item 1 settled by hand without history, item 2 open.
  std::string result = committed(*db_, [&] {
    return changes_.SetDesfazLiq(*db_, s, items("0001", "0000000011", {{"S", "1", "6"}, {"S", "2", "7"}}),
                                 "GERENTE", "2");
  });
  EXPECT_EQ(element(result, 1, "DSERRO"),
            "r Browse 1/1 BOF\n> Histórico da liquidação do item 1 não encontrado.");
  // Order 2: its only item goes back to "2", so the order is in progress again.
  result = committed(*db_, [&] {
    return changes_.SetDesfazLiq(*db_, s, items("0001", "0000000002", {{"S", "1", "6"}}), "GERENTE", "2");
  });
  EXPECT_EQ(element(result, 0, "NRITEMPED;IDSITITEMPED;CDOPERADOR;CDJUSTEXCHIS"),
            "r Browse 1/1 BOF\n> 1 2 GERENTE 0002");
  EXPECT_EQ(element(result, 1), "null");
  EXPECT_EQ(db_->query("SELECT IDSITPEDIDO FROM PEDIDO WHERE NRPEDIDO = '0000000002'").text(0, "IDSITPEDIDO"),
            "2");
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM HISTLIQMAN WHERE IDOPERACAO = 'E' AND IDSITNOVA = '2'"), 1);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM MOVESTOQUE"), 0);
  result = committed(*db_, [&] {
    return changes_.SetDesfazLiq(*db_, s, items("0001", "0000000002", {{"S", "1", "6"}}), "GERENTE", "2");
  });
  EXPECT_EQ(element(result, 1, "IDJAFEITO;DSERROCOMPL"),
            "r Browse 1/1 BOF\n> S Pedido 0000000002 já teve a liquidação excluída por GERENTE em 07/12/2026 "
            "10:00.");

  for (const char* just : {"", "77"}) {
    try {
      committed(*db_, [&] {
        return changes_.SetDesfazLiq(*db_, s, items("0001", "0000000002", {{"S", "1", "2"}}), "GERENTE",
                                     just);
      });
      FAIL() << just;
    } catch (const ServiceError& e) {
      EXPECT_STREQ(e.what(), *just ? "Justificativa de exclusão do histórico não cadastrada."
                                   : "Justificativa deve ser informada.");
    }
  }
}

TEST_P(Settlement, AnOperatorTiedToHisSellerCannotChangeAnotherSellersOrder) {
  const Session tied = login("VEND1");
  const std::string result = committed(*db_, [&] {
    return changes_.SetLiquidaItem(*db_, tied, "VEND1", items("0001", "0000000011", {{"S", "2", "7"}}),
                                   "0001");
  });
  EXPECT_EQ(element(result, 1, "DSERRO"),
            "r Browse 1/1 BOF\n> Pedido 0000000011 não pertence ao vendedor do operador.");
  EXPECT_THROW(committed(*db_,
                         [&] {
                           return changes_.SetLiquidaItem(*db_, tied, "GERENTE",
                                                          items("0001", "0000000011", {}), "0001");
                         }),
               ServiceError);
}

TEST_P(Settlement, TwoSessionsOnOneOrderAtOnceExactlyOneWins) {
  for (int round = 0; round < 6; ++round) {
    db_->execute("UPDATE ITEMPEDIDO SET IDSITITEMPED = '2' WHERE CDFILIAL = '0003'");
    db_->execute("UPDATE PEDIDO SET IDSITPEDIDO = '2' WHERE CDFILIAL = '0003'");
    std::string answers[2];
    std::thread sessions[2];
    const char* operators[2] = {"GERENTE", "SEMVEND"};
    for (int i = 0; i < 2; ++i)
      sessions[i] = std::thread([&, i] {
        auto db = store_.open();
        const Session s = login(operators[i], db.get());
        answers[i] = committed(*db, [&] {
          return changes_.SetLiquidaPed(*db, s, orders({{"S", "2", "10", "0003"}}), operators[i], "0001");
        });
      });
    for (auto& t : sessions) t.join();
    int wins = 0;
    for (const std::string& a : answers) {
      const std::string errors = element(a, 1, "DSERRO");
      if (errors == "null") {
        ++wins;
      } else {
        EXPECT_TRUE(errors.find("Operação bloqueada. Pedido em alteração por outro usuário.") !=
                        std::string::npos ||
                    errors.find("já liquidado por SEMVEND em ") != std::string::npos ||
                    errors.find("já liquidado por GERENTE em ") != std::string::npos)
            << errors;
      }
    }
    EXPECT_EQ(wins, 1) << "rodada " << round;
    EXPECT_EQ(count("SELECT COUNT(*) AS N FROM HISTLIQMAN WHERE CDFILIAL = '0003'"), round + 1);
  }
}

// A row that can only fail is answered from one read, without taking the
// order (so even while another call holds it), and a packet larger than a
// screen sends is refused before anything is read.
TEST_P(Settlement, RowsThatCanOnlyFailCostOneReadAndPacketsAreBounded) {
  const Session s = login("GERENTE");
  auto holder = store_.open();
  std::optional<sql::Transaction> held;
  if (GetParam() == Backend::Postgres) {  // SQLite lets one writer in at a time anyway
    held.emplace(*holder, sql::TransactionMode::Write);
    holder->query(
        "SELECT NRPEDIDO FROM PEDIDO WHERE CDFILIAL = '0001' AND NRPEDIDO = '0000000010' FOR UPDATE");
  }
  const std::string stale = orders({{"S", "5", "0000000010", "0001"}, {"S", "2", "0000009999", "0001"}});
  const auto answer = [&] {
    if (held) return changes_.SetLiquidaPed(*db_, s, stale, "GERENTE", "1").json;
    return committed(*db_, [&] { return changes_.SetLiquidaPed(*db_, s, stale, "GERENTE", "1"); });
  };
  std::optional<sql::Transaction> tx;
  if (held) tx.emplace(*db_, sql::TransactionMode::Write);
  EXPECT_EQ(element(answer(), 1, "NRPEDIDO;DSERRO"),
            "r Browse 1/2 BOF\n> 0000000010 Esta operação não pode ser realizada. Atualize os dados.\n"
            "  0000009999 Pedido 0000009999 não encontrado.");
  tx.reset();
  held.reset();

  OrderChanges bounded{clock_, movement_, 1};
  try {
    committed(*db_, [&] { return bounded.SetLiquidaPed(*db_, s, stale, "GERENTE", "1"); });
    FAIL() << "pacote acima do limite aceito";
  } catch (const ServiceError& e) {
    EXPECT_STREQ(e.what(),
                 "O pacote de pedidos tem mais de 1 linhas, mais do que uma tela envia. Nada foi alterado.");
  }
}

}  // namespace
}  // namespace ped::server
