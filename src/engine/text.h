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
