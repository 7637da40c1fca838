#pragma once
// Texts of values as operators type and read them: Brazilian decimal comma,
// field lists separated by ';'.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ped::engine::value_text {

std::string trim(std::string_view s);
// "A;B; C" -> {"A", "B", "C"}; empty parts are dropped.
std::vector<std::string> splitNames(std::string_view names);
// Shortest form that reads back to the same double, with a decimal comma.
std::string formatFloat(double d);
// Accepts a decimal comma or point; nullopt for anything that is not a finite number.
std::optional<double> parseNumber(std::string_view s);

}  // namespace ped::engine::value_text
