// PostgreSQL behind the Connection interface, through libpq. Parameters
// travel apart from the SQL text, in text form with their types left to the
// server to infer from the statement. Each statement text is prepared once
// per connection and then only executed: the server runs the same few
// statements over and over, and parsing and planning them cost more than
// running them.

#include "sql/postgres_connection.h"

#include <libpq-fe.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstring>
#include <map>

#include "engine/text.h"
#include "sql/identifiers.h"
#include "sql/named_params.h"
#include "sql/result_builder.h"

namespace ped::sql {
namespace {

// Type OIDs of the catalog (pg_type), stable across server versions.
enum : Oid {
  kBool = 16,
  kInt8 = 20,
  kInt2 = 21,
  kInt4 = 23,
  kText = 25,
  kFloat4 = 700,
  kFloat8 = 701,
  kBpchar = 1042,
  kVarchar = 1043,
  kDate = 1082,
  kTimestamp = 1114,
  kTimestampTz = 1184,
  kNumeric = 1700,
};

std::optional<engine::FieldType> typeOf(Oid oid, int mod, int& size) {
  using engine::FieldType;
  size = 0;
  switch (oid) {
    case kBool:
      return FieldType::Boolean;
    case kInt2:
    case kInt4:
    case kInt8:
      return FieldType::Integer;
    case kFloat4:
    case kFloat8:
    case kNumeric:
      return FieldType::Float;
    case kDate:
    case kTimestamp:
    case kTimestampTz:
      return FieldType::DateTime;
    case kBpchar:
    case kVarchar:
      if (mod >= 4) size = mod - 4;
      return FieldType::Text;
    default:
      return FieldType::Text;
  }
}

SqlError::Kind kindOf(const char* sqlstate) {
  if (!sqlstate) return SqlError::Kind::Other;
  const std::string_view s(sqlstate);
  if (s == "23505" || s == "40001" || s == "40P01") return SqlError::Kind::Conflict;
  if (s == "55P03" || s == "57014") return SqlError::Kind::Busy;
  if (s == "22001" || s == "22021" || s == "22P05") return SqlError::Kind::Invalid;
  if (s.starts_with("08")) return SqlError::Kind::Connection;
  if (s.starts_with("42")) return SqlError::Kind::Syntax;
  return SqlError::Kind::Other;
}

struct ResultHandle {
  PGresult* res = nullptr;
  ~ResultHandle() { PQclear(res); }
};

std::string trimmed(const char* message) {
  std::string s = message ? message : "";
  while (!s.empty() && (s.back() == '\n' || s.back() == ' ')) s.pop_back();
  return s;
}

// A value as COPY's text format writes it: \N for null, backslash escapes
// for the characters that would end a field or a row.
void appendCopyField(std::string& out, const engine::Value& v) {
  if (v.isNull()) {
    out += "\\N";
  } else if (v.isText()) {
    refuseNul(v.text());
    for (const char c : v.text()) {
      switch (c) {
        case '\\':
          out += "\\\\";
          break;
        case '\t':
          out += "\\t";
          break;
        case '\n':
          out += "\\n";
          break;
        case '\r':
          out += "\\r";
          break;
        default:
          out += c;
      }
    }
  } else if (v.isInteger()) {
    out += std::to_string(v.integer());
  } else if (v.isFloat()) {
    char buf[32];
    out.append(buf, std::to_chars(buf, buf + sizeof buf, v.number()).ptr);
  } else {
    out += v.boolean() ? 't' : 'f';
  }
}

class PostgresBulkInsert final : public BulkInsert {
 public:
  // REQUIRES: the COPY has been started on `conn` (PGRES_COPY_IN).
  PostgresBulkInsert(PGconn* conn, std::size_t columns) : conn_(conn), columns_(columns) {}
  ~PostgresBulkInsert() override {
    if (open_) {
      PQputCopyEnd(conn_, "inclusão abandonada");
      drainResults();
    }
  }

  void add(const std::vector<engine::Value>& row) override {
    if (row.size() != columns_)
      throw SqlError(SqlError::Kind::Syntax, std::string("Linha com ") + std::to_string(row.size()) +
                                                 " valores para " + std::to_string(columns_) + " colunas.");
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) buffer_ += '\t';
      appendCopyField(buffer_, row[i]);
    }
    buffer_ += '\n';
    ++written_;
    if (buffer_.size() >= kFlushBytes) flush();
  }

