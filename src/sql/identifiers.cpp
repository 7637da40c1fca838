#include "sql/identifiers.h"

#include "sql/error.h"

namespace ped::sql {

bool isPlainIdentifier(std::string_view name) {
  if (name.empty() || (name[0] >= '0' && name[0] <= '9')) return false;
  for (const char c : name) {
    const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
    if (!ok) return false;
  }
  return true;
}

std::string tableWithColumns(std::string_view table, const std::vector<std::string>& columns) {
  auto refuse = [](std::string_view name) {
    throw SqlError(SqlError::Kind::Syntax,
                   std::string("Nome inválido para tabela ou coluna: \"") + std::string(name) + "\".");
  };
  if (!isPlainIdentifier(table)) refuse(table);
  if (columns.empty()) throw SqlError(SqlError::Kind::Syntax, "Nenhuma coluna informada para a inclusão.");
  std::string out(table);
  out += " (";
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (!isPlainIdentifier(columns[i])) refuse(columns[i]);
    if (i > 0) out += ", ";
    out += columns[i];
  }
  out += ')';
  return out;
}

}  // namespace ped::sql
