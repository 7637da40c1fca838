#include "engine/text.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace ped::engine::text {
namespace {

using Byte = unsigned char;

constexpr std::uint64_t kHighBits = 0x8080'8080'8080'8080ULL;

inline std::uint64_t load8(const char* p) {
  std::uint64_t w;
  std::memcpy(&w, p, 8);
  return w;
}

// Length of the well-formed sequence starting at p (Unicode table 3-7), or 0.
inline std::size_t sequenceLength(const Byte* p, std::size_t avail) {
  const Byte b0 = p[0];
  if (b0 < 0x80) return 1;
  auto cont = [&](std::size_t i, Byte lo = 0x80, Byte hi = 0xBF) {
    return i < avail && p[i] >= lo && p[i] <= hi;
  };
  if (b0 >= 0xC2 && b0 <= 0xDF) return cont(1) ? 2 : 0;
  if (b0 == 0xE0) return cont(1, 0xA0) && cont(2) ? 3 : 0;
  if (b0 == 0xED) return cont(1, 0x80, 0x9F) && cont(2) ? 3 : 0;  // no surrogates
  if (b0 >= 0xE1 && b0 <= 0xEF) return cont(1) && cont(2) ? 3 : 0;
  if (b0 == 0xF0) return cont(1, 0x90) && cont(2) && cont(3) ? 4 : 0;
  if (b0 >= 0xF1 && b0 <= 0xF3) return cont(1) && cont(2) && cont(3) ? 4 : 0;
  if (b0 == 0xF4) return cont(1, 0x80, 0x8F) && cont(2) && cont(3) ? 4 : 0;  // up to U+10FFFF
  return 0;
}

inline char lowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 0x20) : c; }

// Folds of U+0100..U+017F, an alternating block with a few irregular spots.
constexpr std::array<std::uint16_t, 128> makeExtendedAFold() {
  std::array<std::uint16_t, 128> t{};
  for (std::uint16_t i = 0; i < 128; ++i) {
    const std::uint16_t cp = 0x100 + i;
    std::uint16_t f = cp;
    const bool evenUpper = (cp < 0x130) || (cp >= 0x132 && cp <= 0x137) || (cp >= 0x14A && cp <= 0x177);
    const bool oddUpper = (cp >= 0x139 && cp <= 0x148) || (cp >= 0x179 && cp <= 0x17E);
    if (evenUpper && cp % 2 == 0) f = cp + 1;
    if (oddUpper && cp % 2 == 1) f = cp + 1;
    if (cp == 0x130) f = 'i';
    if (cp == 0x178) f = 0xFF;
    t[i] = f;
  }
  return t;
}
constexpr auto kExtendedAFold = makeExtendedAFold();

// Writes the fold of the two-byte character b0 b1 (a well-formed sequence) to
// out; returns the bytes written (1 or 2).
inline std::size_t foldTwoByte(Byte b0, Byte b1, char* out) {
  std::uint32_t cp = ((b0 & 0x1Fu) << 6) | (b1 & 0x3Fu);
  if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7) {
    cp += 0x20;
  } else if (cp >= 0x100 && cp <= 0x17F) {
    cp = kExtendedAFold[cp - 0x100];
  }
  if (cp < 0x80) {
    out[0] = static_cast<char>(cp);
    return 1;
  }
  out[0] = static_cast<char>(0xC0 | (cp >> 6));
  out[1] = static_cast<char>(0x80 | (cp & 0x3F));
  return 2;
}

// Yields the bytes of fold(s) one at a time, without building the string.
class FoldStream {
 public:
  FoldStream(std::string_view s, std::size_t pos) : s_(s), pos_(pos) {}

  // -1 at the end.
  int next() {
    if (bufPos_ < bufLen_) return static_cast<Byte>(buf_[bufPos_++]);
    if (pos_ >= s_.size()) return -1;
    const auto* p = reinterpret_cast<const Byte*>(s_.data()) + pos_;
    const std::size_t avail = s_.size() - pos_;
    if (p[0] < 0x80) {
      ++pos_;
      return static_cast<Byte>(lowerAscii(static_cast<char>(p[0])));
    }
    const std::size_t n = sequenceLength(p, avail);
    if (n == 2) {
      bufLen_ = foldTwoByte(p[0], p[1], buf_);
    } else if (n == 0) {
      bufLen_ = 1;  // a stray byte stands for itself
      buf_[0] = static_cast<char>(p[0]);
    } else {
      bufLen_ = n;
      std::memcpy(buf_, p, n);
    }
    pos_ += n == 0 ? 1 : n;
    bufPos_ = 1;
    return static_cast<Byte>(buf_[0]);
  }

