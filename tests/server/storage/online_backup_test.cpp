// The online copy of a SQLite database that a server keeps writing to.

#include "server/storage/online_backup.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "sql/connection.h"

namespace ped::server::storage {
namespace {

namespace fs = std::filesystem;

class OnlineBackup : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "ped-backup-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    dir_ = pattern;
    database_ = (dir_ / "ped00800.db").string();
    sql::OpenOptions create;
    create.create = true;
    auto db = sql::open(database_, create);
    db->executeScript("CREATE TABLE LINHA (ID INTEGER PRIMARY KEY, TEXTO TEXT NOT NULL)");
    db->begin(sql::TransactionMode::Write);
    for (int i = 1; i <= 5000; ++i)
      db->execute("INSERT INTO LINHA (ID, TEXTO) VALUES (:ID, :TEXTO)",
                  {{"ID", engine::Value(static_cast<std::int64_t>(i))},
                   {"TEXTO", engine::Value(std::string(400, 'x'))}});
    db->commit();
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string refusal(const std::string& database, const std::string& destination) {
    try {
      backupSqlite(database, destination);
      return "copiado";
    } catch (const std::runtime_error& e) {
      return e.what();
    }
  }
  // Files in the folder other than the database's own.
  int strayFiles() const {
    int n = 0;
    for (const auto& entry : fs::directory_iterator(dir_))
      if (!entry.path().filename().string().starts_with("ped00800.db")) ++n;
    return n;
  }

  fs::path dir_;
  std::string database_;
};

TEST_F(OnlineBackup, CopiesOneCommittedSnapshotWhileAnotherConnectionWrites) {
  std::atomic<std::int64_t> committed{5000};
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    auto db = sql::open(database_, {});
    for (std::int64_t id = 5001; !stop; ++id) {
      db->begin(sql::TransactionMode::Write);
      db->execute("INSERT INTO LINHA (ID, TEXTO) VALUES (:ID, 'novo')", {{"ID", engine::Value(id)}});
      db->execute("UPDATE LINHA SET TEXTO = 'mudado' WHERE ID = :ID", {{"ID", engine::Value(id - 4000)}});
      db->commit();
      committed = id;
    }
  });
  while (committed < 5020) std::this_thread::yield();
  const std::int64_t before = committed;
  BackupReport report;
  try {
    report = backupSqlite(database_, (dir_ / "copia.db").string(), {.pagesPerStep = 4});
  } catch (...) {
    stop = true;
    writer.join();
    throw;
  }
  const std::int64_t after = committed;
  stop = true;
  writer.join();

  EXPECT_EQ(report.destination, (dir_ / "copia.db").string());
  EXPECT_GT(report.pages, 500);
  EXPECT_EQ(report.bytes, static_cast<std::int64_t>(fs::file_size(dir_ / "copia.db")));
  sql::OpenOptions readOnly;
  readOnly.readOnly = true;
  auto copy = sql::open(report.destination, readOnly);
  EXPECT_EQ(copy->query("PRAGMA integrity_check").text(0, "INTEGRITY_CHECK"), "ok");
  EXPECT_EQ(copy->query("PRAGMA journal_mode").text(0, "JOURNAL_MODE"), "delete");
  // Whole transactions only: every row up to the last one the copy holds,
  // and the update committed with that row.
  const auto rows = copy->query("SELECT COUNT(*) AS N, MAX(ID) AS ULTIMO FROM LINHA");
  const std::int64_t last = rows.integer(0, "ULTIMO");
  EXPECT_EQ(rows.integer(0, "N"), last);
  EXPECT_GE(last, before);
  EXPECT_LE(last, after);
  EXPECT_EQ(copy->query("SELECT TEXTO FROM LINHA WHERE ID = :ID", {{"ID", engine::Value(last - 4000)}})
                .text(0, "TEXTO"),
            "mudado");
  EXPECT_EQ(strayFiles(), 1);  // the copy, and no temporary file beside it
}

TEST_F(OnlineBackup, RefusesWithoutLeavingAFileBehind) {
  const std::string destination = (dir_ / "copia.db").string();
  EXPECT_EQ(
      refusal("host=db dbname=ped00800", destination),
      "O banco de dados é PostgreSQL: --backup copia apenas o arquivo SQLite. Use pg_dump para a cópia de "
      "segurança do PostgreSQL.");
  EXPECT_EQ(refusal((dir_ / "." / "ped00800.db").string(), database_),
            "A cópia não pode ser gravada sobre o próprio banco de dados (" + database_ + ").");
  EXPECT_EQ(refusal(database_, database_ + "-wal"),
            "A cópia não pode ser gravada sobre o próprio banco de dados (" + database_ + "-wal).");
  EXPECT_EQ(refusal((dir_ / "falta.db").string(), destination),
            "O banco de dados " + (dir_ / "falta.db").string() + " não existe ou não é um arquivo.");
  EXPECT_EQ(refusal(database_, dir_.string()),
            dir_.string() + " é uma pasta: informe o nome do arquivo da cópia.");
  EXPECT_EQ(refusal(database_, (dir_ / "nao-ha" / "copia.db").string()),
            "Não foi possível criar a cópia em " + (dir_ / "nao-ha").string() + ": a pasta não existe.");
  std::ofstream(dir_ / "texto.db") << std::string(8192, 'z');
  EXPECT_EQ(refusal((dir_ / "texto.db").string(), destination),
            (dir_ / "texto.db").string() + " não é um banco de dados SQLite.");
  fs::remove(dir_ / "texto.db");
  EXPECT_EQ(strayFiles(), 0);

  // A copy over an older one replaces it whole.
  std::ofstream(destination) << "cópia antiga";
  backupSqlite(database_, destination);
  EXPECT_EQ(sql::open(destination, {})->query("SELECT COUNT(*) AS N FROM LINHA").integer(0, "N"), 5000);
}

}  // namespace
}  // namespace ped::server::storage
