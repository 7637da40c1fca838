// SQLite behind the Connection interface. WAL journal, foreign keys on, a
// busy time-out, and write transactions that take the write lock at once
// (BEGIN IMMEDIATE): a deferred BEGIN can still fail with SQLITE_BUSY when
// its first write comes.

#include "sql/sqlite_connection.h"

#include <sqlite3.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>

#include "engine/text.h"
#include "sql/connection.h"
#include "sql/identifiers.h"
#include "sql/result_builder.h"
#include "sql/write_gate.h"

namespace ped::sql {
namespace {

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  return out;
}

// A column's type from its declared SQL type; nullopt for an expression.
std::optional<engine::FieldType> declaredType(const char* decl, int& size) {
  size = 0;
  if (!decl || !*decl) return std::nullopt;
  const std::string d = upper(decl);
  if (const auto open = d.find('('); open != std::string::npos) size = std::atoi(d.c_str() + open + 1);
  using engine::FieldType;
  if (d.find("DATE") != std::string::npos || d.find("TIME") != std::string::npos) return FieldType::DateTime;
  if (d.find("CHAR") != std::string::npos || d.find("TEXT") != std::string::npos ||
      d.find("CLOB") != std::string::npos)
    return FieldType::Text;
  if (d.find("BOOL") != std::string::npos) return FieldType::Boolean;
  if (d.find("INT") != std::string::npos) return FieldType::Integer;
  return FieldType::Float;  // REAL, DOUBLE, NUMERIC, DECIMAL...
}

SqlError::Kind kindOf(int rc) {
  switch (rc & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_INTERRUPT:
      return SqlError::Kind::Busy;
    case SQLITE_CONSTRAINT:
      return SqlError::Kind::Conflict;
    case SQLITE_CANTOPEN:
    case SQLITE_NOTADB:
      return SqlError::Kind::Connection;
    default:
      return SqlError::Kind::Other;
  }
}

struct Statement {
  sqlite3_stmt* stmt = nullptr;
  ~Statement() { sqlite3_finalize(stmt); }
};

int bindValue(sqlite3_stmt* stmt, int index, const engine::Value& v) {
  if (v.isNull()) return sqlite3_bind_null(stmt, index);
  if (v.isText()) {
    refuseNul(v.text());
    return sqlite3_bind_text(stmt, index, v.text().data(), static_cast<int>(v.text().size()),
                             SQLITE_TRANSIENT);
  }
  if (v.isFloat()) return sqlite3_bind_double(stmt, index, v.number());
  if (v.isInteger()) return sqlite3_bind_int64(stmt, index, v.integer());
  return sqlite3_bind_int(stmt, index, v.boolean() ? 1 : 0);
}

[[noreturn]] void fail(sqlite3* db, int rc, const std::string& what) {
  throw SqlError(kindOf(rc), what + ": " + sqlite3_errmsg(db) + ".");
}

class SqliteBulkInsert final : public BulkInsert {
 public:
  SqliteBulkInsert(sqlite3* db, std::string_view table, const std::vector<std::string>& columns)
      : db_(db), columns_(columns.size()) {
    std::string sql = std::string("INSERT INTO ") + tableWithColumns(table, columns) + " VALUES (";
    for (std::size_t i = 0; i < columns.size(); ++i) sql += i == 0 ? "?" : ", ?";
    sql += ')';
    const int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &st_.stmt, nullptr);
    if (rc != SQLITE_OK) fail(db_, rc, std::string("Erro ao preparar a inclusão em ") + std::string(table));
  }

  void add(const std::vector<engine::Value>& row) override {
    if (row.size() != columns_)
      throw SqlError(SqlError::Kind::Syntax, std::string("Linha com ") + std::to_string(row.size()) +
                                                 " valores para " + std::to_string(columns_) + " colunas.");
    sqlite3_reset(st_.stmt);
    for (std::size_t i = 0; i < row.size(); ++i) {
      const int rc = bindValue(st_.stmt, static_cast<int>(i) + 1, row[i]);
      if (rc != SQLITE_OK) fail(db_, rc, "Erro ao informar um valor da inclusão");
    }
    const int rc = sqlite3_step(st_.stmt);
    if (rc != SQLITE_DONE) fail(db_, rc, "Erro ao gravar no banco de dados");
    ++written_;
  }

  std::int64_t finish() override { return written_; }

 private:
  sqlite3* db_;
  std::size_t columns_;
  Statement st_;
  std::int64_t written_ = 0;
};

