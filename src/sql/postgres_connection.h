#pragma once
// The PostgreSQL side of the data-access layer: UTF8, ISO dates, UTC; a lost
// connection is re-opened between calls. A connection belongs to one thread
// at a time (the pool hands it out).
#include <memory>
#include <string>

#include "sql/connection.h"

namespace ped::sql {
// `conninfo` is a libpq connection string (URI or key=value). Throws
// SqlError(Connection) when the server cannot be reached.
std::unique_ptr<Connection> openPostgres(const std::string& conninfo, const OpenOptions& options);
}  // namespace ped::sql
