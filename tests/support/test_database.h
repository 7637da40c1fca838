#pragma once
// Throw-away databases for tests: a fresh SQLite file, or a fresh database
// on the PostgreSQL cluster named by PED_TEST_PG (an administrator's
// connection string; ./test.sh starts such a cluster and sets it). Without
// PED_TEST_PG the PostgreSQL cases are skipped, unless PED_REQUIRE_PG=1
// makes that a failure (CI sets it).

#include <memory>
#include <string>

#include "sql/connection.h"

namespace ped::testing {

enum class Backend { Sqlite, Postgres };
std::string backendName(Backend b);  // "SQLite", "PostgreSQL": test parameter names

class TestDatabase {
 public:
  // Creates the database. When PostgreSQL is not available, `available()` is
  // false and `skipReason()` says why.
  explicit TestDatabase(Backend backend);
  ~TestDatabase();  // drops it
  TestDatabase(const TestDatabase&) = delete;
  TestDatabase& operator=(const TestDatabase&) = delete;

  bool available() const { return !target_.empty(); }
  const std::string& skipReason() const { return skipReason_; }
  const std::string& target() const { return target_; }  // for sql::open
  std::unique_ptr<sql::Connection> open(bool readOnly = false) const;

 private:
  Backend backend_;
  std::string target_;
  std::string name_;
  std::string skipReason_;
};

// In a test body: skips (or fails, under PED_REQUIRE_PG) when `db` is not there.
#define PED_REQUIRE_DATABASE(db)                                           \
  do {                                                                     \
    if (!(db).available()) {                                               \
      if (::ped::testing::postgresRequired()) FAIL() << (db).skipReason(); \
      GTEST_SKIP() << (db).skipReason();                                   \
    }                                                                      \
  } while (0)

bool postgresRequired();

}  // namespace ped::testing
