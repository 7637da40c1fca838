#pragma once
// A list of texts bound as one parameter, for `column IN (...)` over lists
// of any length: one statement to prepare, and no parameter per value.

#include <string>
#include <string_view>
#include <vector>

#include "sql/connection.h"

namespace ped::server {

// `values` as a JSON array of strings: the parameter's value.
std::string jsonTexts(const std::vector<std::string>& values);

// The subquery that reads parameter `param` (bound to jsonTexts) as rows,
// e.g. "I.NRPEDIDO IN (" + textList(db.dialect(), "L") + ")".
std::string textList(sql::Dialect dialect, std::string_view param);

}  // namespace ped::server
