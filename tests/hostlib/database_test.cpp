// Look-up queries with named parameters on a real SQLite file.

#include "hostlib/database.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <random>

#include "engine/error.h"

namespace ped::hostlib {
namespace {

namespace fs = std::filesystem;

class SqliteLookups : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = fs::temp_directory_path() / ("ped-lookups-" + std::to_string(std::random_device{}()) + ".db");
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path_.c_str(), &db), SQLITE_OK);
    const char* ddl =
        "CREATE TABLE FILIAL (CDFILIAL VARCHAR(4) PRIMARY KEY, NMFILIAL VARCHAR(40), DTINCLUSAO DATE,"
        " VRLIMITE REAL, NRLOJAS INTEGER);"
        "INSERT INTO FILIAL VALUES ('0001', 'Matriz São Paulo', '2020-01-15', 1500.5, 3);"
        "INSERT INTO FILIAL VALUES ('0002', 'Filial O''Brien', NULL, NULL, 1);"
        "INSERT INTO FILIAL VALUES ('0003', 'Filial Sul', '2024-06-30 08:15:00', 10, 0);";
    ASSERT_EQ(sqlite3_exec(db, ddl, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
    db_ = std::make_unique<SqliteDatabase>(path_.string());
  }
  void TearDown() override {
    db_.reset();
    fs::remove(path_);
  }
  fs::path path_;
  std::unique_ptr<SqliteDatabase> db_;
};

TEST_F(SqliteLookups, NamedParametersAreBoundNeverSpliced) {
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

TEST_F(SqliteLookups, ADataSetWithoutFieldsTakesTheColumnsTypesAndSizes) {
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

TEST_F(SqliteLookups, ADataSetWithFieldsTakesTheColumnsOfItsNames) {
  engine::DataSet ds("qryFilial");
  ds.addField({.name = "NMFILIAL", .size = 6});
  ds.addField({.name = "cdfilial", .size = 4});
  db_->query("SELECT * FROM FILIAL WHERE CDFILIAL = :P_CDFILIAL", {{"P_CDFILIAL", "0001"}}, ds);
  EXPECT_EQ(ds.dump(), "qryFilial Browse 1/1 BOF\n> Matriz 0001");  // cut to the field's size

  engine::DataSet wrong("qryErrado");
  wrong.addField({.name = "NMCLIENTE", .size = 40});
  EXPECT_THROW(db_->query("SELECT * FROM FILIAL", {}, wrong), DatabaseError);
}

TEST_F(SqliteLookups, FailedQueriesAreErrorsAndLeaveTheDataSetAsItWas) {
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
  EXPECT_THROW(SqliteDatabase((path_.parent_path() / "nao-existe" / "x.db").string()), DatabaseError);
}

}  // namespace
}  // namespace ped::hostlib
