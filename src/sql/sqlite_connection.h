#pragma once
// The SQLite side of the data-access layer: one database file, WAL journal,
// synchronous=FULL, foreign keys on, write transactions BEGIN IMMEDIATE.
// A connection belongs to one thread at a time (the pool hands it out).
#include <memory>
#include <string>

#include "sql/connection.h"

namespace ped::sql {
// Throws SqlError(Connection) when the file cannot be opened.
std::unique_ptr<Connection> openSqlite(const std::string& path, const OpenOptions& options);
}  // namespace ped::sql
