#pragma once
// Where the screen modules are looked for, first match wins: the
// --modules-dir option, $PED_MODULES_DIR, <executable's folder>/../lib/
// ped00800/modules when it exists (an installed host), and last the build
// tree's modules folder (a host run from its build folder).

#include <filesystem>
#include <string>

namespace ped::hostapp {

std::filesystem::path resolveModulesDir(const std::string& option, const char* environment,
                                        const std::filesystem::path& executableDir,
                                        const std::filesystem::path& buildTreeDir);

// The folder of the running executable; empty when the system does not say.
std::filesystem::path executableDir();

}  // namespace ped::hostapp
