#pragma once
// The server's database schema, created and brought up to date by the server
// itself. Each migration runs once, in order, inside one write transaction,
// and is recorded in SCHEMA_VERSAO; a database newer than this server is
// refused rather than touched.

#include <string>
#include <vector>

#include "sql/connection.h"

namespace ped::server::storage {

struct Migration {
  int version;
  std::string description;
  std::string sql;  // statements separated by ';', written once for both databases
};

const std::vector<Migration>& migrations();
int latestVersion();

// Applies the migrations `db` lacks, up to version `upTo` (an older schema
// is how a test makes a database of an earlier release). Safe when several servers start at once
// on one PostgreSQL database (an advisory lock serializes them). Returns the
// number applied. Throws sql::SqlError, leaving the database at the last
// version that was applied whole.
int migrate(sql::Connection& db, int upTo = latestVersion());

// The version recorded in the database (0 for an empty one).
int currentVersion(sql::Connection& db);

}  // namespace ped::server::storage
