#include "hostlib/number_format.h"

#include <charconv>
#include <cmath>
#include <string>

namespace ped::hostlib {

std::string FormatFloat(std::string_view pattern, double value, char decimalSeparator) {
  if (!std::isfinite(value)) return {};
  const std::size_t point = pattern.find('.');
  const std::string_view intPart = pattern.substr(0, point);
  const std::string_view fracPart =
      point == std::string_view::npos ? std::string_view() : pattern.substr(point + 1);
  std::size_t minInt = 0, minDec = 0, maxDec = 0;
  for (char c : intPart) minInt += c == '0';
  for (char c : fracPart) {
    if (c == '0') ++minDec;
    if (c == '0' || c == '#') ++maxDec;
  }
  minInt = std::max<std::size_t>(minInt, 1);

  // Shortest decimal form: digits d1 d2 ... and the count of them before the point.
  char buf[64];
  const auto res = std::to_chars(buf, buf + sizeof buf, std::abs(value), std::chars_format::scientific);
  const std::string_view sci(buf, static_cast<std::size_t>(res.ptr - buf));
  const std::size_t e = sci.find('e');
  std::string digits;
  for (char c : sci.substr(0, e))
    if (c != '.') digits.push_back(c);
  long before = std::stol(std::string(sci.substr(e + 1))) + 1;
  if (before <= 0) {
    digits.insert(0, static_cast<std::size_t>(1 - before), '0');
    before = 1;
  }
  const auto intDigits = static_cast<std::size_t>(before);
  const std::size_t keep = intDigits + maxDec;
  if (digits.size() > keep) {
    const bool up = digits[keep] >= '5';  // half away from zero
    digits.resize(keep);
    if (up) {
      std::size_t i = keep;
      while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
      if (i == 0)
        digits.insert(digits.begin(), '1');
      else
        ++digits[i - 1];
    }
  }
  const std::size_t intLen = digits.size() > keep ? intDigits + 1 : intDigits;  // a carry added a digit
  digits.resize(std::max(digits.size(), intLen + maxDec), '0');
  std::string integer = digits.substr(0, intLen);
  std::string fraction = digits.substr(intLen, maxDec);
  while (fraction.size() > minDec && fraction.back() == '0') fraction.pop_back();
  const std::size_t firstNonZero = integer.find_first_not_of('0');
  integer.erase(0, std::min(firstNonZero == std::string::npos ? integer.size() : firstNonZero,
                            integer.size() > minInt ? integer.size() - minInt : 0));
  if (integer.size() < minInt) integer.insert(0, minInt - integer.size(), '0');

  const bool zero = integer.find_first_not_of('0') == std::string::npos &&
                    fraction.find_first_not_of('0') == std::string::npos;
  std::string out = (value < 0 && !zero) ? "-" : "";
  out += integer;
  if (!fraction.empty()) {
    out += decimalSeparator;
    out += fraction;
  }
  return out;
}

}  // namespace ped::hostlib
