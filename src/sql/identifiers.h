#pragma once
// Table and column names written into SQL text. Values always travel as
// parameters; names cannot, so they are held to plain identifiers.

#include <string>
#include <string_view>
#include <vector>

namespace ped::sql {

// True for a non-empty run of ASCII letters, digits and '_' not starting
// with a digit.
bool isPlainIdentifier(std::string_view name);

// "TABLE (COL1, COL2)" for an INSERT or a COPY. Throws SqlError(Syntax) when
// a name is not a plain identifier or no column is given.
std::string tableWithColumns(std::string_view table, const std::vector<std::string>& columns);

}  // namespace ped::sql
