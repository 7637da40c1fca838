#pragma once
// A quantity as the operator types it, in Brazilian form: decimal comma,
// points grouping thousands ("1,5", "1.234,5", "1.234"). A lone point not
// followed by a group of three digits is read as a decimal point ("1.5"),
// the way operators used to other keyboards type it.

#include <optional>
#include <string_view>

namespace ped::core {

// The number typed, rounded to thousandths, or nullopt when the text is not
// a number (letters, two decimal separators, a badly placed group point).
// Blanks around it are ignored; an empty text is not a number either.
std::optional<double> parseTypedQuantity(std::string_view text);

}  // namespace ped::core
