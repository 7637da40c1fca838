#include "sql/timestamp_text.h"

#include <string>

#include "engine/date_time.h"

namespace ped::sql {
namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Length of a zone suffix at the end of `t` ("Z", "+03", "+03:00", "+0300"), 0 when none.
std::size_t zoneLength(std::string_view t) {
  if (!t.empty() && t.back() == 'Z') return 1;
  for (std::size_t n : {3u, 5u, 6u}) {
    if (t.size() < n + 10) continue;
    const std::string_view z = t.substr(t.size() - n);
    if (z[0] != '+' && z[0] != '-') continue;
    const bool ok = isDigit(z[1]) && isDigit(z[2]) &&
                    (n == 3 || (n == 5 && isDigit(z[3]) && isDigit(z[4])) ||
                     (n == 6 && z[3] == ':' && isDigit(z[4]) && isDigit(z[5])));
    if (ok) return n;
  }
  return 0;
}

}  // namespace

std::optional<double> readTimestamp(std::string_view t) {
  if (t.size() > 16) t.remove_suffix(zoneLength(t));
  if (t.size() <= 19) return engine::date_time::fromIso(t);
  // A fraction: brought to exactly three digits, the form the engine reads.
  if (t[19] != '.' || t.size() == 20 || t.size() > 29) return std::nullopt;
  std::string iso(t.substr(0, 20));
  for (std::size_t i = 20; i < t.size(); ++i)
    if (!isDigit(t[i])) return std::nullopt;
  iso += t.substr(20, 3);
  iso.append(23 - iso.size(), '0');
  return engine::date_time::fromIso(iso);
}

}  // namespace ped::sql
