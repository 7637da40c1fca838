#pragma once
// What this build is: the product's version, the commit it was built from
// and the build type. Only build_info.cpp sees the generated values, so a new
// commit recompiles one file.

#include <string>
#include <string_view>

namespace ped::buildinfo {

std::string_view version();    // e.g. "0.1.0"
std::string_view commit();     // short hash; empty when the tree had no git
std::string_view buildType();  // e.g. "Release"; empty when none was set

// The one line --version prints: "<program> <version> (<commit or "sem
// commit">, <build type>)".
std::string versionLine(std::string_view program);

}  // namespace ped::buildinfo
