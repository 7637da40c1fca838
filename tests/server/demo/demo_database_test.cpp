// The demo data as the server sees it, on real SQLite and PostgreSQL
// databases: statuses that agree, stock that covers its reservations, every
// case the screen has to show, and a filled database left alone.

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "engine/date_time.h"
#include "server/auth/password.h"
#include "server/demo/documents.h"
#include "server/demo/generator.h"
#include "server/demo/writer.h"
#include "server/support/demo_expectations.h"
#include "support/test_database.h"

namespace ped::server::demo {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;

class DemoDatabase : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    PED_REQUIRE_DATABASE(store_);
    db_ = store_.open();
    summary_ = writeDemoData(*db_, generateDemoData({.seed = 11, .orders = 600, .today = today_}), false);
  }
  std::int64_t count(const std::string& sql, const sql::Params& params = {}) {
    return db_->query(sql, params).integer(0, "N");
  }
  std::set<std::string> texts(const std::string& sql) {
    const sql::Result r = db_->query(sql);
    std::set<std::string> out;
    for (std::size_t i = 0; i < r.rowCount(); ++i) out.insert(std::string(r.text(i, r.layout[0].name)));
    return out;
  }
  const double today_ = engine::date_time::fromCivil({2026, 3, 15});
  const std::string todayIso_ = "2026-03-15";
  TestDatabase store_{GetParam()};
  std::unique_ptr<sql::Connection> db_;
  DemoSummary summary_;
};

INSTANTIATE_TEST_SUITE_P(Bancos, DemoDatabase, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(DemoDatabase, EveryOrderStatusAgreesWithItsItems) {
  const sql::Result r = db_->query(
      "SELECT P.CDFILIAL, P.NRPEDIDO, P.IDSITPEDIDO, I.NRITEMPED, I.IDSITITEMPED FROM PEDIDO P"
      " LEFT JOIN ITEMPEDIDO I ON I.CDFILIAL = P.CDFILIAL AND I.NRPEDIDO = P.NRPEDIDO"
      " ORDER BY P.CDFILIAL, P.NRPEDIDO, LENGTH(I.NRITEMPED), I.NRITEMPED");
  std::map<std::string, std::pair<char, std::vector<char>>> orders;
  for (std::size_t i = 0; i < r.rowCount(); ++i) {
    auto& [status, items] =
        orders[std::string(r.text(i, "CDFILIAL")) + "/" + std::string(r.text(i, "NRPEDIDO"))];
    status = r.text(i, "IDSITPEDIDO").front();
    if (r.isNull(i, "NRITEMPED")) continue;
    items.push_back(r.text(i, "IDSITITEMPED").front());
    EXPECT_EQ(r.text(i, "NRITEMPED"), std::to_string(items.size())) << "items are numbered 1, 2, 3...";
  }
  EXPECT_EQ(static_cast<std::int64_t>(orders.size()), summary_.orders);
  for (const auto& [order, statuses] : orders)
    EXPECT_EQ(orderStatusProblem(statuses.first, statuses.second), "") << order;

  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO WHERE VRDESITPED < 0 OR VRDESITPED >= QTITEMPED * "
                  "VRPREUNITPED"),
            0);
  EXPECT_GT(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO WHERE VRDESITPED > 0"), 0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO I JOIN PRODUTO P ON P.CDPRODUTO = I.CDPRODUTO"
                  " WHERE I.SGUNIDADE <> P.SGUNIDADE"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM PEDIDO WHERE DTENTPED <= DTPEDIDO OR DTPEDIDO > :HOJE",
                  {{"HOJE", todayIso_}}),
            0);
}

TEST_P(DemoDatabase, ManualSettlementsCarryTheirHistory) {
  EXPECT_GT(summary_.settlements, 0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO WHERE IDSITITEMPED = '6'"), summary_.settlements);
  // Each item settled by hand: who and why on the item, the same in one 'L' history row.
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO I JOIN HISTLIQMAN H ON H.CDFILIAL = I.CDFILIAL"
                  " AND H.NRPEDIDO = I.NRPEDIDO AND H.NRITEMPED = I.NRITEMPED"
                  " JOIN OPERADOR O ON O.CDOPERADOR = I.CDOPERADOR JOIN JUSTEXCHIS J ON J.CDJUSTEXCHIS = "
                  "I.CDJUSTEXCHIS"
                  " WHERE I.IDSITITEMPED = '6' AND H.IDOPERACAO = 'L' AND H.CDOPERADOR = I.CDOPERADOR"
                  " AND H.CDJUSTEXCHIS = I.CDJUSTEXCHIS AND H.IDSITNOVA = '6' AND H.IDSITANTERIOR IN ('1', "
                  "'2', '3', '7')"
                  " AND H.QTITEMPED = I.QTITEMPED"),
            summary_.settlements);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM HISTLIQMAN"), summary_.settlements);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO WHERE IDSITITEMPED <> '6'"
                  " AND (CDOPERADOR IS NOT NULL OR CDJUSTEXCHIS IS NOT NULL)"),
            0);
  // Settled no earlier than the order was placed, and not after today.
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM HISTLIQMAN H JOIN PEDIDO P ON P.CDFILIAL = H.CDFILIAL"
                  " AND P.NRPEDIDO = H.NRPEDIDO WHERE H.DTOPERACAO < P.DTPEDIDO OR H.DTOPERACAO >= :AMANHA",
                  {{"AMANHA", "2026-03-16"}}),
            0);
}

