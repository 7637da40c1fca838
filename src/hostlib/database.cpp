#include "hostlib/database.h"

#include "engine/text.h"
#include "sql/named_params.h"

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

std::vector<std::string> TADOIBQuery::paramNames() const { return sql::toPositional(sql_).names; }

bool TADOIBQuery::hasParam(std::string_view name) const {
  for (const std::string& n : paramNames())
    if (engine::text::equalsIgnoreCase(n, name)) return true;
  return false;
}

void TADOIBQuery::Open() {
  if (beforeOpen) beforeOpen(*this);
  db_.query(sql_, params_, rows_);
}

std::string SQL_Pesquisa_Produto(std::string_view branch, std::string_view, TADOIBQuery& query, bool reopen) {
  query.Close();
  query.setSQL(
      "SELECT P.CDARVPROD, P.NMPRODUTO FROM PRODUTO P WHERE EXISTS (SELECT 1 FROM ITEMPEDIDO I"
      " WHERE I.CDFILIAL = :P_CDFILIAL AND I.CDPRODUTO = P.CDPRODUTO) ORDER BY P.CDARVPROD");
  query.setParam("P_CDFILIAL", branch);
  if (reopen) query.Open();
  return "Produtos com pedidos na filial " + std::string(branch);
}

}  // namespace ped::hostlib
