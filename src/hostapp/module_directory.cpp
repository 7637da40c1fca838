#include "hostapp/module_directory.h"

#include <system_error>

namespace ped::hostapp {

std::filesystem::path resolveModulesDir(const std::string& option, const char* environment,
                                        const std::filesystem::path& executableDir,
                                        const std::filesystem::path& buildTreeDir) {
  if (!option.empty()) return option;
  if (environment != nullptr && *environment != '\0') return environment;
  if (!executableDir.empty()) {
    const std::filesystem::path installed = executableDir / ".." / "lib" / "ped00800" / "modules";
    std::error_code ec;
    if (std::filesystem::is_directory(installed, ec)) return installed.lexically_normal();
  }
  return buildTreeDir;
}

std::filesystem::path executableDir() {
  std::error_code ec;
  const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? std::filesystem::path() : exe.parent_path();
}

}  // namespace ped::hostapp
