#pragma once
// One pass over a packet in the plain form this engine writes (texts without
// escapes, no white space needed), without building a document first: the
// fast way in for the packets that matter. Anything it does not take (an
// escape, a 19-digit number, an unknown key, a malformed document) it leaves
// to the full parser, which also words the messages; so it only ever has to
// be right about what it accepts.

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "engine/packet_internal.h"

namespace ped::engine::packet_internal {

// One cell value as read, whichever parser read it.
struct Cell {
  enum class Kind : std::uint8_t { Null, Text, Integer, BigInteger, Float, True, False, Other };
  Kind kind = Kind::Null;
  std::string_view text;
  std::int64_t integer = 0;
  double number = 0;  // Float; BigInteger (beyond int64): the value as a double
};

class PlainScanner {
 public:
  explicit PlainScanner(std::string_view json)
      : begin_(json.data()), p_(json.data()), end_(json.data() + json.size()) {}

  std::size_t consumed() const { return static_cast<std::size_t>(p_ - begin_); }
  std::size_t size() const { return static_cast<std::size_t>(end_ - begin_); }

  // Skips white space, then takes `c` when it comes next.
  bool take(char c) {
    skipSpace();
    if (p_ == end_ || *p_ != c) return false;
    ++p_;
    return true;
  }
  bool atEnd() {
    skipSpace();
    return p_ == end_;
  }
  // A text without escapes or control characters, in valid UTF-8.
  bool text(std::string_view& out) {
    skipSpace();
    if (p_ == end_ || *p_ != '"') return false;
    return quoted(out);
  }
  // A text when one comes next (false, taking nothing, for anything else).
  bool nextIsText() {
    skipSpace();
    return p_ != end_ && *p_ == '"';
  }
  bool key(std::string_view name) {
    std::string_view k;
    return text(k) && k == name && take(':');
  }
  // A value other than a list or an object.
  bool value(Cell& c) {
    skipSpace();
    if (p_ == end_) return false;
    switch (*p_) {
      case '"':
        c.kind = Cell::Kind::Text;
        return quoted(c.text);
      case 'n':
        c.kind = Cell::Kind::Null;
        return word("null");
      case 't':
        c.kind = Cell::Kind::True;
        return word("true");
      case 'f':
        c.kind = Cell::Kind::False;
        return word("false");
      default:
        return number(c);
    }
  }

 private:
  static bool isSpace(char c) { return c == ' ' || c == '\n' || c == '\r' || c == '\t'; }
  static bool isDigit(char c) { return c >= '0' && c <= '9'; }
  void skipSpace() {
    while (p_ != end_ && isSpace(*p_)) ++p_;
  }
  bool word(std::string_view w) {
    if (static_cast<std::size_t>(end_ - p_) < w.size() || std::memcmp(p_, w.data(), w.size()) != 0)
      return false;
    p_ += w.size();
    return true;
  }

  // At the opening quote.
  bool quoted(std::string_view& out) {
    // Each text's end is where the next search starts, so the loads cannot
    // run ahead by themselves: fetch the bytes a few texts on.
    __builtin_prefetch(p_ + 512);
    const char* start = ++p_;
    for (;;) {
      p_ = nextSpecial(p_, end_);
      if (p_ == end_) return false;
      const auto c = static_cast<unsigned char>(*p_);
      if (c == '"') break;
      if (c < 0x80) return false;  // an escape or a control character
      const std::size_t n = utf8Sequence(reinterpret_cast<const unsigned char*>(p_), end_ - p_);
      if (n == 0) return false;
      p_ += n;
    }
    out = std::string_view(start, static_cast<std::size_t>(p_ - start));
    ++p_;
    return true;
  }

  // The first quote, backslash, control or non-ASCII byte from p on; end if none.
  static const char* nextSpecial(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i quote = _mm_set1_epi8('"'), backslash = _mm_set1_epi8('\\'), space = _mm_set1_epi8(0x20);
    for (; end - p >= 16; p += 16) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      // Signed: bytes from 0x80 on count as below 0x20.
      const __m128i special = _mm_or_si128(
          _mm_or_si128(_mm_cmpeq_epi8(x, quote), _mm_cmpeq_epi8(x, backslash)), _mm_cmplt_epi8(x, space));
      if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(special)))
        return p + std::countr_zero(mask);
    }
#endif
    for (; end - p >= 8; p += 8) {
      std::uint64_t w;
      std::memcpy(&w, p, 8);
      if (const std::uint64_t special = specialBytes(w)) return p + std::countr_zero(special) / 8;
    }
    for (; p != end; ++p) {
      const auto c = static_cast<unsigned char>(*p);
      if (c == '"' || c == '\\' || c < 0x20 || c >= 0x80) return p;
    }
    return end;
  }

  // Bytes of the well-formed UTF-8 sequence that starts with a non-ASCII
  // byte at p (no overlongs, surrogates or code points past U+10FFFF, as the
  // full parser checks); 0 when it is not one.
  static std::size_t utf8Sequence(const unsigned char* p, std::size_t left) {
    const unsigned c = p[0];
    auto tail = [&](std::size_t k) { return left > k && (p[k] & 0xC0) == 0x80; };
    if (c >= 0xC2 && c <= 0xDF) return tail(1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
      if (!tail(1) || !tail(2)) return 0;
      if ((c == 0xE0 && p[1] < 0xA0) || (c == 0xED && p[1] > 0x9F)) return 0;
      return 3;
    }
    if (c >= 0xF0 && c <= 0xF4) {
      if (!tail(1) || !tail(2) || !tail(3)) return 0;
      if ((c == 0xF0 && p[1] < 0x90) || (c == 0xF4 && p[1] > 0x8F)) return 0;
      return 4;
    }
    return 0;
  }

  // JSON's number grammar; integers of up to 18 digits, other numbers read
  // as the nearest double (as the full parser reads them).
  bool number(Cell& c) {
    const char* q = p_;
    const bool negative = *q == '-';
    if (negative) ++q;
    if (q == end_) return false;
    if (*q == '0') {
      ++q;
    } else if (*q >= '1' && *q <= '9') {
      while (q != end_ && isDigit(*q)) ++q;
    } else {
      return false;
    }
    const char* integerEnd = q;
    bool fraction = false;
    if (q != end_ && *q == '.') {
      if (++q == end_ || !isDigit(*q)) return false;
      while (q != end_ && isDigit(*q)) ++q;
      fraction = true;
    }
    if (q != end_ && (*q == 'e' || *q == 'E')) {
      if (++q != end_ && (*q == '+' || *q == '-')) ++q;
      if (q == end_ || !isDigit(*q)) return false;
      while (q != end_ && isDigit(*q)) ++q;
      fraction = true;
    }
    if (fraction) {
      double d;
      const auto [ptr, ec] = std::from_chars(p_, q, d);
      if (ec != std::errc() || ptr != q || !std::isfinite(d)) return false;
      c.kind = Cell::Kind::Float;
      c.number = d;
    } else {
      const char* digits = p_ + (negative ? 1 : 0);
      const auto count = integerEnd - digits;
      if (count > 18 || (negative && *digits == '0')) return false;  // -0 and long ones: the full parser's
      std::int64_t i = 0;
      for (const char* d = digits; d != integerEnd; ++d) i = i * 10 + (*d - '0');
      c.kind = Cell::Kind::Integer;
      c.integer = negative ? -i : i;
    }
    p_ = q;
    return true;
  }

  const char* begin_;
  const char* p_;
  const char* end_;
};

}  // namespace ped::engine::packet_internal
