#pragma once
// One way to reach SQLite and PostgreSQL. SQL is written once, with named
// parameters (":NRPEDIDO") that are always bound, never spliced in. Rows come
// back as an engine table with its field layout, ready for a data set or a
// packet.
//
// A Connection is used by one thread at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/column_store.h"
#include "engine/packet.h"
#include "engine/value.h"
#include "sql/error.h"

namespace ped::sql {

class ResultBuilder;
struct SourceColumn;

// Parameter values by name, without the leading ':' (case-insensitive).
// Dates travel as ISO text ("2026-12-07"), the way both databases read them.
using Params = std::vector<std::pair<std::string, engine::Value>>;

enum class Dialect { Sqlite, Postgres };

// The rows of a query.
struct Result {
  std::vector<engine::FieldSpec> layout;
  engine::Table table;

  std::size_t rowCount() const { return table.physicalRows(); }
  // Column index by name (case-insensitive). Throws SqlError when absent.
  std::size_t column(std::string_view name) const;
  // The cell of row `row` (0-based) as a value; dates as Float.
  engine::Value value(std::size_t row, std::string_view name) const;
  // The cell as text ("" for null); REQUIRES a Text column.
  std::string_view text(std::size_t row, std::string_view name) const;
  // Integer (0 for null). Works for Integer and integral Float columns.
  std::int64_t integer(std::size_t row, std::string_view name) const;
  double number(std::size_t row, std::string_view name) const;  // 0 for null
  bool isNull(std::size_t row, std::string_view name) const;
};

// Rows already written as a packet.
struct PacketRows {
  std::string json;
  std::size_t rows = 0;
};

// How query() lays out its rows.
//  - empty: the query's own columns, named in upper case, typed from their
//    declared SQL types (or from the values, for expressions);
//  - given: each data field takes the column of the same name, converted to
//    the field's type (a missing column is an error); calculated fields stay
//    null.
using Layout = std::vector<engine::FieldSpec>;

// Many rows into one table, far faster than one execute() per row: SQLite
// reuses one prepared statement, PostgreSQL streams the rows with COPY.
// Obtained from Connection::bulkInsert(); while it is open, the connection
// runs nothing else.
class BulkInsert {
 public:
  virtual ~BulkInsert() = default;
  // One row, its values in the order of the columns named to bulkInsert().
  // REQUIRES: row.size() equals the number of those columns; finish() not
  // yet called. A row the database refuses throws SqlError here or, on
  // PostgreSQL, from finish(); either way the enclosing transaction is
  // then lost and must be rolled back.
  virtual void add(const std::vector<engine::Value>& row) = 0;
  // Ends the insert; only then may the connection run other statements.
  // Returns the number of rows written. Destroying an unfinished insert
  // abandons it (the rows sent may or may not be kept until rollback).
  virtual std::int64_t finish() = 0;
};

enum class TransactionMode {
  Read,   // a consistent snapshot for several reads
  Write,  // takes the write lock at once (SQLite) so it cannot fail half-way on a lock
};

class Connection {
 public:
  virtual ~Connection() = default;
  virtual Dialect dialect() const = 0;

  // Runs one statement and returns its rows (none for statements without).
  // Every parameter the SQL names must be in `params`; extra ones are ignored.
  Result query(std::string_view sql, const Params& params = {}, const Layout& layout = {});
  // The same rows written straight into a packet laid out as `layout`
  // (REQUIRES: not empty), without a table in between: for results that are
  // only sent on.
  PacketRows queryPacket(std::string_view sql, const Params& params, const Layout& layout);
  // Runs one statement; returns the number of rows it changed.
  virtual std::int64_t execute(std::string_view sql, const Params& params = {}) = 0;
  // Runs several statements without parameters (schema changes).
  virtual void executeScript(std::string_view sql) = 0;
  // A statement without parameters or rows, for transaction control, whose
  // failure may surface at the next statement: PostgreSQL sends it with
  // that statement, saving a round trip; SQLite runs it at once.
  virtual void executeSoon(std::string_view sql) { executeScript(sql); }
  // Starts inserting rows into `table`, filling `columns` (other columns
  // take their defaults). Names are plain identifiers (letters, digits,
  // '_'); anything else throws SqlError(Syntax). Meant to run inside a write
  // transaction.
  virtual std::unique_ptr<BulkInsert> bulkInsert(std::string_view table,
                                                 const std::vector<std::string>& columns) = 0;

