#pragma once
// A list of texts as one parameter, so a statement keeps one text (and its
// prepared form) whatever the list's length: a JSON array read by
// json_each on SQLite, an array literal on PostgreSQL.

#include <string>
#include <vector>

#include "sql/connection.h"

namespace ped::sql {

// "<column> IN (the texts of parameter :<param>)" in `dialect`.
std::string inTextList(Dialect dialect, const std::string& column, const std::string& param);

// The value of that parameter for `texts`.
std::string textList(Dialect dialect, const std::vector<std::string>& texts);

}  // namespace ped::sql
