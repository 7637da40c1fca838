#include "hostlib/database.h"

#include <sqlite3.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "engine/column_store.h"
#include "engine/date_time.h"
#include "engine/packet.h"
#include "engine/text.h"

namespace ped::hostlib {
namespace {

using engine::FieldType;

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  return out;
}

// A column's type from its declared SQL type; nullopt when it has none (an
// expression), to be read from the values.
std::optional<std::pair<FieldType, int>> declaredType(const char* decl) {
  if (!decl || !*decl) return std::nullopt;
  const std::string d = upper(decl);
  int size = 0;
  if (const auto open = d.find('('); open != std::string::npos) size = std::atoi(d.c_str() + open + 1);
  if (d.find("DATE") != std::string::npos || d.find("TIME") != std::string::npos)
    return {{FieldType::DateTime, 0}};
  if (d.find("CHAR") != std::string::npos || d.find("TEXT") != std::string::npos ||
      d.find("CLOB") != std::string::npos)
    return {{FieldType::Text, size}};
  if (d.find("BOOL") != std::string::npos) return {{FieldType::Boolean, 0}};
  if (d.find("INT") != std::string::npos) return {{FieldType::Integer, 0}};
  return {{FieldType::Float, 0}};  // REAL, DOUBLE, NUMERIC, DECIMAL...
}

struct Statement {
  sqlite3_stmt* stmt = nullptr;
  ~Statement() { sqlite3_finalize(stmt); }
};

}  // namespace

struct SqliteDatabase::Handle {
  sqlite3* db = nullptr;
  ~Handle() { sqlite3_close_v2(db); }
};