class SqliteConnection final : public Connection {
 public:
  SqliteConnection(const std::string& path, const OpenOptions& options) {
    const int flags = options.readOnly ? SQLITE_OPEN_READONLY
                                       : SQLITE_OPEN_READWRITE | (options.create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(path.c_str(), &db_, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
      const std::string why = db_ ? sqlite3_errmsg(db_) : "sem memória";
      sqlite3_close_v2(db_);
      db_ = nullptr;
      throw SqlError(SqlError::Kind::Connection,
                     "Não foi possível abrir o banco de dados " + path + ": " + why + ".");
    }
    // Other processes' writers (a second server, a backup) still meet
    // SQLite's own wait; this process's take turns at the gate.
    sqlite3_busy_timeout(db_, options.busyTimeoutMs);
    if (!options.readOnly && path != ":memory:" && !path.empty()) {
      gate_ = WriteGate::of(path);
      writeWait_ = std::chrono::milliseconds(options.writeWaitMs);
    }
    if (options.statementTimeoutMs > 0) {
      statementLimit_ = std::chrono::milliseconds(options.statementTimeoutMs);
      // Checked every few thousand virtual-machine steps; a non-zero answer
      // interrupts the statement (SQLITE_INTERRUPT).
      sqlite3_progress_handler(db_, 10000, &SqliteConnection::pastDeadline, this);
    }
    sqlite3_extended_result_codes(db_, 1);
    if (!options.readOnly) {
      // FULL: an acknowledged settlement must survive a power loss.
      executeScript("PRAGMA journal_mode=WAL; PRAGMA synchronous=FULL; PRAGMA foreign_keys=ON;");
    }
  }
  ~SqliteConnection() override {
    for (auto& [text, cached] : cache_) sqlite3_finalize(cached.stmt);
    sqlite3_close_v2(db_);  // rolls back a transaction left open
    leaveGate();
  }

  Dialect dialect() const override { return Dialect::Sqlite; }

  std::int64_t execute(std::string_view sql, const Params& params) override {
    Prepared st(*this);
    prepare(sql, params, st);
    const Turn turn(*this, !sqlite3_stmt_readonly(st.stmt));
    int rc;
    while ((rc = sqlite3_step(st.stmt)) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE) fail(rc, "Erro ao gravar no banco de dados");
    return sqlite3_changes64(db_);
  }

  void executeScript(std::string_view sql) override {
    const Turn turn(*this, true);
    char* message = nullptr;
    const std::string text(sql);
    const int rc = sqlite3_exec(db_, text.c_str(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
      const std::string why = message ? message : sqlite3_errstr(rc);
      sqlite3_free(message);
      throw SqlError(kindOf(rc), "Erro no banco de dados: " + why + ".");
    }
  }

  std::unique_ptr<BulkInsert> bulkInsert(std::string_view table,
                                         const std::vector<std::string>& columns) override {
    return std::make_unique<SqliteBulkInsert>(db_, table, columns);
  }

  // Through the statement cache: these run around every call.
  void begin(TransactionMode mode) override {
    if (mode == TransactionMode::Read) {
      execute("BEGIN DEFERRED", {});
      return;
    }
    enterGate();
    try {
      execute("BEGIN IMMEDIATE", {});
    } catch (...) {
      leaveGate();
      throw;
    }
  }
  void commit() override {
    execute("COMMIT", {});
    leaveGate();
  }
  void rollback() noexcept override {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    leaveGate();
  }

 private:
  void scan(std::string_view sql, const Params& params, const OpenBuilder& open) override {
    Prepared st(*this);
    prepare(sql, params, st);
    const Turn turn(*this, !sqlite3_stmt_readonly(st.stmt));
    const int columns = sqlite3_column_count(st.stmt);
    std::vector<SourceColumn> source;
    for (int c = 0; c < columns; ++c) {
      int size = 0;
      const auto type = declaredType(sqlite3_column_decltype(st.stmt, c), size);
      source.push_back({sqlite3_column_name(st.stmt, c), type, size});
    }
    ResultBuilder& out = open(std::move(source));
    for (int rc = sqlite3_step(st.stmt);; rc = sqlite3_step(st.stmt)) {
      if (rc == SQLITE_DONE) break;
      if (rc != SQLITE_ROW) fail(rc, "Erro ao ler o resultado da consulta");
      out.startRow();
      for (int c = 0; c < columns; ++c) {
        switch (sqlite3_column_type(st.stmt, c)) {
          case SQLITE_NULL:
            break;
          case SQLITE_INTEGER:
            out.setInteger(c, sqlite3_column_int64(st.stmt, c));
            break;
          case SQLITE_FLOAT:
            out.setFloat(c, sqlite3_column_double(st.stmt, c));
            break;
          default: {
            const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, c));
            out.setText(
                c, std::string_view(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(st.stmt, c))));
          }
        }
      }
    }
  }

  // Prepared statements are kept by their SQL text: the server runs the same
  // few statements over and over, and preparing costs more than running them.
  struct Cached {
    sqlite3_stmt* stmt = nullptr;
    bool busy = false;
  };
  static constexpr std::size_t kCacheLimit = 256;

  // A statement for one run: borrowed from the cache (reset and unbound
  // afterwards) or, when the same text is already running, owned.
  struct Prepared {
    explicit Prepared(SqliteConnection& c) : conn(c) {}
    ~Prepared() {
      if (!stmt) return;
      if (cached) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        cached->busy = false;
      } else {
        sqlite3_finalize(stmt);
      }
    }
    SqliteConnection& conn;
    sqlite3_stmt* stmt = nullptr;
    Cached* cached = nullptr;
  };

  void enterGate() {
    if (!gate_ || inGate_) return;
    if (!gate_->enter(writeWait_))
      throw SqlError(
          SqlError::Kind::WriteTurn,
          "O servidor está ocupado com outras gravações e não conseguiu gravar em " +
              std::to_string(std::chrono::duration_cast<std::chrono::seconds>(writeWait_).count()) +
              " segundos. Nada foi alterado; tente novamente em instantes.");
    inGate_ = true;
  }
  void leaveGate() noexcept {
    if (!inGate_) return;
    inGate_ = false;
    gate_->leave();
  }
  // A write outside a transaction takes the gate for its own run.
  struct Turn {
    Turn(SqliteConnection& c, bool writes) : conn(c) {
      if (writes && !c.inGate_ && sqlite3_get_autocommit(c.db_)) {
        c.enterGate();
        taken = true;
      }
    }
    ~Turn() {
      if (taken) conn.leaveGate();
    }
    SqliteConnection& conn;
    bool taken = false;
  };

  [[noreturn]] void fail(int rc, const std::string& what) {
    if (interrupted_) throwCancelled();
    ped::sql::fail(db_, rc, what);
  }

 public:
  void interrupt() noexcept override {
    interrupted_ = true;
    sqlite3_interrupt(db_);
  }

 private:
  static int pastDeadline(void* self) {
    auto* c = static_cast<SqliteConnection*>(self);
    return std::chrono::steady_clock::now() > c->deadline_ ? 1 : 0;
  }

  void prepare(std::string_view sql, const Params& params, Prepared& st) {
    if (interrupted_) throwCancelled();
    deadline_ = std::chrono::steady_clock::now() + statementLimit_;
    const auto hit = cache_.find(sql);
    if (hit != cache_.end() && !hit->second.busy) {
      st.stmt = hit->second.stmt;
      st.cached = &hit->second;
      hit->second.busy = true;
    } else {
      const char* tail = nullptr;
      const int rc = sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &st.stmt, &tail);
      if (rc != SQLITE_OK) fail(rc, "Erro na consulta ao banco de dados");
      if (!st.stmt) throw SqlError(SqlError::Kind::Syntax, "Consulta vazia.");
      if (hit == cache_.end()) {
        if (cache_.size() >= kCacheLimit) dropIdleStatements();
        auto& slot = cache_[std::string(sql)];
        slot = {st.stmt, true};
        st.cached = &slot;
      }
    }
    for (int i = 1; i <= sqlite3_bind_parameter_count(st.stmt); ++i) {
      const char* raw = sqlite3_bind_parameter_name(st.stmt, i);
      if (!raw || raw[0] != ':')
        throw SqlError(SqlError::Kind::Syntax, "A consulta usa um parâmetro sem nome.");
      const std::string_view name(raw + 1);
      const auto it = std::find_if(params.begin(), params.end(), [&](const auto& p) {
        return engine::text::equalsIgnoreCase(p.first, name);
      });
      if (it == params.end())
        throw SqlError(SqlError::Kind::Syntax,
                       "Parâmetro " + std::string(name) + " não informado para a consulta.");
      const int brc = bindValue(st.stmt, i, it->second);
      if (brc != SQLITE_OK) fail(brc, "Erro ao informar o parâmetro " + std::string(name));
    }
  }

  void dropIdleStatements() {
    for (auto it = cache_.begin(); it != cache_.end();) {
      if (it->second.busy) {
        ++it;
      } else {
        sqlite3_finalize(it->second.stmt);
        it = cache_.erase(it);
      }
    }
  }

  sqlite3* db_ = nullptr;
  std::shared_ptr<WriteGate> gate_;  // none for read-only and in-memory databases
  std::chrono::milliseconds writeWait_{0};
  bool inGate_ = false;
  std::atomic<bool> interrupted_{false};
  std::chrono::steady_clock::duration statementLimit_ = std::chrono::hours(24 * 365);
  std::chrono::steady_clock::time_point deadline_;
  // std::map: references to its values stay valid while others are added.
  std::map<std::string, Cached, std::less<>> cache_;
};

}  // namespace

std::unique_ptr<Connection> openSqlite(const std::string& path, const OpenOptions& options) {
  return std::make_unique<SqliteConnection>(path, options);
}

}  // namespace ped::sql
