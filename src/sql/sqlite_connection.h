#pragma once
#include <memory>
#include <string>

#include "sql/connection.h"

namespace ped::sql {
// Throws SqlError(Connection) when the file cannot be opened.
std::unique_ptr<Connection> openSqlite(const std::string& path, const OpenOptions& options);
}  // namespace ped::sql