SqliteDatabase::SqliteDatabase(const std::string& path) : db_(std::make_unique<Handle>()) {
  if (sqlite3_open_v2(path.c_str(), &db_->db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
    throw DatabaseError("Não foi possível abrir o banco de dados " + path + ": " +
                        (db_->db ? sqlite3_errmsg(db_->db) : "sem memória") + ".");
  sqlite3_busy_timeout(db_->db, 5000);
}

SqliteDatabase::~SqliteDatabase() = default;

void SqliteDatabase::query(std::string_view sql, const QueryParams& params, engine::DataSet& into) {
  sqlite3* db = db_->db;
  auto fail = [&](const std::string& what) -> DatabaseError {
    return DatabaseError(what + ": " + sqlite3_errmsg(db) + ".");
  };
  Statement st;
  if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &st.stmt, nullptr) != SQLITE_OK)
    throw fail("Erro na consulta ao banco de dados");
  if (!st.stmt) throw DatabaseError("Consulta vazia.");

  for (int i = 1; i <= sqlite3_bind_parameter_count(st.stmt); ++i) {
    const char* raw = sqlite3_bind_parameter_name(st.stmt, i);
    if (!raw || raw[0] != ':') throw DatabaseError("A consulta usa um parâmetro sem nome.");
    const std::string_view name(raw + 1);
    const auto it = std::find_if(params.begin(), params.end(), [&](const auto& p) {
      return engine::text::equalsIgnoreCase(p.first, name);
    });
    if (it == params.end())
      throw DatabaseError("Parâmetro " + std::string(name) + " não informado para a consulta.");
    const engine::Value& v = it->second;
    int rc = SQLITE_OK;
    if (v.isNull())
      rc = sqlite3_bind_null(st.stmt, i);
    else if (v.isText())
      rc =
          sqlite3_bind_text(st.stmt, i, v.text().data(), static_cast<int>(v.text().size()), SQLITE_TRANSIENT);
    else if (v.isFloat())
      rc = sqlite3_bind_double(st.stmt, i, v.number());
    else if (v.isInteger())
      rc = sqlite3_bind_int64(st.stmt, i, v.integer());
    else
      rc = sqlite3_bind_int(st.stmt, i, v.boolean() ? 1 : 0);
    if (rc != SQLITE_OK) throw fail("Erro ao informar o parâmetro " + std::string(name));
  }

  // Which query column feeds each field, and the fields' layout.
  const int columns = sqlite3_column_count(st.stmt);
  std::vector<engine::FieldSpec> layout = into.layout();
  const bool adopt = layout.empty();
  std::vector<int> source;  // query column of each layout field, -1 for calculated ones
  std::vector<bool> typeFromValues;
  if (adopt) {
    for (int c = 0; c < columns; ++c) {
      const auto declared = declaredType(sqlite3_column_decltype(st.stmt, c));
      layout.push_back({sqlite3_column_name(st.stmt, c), declared ? declared->first : FieldType::Text,
                        declared ? declared->second : 0, false});
      source.push_back(c);
      typeFromValues.push_back(!declared);
    }
  } else {
    for (const engine::FieldSpec& f : layout) {
      int found = -1;
      for (int c = 0; c < columns && !f.calculated; ++c)
        if (engine::text::equalsIgnoreCase(sqlite3_column_name(st.stmt, c), f.name)) found = c;
      if (found < 0 && !f.calculated)
        throw DatabaseError("A consulta não devolve o campo " + f.name + " de " + into.name() + ".");
      source.push_back(found);
      typeFromValues.push_back(false);
    }
  }

  std::vector<std::vector<engine::Value>> rows;
  std::vector<std::size_t> longest(layout.size(), 1);
  for (int rc = sqlite3_step(st.stmt);; rc = sqlite3_step(st.stmt)) {
    if (rc == SQLITE_DONE) break;
    if (rc != SQLITE_ROW) throw fail("Erro ao ler o resultado da consulta");
    std::vector<engine::Value> row(layout.size());
    for (std::size_t f = 0; f < layout.size(); ++f) {
      const int c = source[f];
      if (c < 0) continue;
      const int kind = sqlite3_column_type(st.stmt, c);
      if (kind == SQLITE_NULL) continue;
      if (typeFromValues[f] && rows.empty()) {
        layout[f].type = kind == SQLITE_INTEGER ? FieldType::Integer
                         : kind == SQLITE_FLOAT ? FieldType::Float
                                                : FieldType::Text;
        typeFromValues[f] = false;
      }
      const FieldType type = layout[f].type;
      auto bad = [&](const char* what) {
        return DatabaseError(std::string(what) + " no campo " + layout[f].name +
                             " do resultado da consulta.");
      };
      if (type == FieldType::Text || (type == FieldType::DateTime && kind == SQLITE_TEXT)) {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(st.stmt, c));
        const std::string_view s(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(st.stmt, c)));
        if (!engine::text::isValidUtf8(s)) throw bad("Texto inválido");
        if (type == FieldType::DateTime) {
          auto d = engine::date_time::fromIso(s);
          if (!d) d = engine::date_time::fromBrazilian(s);
          if (!d) throw bad("Data inválida");
          if (*d != 0) row[f] = engine::Value(*d);
        } else {
          longest[f] = std::max(longest[f], engine::text::length(s));
          row[f] = engine::Value(s);
        }
      } else if (type == FieldType::Integer || type == FieldType::Boolean) {
        if (kind != SQLITE_INTEGER) throw bad("Valor não inteiro");
        const auto i = sqlite3_column_int64(st.stmt, c);
        row[f] =
            type == FieldType::Boolean ? engine::Value(i != 0) : engine::Value(static_cast<std::int64_t>(i));
      } else if (type == FieldType::Float) {
        if (kind != SQLITE_INTEGER && kind != SQLITE_FLOAT) throw bad("Valor não numérico");
        row[f] = engine::Value(sqlite3_column_double(st.stmt, c));
      } else {
        throw bad("Data inválida");
      }
    }
    rows.push_back(std::move(row));
  }

  // Sizes of adopted text columns without a declared one follow the longest value.
  if (adopt)
    for (std::size_t f = 0; f < layout.size(); ++f)
      if (layout[f].type == FieldType::Text && layout[f].size == 0)
        layout[f].size = static_cast<int>(longest[f]);

  std::vector<FieldType> types;
  for (const engine::FieldSpec& f : layout) types.push_back(f.type);
  engine::Table table(types);
  for (const auto& row : rows) {
    const engine::RowId r = table.addRow();
    for (std::size_t f = 0; f < layout.size(); ++f) {
      const engine::Value& v = row[f];
      if (v.isNull()) continue;
      if (v.isText())
        table.mutableColumn(f).setText(
            r, engine::text::truncate(v.text(), static_cast<std::size_t>(engine::effectiveSize(layout[f]))));
      else
        table.mutableColumn(f).set(r, v);
    }
  }
  into.loadTable(std::move(table), layout);
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