  virtual void begin(TransactionMode mode) = 0;
  virtual void commit() = 0;
  virtual void rollback() noexcept = 0;

  // Cancels the statement running now on another thread, and every later
  // one: they throw SqlError(Cancelled); rollback() still works. For a
  // server that stops. Thread-safe; REQUIRES: the connection stays open
  // until this returns.
  virtual void interrupt() noexcept = 0;

 protected:
  // Runs one statement: `open` gets its columns and returns the builder that
  // takes its cells, row by row (see result_builder.h).
  using OpenBuilder = std::function<ResultBuilder&(std::vector<SourceColumn>)>;
  virtual void scan(std::string_view sql, const Params& params, const OpenBuilder& open) = 0;
};

struct OpenOptions {
  bool readOnly = false;
  bool create = false;  // SQLite: create the file when missing
  int busyTimeoutMs = 5000;
  // SQLite: how long a write waits for its turn behind the other writers of
  // the same file in this process (see write_gate.h) before it fails with
  // SqlError(WriteTurn), having changed nothing.
  int writeWaitMs = 30000;
  // The longest one statement may run; 0 for no limit. A statement past it
  // fails with SqlError(Busy) and changes nothing.
  int statementTimeoutMs = 0;
  // PostgreSQL: a transaction left idle this long is ended by the database,
  // so a client that hangs or loses its network cannot hold row locks for
  // good (one that dies closes its connection and loses them at once). 0 for
  // no limit.
  int idleInTransactionTimeoutMs = 10000;
};

// True for a PostgreSQL connection string: a URI ("postgresql://...",
// "postgres://...") or key=value pairs ("host=... dbname=..."); anything else
// is a SQLite file path.
bool isPostgresTarget(std::string_view target);

// Opens `target` (see isPostgresTarget). Throws SqlError(Connection).
std::unique_ptr<Connection> open(const std::string& target, const OpenOptions& options = {});

// Rolls back unless committed: every way out of a failed write leaves the
// database as it was.
class Transaction {
 public:
  Transaction(Connection& db, TransactionMode mode) : db_(db) { db_.begin(mode); }
  ~Transaction() {
    if (!done_) db_.rollback();
  }
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit() {
    db_.commit();
    done_ = true;
  }

 private:
  Connection& db_;
  bool done_ = false;
};

// A part of a transaction that can be undone alone: each order of a
// settlement is all or nothing while the call's transaction goes on.
// Destroyed without release(), it rolls back to where it began (also after
// a failed statement, which on PostgreSQL spoils the transaction until then).
// REQUIRES: inside a transaction.
class Savepoint {
 public:
  explicit Savepoint(Connection& db) : db_(db) { db_.executeSoon("SAVEPOINT PED_PARTE"); }
  ~Savepoint() {
    if (done_) return;
    try {
      db_.executeScript("ROLLBACK TO SAVEPOINT PED_PARTE; RELEASE SAVEPOINT PED_PARTE");
    } catch (...) {
      // The connection failed: the whole transaction is lost with it.
    }
  }
  Savepoint(const Savepoint&) = delete;
  Savepoint& operator=(const Savepoint&) = delete;
  void release() {
    db_.executeSoon("RELEASE SAVEPOINT PED_PARTE");
    done_ = true;
  }

 private:
  Connection& db_;
  bool done_ = false;
};

}  // namespace ped::sql
