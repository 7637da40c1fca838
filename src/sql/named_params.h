#pragma once
// Named parameters (":P_CDFILIAL") in SQL text. SQLite binds them by name
// itself; PostgreSQL wants "$1", "$2"... This finds the names outside quoted
// texts, quoted identifiers, comments and "::" casts, so one SQL text serves
// both databases.

#include <string>
#include <string_view>
#include <vector>

namespace ped::sql {

struct PositionalSql {
  std::string text;                // the SQL with "$n" in place of each name
  std::vector<std::string> names;  // names[n - 1] is the name behind "$n" (upper case, no ':')
};

// The same name used twice maps to the same "$n". Names are matched without
// regard to case.
PositionalSql toPositional(std::string_view sql);

}  // namespace ped::sql