TEST_P(DemoDatabase, ReservationsNeverExceedTheStockOrTheOrder) {
  EXPECT_GT(summary_.reservations, 0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM POSESTOQUE S WHERE S.QTESTOQUE < (SELECT SUM(R.QTRESERVADA) FROM"
                  " RESERVAITEM R WHERE R.CDFILIAL = S.CDFILIAL AND R.CDPRODUTO = S.CDPRODUTO AND"
                  " R.CDALMOXARIFE = S.CDALMOXARIFE AND R.CDLOCALESTOQ = S.CDLOCALESTOQ AND"
                  " R.NRLOTEESTQ = S.NRLOTEESTQ AND R.NRSUBLOTE = S.NRSUBLOTE)"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO I WHERE I.QTITEMPED < (SELECT SUM(R.QTRESERVADA) FROM"
                  " RESERVAITEM R WHERE R.CDFILIAL = I.CDFILIAL AND R.NRPEDIDO = I.NRPEDIDO AND"
                  " R.NRITEMPED = I.NRITEMPED)"),
            0);
  // Only open items of their own product, on branches that keep warehouses, on lots still valid.
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM RESERVAITEM R JOIN ITEMPEDIDO I ON I.CDFILIAL = R.CDFILIAL"
                  " AND I.NRPEDIDO = R.NRPEDIDO AND I.NRITEMPED = R.NRITEMPED JOIN PARAMFILIAL F ON"
                  " F.CDFILIAL = R.CDFILIAL WHERE I.IDSITITEMPED IN ('1', '2', '3', '7') AND"
                  " I.CDPRODUTO = R.CDPRODUTO AND F.IDUTILALMOX = 'S'"),
            summary_.reservations);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM RESERVAITEM R JOIN LOTE L ON L.CDPRODUTO = R.CDPRODUTO AND"
                  " L.NRLOTEESTQ = R.NRLOTEESTQ WHERE L.DTVALILOTE < :HOJE",
                  {{"HOJE", todayIso_}}),
            0);
  // Reserved in full, in part, and over two positions.
  const char* perItem =
      "SELECT COUNT(*) AS N FROM ITEMPEDIDO I JOIN (SELECT CDFILIAL, NRPEDIDO, NRITEMPED, SUM(QTRESERVADA) "
      "AS Q,"
      " COUNT(*) AS K FROM RESERVAITEM GROUP BY CDFILIAL, NRPEDIDO, NRITEMPED) R ON R.CDFILIAL = I.CDFILIAL "
      "AND"
      " R.NRPEDIDO = I.NRPEDIDO AND R.NRITEMPED = I.NRITEMPED WHERE ";
  EXPECT_GT(count(std::string(perItem) + "R.Q = I.QTITEMPED"), 0);
  EXPECT_GT(count(std::string(perItem) + "R.Q < I.QTITEMPED"), 0);
  EXPECT_GT(count(std::string(perItem) + "R.K = 2"), 0);
}

