// The read methods over real SQLite and PostgreSQL databases.

#include "server/methods/order_queries.h"

#include <gtest/gtest.h>

#include "engine/data_set.h"
#include "server/methods/service_error.h"
#include "server/storage/migrations.h"
#include "server/support/packet_dump.h"
#include "server/support/seed_orders.h"
#include "support/test_database.h"

namespace ped::server {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;
namespace date_time = engine::date_time;

class OrderReads : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    PED_REQUIRE_DATABASE(store_);
    db_ = store_.open();
    seedOrders(*db_);
  }
  Session login(const char* op) { return *sessions_.resolve(*db_, sessions_.login(*db_, op, "senha")); }
  static OrderFilter everything(const char* branch) {
    return {.branch = branch,
            .orderStatuses = "3526",
            .allOrders = "T",
            .itemStatuses = "1234657",
            .allClients = "T",
            .allProducts = "T",
            .allSellers = "T",
            .allIssued = "T",
            .allDeliveries = "T",
            .priorities = "32140"};
  }
  TestDatabase store_{GetParam()};
  std::unique_ptr<sql::Connection> db_;
  engine::FixedClock clock_{date_time::fromCivil({2026, 12, 7, 10, 0})};
  Sessions sessions_{clock_};
  OrderQueries reads_;
};

