#pragma once
// The host's settings: defaults, then a configuration file (--config), then
// the rest of the command line, which wins over the file wherever both speak.

#include <string>
#include <vector>

namespace ped::hostapp {

struct HostOptions {
  std::string serverHost = "127.0.0.1";
  int serverPort = 8800;
  bool serverTls = false;                      // --server https://...
  std::string caFile;                          // the server's CA (PEM); empty: the system's store
  bool insecurePlainHttp = false;              // plain HTTP to an address other than loopback
  std::string database = "dados/ped00800.db";  // look-up database: SQLite path or PostgreSQL conninfo
  std::string operatorCode;                    // pre-filled in the log-in dialog
  std::string passwordFile;                    // with operatorCode: log in without the dialog
  std::string branch;                          // empty: the first branch of FILIAL
  bool bindBranch = false;
  std::vector<std::string> screens;  // opened after log-in, in order (normalized codes)
  std::string modulesDir;            // empty: see resolveModulesDir
  bool help = false;

  bool scriptedLogin() const { return !operatorCode.empty() && !passwordFile.empty(); }
};

// The usage text, in Portuguese.
std::string hostUsage();

// Parses `args` (without the program name). Config file lines are
// "key = value" with the long option names ('#' starts a comment); the flags
// take "sim"/"não" there. Throws std::runtime_error with a Portuguese message
// for an unknown option, a missing or bad value, or an unreadable file.
HostOptions parseHostOptions(const std::vector<std::string>& args);

// The first line of `path`, without its line end. Throws std::runtime_error
// (Portuguese) when the file cannot be read.
std::string readPasswordFile(const std::string& path);

}  // namespace ped::hostapp
