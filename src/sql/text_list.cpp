#include "sql/text_list.h"

#include <cstdio>

namespace ped::sql {

std::string inTextList(Dialect dialect, const std::string& column, const std::string& param) {
  if (dialect == Dialect::Sqlite) return column + " IN (SELECT value FROM json_each(:" + param + "))";
  return column + " = ANY(CAST(:" + param + " AS VARCHAR[]))";
}

std::string textList(Dialect dialect, const std::vector<std::string>& texts) {
  // Both forms quote each text in double quotes, with '"' and '\' escaped by
  // a backslash; JSON also wants control characters escaped.
  std::string out(1, dialect == Dialect::Sqlite ? '[' : '{');
  for (const std::string& t : texts) {
    if (out.size() > 1) out += ',';
    out += '"';
    for (const char c : t) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += c;
      } else if (dialect == Dialect::Sqlite && static_cast<unsigned char>(c) < 0x20) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
        out += escaped;
      } else {
        out += c;
      }
    }
    out += '"';
  }
  out += dialect == Dialect::Sqlite ? ']' : '}';
  return out;
}

}  // namespace ped::sql