INSTANTIATE_TEST_SUITE_P(Bancos, OrderReads, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(OrderReads, LogInOnlyWithTheRightPasswordAndSessionsEndWhenIdle) {
  for (const char* op : {"GERENTE", "NINGUEM", "INATIVO"}) {
    try {
      sessions_.login(*db_, op, op == std::string("GERENTE") ? "errada" : "senha");
      FAIL() << op;
    } catch (const ServiceError& e) {
      EXPECT_STREQ(e.what(), "Operador ou senha inválidos.");
    }
  }
  const std::string token = sessions_.login(*db_, "GERENTE", "senha");
  EXPECT_EQ(sessions_.resolve(*db_, token)->operatorCode, "GERENTE");
  EXPECT_FALSE(sessions_.resolve(*db_, std::string(64, '0')));
  clock_.set(clock_.now() + 7.0 / 24);  // seven idle hours: still alive, and touched
  ASSERT_TRUE(sessions_.resolve(*db_, token));
  clock_.set(clock_.now() + 9.0 / 24);
  EXPECT_FALSE(sessions_.resolve(*db_, token));
  EXPECT_EQ(db_->query("SELECT COUNT(*) AS N FROM SESSAO").integer(0, "N"), 0);
}

TEST_P(OrderReads, GetParamGivesTheParametersTheOperatorListAndHisSeller) {
  const std::string manager = reads_.GetParam(*db_, login("GERENTE"), "0001", "GERENTE");
  EXPECT_EQ(element(manager, 0), "r Browse 1/1 BOF\n> S N 2 N");
  EXPECT_EQ(element(manager, 1), "r Browse 1/1 BOF\n> GERENTE");
  EXPECT_EQ(element(manager, 2), "r Browse 0/0 BOF EOF");
  const std::string seller = reads_.GetParam(*db_, login("VEND1"), "0001", "VEND1");
  EXPECT_EQ(element(seller, 1), "r Browse 0/0 BOF EOF");
  EXPECT_EQ(element(seller, 2), "r Browse 1/1 BOF\n> 0001 João Silva 5 01 Tabela Varejo");

  const Session s = login("VEND1");
  EXPECT_THROW(reads_.GetParam(*db_, s, "0001", "GERENTE"), ServiceError);
  try {
    reads_.GetParam(*db_, s, "0009", "VEND1");
    FAIL();
  } catch (const ServiceError& e) {
    EXPECT_STREQ(e.what(), "Filial 0009 não cadastrada.");
  }
}

TEST_P(OrderReads, GetPedidosAppliesEveryRestrictionAndTheSellerTieAlways) {
  const Session manager = login("GERENTE");
  const std::string all = reads_.GetPedidos(*db_, manager, everything("0001"));
  EXPECT_EQ(element(all, 0), "r Browse 1/1 BOF\n> S S S S");
  EXPECT_EQ(element(all, 2, "IDCHECK;IDSITPEDIDO;NRPEDIDO;NMFANTCLIE;DTPEDIDO;CDVENDEDOR"),
            "r Browse 1/3 BOF\n"
            "> N 5 0000000002 Maria Souza 2026-11-20 0001\n"
            "  N 2 0000000010 Mercado Bom Preço 2026-12-01 0001\n"
            "  N 6 0000000011 Maria Souza 2026-12-07 0002");

  OrderFilter f = everything("0001");
  f.allOrders.clear();
  f.orderFrom = "2";  // widths brought to 10: 2 .. 10 as numbers, not as texts
  f.orderTo = "10";
  EXPECT_EQ(element(reads_.GetPedidos(*db_, manager, f), 2, "NRPEDIDO"),
            "r Browse 1/2 BOF\n> 0000000002\n  0000000010");

  f = everything("0001");
  f.allIssued.clear();
  f.issuedFrom = date_time::fromCivil({2026, 12, 1});
  f.issuedTo = date_time::fromCivil({2026, 12, 7});  // both days included
  f.orderStatuses = "26";
  EXPECT_EQ(element(reads_.GetPedidos(*db_, manager, f), 2, "NRPEDIDO"),
            "r Browse 1/2 BOF\n> 0000000010\n  0000000011");

  // Items: only orders holding an item of the wanted statuses and products;
  // GetItem then shows only those items.
  f = everything("0001");
  f.itemStatuses = "17";
  f.allProducts.clear();
  f.productList = "0101001";
  EXPECT_EQ(element(reads_.GetPedidos(*db_, manager, f), 2, "NRPEDIDO"),
            "r Browse 1/2 BOF\n> 0000000010\n  0000000011");
  EXPECT_EQ(
      packet(reads_.GetItem(*db_, manager, "0001", "10"), "NRITEMPED;IDSITITEMPED;CDARVPROD;VRDESITPED"),
      "r Browse 1/1 BOF\n> 1 1 0101001 1,239");
  EXPECT_EQ(packet(reads_.GetItSemFiltro(*db_, manager, "0001", "0000000010")),
            "r Browse 1/3 BOF\n> 1\n  3\n  5");
  // Many orders at once: what GetItem shows of each, in one packet (a
  // quote in a number is a number that matches nothing).
  const std::string numbers =
      R"({"fields":[{"name":"NRPEDIDO","type":"string","size":10}],"rows":[["11"],["10"],["2\""]]})";
  EXPECT_EQ(packet(reads_.GetItensPedidos(*db_, manager, "0001", numbers), "NRPEDIDO;NRITEMPED;QTITEMPED"),
            "r Browse 1/2 BOF\n> 0000000010 1 2\n  0000000011 2 1");

  // The operator tied to his seller sees his seller's orders, whatever he asks.
  const Session tied = login("VEND1");
  f = everything("0001");
  EXPECT_EQ(element(reads_.GetPedidos(*db_, tied, f), 2, "NRPEDIDO"),
            "r Browse 1/2 BOF\n> 0000000002\n  0000000010");
  f.allSellers.clear();
  f.sellerList = "0002";
  EXPECT_EQ(element(reads_.GetPedidos(*db_, tied, f), 2, "NRPEDIDO"),
            "r Browse 1/2 BOF\n> 0000000002\n  0000000010");
  EXPECT_EQ(packet(reads_.GetItem(*db_, tied, "0001", "0000000011")), "r Browse 0/0 BOF EOF");
  EXPECT_EQ(packet(reads_.GetItensPedidos(*db_, tied, "0001", numbers), "NRPEDIDO"),
            "r Browse 1/3 BOF\n> 0000000010\n  0000000010\n  0000000010");
  EXPECT_EQ(packet(reads_.GetNrPedido(*db_, tied, "0001", "0001", "VEND1"), "NRPEDIDO"),
            "r Browse 1/2 BOF\n> 0000000002\n  0000000010");
  EXPECT_EQ(element(reads_.GetPedidos(*db_, login("SEMVEND"), everything("0001")), 2),
            "r Browse 0/0 BOF EOF");
  // Where the branch does not tie operators, he sees them all.
  EXPECT_EQ(element(reads_.GetPedidos(*db_, tied, everything("0003")), 2, "NRPEDIDO"),
            "r Browse 1/1 BOF\n> 0000000010");
}

// Texts the session keeps are refused alike on both databases when longer
// than their columns; the session's restriction stays as it was.
TEST_P(OrderReads, TextsLongerThanTheirColumnsAreRefusedInPortuguese) {
  const Session manager = login("GERENTE");
  OrderFilter f = everything("0001");
  f.itemStatuses = "1234567123456712345671";
  f.allProducts.clear();
  f.productList = "0101001";
  EXPECT_THROW(reads_.GetPedidos(*db_, manager, f), ServiceError);
  f.itemStatuses = "17";
  f.productList = "0101001_012345678901234567890";
  try {
    reads_.GetPedidos(*db_, manager, f);
    FAIL() << "produto longo aceito";
  } catch (const ServiceError& e) {
    EXPECT_STREQ(e.what(), "O produto 01234567890123456789... da lista passa de 20 caracteres.");
  }
  EXPECT_EQ(db_->query("SELECT COUNT(*) AS N FROM SESSAOPRODUTO").integer(0, "N"), 0);
}

}  // namespace
}  // namespace ped::server
