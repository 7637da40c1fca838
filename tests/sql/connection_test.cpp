// The data-access layer on real SQLite and PostgreSQL databases: the same SQL
// text must behave the same on both.

#include "sql/connection.h"

#include <gtest/gtest.h>

#include <numeric>
#include <optional>
#include <thread>

#include "engine/date_time.h"
#include "sql/timestamp_text.h"
#include "support/test_database.h"

namespace ped::sql {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;

class Connections : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override {
    PED_REQUIRE_DATABASE(store_);
    db_ = store_.open();
    db_->executeScript(
        "CREATE TABLE ESTOQUE (CDPRODUTO VARCHAR(10) PRIMARY KEY, QTESTOQUE DOUBLE PRECISION NOT NULL,"
        " DTVALIDADE DATE, NRVERSAO INTEGER NOT NULL DEFAULT 0);"
        "INSERT INTO ESTOQUE VALUES ('P1', 10, '2026-12-31', 0);");
  }
  double stock(Connection& db, const char* product) {
    return db.query("SELECT QTESTOQUE FROM ESTOQUE WHERE CDPRODUTO = :P", {{"P", product}})
        .number(0, "QTESTOQUE");
  }
  TestDatabase store_{GetParam()};
  std::unique_ptr<Connection> db_;
};

