#include "hostapp/installed_config.h"

#include <algorithm>
#include <system_error>

namespace ped::hostapp {

std::filesystem::path installedConfigFile(const std::filesystem::path& executableDir) {
  if (executableDir.empty()) return {};
  const std::filesystem::path prefix = (executableDir / "..").lexically_normal();
  // GNU's rule: the /usr prefix keeps its configuration in /etc, any other in <prefix>/etc.
  const std::filesystem::path sysconf = prefix == "/usr" || prefix == "/usr/" ? "/etc" : prefix / "etc";
  std::filesystem::path file = sysconf / "ped00800" / "cliente.conf";
  std::error_code ec;
  return std::filesystem::is_regular_file(file, ec) ? file : std::filesystem::path();
}

std::vector<std::string> withDefaultConfig(std::vector<std::string> args, const std::filesystem::path& file) {
  if (file.empty()) return args;
  const bool named = std::any_of(args.begin(), args.end(), [](const std::string& a) {
    return a == "--config" || a.starts_with("--config=");
  });
  if (!named) args.insert(args.begin(), {"--config", file.string()});
  return args;
}

}  // namespace ped::hostapp
