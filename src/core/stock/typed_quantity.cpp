#include "core/stock/typed_quantity.h"

#include <string>

#include "domain/quantities.h"
#include "engine/value_text.h"

namespace ped::core {
namespace {

bool digits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// "1.234.567": a first group of one to three digits, then groups of three.
std::optional<std::string> ungrouped(std::string_view whole) {
  std::string out;
  std::size_t start = 0;
  for (bool first = true;; first = false) {
    const std::size_t point = whole.find('.', start);
    const std::string_view group =
        whole.substr(start, point == std::string_view::npos ? point : point - start);
    if (!digits(group) || (first ? group.size() > 3 : group.size() != 3)) return std::nullopt;
    out += group;
    if (point == std::string_view::npos) return out;
    start = point + 1;
  }
}

}  // namespace

std::optional<double> parseTypedQuantity(std::string_view text) {
  const std::string t = engine::value_text::trim(text);
  std::string_view body = t;
  std::string sign;
  if (!body.empty() && (body.front() == '-' || body.front() == '+')) {
    sign = body.front() == '-' ? "-" : "";
    body.remove_prefix(1);
  }
  const std::size_t comma = body.find(',');
  std::string_view whole = body.substr(0, comma);
  const std::string_view fraction =
      comma == std::string_view::npos ? std::string_view{} : body.substr(comma + 1);
  if (comma != std::string_view::npos && (!digits(fraction) && !fraction.empty())) return std::nullopt;

  std::string number;
  if (whole.find('.') == std::string_view::npos) {
    if (!digits(whole) && !(whole.empty() && !fraction.empty())) return std::nullopt;
    number = whole.empty() ? "0" : std::string(whole);
  } else if (auto grouped = ungrouped(whole)) {
    number = *grouped;
  } else if (comma == std::string_view::npos && whole.find('.') == whole.rfind('.')) {
    number = std::string(whole);  // "1.5": a decimal point
  } else {
    return std::nullopt;
  }
  if (!fraction.empty()) {
    number += '.';
    number += fraction;
  }
  const std::optional<double> value = engine::value_text::parseNumber(sign + number);
  if (!value) return std::nullopt;
  return domain::thousandths(*value);
}

}  // namespace ped::core
