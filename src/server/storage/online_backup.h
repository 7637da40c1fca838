#pragma once
// A consistent copy of the server's SQLite database, taken while a server
// may be running on it and writing to it.
//
// The copy is made with SQLite's online backup into a temporary file beside
// the destination, which is renamed into place only once it is whole: a
// failure never leaves a partial file under the destination's name. An
// existing destination file is replaced. The copy is a single file (no WAL),
// readable and writable by its owner only.

#include <cstdint>
#include <string>

namespace ped::server::storage {

struct BackupOptions {
  int pagesPerStep = 1024;   // pages copied per step; the source is read in a snapshot
  int busyGiveUpMs = 30000;  // how long the source may stay locked before the backup fails
};

struct BackupReport {
  std::string destination;  // the absolute path written
  std::int64_t pages = 0;
  std::int64_t bytes = 0;
};

// Copies the SQLite database `database` to `destination`.
// Throws std::runtime_error with a Portuguese message, writing nothing under
// `destination`, when `database` is a PostgreSQL connection string (pg_dump
// is the tool for that), when `destination` names the database itself or a
// folder, when the database is missing or not a SQLite database, or when the
// copy fails (disk full, no permission, the database locked too long).
BackupReport backupSqlite(const std::string& database, const std::string& destination,
                          const BackupOptions& options = {});

}  // namespace ped::server::storage
