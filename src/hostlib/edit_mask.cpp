#include "hostlib/edit_mask.h"

namespace ped::hostlib {
namespace {

bool isDigit(char32_t c) { return c >= U'0' && c <= U'9'; }
bool isLetter(char32_t c) { return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z') || c >= 0x80; }

char32_t toUpper(char32_t c) {
  if (c >= U'a' && c <= U'z') return c - 0x20;
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7)) return c - 0x20;  // Latin-1 letters
  return c;
}

char32_t toLower(char32_t c) {
  if (c >= U'A' && c <= U'Z') return c + 0x20;
  if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) return c + 0x20;
  return c;
}

}  // namespace

std::u32string toCodePoints(std::string_view s) {
  std::u32string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    if (b < 0x80) {
      out.push_back(b);
      ++i;
      continue;
    }
    const std::size_t extra = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : 0;
    char32_t cp = b & (0x3F >> extra);
    bool ok = extra > 0 && i + extra < s.size();
    for (std::size_t k = 1; ok && k <= extra; ++k) {
      const auto c = static_cast<unsigned char>(s[i + k]);
      ok = (c & 0xC0) == 0x80;
      cp = (cp << 6) | (c & 0x3F);
    }
    if (!ok) {
      out.push_back(0xFFFD);  // a broken byte shows as the replacement character
      ++i;
      continue;
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return out;
}

std::string toUtf8(std::u32string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) {
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

std::string upperCase(std::string_view text) {
  std::u32string chars = toCodePoints(text);
  for (char32_t& c : chars) c = toUpper(c);
  return toUtf8(chars);
}

EditMask::EditMask(std::string_view mask) {
  const std::u32string m = toCodePoints(mask);
  // The pattern ends at the first ';' that is not escaped.
  std::size_t end = m.size();
  for (std::size_t i = 0; i < m.size(); ++i) {
    if (m[i] == U'\\') {
      ++i;
      continue;
    }
    if (m[i] == U';') {
      end = i;
      break;
    }
  }
  if (end < m.size()) {
    const std::u32string rest = m.substr(end + 1);
    if (!rest.empty()) keepLiterals_ = rest[0] == U'1';
    const std::size_t semi = rest.find(U';');
    if (semi != std::u32string::npos && semi + 1 < rest.size()) blank_ = rest[semi + 1];
  }
  Case current = Case::Keep;
  for (std::size_t i = 0; i < end; ++i) {
    const char32_t c = m[i];
    switch (c) {
      case U'>':
        current = Case::Upper;
        continue;
      case U'<':
        if (i + 1 < end && m[i + 1] == U'>') {
          current = Case::Keep;
          ++i;
        } else {
          current = Case::Lower;
        }
        continue;
      case U'\\':
        if (i + 1 < end) slots_.push_back({Kind::Literal, false, Case::Keep, m[++i]});
        continue;
      case U'0':
        slots_.push_back({Kind::Digit, true, current, 0});
        continue;
      case U'9':
        slots_.push_back({Kind::Digit, false, current, 0});
        continue;
      case U'L':
        slots_.push_back({Kind::Letter, true, current, 0});
        continue;
      case U'l':
        slots_.push_back({Kind::Letter, false, current, 0});
        continue;
      case U'A':
        slots_.push_back({Kind::Alnum, true, current, 0});
        continue;
      case U'a':
        slots_.push_back({Kind::Alnum, false, current, 0});
        continue;
      case U'C':
        slots_.push_back({Kind::Any, true, current, 0});
        continue;
      case U'c':
        slots_.push_back({Kind::Any, false, current, 0});
        continue;
      default:
        slots_.push_back({Kind::Literal, false, Case::Keep, c});
        continue;
    }
  }
}

bool EditMask::accepts(std::size_t index, char32_t c) const {
  if (index >= slots_.size()) return false;
  switch (slots_[index].kind) {
    case Kind::Literal:
      return false;
    case Kind::Digit:
      return isDigit(c);
    case Kind::Letter:
      return isLetter(c);
    case Kind::Alnum:
      return isDigit(c) || isLetter(c);
    case Kind::Any:
      return c >= 0x20;
  }
  return false;
}

char32_t EditMask::convert(std::size_t index, char32_t c) const {
  if (index >= slots_.size()) return c;
  switch (slots_[index].convert) {
    case Case::Upper:
      return toUpper(c);
    case Case::Lower:
      return toLower(c);
    case Case::Keep:
      return c;
  }
  return c;
}

std::string EditMask::format(std::string_view value) const {
  if (slots_.empty()) return std::string(value);
  const std::u32string v = toCodePoints(value);
  std::u32string out;
  out.reserve(slots_.size());
  std::size_t next = 0;  // next character of the value
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    const Slot& s = slots_[i];
    if (s.kind == Kind::Literal) {
      out.push_back(s.literal);
      if (keepLiterals_ && next < v.size()) ++next;  // the value carries the literal here
      continue;
    }
    if (next < v.size()) {
      const char32_t c = v[next++];
      out.push_back(c == U' ' || c == blank_ ? blank_ : convert(i, c));
    } else {
      out.push_back(blank_);
    }
  }
  return toUtf8(out);
}

std::string EditMask::valueOf(std::string_view display) const {
  if (slots_.empty() || keepLiterals_) return std::string(display);
  const std::u32string d = toCodePoints(display);
  std::u32string out;
  for (std::size_t i = 0; i < d.size() && i < slots_.size(); ++i) {
    if (slots_[i].kind == Kind::Literal) continue;
    out.push_back(d[i] == blank_ ? U' ' : d[i]);
  }
  while (!out.empty() && out.back() == U' ') out.pop_back();
  return toUtf8(out);
}

bool EditMask::complete(std::string_view display) const {
  const std::u32string d = toCodePoints(display);
  for (std::size_t i = 0; i < slots_.size(); ++i) {
    if (!slots_[i].required) continue;
    if (i >= d.size() || d[i] == blank_ || d[i] == U' ' || !accepts(i, d[i])) return false;
  }
  return true;
}

std::string formatMaskText(std::string_view mask, std::string_view value) {
  return EditMask(mask).format(value);
}

}  // namespace ped::hostlib
