#pragma once
// UTF-8 helpers for text fields: sizes are counted in characters, not bytes.

#include <cstddef>
#include <string>
#include <string_view>

namespace ped::engine::text {

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
