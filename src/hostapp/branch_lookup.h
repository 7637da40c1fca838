#pragma once
// The current branch as the host starts with it: the one the operator named,
// or the first of FILIAL by code, with its name from the look-up database.

#include <stdexcept>
#include <string>

#include "hostlib/database.h"

namespace ped::hostapp {

struct Branch {
  std::string code;
  std::string name;
};

// Throws std::runtime_error with a Portuguese message when `code` is not a
// branch, when FILIAL is empty, or when the database cannot be read.
// An empty `code` asks for the first branch.
Branch findBranch(hostlib::Database& database, const std::string& code);

}  // namespace ped::hostapp
