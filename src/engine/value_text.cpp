#include "engine/value_text.h"

#include <charconv>
#include <cmath>

namespace ped::engine::value_text {

std::string trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return std::string(s);
}

std::vector<std::string> splitNames(std::string_view names) {
  std::vector<std::string> out;
  while (true) {
    const auto semi = names.find(';');
    std::string part = trim(names.substr(0, semi));
    if (!part.empty()) out.push_back(std::move(part));
    if (semi == std::string_view::npos) break;
    names.remove_prefix(semi + 1);
  }
  return out;
}

std::string formatFloat(double d) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
  std::string s(buf, end);
  for (char& c : s)
    if (c == '.') c = ',';
  return s;
}

std::optional<double> parseNumber(std::string_view s) {
  std::string t = trim(s);
  for (char& c : t)
    if (c == ',') c = '.';
  if (t.empty()) return std::nullopt;
  double d = 0;
  const char* b = t.data();
  if (*b == '+') ++b;
  auto [end, ec] = std::from_chars(b, t.data() + t.size(), d);
  if (ec != std::errc() || end != t.data() + t.size() || !std::isfinite(d)) return std::nullopt;
  return d;
}

}  // namespace ped::engine::value_text
