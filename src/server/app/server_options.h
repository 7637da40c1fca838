#pragma once
// The server's settings: defaults, then a configuration file, then the
// command line, each overriding the one before.

#include <optional>
#include <string>
#include <vector>

namespace ped::server {

struct ServerOptions {
  std::string listen = "127.0.0.1";
  int port = 8800;
  std::string database = "dados/ped00800.db";  // SQLite path or PostgreSQL connection string
  std::size_t threads = 64;                    // kept-alive screens served at once without waiting
  std::size_t connections = 16;                // database connections
  std::size_t maxBodyBytes = 16 * 1024 * 1024;
  std::size_t maxOrderRows = 200000;
  int statementTimeoutMs = 30000;           // the longest one database statement may run
  std::size_t maxConnections = 10000;       // open connections in all
  std::size_t maxConnectionsPerPeer = 256;  // from one address
  int requestTimeoutMs = 10000;             // for one request to arrive whole
  std::string logFile;                      // empty: standard error
  std::size_t logMaxSize = 0;               // bytes before the log file rotates; 0: never
  std::size_t logFiles = 5;                 // rotated log files kept
  std::string backupTo;                     // not empty: copy the SQLite database there and exit
  bool help = false;
  bool version = false;
};

// The usage text, in Portuguese.
std::string usage();

// Parses `args` (without the program name). A "--config FILE" is read where
// it appears; lines are "key = value" with the long option names, '#'
// starts a comment. Throws std::runtime_error with a Portuguese message for
// an unknown option, a missing or bad value, or an unreadable file.
ServerOptions parseServerOptions(const std::vector<std::string>& args);

}  // namespace ped::server
