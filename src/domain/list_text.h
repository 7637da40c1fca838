#pragma once
// A list text: the keys an operator picked, joined with '_', as the filter
// sends them and the server reads them.

#include <string>
#include <string_view>
#include <vector>

namespace ped::domain {

inline constexpr char kListSeparator = '_';

// The keys in order; empty keys (doubled or outer separators) are dropped.
std::vector<std::string> splitListText(std::string_view listText);
// The keys joined; empty keys are left out.
std::string joinListText(const std::vector<std::string>& keys);

}  // namespace ped::domain