 private:
  std::string_view s_;
  std::size_t pos_;
  char buf_[4] = {};
  std::size_t bufLen_ = 0, bufPos_ = 0;
};

}  // namespace

bool isValidUtf8(std::string_view s) {
  const auto* p = reinterpret_cast<const Byte*>(s.data());
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    if (i + 8 <= n && (load8(s.data() + i) & kHighBits) == 0) {
      i += 8;
      continue;
    }
    if (p[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t len = sequenceLength(p + i, n - i);
    if (len == 0) return false;
    i += len;
  }
  return true;
}

std::size_t length(std::string_view s) {
  // Every byte that is not a continuation byte (10xxxxxx) starts a character.
  const std::size_t n = s.size();
  std::size_t continuation = 0, i = 0;
  for (; i + 8 <= n; i += 8) {
    const std::uint64_t w = load8(s.data() + i);
    continuation += static_cast<std::size_t>(__builtin_popcountll(w & ~(w << 1) & kHighBits));
  }
  for (; i < n; ++i) continuation += (static_cast<Byte>(s[i]) & 0xC0) == 0x80;
  return n - continuation;
}

std::string_view truncate(std::string_view s, std::size_t maxChars) {
  if (s.size() <= maxChars) return s;  // never more characters than bytes
  std::size_t i = 0, chars = 0;
  const std::size_t n = s.size();
  while (i < n && chars < maxChars) {
    ++i;
    // Step over the continuation bytes of this character (at most 3).
    for (int k = 0; k < 3 && i < n && (static_cast<Byte>(s[i]) & 0xC0) == 0x80; ++k) ++i;
    ++chars;
  }
  return s.substr(0, i);
}

std::string fold(std::string_view s) {
  std::string out(s.size(), '\0');  // folding never lengthens
  const auto* p = reinterpret_cast<const Byte*>(s.data());
  char* o = out.data();
  const std::size_t n = s.size();
  std::size_t i = 0;
  while (i < n) {
    if (i + 8 <= n) {
      const std::uint64_t w = load8(s.data() + i);
      if ((w & kHighBits) == 0) {
        // Bytes in 'A'..'Z' get 0x20 added: (b + 0x3F) has its high bit set
        // for b >= 'A', (b + 0x25) for b > 'Z'.
        const std::uint64_t ones = 0x0101'0101'0101'0101ULL;
        const std::uint64_t ge = w + ones * 0x3F;
        const std::uint64_t gt = w + ones * 0x25;
        const std::uint64_t upper = (ge & ~gt) & kHighBits;
        const std::uint64_t folded = w | (upper >> 2);
        std::memcpy(o, &folded, 8);
        o += 8;
        i += 8;
        continue;
      }
    }
    const Byte b = p[i];
    if (b < 0x80) {
      *o++ = lowerAscii(static_cast<char>(b));
      ++i;
      continue;
    }
    const std::size_t len = sequenceLength(p + i, n - i);
    if (len == 2) {
      o += foldTwoByte(p[i], p[i + 1], o);
      i += 2;
    } else if (len == 0) {
      *o++ = static_cast<char>(b);
      ++i;
    } else {
      std::memcpy(o, p + i, len);
      o += len;
      i += len;
    }
  }
  out.resize(static_cast<std::size_t>(o - out.data()));
  return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  const std::size_t n = a.size() < b.size() ? a.size() : b.size();
  std::size_t i = 0;
  for (; i < n; ++i) {
    const char ca = a[i], cb = b[i];
    if ((static_cast<Byte>(ca) | static_cast<Byte>(cb)) >= 0x80) break;
    if (ca != cb && lowerAscii(ca) != lowerAscii(cb)) return false;
  }
  if (i == n) return a.size() == b.size();
  // Both prefixes were ASCII of the same length, so the folds line up here.
  FoldStream fa(a, i), fb(b, i);
  for (;;) {
    const int x = fa.next(), y = fb.next();
    if (x != y) return false;
    if (x < 0) return true;
  }
}

}  // namespace ped::engine::text
