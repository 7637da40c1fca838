#include "sql/named_params.h"

#include <algorithm>

namespace ped::sql {
namespace {

bool isNameStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool isNameChar(char c) { return isNameStart(c) || (c >= '0' && c <= '9'); }

std::string upper(std::string_view s) {
  std::string out(s);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 0x20);
  return out;
}

// Index just past the end of the quoted run starting at `i` (a doubled quote
// stays inside it).
std::size_t skipQuoted(std::string_view sql, std::size_t i) {
  const char quote = sql[i++];
  while (i < sql.size()) {
    if (sql[i] == quote) {
      if (i + 1 < sql.size() && sql[i + 1] == quote) {
        i += 2;
        continue;
      }
      return i + 1;
    }
    ++i;
  }
  return i;
}

}  // namespace

PositionalSql toPositional(std::string_view sql) {
  PositionalSql out;
  out.text.reserve(sql.size());
  std::size_t i = 0;
  while (i < sql.size()) {
    const char c = sql[i];
    if (c == '\'' || c == '"') {
      const std::size_t end = skipQuoted(sql, i);
      out.text.append(sql.substr(i, end - i));
      i = end;
    } else if (c == '-' && i + 1 < sql.size() && sql[i + 1] == '-') {
      const std::size_t end = std::min(sql.find('\n', i), sql.size());
      out.text.append(sql.substr(i, end - i));
      i = end;
    } else if (c == '/' && i + 1 < sql.size() && sql[i + 1] == '*') {
      const std::size_t close = sql.find("*/", i + 2);
      const std::size_t end = close == std::string_view::npos ? sql.size() : close + 2;
      out.text.append(sql.substr(i, end - i));
      i = end;
    } else if (c == ':' && i + 1 < sql.size() && sql[i + 1] == ':') {
      out.text.append("::");
      i += 2;
    } else if (c == ':' && i + 1 < sql.size() && isNameStart(sql[i + 1])) {
      std::size_t end = i + 1;
      while (end < sql.size() && isNameChar(sql[end])) ++end;
      const std::string name = upper(sql.substr(i + 1, end - i - 1));
      auto it = std::find(out.names.begin(), out.names.end(), name);
      if (it == out.names.end()) it = out.names.insert(out.names.end(), name);
      out.text += '$';
      out.text += std::to_string(it - out.names.begin() + 1);
      i = end;
    } else {
      out.text += c;
      ++i;
    }
  }
  return out;
}

}  // namespace ped::sql
