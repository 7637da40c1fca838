#pragma once
// UTF-8 helpers for text fields: sizes are counted in characters, not bytes.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace ped::engine::text {

// True when every byte of `s` is ASCII (and so `s` is valid UTF-8 with one
// character per byte). Inline: it guards every text assignment.
inline bool isAscii(std::string_view s) {
  const char* p = s.data();
  std::size_t n = s.size();
  std::uint64_t high = 0;
  for (; n >= 8; p += 8, n -= 8) {
    std::uint64_t w;
    std::memcpy(&w, p, 8);
    high |= w;
  }
  for (; n > 0; ++p, --n) high |= static_cast<unsigned char>(*p);
  return (high & 0x8080'8080'8080'8080ULL) == 0;
}

// Byte equality, inline and without a library call for texts of up to 16
// bytes (fixed-size loads, overlapping when the text is shorter). Hot in
// dictionary look-ups.
inline std::uint64_t load64(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}
inline std::uint64_t load32(const char* p) {
  std::uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}
// The last (up to 8) bytes of a text of n bytes as one word.
inline std::uint64_t tailWord(const char* p, std::size_t n) {
  if (n >= 8) return load64(p + n - 8);
  if (n >= 4) return (load32(p) << 32) | load32(p + n - 4);
  if (n > 0)
    return (static_cast<std::uint64_t>(static_cast<unsigned char>(p[0])) << 16) |
           (static_cast<std::uint64_t>(static_cast<unsigned char>(p[n / 2])) << 8) |
           static_cast<unsigned char>(p[n - 1]);
  return 0;
}
inline bool sameBytes(std::string_view a, std::string_view b) {
  const std::size_t n = a.size();
  if (n != b.size()) return false;
  if (n <= 8) return tailWord(a.data(), n) == tailWord(b.data(), n);
  if (n <= 16) return load64(a.data()) == load64(b.data()) && tailWord(a.data(), n) == tailWord(b.data(), n);
  return std::memcmp(a.data(), b.data(), n) == 0;
}

// True when `s` is well-formed UTF-8 (no overlongs, surrogates or code points
// above U+10FFFF).
bool isValidUtf8(std::string_view s);

// Number of characters (code points) in well-formed UTF-8.
std::size_t length(std::string_view s);

// The first `maxChars` characters of `s` (all of it when shorter).
std::string_view truncate(std::string_view s, std::size_t maxChars);

// Lower-case fold for case-insensitive comparison: ASCII and the Latin-1 and
// Latin Extended-A letters, so "AÇÃO" folds like "ação". Other characters are
// kept as they are.
std::string fold(std::string_view s);

bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace ped::engine::text
