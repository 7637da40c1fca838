#include "sql/connection.h"

#include "sql/postgres_connection.h"
#include "sql/sqlite_connection.h"

namespace ped::sql {

bool isPostgresTarget(std::string_view target) {
  if (target.starts_with("postgresql://") || target.starts_with("postgres://")) return true;
  // key=value form: the first word is a libpq keyword. A file path does not
  // start that way.
  for (const std::string_view key : {"host=", "hostaddr=", "dbname=", "port=", "user=", "service="})
    if (target.starts_with(key)) return true;
  return false;
}

std::unique_ptr<Connection> open(const std::string& target, const OpenOptions& options) {
  return isPostgresTarget(target) ? openPostgres(target, options) : openSqlite(target, options);
}

}  // namespace ped::sql
