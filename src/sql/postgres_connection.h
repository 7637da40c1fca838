#pragma once
#include <memory>
#include <string>

#include "sql/connection.h"

namespace ped::sql {
// `conninfo` is a libpq connection string (URI or key=value). Throws
// SqlError(Connection) when the server cannot be reached.
std::unique_ptr<Connection> openPostgres(const std::string& conninfo, const OpenOptions& options);
}  // namespace ped::sql
