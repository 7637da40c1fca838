// Look-up queries with named parameters on real SQLite and PostgreSQL databases.

#include "hostlib/database.h"

#include <gtest/gtest.h>

#include "engine/error.h"
#include "support/test_database.h"

namespace ped::hostlib {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;

class Lookups : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    PED_REQUIRE_DATABASE(store_);
    store_.open()->executeScript(
        "CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) PRIMARY KEY, NMFILIAL VARCHAR(40), DTINCLUSAO TIMESTAMP,"
        " VRLIMITE DOUBLE PRECISION, NRLOJAS INTEGER);"
        "INSERT INTO FILIAL VALUES ('0001', 'Matriz São Paulo', '2020-01-15', 1500.5, 3);"
        "INSERT INTO FILIAL VALUES ('0002', 'Filial O''Brien', NULL, NULL, 1);"
        "INSERT INTO FILIAL VALUES ('0003', 'Filial Sul', '2024-06-30 08:15:00', 10, 0);");
    db_ = std::make_unique<SqlDatabase>(store_.target());
  }
  TestDatabase store_{GetParam()};
  std::unique_ptr<SqlDatabase> db_;
};

INSTANTIATE_TEST_SUITE_P(Bancos, Lookups, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(Lookups, NamedParametersAreBoundNeverSpliced) {
  TADOIBQuery qry(*db_, "qryPesqFilial");
  qry.setSQL("SELECT CDFILIAL, NMFILIAL FROM FILIAL WHERE NMFILIAL = :P_NOME OR CDFILIAL = :p_cdfilial");
  qry.setParam("P_NOME", "Filial O'Brien");
  qry.setParam("P_CDFILIAL", "' OR 1=1 --");
  qry.Open();
  EXPECT_EQ(qry.rows().dump(), "qryPesqFilial Browse 1/1 BOF\n> 0002 Filial O'Brien");

  qry.setParam("P_NOME", nullptr);
  qry.setParam("P_CDFILIAL", "0003");
  qry.Open();
  EXPECT_EQ(qry.rows().dump("NMFILIAL"), "qryPesqFilial Browse 1/1 BOF\n> Filial Sul");
}

TEST_P(Lookups, ADataSetWithoutFieldsTakesTheColumnsTypesAndSizes) {
  engine::DataSet ds("qry");
  int opened = 0;
  ds.events.afterOpen = [&](engine::DataSet&) { ++opened; };
  db_->query("SELECT f.*, NMFILIAL || '!' AS NOME, COUNT(*) OVER () AS TOTAL FROM FILIAL f ORDER BY CDFILIAL",
             {}, ds);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(ds.recordCount(), 3u);
  EXPECT_EQ(ds.field("CDFILIAL").size(), 4);
  EXPECT_EQ(ds.field("NMFILIAL").size(), 40);
  EXPECT_EQ(ds.field("DTINCLUSAO").type(), engine::FieldType::DateTime);
  EXPECT_EQ(ds.field("VRLIMITE").type(), engine::FieldType::Float);
  EXPECT_EQ(ds.field("NRLOJAS").type(), engine::FieldType::Integer);
  EXPECT_EQ(ds.field("NOME").size(), 17);  // no declared size: the longest value
  EXPECT_EQ(ds.field("TOTAL").type(), engine::FieldType::Integer);
  EXPECT_EQ(ds.dump("CDFILIAL;DTINCLUSAO;VRLIMITE;NOME"),
            "qry Browse 1/3 BOF\n"
            "> 0001 2020-01-15 1500,5 Matriz São Paulo!\n"
            "  0002 null null Filial O'Brien!\n"
            "  0003 2024-06-30T08:15:00 10 Filial Sul!");
}

TEST_P(Lookups, ADataSetWithFieldsTakesTheColumnsOfItsNames) {
  engine::DataSet ds("qryFilial");
  ds.addField({.name = "NMFILIAL", .size = 6});
  ds.addField({.name = "cdfilial", .size = 4});
  db_->query("SELECT * FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL", {{"P_CDFILIAL", "0001"}}, ds);
  EXPECT_EQ(ds.dump(), "qryFilial Browse 1/1 BOF\n> Matriz 0001");  // cut to the field's size

  engine::DataSet wrong("qryErrado");
  wrong.addField({.name = "NMCLIENTE", .size = 40});
  EXPECT_THROW(db_->query("SELECT * FROM FILIAL", {}, wrong), DatabaseError);
}

TEST_P(Lookups, FailedQueriesAreErrorsAndLeaveTheDataSetAsItWas) {
  engine::DataSet ds("qry");
  db_->query("SELECT CDFILIAL FROM FILIAL", {}, ds);
  const std::string before = ds.dump();
  for (const char* bad :
       {"SELEC CDFILIAL FROM FILIAL", "SELECT X FROM NADA", "SELECT * FROM FILIAL WHERE CDFILIAL = ?",
        "SELECT * FROM FILIAL WHERE CDFILIAL = :P_FALTA", "DELETE FROM FILIAL", ""}) {
    try {
      db_->query(bad, {}, ds);
      ADD_FAILURE() << "accepted: " << bad;
    } catch (const DatabaseError& e) {
      EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_EQ(ds.dump(), before) << bad;
  }
  EXPECT_THROW(SqlDatabase("/nao-existe/x.db"), DatabaseError);
}

TEST_P(Lookups, TheProductQueryOfABranchListsWhatItsOrdersHoldAndRunsBeforeOpen) {
  store_.open()->executeScript(
      "CREATE TABLE PRODUTO (CDPRODUTO VARCHAR(10) PRIMARY KEY, CDARVPROD VARCHAR(20), NMPRODUTO "
      "VARCHAR(50));"
      "CREATE TABLE ITEMPEDIDO (CDFILIAL VARCHAR(4), NRPEDIDO VARCHAR(10), CDPRODUTO VARCHAR(10));"
      "INSERT INTO PRODUTO VALUES ('P1', '0102003', 'Parafuso'), ('P2', '0101001', 'Arruela'),"
      " ('P3', '0201001', 'Cola');"
      "INSERT INTO ITEMPEDIDO VALUES ('0001', '1', 'P1'), ('0001', '2', 'P2'), ('0001', '3', 'P2'),"
      " ('0002', '4', 'P3');");
  TADOIBQuery qry(*db_, "qryProduto");
  qry.setSQL("SELECT CDARVPROD, NMPRODUTO FROM PRODUTO ORDER BY CDARVPROD");
  std::vector<std::string> seen;
  qry.beforeOpen = [&](TADOIBQuery& q) {
    seen.push_back(q.hasParam("P_CDFILIAL") ? "com filial" : "sem parâmetros");
    if (q.hasParam("P_CDFILIAL")) q.setParam("P_CDFILIAL", "0001");  // the screen's own branch wins
  };
  qry.Open();
  EXPECT_EQ(qry.rows().recordCount(), 3u);

  EXPECT_EQ(SQL_Pesquisa_Produto("0002", "", qry, true), "Produtos com pedidos na filial 0002");
  EXPECT_EQ(seen, (std::vector<std::string>{"sem parâmetros", "com filial"}));
  EXPECT_EQ(qry.paramNames(), std::vector<std::string>{"P_CDFILIAL"});
  EXPECT_EQ(qry.rows().dump(), "qryProduto Browse 1/2 BOF\n> 0101001 Arruela\n  0102003 Parafuso");

  SQL_Pesquisa_Produto("0002", "", qry, false);
  EXPECT_FALSE(qry.active());
}

}  // namespace
}  // namespace ped::hostlib
