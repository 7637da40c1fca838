#include "server/methods/text_list.h"

namespace ped::server {

std::string jsonTexts(const std::vector<std::string>& values) {
  std::string out = "[";
  for (const std::string& v : values) {
    out += out.size() > 1 ? ",\"" : "\"";
    for (const char c : v) {
      if (c == '"' || c == '\\') {
        out += '\\';
        out += c;
      } else if (static_cast<unsigned char>(c) < 0x20) {
        static constexpr char kHex[] = "0123456789abcdef";
        out += "\\u00";
        out += kHex[(c >> 4) & 0xF];
        out += kHex[c & 0xF];
      } else {
        out += c;
      }
    }
    out += '"';
  }
  return out + "]";
}

std::string textList(sql::Dialect dialect, std::string_view param) {
  std::string sql = dialect == sql::Dialect::Sqlite ? "SELECT value FROM json_each(:"
                                                    : "SELECT json_array_elements_text(CAST(:";
  sql += param;
  sql += dialect == sql::Dialect::Sqlite ? ")" : " AS json))";
  return sql;
}

}  // namespace ped::server