  std::int64_t finish() override {
    flush();
    open_ = false;
    if (PQputCopyEnd(conn_, nullptr) != 1) failSending();
    PGresult* res = PQgetResult(conn_);
    const bool ok = res && PQresultStatus(res) == PGRES_COMMAND_OK;
    if (!ok) {
      const std::string state =
          res && PQresultErrorField(res, PG_DIAG_SQLSTATE) ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : "";
      const std::string why = trimmed(res ? PQresultErrorMessage(res) : PQerrorMessage(conn_));
      PQclear(res);
      drainResults();
      throw SqlError(kindOf(state.empty() ? nullptr : state.c_str()),
                     std::string("Erro ao gravar no banco de dados: ") + why);
    }
    PQclear(res);
    drainResults();
    return written_;
  }

 private:
  static constexpr std::size_t kFlushBytes = 256 * 1024;

  void flush() {
    if (buffer_.empty()) return;
    if (PQputCopyData(conn_, buffer_.data(), static_cast<int>(buffer_.size())) != 1) failSending();
    buffer_.clear();
  }
  void drainResults() {
    while (PGresult* res = PQgetResult(conn_)) PQclear(res);
  }
  // libpq could not send: the connection itself failed.
  [[noreturn]] void failSending() {
    throw SqlError(SqlError::Kind::Connection,
                   std::string("Erro ao gravar no banco de dados: ") + trimmed(PQerrorMessage(conn_)));
  }

  PGconn* conn_;
  std::size_t columns_;
  std::string buffer_;
  std::int64_t written_ = 0;
  bool open_ = true;
};

