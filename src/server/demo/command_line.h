#pragma once
// The arguments of ped00800-demo.

#include <cstdint>
#include <string>
#include <vector>

namespace ped::server::demo {

struct CommandLine {
  bool help = false;
  bool version = false;
  std::string database;  // SQLite file path or PostgreSQL connection string
  std::uint64_t seed = 1;
  int orders = 2000;
  bool force = false;
  std::string error;  // set when the arguments are wrong: what to tell the user, in Portuguese
};

// `args` without the program name. "--name value" and "--name=value" both work.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string usageText();

}  // namespace ped::server::demo
