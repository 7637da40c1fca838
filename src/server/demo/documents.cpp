#include "server/demo/documents.h"

#include <algorithm>
#include <array>

namespace ped::server::demo {
namespace {

bool allDigits(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool oneRepeatedDigit(std::string_view s) {
  return std::all_of(s.begin(), s.end(), [&](char c) { return c == s.front(); });
}

// The check digit of `digits` under `weights`, which run right-aligned
// against the digits (the first weight goes with the first digit).
char checkDigit(std::string_view digits, const int* weights) {
  int sum = 0;
  for (std::size_t i = 0; i < digits.size(); ++i) sum += (digits[i] - '0') * weights[i];
  const int rest = sum % 11;
  return static_cast<char>('0' + (rest < 2 ? 0 : 11 - rest));
}

constexpr std::array<int, 10> kCpfWeights = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2};
constexpr std::array<int, 13> kCnpjWeights = {6, 5, 4, 3, 2, 9, 8, 7, 6, 5, 4, 3, 2};

// The weights for a base of n digits are the last n of the table.
std::string complete(std::string_view base, const int* table, std::size_t tableSize) {
  std::string out(base);
  out += checkDigit(out, table + (tableSize - out.size()));
  out += checkDigit(out, table + (tableSize - out.size()));
  return out;
}

}  // namespace

std::string completeCpf(std::string_view base) {
  return complete(base, kCpfWeights.data(), kCpfWeights.size());
}

std::string completeCnpj(std::string_view base) {
  return complete(base, kCnpjWeights.data(), kCnpjWeights.size());
}

bool isValidCpf(std::string_view digits) {
  return digits.size() == 11 && allDigits(digits) && !oneRepeatedDigit(digits) &&
         completeCpf(digits.substr(0, 9)) == digits;
}

bool isValidCnpj(std::string_view digits) {
  return digits.size() == 14 && allDigits(digits) && !oneRepeatedDigit(digits) &&
         completeCnpj(digits.substr(0, 12)) == digits;
}

}  // namespace ped::server::demo