class PostgresConnection final : public Connection {
 public:
  PostgresConnection(const std::string& conninfo, const OpenOptions& options) {
    conn_ = PQconnectdb(conninfo.c_str());
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
      const std::string why = conn_ ? trimmed(PQerrorMessage(conn_)) : "sem memória";
      PQfinish(conn_);
      conn_ = nullptr;
      throw SqlError(SqlError::Kind::Connection, "Não foi possível conectar ao PostgreSQL: " + why + ".");
    }
    std::string setup =
        "SET client_encoding = 'UTF8'; SET DateStyle = 'ISO, YMD'; SET TimeZone = 'UTC'; "
        "SET client_min_messages = 'warning'; SET lock_timeout = " +
        std::to_string(options.busyTimeoutMs) +
        "; SET statement_timeout = " + std::to_string(options.statementTimeoutMs) +
        "; SET idle_in_transaction_session_timeout = " + std::to_string(options.idleInTransactionTimeoutMs) +
        ";";
    if (options.readOnly) setup += " SET default_transaction_read_only = on;";
    executeScript(setup);
    cancel_ = PQgetCancel(conn_);
  }
  ~PostgresConnection() override {
    if (cancel_) PQfreeCancel(cancel_);
    PQfinish(conn_);
  }

  void interrupt() noexcept override {
    interrupted_ = true;
    char why[256];
    if (cancel_) PQcancel(cancel_, why, sizeof why);
  }

  Dialect dialect() const override { return Dialect::Postgres; }

  std::int64_t execute(std::string_view sql, const Params& params) override {
    ResultHandle r;
    run(sql, params, r);
    const char* n = PQcmdTuples(r.res);
    return n && *n ? std::atoll(n) : 0;
  }

  void executeScript(std::string_view sql) override {
    reconnectIfLost();
    std::string text;
    for (const std::string& soon : pending_) text += soon + "; ";
    pending_.clear();
    text += sql;
    ResultHandle r{PQexec(conn_, text.c_str())};
    check(r.res, "Erro no banco de dados");
  }

  void executeSoon(std::string_view sql) override { pending_.emplace_back(sql); }

  std::unique_ptr<BulkInsert> bulkInsert(std::string_view table,
                                         const std::vector<std::string>& columns) override {
    if (!pending_.empty()) executeScript("");
    reconnectIfLost();
    const std::string sql = std::string("COPY ") + tableWithColumns(table, columns) + " FROM STDIN";
    ResultHandle r{PQexec(conn_, sql.c_str())};
    if (!r.res || PQresultStatus(r.res) != PGRES_COPY_IN) {
      check(r.res, std::string("Erro ao iniciar a inclusão em ") + std::string(table));
      throw SqlError(SqlError::Kind::Other,
                     std::string("O PostgreSQL não aceitou a inclusão em ") + std::string(table) + ".");
    }
    return std::make_unique<PostgresBulkInsert>(conn_, columns.size());
  }

  void begin(TransactionMode mode) override {
    reconnectIfLost();
    executeSoon(mode == TransactionMode::Read ? "BEGIN ISOLATION LEVEL REPEATABLE READ, READ ONLY"
                                              : "BEGIN ISOLATION LEVEL READ COMMITTED");
    inTransaction_ = true;
  }
  void commit() override {
    inTransaction_ = false;
    executeScript("COMMIT");
  }
  void rollback() noexcept override {
    pending_.clear();
    inTransaction_ = false;
    if (PQtransactionStatus(conn_) != PQTRANS_IDLE) PQclear(PQexec(conn_, "ROLLBACK"));
  }

 private:
  void scan(std::string_view sql, const Params& params, const OpenBuilder& open) override {
    ResultHandle r;
    run(sql, params, r);
    const int columns = PQnfields(r.res);
    std::vector<SourceColumn> source;
    for (int c = 0; c < columns; ++c) {
      int size = 0;
      const auto type = typeOf(PQftype(r.res, c), PQfmod(r.res, c), size);
      source.push_back({PQfname(r.res, c), type, size});
    }
    ResultBuilder& out = open(std::move(source));
    const int rows = PQntuples(r.res);
    for (int row = 0; row < rows; ++row) {
      out.startRow();
      for (int c = 0; c < columns; ++c) {
        if (PQgetisnull(r.res, row, c)) continue;
        const std::string_view v(PQgetvalue(r.res, row, c),
                                 static_cast<std::size_t>(PQgetlength(r.res, row, c)));
        switch (PQftype(r.res, c)) {
          case kBool:
            out.setBoolean(c, v == "t");
            break;
          case kInt2:
          case kInt4:
          case kInt8: {
            std::int64_t i = 0;
            std::from_chars(v.data(), v.data() + v.size(), i);
            out.setInteger(c, i);
            break;
          }
          case kFloat4:
          case kFloat8:
          case kNumeric: {
            double d = 0;
            std::from_chars(v.data(), v.data() + v.size(), d);
            out.setFloat(c, d);
            break;
          }
          default:
            out.setText(c, v);
        }
      }
    }
  }

  // A connection lost between calls (server restarted) is opened again;
  // one lost inside a transaction is not, the transaction is gone with it.
  void reconnectIfLost() {
    if (PQstatus(conn_) == CONNECTION_BAD && !inTransaction_) {
      PQreset(conn_);
      prepared_.clear();  // gone with the old session
    }
  }

  struct Prepared {
    std::string name;
    PositionalSql positional;
  };
  // Texts built from long lists come and go: past this many the connection
  // forgets them all rather than keep every one it ever saw.
  static constexpr std::size_t kPreparedLimit = 256;

  // The statement prepared for `sql`, preparing it now if new.
  const Prepared& prepared(std::string_view sql) {
    if (const auto hit = prepared_.find(sql); hit != prepared_.end()) return hit->second;
    if (prepared_.size() >= kPreparedLimit) {
      ResultHandle r{PQexec(conn_, "DEALLOCATE ALL")};
      check(r.res, "Erro no banco de dados");
      prepared_.clear();
    }
    Prepared p{std::to_string(++preparedCount_), toPositional(sql)};
    p.name.insert(0, 1, 's');
    ResultHandle r{PQprepare(conn_, p.name.c_str(), p.positional.text.c_str(),
                             static_cast<int>(p.positional.names.size()), nullptr)};
    check(r.res, "Erro na consulta ao banco de dados");
    return prepared_.emplace(std::string(sql), std::move(p)).first->second;
  }

  void check(PGresult* res, const std::string& what) {
    const auto status = res ? PQresultStatus(res) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK) return;
    if (interrupted_) throwCancelled();
    const char* state = res ? PQresultErrorField(res, PG_DIAG_SQLSTATE) : nullptr;
    const std::string why = trimmed(res ? PQresultErrorMessage(res) : PQerrorMessage(conn_));
    throw SqlError(PQstatus(conn_) == CONNECTION_BAD ? SqlError::Kind::Connection : kindOf(state),
                   what + ": " + why);
  }

  void run(std::string_view sql, const Params& params, ResultHandle& r) {
    if (interrupted_) throwCancelled();
    reconnectIfLost();
    const Prepared& statement = prepared(sql);
    const PositionalSql& positional = statement.positional;
    std::vector<std::string> texts(positional.names.size());
    std::vector<const char*> values(positional.names.size(), nullptr);
    for (std::size_t i = 0; i < positional.names.size(); ++i) {
      const std::string& name = positional.names[i];
      const auto it = std::find_if(params.begin(), params.end(), [&](const auto& p) {
        return engine::text::equalsIgnoreCase(p.first, name);
      });
      if (it == params.end())
        throw SqlError(SqlError::Kind::Syntax, "Parâmetro " + name + " não informado para a consulta.");
      const engine::Value& v = it->second;
      if (v.isNull()) continue;
      if (v.isText()) {
        refuseNul(v.text());
        texts[i] = v.text();
      } else if (v.isInteger()) {
        texts[i] = std::to_string(v.integer());
      } else if (v.isFloat()) {
        char buf[32];
        const auto end = std::to_chars(buf, buf + sizeof buf, v.number()).ptr;
        texts[i].assign(buf, end);
      } else {
        texts[i] = v.boolean() ? "true" : "false";
      }
      values[i] = texts[i].c_str();
    }
    if (pending_.empty() || PQenterPipelineMode(conn_) != 1) {
      if (!pending_.empty()) executeScript("");
      r.res = PQexecPrepared(conn_, statement.name.c_str(), static_cast<int>(values.size()), values.data(),
                             nullptr, nullptr, 0);
    } else {
      r.res = pipelined(statement, values);
    }
    check(r.res, "Erro na consulta ao banco de dados");
  }

  // The statements waiting to be sent, then `statement`, in one round trip;
  // its result, or the first failure among them.
  PGresult* pipelined(const Prepared& statement, const std::vector<const char*>& values) {
    std::vector<std::string> soon;
    soon.swap(pending_);
    for (const std::string& text : soon)
      PQsendQueryParams(conn_, text.c_str(), 0, nullptr, nullptr, nullptr, nullptr, 0);
    PQsendQueryPrepared(conn_, statement.name.c_str(), static_cast<int>(values.size()), values.data(),
                        nullptr, nullptr, 0);
    PQpipelineSync(conn_);
    PGresult* answer = nullptr;
    for (std::size_t i = 0; i <= soon.size(); ++i) {
      PGresult* res = PQgetResult(conn_);
      const auto status = res ? PQresultStatus(res) : PGRES_FATAL_ERROR;
      const bool failed = status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK;
      if (!answer && (failed || i == soon.size()))
        answer = res;
      else
        PQclear(res);
      if (res)
        while (PGresult* rest = PQgetResult(conn_)) PQclear(rest);
    }
    // Up to the sync, then out of the pipeline.
    for (int guard = 0; guard < 4; ++guard) {
      PGresult* res = PQgetResult(conn_);
      const bool sync = res && PQresultStatus(res) == PGRES_PIPELINE_SYNC;
      PQclear(res);
      if (sync) break;
    }
    PQexitPipelineMode(conn_);
    return answer;
  }

  PGconn* conn_ = nullptr;
  std::vector<std::string> pending_;  // executeSoon's, in order
  PGcancel* cancel_ = nullptr;        // made once: PQcancel may then run on any thread
  std::atomic<bool> interrupted_{false};
  bool inTransaction_ = false;
  std::map<std::string, Prepared, std::less<>> prepared_;
  std::uint64_t preparedCount_ = 0;
};

}  // namespace

std::unique_ptr<Connection> openPostgres(const std::string& conninfo, const OpenOptions& options) {
  return std::make_unique<PostgresConnection>(conninfo, options);
}

}  // namespace ped::sql