TEST_P(DemoDatabase, EveryCaseTheScreenShowsIsThere) {
  const std::set<std::string> all = {"0001", "0002", "0003"};
  EXPECT_EQ(texts("SELECT CDFILIAL FROM PARAMFILIAL WHERE IDUTILALMOX = 'S' AND IDUTILLCESTQ = 'S' AND"
                  " IDUTILLOTE = 'S' AND IDCTRLESTQ = 'S'"),
            std::set<std::string>{"0001"});
  EXPECT_EQ(texts("SELECT CDFILIAL FROM PARAMFILIAL WHERE IDUTILALMOX = 'S' AND IDUTILLCESTQ = 'N' AND"
                  " IDUTILLOTE = 'N' AND IDCTRLESTQ = 'N'"),
            std::set<std::string>{"0002"});
  EXPECT_EQ(texts("SELECT CDFILIAL FROM PARAMFILIAL WHERE IDUTILALMOX = 'N' AND IDUTILLCESTQ = 'N' AND"
                  " IDUTILLOTE = 'N' AND IDCTRLESTQ = 'N'"),
            std::set<std::string>{"0003"});
  EXPECT_EQ(texts("SELECT CDFILIAL FROM PARAMPEDIDO WHERE IDEVOLESTLIQMAN = 'S'"),
            (std::set<std::string>{"0001", "0002"}));
  EXPECT_EQ(texts("SELECT CDFILIAL FROM PARAMPEDIDO WHERE IDEXIBPEDIDO = '2'"),
            std::set<std::string>{"0001"});
  EXPECT_EQ(texts("SELECT CDFILIAL FROM PARAMPEDIDO WHERE IDEXIBPEDIDO = '1'"),
            (std::set<std::string>{"0002", "0003"}));

  // Stock keys as deep as each branch keeps them.
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM POSESTOQUE WHERE CDFILIAL = '0001' AND (CDALMOXARIFE = '' OR"
                  " CDLOCALESTOQ = '' OR NRLOTEESTQ = '' OR NRSUBLOTE = '')"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM POSESTOQUE WHERE CDFILIAL = '0002' AND (CDALMOXARIFE = '' OR"
                  " CDLOCALESTOQ <> '' OR NRLOTEESTQ <> '' OR NRSUBLOTE <> '')"),
            0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM POSESTOQUE WHERE CDFILIAL = '0003' AND (CDALMOXARIFE <> '' OR"
                  " CDLOCALESTOQ <> '' OR NRLOTEESTQ <> '' OR NRSUBLOTE <> '')"),
            0);
  EXPECT_GT(count("SELECT COUNT(*) AS N FROM POSESTOQUE WHERE QTESTOQUE <= 2"), 0)
      << "nearly empty positions";

  // Lots on the stock of branch 0001: expired, expiring today, still valid.
  const char* lots =
      "SELECT COUNT(*) AS N FROM LOTE L JOIN POSESTOQUE S ON S.CDPRODUTO = L.CDPRODUTO AND"
      " S.NRLOTEESTQ = L.NRLOTEESTQ WHERE S.CDFILIAL = '0001' AND S.QTESTOQUE > 0 AND L.DTVALILOTE ";
  EXPECT_GT(count(std::string(lots) + "< :HOJE", {{"HOJE", todayIso_}}), 0);
  EXPECT_GT(count(std::string(lots) + "= :HOJE", {{"HOJE", todayIso_}}), 0);
  EXPECT_GT(count(std::string(lots) + "> :HOJE", {{"HOJE", todayIso_}}), 0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM LOTE WHERE DTENTRLOTE > DTVALILOTE OR DTENTRLOTE > :HOJE",
                  {{"HOJE", todayIso_}}),
            0);

  // Every order status on every branch, every item status, every priority.
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM (SELECT DISTINCT CDFILIAL, IDSITPEDIDO FROM PEDIDO) T"), 12);
  EXPECT_EQ(texts("SELECT DISTINCT IDSITITEMPED FROM ITEMPEDIDO"),
            (std::set<std::string>{"1", "2", "3", "4", "5", "6", "7"}));
  EXPECT_EQ(texts("SELECT DISTINCT IDPRIORIDADE FROM PEDIDO"),
            (std::set<std::string>{"0", "1", "2", "3", "4"}));
  // What the seller's own operator sees on the branch that ties him to it, in the default 7 days.
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM (SELECT DISTINCT IDSITPEDIDO FROM PEDIDO WHERE CDFILIAL = '0001'"
                  " AND CDVENDEDOR = '0001' AND DTPEDIDO > :SEMANA) T",
                  {{"SEMANA", "2026-03-08"}}),
            4);

  // The operators: two that see every seller, one tied to a seller, one with neither.
  EXPECT_EQ(texts("SELECT DISTINCT CDOPERADOR FROM OPERTPED"), (std::set<std::string>{"ADMIN", "GERENTE"}));
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM OPERTPED"), 6);
  EXPECT_EQ(texts("SELECT CDOPERADOR FROM OPERADOR WHERE CDVENDEDOR IS NULL"),
            (std::set<std::string>{"ADMIN", "GERENTE", "SEMVEND"}));
  EXPECT_EQ(texts("SELECT CDOPERADOR FROM OPERADOR WHERE CDVENDEDOR = '0001'"),
            std::set<std::string>{"VENDEDOR1"});
  const sql::Result ops = db_->query("SELECT CDOPERADOR, DSSENHAHASH FROM OPERADOR");
  const std::map<std::string, std::string> passwords = {{"ADMIN", "admin123"},
                                                        {"GERENTE", "gerente123"},
                                                        {"SEMVEND", "semvend123"},
                                                        {"VENDEDOR1", "vendedor123"}};
  ASSERT_EQ(ops.rowCount(), passwords.size());
  for (std::size_t i = 0; i < ops.rowCount(); ++i) {
    const std::string op(ops.text(i, "CDOPERADOR"));
    const std::string hash(ops.text(i, "DSSENHAHASH"));
    EXPECT_TRUE(auth::verifyPassword(passwords.at(op), hash)) << op;
    EXPECT_FALSE(auth::verifyPassword("errada", hash)) << op;
  }
}

