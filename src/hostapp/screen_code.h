#pragma once
// Screen codes ("PED00800") as the operator types them. A code names a file
// in the modules folder, so only letters, digits and '_' are accepted: no
// typed code can reach another folder.

#include <optional>
#include <string>
#include <string_view>

namespace ped::hostapp {

// The code trimmed and in upper case, or nullopt when it is empty, longer
// than 32 characters or holds anything but ASCII letters, digits and '_'.
std::optional<std::string> normalizeScreenCode(std::string_view typed);

}  // namespace ped::hostapp
