#pragma once
// Codes are stored at a fixed width with leading zeros, so that adjusted
// codes of one width compare as texts like the numbers they hold.

#include <cstddef>
#include <string>
#include <string_view>

namespace ped::domain {

inline constexpr std::size_t kBranchCodeWidth = 4;
inline constexpr std::size_t kJustificationCodeWidth = 4;
inline constexpr std::size_t kOrderNumberWidth = 10;

// The code with surrounding blanks removed and, when not empty, left-padded
// with '0' to `width` characters ("12", 10 -> "0000000012"); a longer code
// comes back unchanged, an empty or blank one empty.
std::string adjustCode(std::string_view code, std::size_t width);

}  // namespace ped::domain
