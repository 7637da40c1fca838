#include "hostlib/database.h"

#include "engine/text.h"

namespace ped::hostlib {

SqlDatabase::SqlDatabase(const std::string& target) {
  try {
    sql::OpenOptions options;
    options.readOnly = true;
    db_ = sql::open(target, options);
  } catch (const sql::SqlError& e) {
    throw DatabaseError(e.what());
  }
}

SqlDatabase::~SqlDatabase() = default;

void SqlDatabase::query(std::string_view sql, const QueryParams& params, engine::DataSet& into) {
  sql::Result rows;
  try {
    rows = db_->query(sql, params, into.layout());
  } catch (const sql::SqlError& e) {
    throw DatabaseError(e.what());
  }
  into.loadTable(std::move(rows.table), rows.layout);
}

void TADOIBQuery::setParam(std::string_view name, engine::Value value) {
  for (auto& [n, v] : params_)
    if (engine::text::equalsIgnoreCase(n, name)) {
      v = std::move(value);
      return;
    }
  params_.emplace_back(std::string(name), std::move(value));
}

}  // namespace ped::hostlib
