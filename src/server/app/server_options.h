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
  std::string tlsCert;                      // PEM files: HTTPS when given (both or neither)
  std::string tlsKey;
  bool insecurePlainHttp = false;  // allows plain HTTP on an address other than loopback
  bool help = false;
  bool version = false;
};

// The usage text, in Portuguese.
std::string usage();

// Parses `args` (without the program name). A "--config FILE" is read where
// it appears; lines are "key = value" with the long option names, '#'
// starts a comment; flags take "sim"/"não" there. Throws std::runtime_error
// with a Portuguese message for an unknown option, a missing or bad value,
// an unreadable file, only one of the TLS files, or plain HTTP on an
// address other than loopback without --insecure-plain-http.
ServerOptions parseServerOptions(const std::vector<std::string>& args);

}  // namespace ped::server
