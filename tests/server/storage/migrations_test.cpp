// The schema on real SQLite and PostgreSQL databases.

#include "server/storage/migrations.h"

#include <gtest/gtest.h>

#include "support/test_database.h"

namespace ped::server::storage {
namespace {

using ped::testing::Backend;
using ped::testing::TestDatabase;

class Schema : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override { PED_REQUIRE_DATABASE(store_); }
  TestDatabase store_{GetParam()};
};

INSTANTIATE_TEST_SUITE_P(Bancos, Schema, ::testing::Values(Backend::Sqlite, Backend::Postgres),
                         [](const auto& info) { return ped::testing::backendName(info.param); });

TEST_P(Schema, IsCreatedOnceAndThenLeftAlone) {
  auto db = store_.open();
  EXPECT_EQ(currentVersion(*db), 0);
  EXPECT_EQ(migrate(*db), static_cast<int>(migrations().size()));
  EXPECT_EQ(currentVersion(*db), latestVersion());
  EXPECT_EQ(migrate(*store_.open()), 0);
  // The stock rules the database itself keeps.
  db->executeScript(
      "INSERT INTO FILIAL VALUES ('0001', 'Matriz');"
      "INSERT INTO PRODUTO VALUES ('P1', '0101001', 'Parafuso', 'UN');");
  EXPECT_THROW(db->execute("INSERT INTO POSESTOQUE (CDFILIAL, CDPRODUTO, SGUNIDADE, QTESTOQUE) VALUES "
                           "('0001', 'P1', 'UN', -1)"),
               sql::SqlError);
  db->execute(
      "INSERT INTO POSESTOQUE (CDFILIAL, CDPRODUTO, SGUNIDADE, QTESTOQUE) VALUES ('0001', 'P1', 'UN', 5)");
  EXPECT_THROW(db->execute("INSERT INTO RESERVAITEM (CDFILIAL, NRPEDIDO, NRITEMPED, CDPRODUTO, QTRESERVADA) "
                           "VALUES ('0001', '1', '1', 'P1', 1)"),
               sql::SqlError);  // no such item
  db->execute(
      "INSERT INTO HISTLIQMAN (CDFILIAL, NRPEDIDO, NRITEMPED, IDOPERACAO, CDOPERADOR, DTOPERACAO, "
      "CDJUSTEXCHIS,"
      " IDSITANTERIOR, IDSITNOVA, QTITEMPED) VALUES ('0001', '1', '1', 'L', 'ANA', CURRENT_TIMESTAMP, '01', "
      "'2',"
      " '6', 3)");
  EXPECT_EQ(db->query("SELECT NRHISTORICO FROM HISTLIQMAN").integer(0, "NRHISTORICO"), 1);
}

TEST_P(Schema, ADatabaseNewerThanTheServerIsRefusedUntouched) {
  auto db = store_.open();
  migrate(*db);
  db->execute("INSERT INTO SCHEMA_VERSAO VALUES (:V, 'futura', CURRENT_TIMESTAMP)",
              {{"V", static_cast<std::int64_t>(latestVersion() + 1)}});
  try {
    migrate(*db);
    FAIL() << "newer schema accepted";
  } catch (const sql::SqlError& e) {
    EXPECT_NE(std::string(e.what()).find("mais nova"), std::string::npos) << e.what();
  }
  EXPECT_EQ(currentVersion(*db), latestVersion() + 1);
}

// A database of the release before the history links: its exclusions are
// linked to the settlements they reversed (each at most once), its movements
// to the settlements that made them, and rows without a counterpart stay
// unlinked.
TEST_P(Schema, HistoryRowsWrittenBeforeTheLinksAreLinkedOnUpgrade) {
  auto db = store_.open();
  migrate(*db, 3);
  db->executeScript(
      "INSERT INTO HISTLIQMAN (CDFILIAL, NRPEDIDO, NRITEMPED, IDOPERACAO, CDOPERADOR, DTOPERACAO,"
      " CDJUSTEXCHIS, IDSITANTERIOR, IDSITNOVA, QTITEMPED) VALUES"
      " ('0001', '10', '1', 'L', 'ANA', '2026-12-07 10:00:00', '01', '2', '6', 3),"
      " ('0001', '10', '1', 'E', 'RUI', '2026-12-07 11:00:00', '02', '6', '2', 3),"
      " ('0001', '10', '2', 'E', 'RUI', '2026-12-07 11:00:00', '02', '6', '2', 1),"
      " ('0001', '10', '1', 'E', 'RUI', '2026-12-07 11:30:00', '02', '6', '2', 3),"
      " ('0001', '10', '1', 'L', 'ANA', '2026-12-07 12:00:00', '01', '2', '6', 3);"
      "INSERT INTO MOVESTOQUE (CDFILIAL, CDPRODUTO, CDALMOXARIFE, CDLOCALESTOQ, NRLOTEESTQ, NRSUBLOTE,"
      " QTMOVIMENTO, DSMOVIMENTO, CDOPERADOR, DTMOVIMENTO, NRPEDIDO, NRITEMPED) VALUES"
      " ('0001', 'P1', 'A', 'L', 'L1', '', -2, 'x', 'ANA', '2026-12-07 10:00:01', '10', '1'),"
      " ('0001', 'P1', 'A', 'L', 'L2', '', -1, 'x', 'ANA', '2026-12-07 10:00:01', '10', '1'),"
      " ('0001', 'P1', 'A', 'L', 'L2', '', -3, 'x', 'ANA', '2026-12-07 12:00:00', '10', '1'),"
      " ('0001', 'P1', 'A', 'L', 'L2', '', -5, 'x', 'ANA', '2026-12-07 09:00:00', '10', '1');");
  EXPECT_EQ(migrate(*db), latestVersion() - 3);
  auto links = [&](const char* sql) {
    const sql::Result r = db->query(sql);
    std::string out;
    for (std::size_t i = 0; i < r.rowCount(); ++i)
      out += (r.isNull(i, "V") ? std::string("-") : std::to_string(r.integer(i, "V"))) + " ";
    return out;
  };
  // The second exclusion of settlement 1 reversed nothing: unlinked, and a
  // second link is refused from now on.
  EXPECT_EQ(links("SELECT NRHISTLIQ AS V FROM HISTLIQMAN ORDER BY NRHISTORICO"), "- 1 - - - ");
  EXPECT_THROW(db->execute("UPDATE HISTLIQMAN SET NRHISTLIQ = 1 WHERE NRHISTORICO = 4"), sql::SqlError);
  EXPECT_EQ(links("SELECT NRHISTORICO AS V FROM MOVESTOQUE ORDER BY NRMOVIMENTO"), "1 1 5 - ");
}

}  // namespace
}  // namespace ped::server::storage
