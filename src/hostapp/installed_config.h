#pragma once
// The configuration file an installed host reads when none is named: the
// packages put the desks' defaults (server address, look-up database) in
// <sysconfdir>/ped00800/cliente.conf, and the operator starts ped-host from
// the menu without options.

#include <filesystem>
#include <string>
#include <vector>

namespace ped::hostapp {

// <prefix>/etc/ped00800/cliente.conf for a host in <prefix>/bin, except
// /etc/ped00800/cliente.conf for one in /usr/bin (Debian's layout). Empty
// when `executableDir` is empty or the file does not exist (a host run from
// its build folder has none).
std::filesystem::path installedConfigFile(const std::filesystem::path& executableDir);

// `args` with "--config <file>" put first when `file` is not empty and the
// command line names no configuration of its own; otherwise `args` as given.
// Later options still win over the file's.
std::vector<std::string> withDefaultConfig(std::vector<std::string> args, const std::filesystem::path& file);

}  // namespace ped::hostapp
