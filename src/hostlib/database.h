#pragma once
// Read-only look-up queries over the host's shared database connection
// (dtmDBGeral): SQL with named parameters (":P_CDFILIAL"), results into a
// data set. A query that fails is a DatabaseError the caller can catch.

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/data_set.h"
#include "engine/value.h"
#include "sql/connection.h"

namespace ped::hostlib {

class DatabaseError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Parameter values by name, without the leading ':'. Dates travel as ISO
// text ("2026-12-07"), the way the database keeps them.
using QueryParams = std::vector<std::pair<std::string, engine::Value>>;

class Database {
 public:
  virtual ~Database() = default;
  // Runs `sql` and loads its rows into `into` (open, first row, afterOpen,
  // afterScroll). A data set with fields takes the columns of the same names
  // (a field with no such column is an error); one without fields takes the
  // query's columns. Every parameter the SQL names must be given.
  virtual void query(std::string_view sql, const QueryParams& params, engine::DataSet& into) = 0;
};

// The look-up database on SQLite or PostgreSQL (a file path or a PostgreSQL
// connection string, see sql::isPostgresTarget), opened read-only.
class SqlDatabase : public Database {
 public:
  // Throws DatabaseError when the database cannot be opened.
  explicit SqlDatabase(const std::string& target);
  ~SqlDatabase() override;
  SqlDatabase(const SqlDatabase&) = delete;
  SqlDatabase& operator=(const SqlDatabase&) = delete;

  void query(std::string_view sql, const QueryParams& params, engine::DataSet& into) override;

 private:
  std::unique_ptr<sql::Connection> db_;
};

// The query component as screens use it: SQL text, parameters set by name,
// Open into its own data set. `beforeOpen` runs at every opening, after the
// SQL is final and before it runs, so a screen can set parameters there.
class TADOIBQuery {
 public:
  TADOIBQuery(Database& db, std::string name) : db_(db), rows_(std::move(name)) {}
  void setSQL(std::string sql) { sql_ = std::move(sql); }
  const std::string& sql() const { return sql_; }
  // The parameters the current SQL names (upper case, without ':'), in order
  // of first use.
  std::vector<std::string> paramNames() const;
  bool hasParam(std::string_view name) const;
  void setParam(std::string_view name, engine::Value value);
  // The values set so far, by name, in the order they were first set.
  const QueryParams& params() const { return params_; }
  // Throws DatabaseError (the data set is left as it was) when the query fails.
  void Open();
  void Close() { rows_.close(); }
  bool active() const { return rows_.active(); }
  engine::DataSet& rows() { return rows_; }

  std::function<void(TADOIBQuery&)> beforeOpen;

 private:
  Database& db_;
  std::string sql_;
  QueryParams params_;
  engine::DataSet rows_;
};

// The host's product query for a branch: the products that the branch's
// orders hold, in product-tree order, with the parameter P_CDFILIAL (the
// branch). With `reopen` the query is opened again at once (running its
// beforeOpen). Returns the line the product pick list shows under its title.
// The empty text is the host's and changes nothing here.
std::string SQL_Pesquisa_Produto(std::string_view branch, std::string_view unused, TADOIBQuery& query,
                                 bool reopen);

}  // namespace ped::hostlib
