#pragma once
// Number texts for grids and edits: the host's FormatFloat patterns.

#include <string>
#include <string_view>

namespace ped::hostlib {

// Formats `value` by a pattern of '#' and '0' with an optional '.' fraction:
// "######0.000", "###0.00", "###0.000". '0' before the point sets the least
// number of integer digits, '0' after it the number of decimals ('#' after
// them allows more, trailing zeros dropped). No thousands separator. The
// value is rounded half away from zero on its shortest decimal form, so 1.005
// gives "1,01" with two decimals. Not-finite values give "".
std::string FormatFloat(std::string_view pattern, double value, char decimalSeparator = ',');

}  // namespace ped::hostlib