INSTANTIATE_TEST_SUITE_P(Bancos, Connections, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(Connections, RowsComeBackTypedWithUpperCaseNames) {
  const Result r = db_->query(
      "SELECT cdproduto, QTESTOQUE, DTVALIDADE, NRVERSAO, COUNT(*) OVER () AS total FROM ESTOQUE WHERE "
      "DTVALIDADE >= :HOJE",
      {{"HOJE", "2026-12-07"}});
  ASSERT_EQ(r.rowCount(), 1u);
  EXPECT_EQ(r.layout[0].name, "CDPRODUTO");
  EXPECT_EQ(r.layout[4].name, "TOTAL");
  EXPECT_EQ(r.layout[0].size, 10);
  EXPECT_EQ(r.text(0, "CDPRODUTO"), "P1");
  EXPECT_EQ(r.layout[2].type, engine::FieldType::DateTime);
  EXPECT_EQ(r.layout[4].type, engine::FieldType::Integer);
  EXPECT_EQ(r.integer(0, "TOTAL"), 1);
  EXPECT_DOUBLE_EQ(r.number(0, "QTESTOQUE"), 10);
  EXPECT_EQ(db_->query("SELECT * FROM ESTOQUE WHERE DTVALIDADE < :HOJE", {{"HOJE", "2026-12-07"}}).rowCount(),
            0u);
}

TEST_P(Connections, ATransactionLeftWithoutCommitChangesNothing) {
  try {
    Transaction tx(*db_, TransactionMode::Write);
    EXPECT_EQ(
        db_->execute("UPDATE ESTOQUE SET QTESTOQUE = QTESTOQUE - :Q WHERE CDPRODUTO = 'P1'", {{"Q", 4.5}}),
        1);
    db_->execute("INSERT INTO ESTOQUE (CDPRODUTO, QTESTOQUE) VALUES ('P1', 1)");  // duplicate key
    tx.commit();
    FAIL() << "duplicate key accepted";
  } catch (const SqlError& e) {
    EXPECT_EQ(e.kind(), SqlError::Kind::Conflict) << e.what();
  }
  EXPECT_DOUBLE_EQ(stock(*db_, "P1"), 10);

  {
    Transaction tx(*db_, TransactionMode::Write);
    db_->execute("UPDATE ESTOQUE SET QTESTOQUE = 7.25 WHERE CDPRODUTO = 'P1'");
    tx.commit();
  }
  EXPECT_DOUBLE_EQ(stock(*store_.open(), "P1"), 7.25);
}

// On SQLite a second writer of this process waits for its turn at the
// file's gate, not for SQLite's own lock.
TEST_P(Connections, ASecondWriterWaitsThenGivesUpWithBusy) {
  OpenOptions quick;
  quick.busyTimeoutMs = 200;
  quick.writeWaitMs = 200;
  auto other = sql::open(store_.target(), quick);
  Transaction holder(*db_, TransactionMode::Write);
  db_->execute("UPDATE ESTOQUE SET QTESTOQUE = 1 WHERE CDPRODUTO = 'P1'");
  try {
    Transaction tx(*other, TransactionMode::Write);
    other->execute("UPDATE ESTOQUE SET QTESTOQUE = 2 WHERE CDPRODUTO = 'P1'");
    tx.commit();
    FAIL() << "second writer got through";
  } catch (const SqlError& e) {
    EXPECT_EQ(e.kind(), GetParam() == Backend::Sqlite ? SqlError::Kind::WriteTurn : SqlError::Kind::Busy)
        << e.what();
  }
  holder.commit();
  EXPECT_DOUBLE_EQ(stock(*other, "P1"), 1);
}

TEST_P(Connections, AStatementPastItsTimeLimitIsStoppedAndTheConnectionGoesOn) {
  OpenOptions limited;
  limited.statementTimeoutMs = 100;
  auto db = sql::open(store_.target(), limited);
  const char* slow =
      GetParam() == Backend::Sqlite
          ? "WITH RECURSIVE C(X) AS (SELECT 1 UNION ALL SELECT X + 1 FROM C) SELECT COUNT(*) FROM C"
          : "SELECT pg_sleep(5)";
  try {
    db->query(slow);
    FAIL() << "no time limit";
  } catch (const SqlError& e) {
    EXPECT_EQ(e.kind(), SqlError::Kind::Busy) << e.what();
  }
  EXPECT_DOUBLE_EQ(stock(*db, "P1"), 10);
}

// A stopping server cancels its calls: the running statement ends at once,
// its transaction rolls back, and no later statement runs.
TEST_P(Connections, AnInterruptedConnectionCancelsTheRunningStatementAndEveryLaterOne) {
  const char* endless =
      GetParam() == Backend::Sqlite
          ? "WITH RECURSIVE C(X) AS (SELECT 1 UNION ALL SELECT X + 1 FROM C) SELECT COUNT(*) FROM C"
          : "SELECT pg_sleep(60)";
  std::optional<SqlError::Kind> failure;
  std::thread call([&] {
    try {
      Transaction tx(*db_, TransactionMode::Write);
      db_->execute("UPDATE ESTOQUE SET QTESTOQUE = 0 WHERE CDPRODUTO = 'P1'");
      db_->query(endless);
      tx.commit();
    } catch (const SqlError& e) {
      failure = e.kind();
    }
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  db_->interrupt();
  call.join();  // hangs here if the statement was not cancelled
  EXPECT_EQ(failure, SqlError::Kind::Cancelled);
  EXPECT_THROW(db_->query("SELECT 1 AS X"), SqlError);
  EXPECT_DOUBLE_EQ(stock(*store_.open(), "P1"), 10) << "the transaction rolled back";
}

// Rows written straight into a packet are the packet of the same rows read
// into a table: sizes cut, nulls, dates, escapes and order included.
TEST_P(Connections, RowsStreamedIntoAPacketAreThePacketOfTheTable) {
  db_->executeScript(
      "INSERT INTO ESTOQUE VALUES ('P2', 2.5, NULL, 1), ('Ação \"x\"', 0.1, '2024-02-29', 7),"
      " ('ABCDEFGHIJ', 1e-9, '2026-01-01', 0)");
  const Layout layout = {{.name = "NRVERSAO", .type = engine::FieldType::Integer},
                         {.name = "CDPRODUTO", .size = 4},
                         {.name = "EXTRA", .calculated = true},
                         {.name = "DTVALIDADE", .type = engine::FieldType::DateTime},
                         {.name = "QTESTOQUE", .type = engine::FieldType::Float}};
  const char* sql = "SELECT * FROM ESTOQUE WHERE QTESTOQUE > :MIN ORDER BY CDPRODUTO";
  const Result rows = db_->query(sql, {{"MIN", 0.0}}, layout);
  std::vector<engine::RowId> order(rows.rowCount());
  std::iota(order.begin(), order.end(), engine::RowId{0});
  const PacketRows streamed = db_->queryPacket(sql, {{"MIN", 0.0}}, layout);
  EXPECT_EQ(streamed.rows, 4u);
  EXPECT_EQ(streamed.json, engine::encodePacket(rows.layout, rows.table, order));
  EXPECT_NE(streamed.json.find(R"("Ação")"), std::string::npos) << streamed.json;  // cut to 4 characters
  // Columns in the layout's own order take the direct road; same packet.
  const Layout inOrder = {{.name = "CDPRODUTO", .size = 4},
                          {.name = "QTESTOQUE", .type = engine::FieldType::Float},
                          {.name = "DTVALIDADE", .type = engine::FieldType::DateTime},
                          {.name = "NRVERSAO", .type = engine::FieldType::Integer}};
  const char* ordered = "SELECT CDPRODUTO, QTESTOQUE, DTVALIDADE, NRVERSAO FROM ESTOQUE ORDER BY CDPRODUTO";
  const Result table = db_->query(ordered, {}, inOrder);
  std::vector<engine::RowId> all(table.rowCount());
  std::iota(all.begin(), all.end(), engine::RowId{0});
  EXPECT_EQ(db_->queryPacket(ordered, {}, inOrder).json,
            engine::encodePacket(table.layout, table.table, all));

  EXPECT_EQ(
      db_->queryPacket(sql, {{"MIN", 100.0}}, layout).json,
      R"({"fields":[{"name":"NRVERSAO","type":"integer"},{"name":"CDPRODUTO","type":"string","size":4},)"
      R"({"name":"DTVALIDADE","type":"datetime"},{"name":"QTESTOQUE","type":"float"}],"rows":[]})");
}

// PostgreSQL prints fractions without their trailing zeros and adds the zone
// of a "with time zone" value; every form reads back as the time written.
TEST_P(Connections, TimesReadBackWhateverFormTheDatabasePrintsThem) {
  db_->executeScript("CREATE TABLE MARCA (NRMARCA INTEGER PRIMARY KEY, DTMARCA TIMESTAMP NOT NULL)");
  const char* written[] = {"2026-12-07 10:30:54.22", "2026-12-07 10:30:54.7",
                           "2026-12-07 10:30:54",    "2026-12-07 10:30:54.123456",
                           "2026-12-07 00:00:00",    "2026-12-07 10:30:54.999999"};
  for (std::int64_t i = 0; i < 6; ++i)
    db_->execute("INSERT INTO MARCA VALUES (:N, :D)", {{"N", i}, {"D", written[i]}});
  const Result r = db_->query("SELECT DTMARCA FROM MARCA ORDER BY NRMARCA");
  ASSERT_EQ(r.rowCount(), 6u);
  const char* expected[] = {"2026-12-07T10:30:54.220",
                            "2026-12-07T10:30:54.700",
                            "2026-12-07T10:30:54",
                            "2026-12-07T10:30:54.123",
                            "2026-12-07",
                            "2026-12-07T10:30:54.999"};
  for (std::size_t i = 0; i < 6; ++i)
    EXPECT_EQ(engine::date_time::toIso(r.number(i, "DTMARCA")), expected[i]) << written[i];
  if (GetParam() == Backend::Postgres) {
    const Result z = db_->query("SELECT CAST('2026-12-07 10:30:54.5+00' AS TIMESTAMPTZ) AS DTZONA");
    EXPECT_EQ(engine::date_time::toIso(z.number(0, "DTZONA")), "2026-12-07T10:30:54.500");
  }
}

TEST(TimestampText, EveryPrintedFormReadsAndNothingElse) {
  const double at = engine::date_time::fromCivil({2026, 12, 7, 10, 30, 54, 220});
  for (const char* text :
       {"2026-12-07 10:30:54.22", "2026-12-07T10:30:54.220", "2026-12-07 10:30:54.22+00",
        "2026-12-07 10:30:54.2209-03:30", "2026-12-07 10:30:54.22Z", "2026-12-07 10:30:54.220+0530"})
    EXPECT_EQ(readTimestamp(text), at) << text;
  EXPECT_EQ(readTimestamp("2026-12-07"), engine::date_time::fromCivil({2026, 12, 7}));
  for (const char* text : {"2026-12-07 10:30:54.", "2026-12-07 10:30:54.2a", "2026-12-07 10:30:54,22",
                           "2026-12-07 10:30:54.1234567890", "2026-12-07 10:30:54+3", "infinity", ""})
    EXPECT_FALSE(readTimestamp(text)) << text;
}

TEST_P(Connections, ATextWithANulCharacterIsRefusedByBothDatabases) {
  for (const char* sql :
       {"SELECT * FROM ESTOQUE WHERE CDPRODUTO = :P", "INSERT INTO ESTOQUE VALUES (:P, 1, NULL, 0)"}) {
    try {
      db_->query(sql, {{"P", std::string("P1\0' OR '1'='1", 15)}});
      FAIL() << sql;
    } catch (const SqlError& e) {
      EXPECT_EQ(e.kind(), SqlError::Kind::Invalid) << e.what();
    }
  }
  EXPECT_EQ(db_->query("SELECT COUNT(*) AS N FROM ESTOQUE").integer(0, "N"), 1);
}

TEST_P(Connections, MistakesAreErrorsNotCrashes) {
  EXPECT_THROW(db_->query("SELECT * FROM NADA"), SqlError);
  EXPECT_THROW(db_->query("SELECT * FROM ESTOQUE WHERE CDPRODUTO = :FALTA"), SqlError);
  EXPECT_THROW(db_->execute("UPDATE ESTOQUE SET QTESTOQUE = NULL"), SqlError);
  EXPECT_THROW(db_->query("SELECT QTESTOQUE FROM ESTOQUE", {},
                          {{.name = "QTESTOQUE", .type = engine::FieldType::DateTime}}),
               SqlError);
  // The connection still serves.
  EXPECT_DOUBLE_EQ(stock(*db_, "P1"), 10);
  EXPECT_THROW(sql::open("/nao/existe/banco.db"), SqlError);
  EXPECT_THROW(sql::open("host=127.0.0.1 port=1 dbname=nada connect_timeout=2"), SqlError);
}

TEST_P(Connections, BulkInsertWritesEveryKindOfValueAsGiven) {
  Transaction tx(*db_, TransactionMode::Write);
  auto bulk = db_->bulkInsert("ESTOQUE", {"CDPRODUTO", "QTESTOQUE", "DTVALIDADE"});
  // Texts that would end a COPY field or row, a backslash, UTF-8, an empty text.
  const std::vector<std::string> awkward = {"A\tB", "L\nM", "bar\\ra", "Pão", "", "\\N"};
  for (std::size_t i = 0; i < awkward.size(); ++i)
    bulk->add(
        {awkward[i], 0.25 + static_cast<double>(i), i % 2 ? engine::Value() : engine::Value("2026-02-28")});
  for (int i = 0; i < 5000; ++i) {
    std::string code = "N";
    code += std::to_string(i);
    bulk->add({code, std::int64_t{i}, "2026-12-31"});
  }
  EXPECT_EQ(bulk->finish(), 5006);
  tx.commit();

  const Result r = db_->query(
      "SELECT CDPRODUTO, QTESTOQUE, DTVALIDADE FROM ESTOQUE WHERE CDPRODUTO NOT LIKE 'N%' "
      "AND CDPRODUTO <> 'P1' ORDER BY QTESTOQUE");
  ASSERT_EQ(r.rowCount(), awkward.size());
  for (std::size_t i = 0; i < awkward.size(); ++i) {
    EXPECT_EQ(r.text(i, "CDPRODUTO"), awkward[i]);
    EXPECT_DOUBLE_EQ(r.number(i, "QTESTOQUE"), 0.25 + static_cast<double>(i));
    EXPECT_EQ(r.isNull(i, "DTVALIDADE"), i % 2 == 1);
  }
  EXPECT_EQ(db_->query("SELECT COUNT(*) AS N FROM ESTOQUE WHERE DTVALIDADE = :D AND CDPRODUTO LIKE 'N%'",
                       {{"D", "2026-12-31"}})
                .integer(0, "N"),
            5000);
  EXPECT_EQ(db_->query("SELECT NRVERSAO FROM ESTOQUE WHERE CDPRODUTO = 'N7'").integer(0, "NRVERSAO"), 0);
}

TEST_P(Connections, ARefusedBulkRowLosesTheWholeTransaction) {
  try {
    Transaction tx(*db_, TransactionMode::Write);
    db_->execute("UPDATE ESTOQUE SET QTESTOQUE = 99 WHERE CDPRODUTO = 'P1'");
    auto bulk = db_->bulkInsert("ESTOQUE", {"CDPRODUTO", "QTESTOQUE"});
    bulk->add({"P2", 1.0});
    bulk->add({"P1", 2.0});  // duplicate key
    bulk->finish();
    tx.commit();
    FAIL() << "duplicate key accepted";
  } catch (const SqlError& e) {
    EXPECT_EQ(e.kind(), SqlError::Kind::Conflict) << e.what();
  }
  EXPECT_DOUBLE_EQ(stock(*db_, "P1"), 10);
  EXPECT_EQ(db_->query("SELECT COUNT(*) AS N FROM ESTOQUE").integer(0, "N"), 1);

  // An abandoned insert leaves the connection usable.
  {
    Transaction tx(*db_, TransactionMode::Write);
    auto bulk = db_->bulkInsert("ESTOQUE", {"CDPRODUTO", "QTESTOQUE"});
    bulk->add({"P3", 1.0});
  }
  EXPECT_DOUBLE_EQ(stock(*db_, "P1"), 10);
  EXPECT_EQ(db_->query("SELECT COUNT(*) AS N FROM ESTOQUE").integer(0, "N"), 1);

  EXPECT_THROW(db_->bulkInsert("ESTOQUE; DROP TABLE ESTOQUE", {"CDPRODUTO"}), SqlError);
  EXPECT_THROW(db_->bulkInsert("ESTOQUE", {"CDPRODUTO)"}), SqlError);
  EXPECT_THROW(db_->bulkInsert("ESTOQUE", {}), SqlError);
  auto bulk = db_->bulkInsert("ESTOQUE", {"CDPRODUTO", "QTESTOQUE"});
  EXPECT_THROW(bulk->add({"P4"}), SqlError);
  bulk->finish();
  EXPECT_DOUBLE_EQ(stock(*db_, "P1"), 10);
}

}  // namespace
}  // namespace ped::sql
