#include "server/storage/online_backup.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <thread>

#include "sql/connection.h"

namespace ped::server::storage {
namespace {

namespace fs = std::filesystem;

std::string systemError(int error) {
  switch (error) {
    case ENOENT:
      return "a pasta não existe";
    case EACCES:
    case EPERM:
      return "sem permissão";
    case ENOSPC:
      return "disco cheio";
    case EROFS:
      return "sistema de arquivos somente leitura";
    default:
      return std::strerror(error);
  }
}

class Database {
 public:
  Database(const std::string& path, int flags) {
    if (sqlite3_open_v2(path.c_str(), &db_, flags, nullptr) != SQLITE_OK)
      throw std::runtime_error("Não foi possível abrir " + path + ": " + sqlite3_errmsg(db_) + ".");
  }
  ~Database() { sqlite3_close_v2(db_); }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;
  sqlite3* get() const { return db_; }

  // Runs `sql`; returns the first column of the last row, "" for none.
  std::string run(const char* sql, int* rc = nullptr) {
    std::string last;
    sqlite3_stmt* statement = nullptr;
    int code = sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr);
    if (code == SQLITE_OK)
      while ((code = sqlite3_step(statement)) == SQLITE_ROW)
        if (const auto* text = sqlite3_column_text(statement, 0)) last = reinterpret_cast<const char*>(text);
    sqlite3_finalize(statement);
    if (code == SQLITE_DONE) code = SQLITE_OK;
    if (rc) *rc = code;
    return last;
  }

 private:
  sqlite3* db_ = nullptr;
};

// The temporary file beside the destination; removed unless kept.
class TemporaryFile {
 public:
  explicit TemporaryFile(const fs::path& destination) {
    std::string name = ".";
    name += destination.filename().string();
    name += ".parcial-XXXXXX";
    std::string pattern = destination.parent_path() / name;
    const int fd = mkstemp(pattern.data());
    if (fd < 0)
      throw std::runtime_error("Não foi possível criar a cópia em " + destination.parent_path().string() +
                               ": " + systemError(errno) + ".");
    close(fd);
    path_ = pattern;
  }
  ~TemporaryFile() {
    if (!kept_) {
      std::error_code ignored;
      fs::remove(path_, ignored);
    }
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  const std::string& path() const { return path_; }

  // Flushes the copy to disk and renames it to `destination`, durably.
  void moveTo(const fs::path& destination) {
    syncPath(path_, O_RDONLY);
    if (std::rename(path_.c_str(), destination.c_str()) != 0)
      throw std::runtime_error("Não foi possível gravar " + destination.string() + ": " + systemError(errno) +
                               ".");
    kept_ = true;
    syncPath(destination.parent_path().string(), O_RDONLY | O_DIRECTORY);
  }

 private:
  static void syncPath(const std::string& path, int flags) {
    const int fd = open(path.c_str(), flags);
    const bool ok = fd >= 0 && fsync(fd) == 0;
    const int error = errno;
    if (fd >= 0) close(fd);
    if (!ok)
      throw std::runtime_error("Não foi possível gravar " + path + " no disco: " + systemError(error) + ".");
  }

  std::string path_;
  bool kept_ = false;
};

void refuseTargets(const std::string& database, const fs::path& source, const fs::path& destination) {
  if (sql::isPostgresTarget(database))
    throw std::runtime_error(
        "O banco de dados é PostgreSQL: --backup copia apenas o arquivo SQLite. Use pg_dump para a cópia de "
        "segurança do PostgreSQL.");
  std::error_code ec;
  if (!fs::is_regular_file(source, ec))
    throw std::runtime_error("O banco de dados " + database + " não existe ou não é um arquivo.");
  if (fs::is_directory(destination, ec))
    throw std::runtime_error(destination.string() + " é uma pasta: informe o nome do arquivo da cópia.");
  // The database's own journal files are as much the database as the file.
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
    const fs::path part = source.string() + suffix;
    if (part == destination || (fs::exists(destination, ec) && fs::equivalent(part, destination, ec)))
      throw std::runtime_error("A cópia não pode ser gravada sobre o próprio banco de dados (" +
                               destination.string() + ").");
  }
}

std::string failure(const std::string& database, int rc, sqlite3* db) {
  if (rc == SQLITE_NOTADB) return database + " não é um banco de dados SQLite.";
  if (rc == SQLITE_FULL) return "A cópia de segurança falhou: disco cheio.";
  return std::string("A cópia de segurança falhou: ") + (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc)) + ".";
}

}  // namespace

BackupReport backupSqlite(const std::string& database, const std::string& destination,
                          const BackupOptions& options) {
  const fs::path source = fs::weakly_canonical(fs::absolute(database));
  const fs::path target = fs::weakly_canonical(fs::absolute(destination));
  refuseTargets(database, source, target);

  Database from(source.string(), SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX);
  sqlite3_busy_timeout(from.get(), 1000);
  int rc = SQLITE_OK;
  const std::string journal = from.run("PRAGMA journal_mode", &rc);
  if (rc != SQLITE_OK) throw std::runtime_error(failure(database, rc, from.get()));
  // In WAL mode a read transaction pins one snapshot: a server writing
  // meanwhile neither waits for the copy nor makes it start over.
  if (journal == "wal") {
    from.run("BEGIN", &rc);
    if (rc == SQLITE_OK) from.run("SELECT count(*) FROM sqlite_schema", &rc);
    if (rc != SQLITE_OK) throw std::runtime_error(failure(database, rc, from.get()));
  }

  TemporaryFile copy(target);
  BackupReport report;
  {
    Database to(copy.path(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX);
    sqlite3_backup* backup = sqlite3_backup_init(to.get(), "main", from.get(), "main");
    if (!backup) throw std::runtime_error(failure(database, sqlite3_errcode(to.get()), to.get()));
    std::optional<std::chrono::steady_clock::time_point> busySince;
    for (;;) {
      rc = sqlite3_backup_step(backup, options.pagesPerStep);
      if (rc == SQLITE_DONE) break;
      if (rc == SQLITE_OK) {
        busySince.reset();
        continue;
      }
      if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        const auto now = std::chrono::steady_clock::now();
        if (!busySince) busySince = now;
        if (now - *busySince < std::chrono::milliseconds(options.busyGiveUpMs)) {
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
          continue;
        }
      }
      break;
    }
    report.pages = sqlite3_backup_pagecount(backup);
    const int finished = sqlite3_backup_finish(backup);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
      throw std::runtime_error("O banco de dados ficou ocupado por mais de " +
                               std::to_string(options.busyGiveUpMs / 1000) + " s; tente a cópia de novo.");
    if (rc != SQLITE_DONE || finished != SQLITE_OK)
      throw std::runtime_error(failure(database, rc != SQLITE_DONE ? rc : finished, nullptr));
    // One self-contained file: no WAL beside it to lose when it is moved.
    if (to.run("PRAGMA journal_mode=DELETE", &rc) != "delete" || rc != SQLITE_OK)
      throw std::runtime_error(failure(database, rc == SQLITE_OK ? SQLITE_ERROR : rc, to.get()));
  }
  copy.moveTo(target);
  report.destination = target.string();
  report.bytes = static_cast<std::int64_t>(fs::file_size(target));
  return report;
}

}  // namespace ped::server::storage