TEST_P(DemoDatabase, TextsFitTheirColumnsAndDocumentsAreValid) {
  // Declared sizes from the catalog; lengths in characters on both databases.
  const bool sqlite = db_->dialect() == sql::Dialect::Sqlite;
  int checked = 0;
  for (const std::string& table : demoTables()) {
    const sql::Result columns =
        sqlite ? db_->query("SELECT name AS COLUNA, type AS TIPO, 0 AS TAMANHO FROM pragma_table_info(:T)",
                            {{"T", table}})
               : db_->query(
                     "SELECT upper(column_name) AS COLUNA, data_type AS TIPO, character_maximum_length AS"
                     " TAMANHO FROM information_schema.columns WHERE table_schema = current_schema() AND"
                     " table_name = lower(:T)",
                     {{"T", table}});
    for (std::size_t c = 0; c < columns.rowCount(); ++c) {
      const std::string column(columns.text(c, "COLUNA"));
      const std::string type(columns.text(c, "TIPO"));
      std::int64_t size = columns.integer(c, "TAMANHO");
      if (sqlite && type.starts_with("VARCHAR(")) size = std::stoll(type.substr(8));
      if (size <= 0) continue;
      const std::int64_t longest =
          count(std::string("SELECT COALESCE(MAX(LENGTH(") + column + ")), 0) AS N FROM " + table);
      EXPECT_LE(longest, size) << table << "." << column;
      ++checked;
    }
  }
  EXPECT_GT(checked, 80);
  const sql::Result clients = db_->query("SELECT IDTPIJURCLIE, NRINSJURCLIE FROM CLIENTE");
  ASSERT_EQ(static_cast<std::int64_t>(clients.rowCount()), summary_.clients);
  for (std::size_t i = 0; i < clients.rowCount(); ++i) {
    const std::string_view document = clients.text(i, "NRINSJURCLIE");
    if (clients.text(i, "IDTPIJURCLIE") == "F")
      EXPECT_TRUE(isValidCpf(document)) << document;
    else
      EXPECT_TRUE(isValidCnpj(document)) << document;
  }
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM CLIENTE C WHERE NOT EXISTS (SELECT 1 FROM ENDECLIE E WHERE"
                  " E.CDCLIENTE = C.CDCLIENTE AND E.IDTPENDECLIE = 'P')"),
            0);
  EXPECT_GT(count("SELECT COUNT(*) AS N FROM ENDECLIE WHERE IDTPENDECLIE = 'E'"), 0);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM PEDIDO WHERE LENGTH(NRPEDIDO) <> 10"), 0);
}

TEST_P(DemoDatabase, AFilledDatabaseIsLeftAloneUnlessReplaced) {
  const DemoData other = generateDemoData({.seed = 12, .orders = 20, .today = today_});
  try {
    writeDemoData(*db_, other, false);
    FAIL() << "a filled database was written over";
  } catch (const DemoError& e) {
    EXPECT_NE(std::string(e.what()).find("--force"), std::string::npos) << e.what();
  }
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM PEDIDO"), summary_.orders);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM CLIENTE"), summary_.clients);

  const DemoSummary replaced = writeDemoData(*db_, other, true);
  EXPECT_EQ(replaced.orders, 20);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM PEDIDO"), 20);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM ITEMPEDIDO"), replaced.items);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM RESERVAITEM"), replaced.reservations);
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM OPERADOR"), 4);

  // Data of one's own, even without orders, is not mixed with the demo's.
  db_->executeScript(
      "DELETE FROM HISTLIQMAN; DELETE FROM RESERVAITEM; DELETE FROM ITEMPEDIDO; DELETE FROM PEDIDO;");
  try {
    writeDemoData(*db_, other, false);
    FAIL() << "existing registers were mixed with demo data";
  } catch (const DemoError& e) {
    EXPECT_NE(std::string(e.what()).find("FILIAL"), std::string::npos) << e.what();
  }
  EXPECT_EQ(count("SELECT COUNT(*) AS N FROM PEDIDO"), 0);
}

}  // namespace
}  // namespace ped::server::demo
