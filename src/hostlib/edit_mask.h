#pragma once
// Edit masks of the host's masked edits, in one small language:
//
//   mask := pattern [ ';' keepLiterals [ ';' blank ] ]
//
// In the pattern each character is either a position the operator fills or a
// literal that the mask inserts:
//   0  digit, required          9  digit, optional
//   L  letter, required         l  letter, optional
//   A  letter or digit, req.    a  letter or digit, optional
//   C  any character, req.      c  any character, optional
//   >  upper-case what follows  <  lower-case what follows   <>  stop converting
//   \x the character x as a literal
//   anything else is a literal ('.', '-', '/', ...)
// keepLiterals '1' means the field's value holds the literals too; '0' (the
// default) means it holds only what was typed. `blank` is shown in unfilled
// positions ('_' when not given). Letters are ASCII letters and any non-ASCII
// character (accented letters).
//
// Examples: ">aaaa;0; " branch code, "9999999999;0; " order number,
// "99.99.999;0;_" product tree code, "999.999.999-99;0;_" CPF.

#include <string>
#include <string_view>
#include <vector>

namespace ped::hostlib {

class EditMask {
 public:
  EditMask() = default;  // no mask: everything accepted, nothing inserted
  explicit EditMask(std::string_view mask);

  bool empty() const { return slots_.empty(); }
  bool keepsLiterals() const { return keepLiterals_; }
  char32_t blank() const { return blank_; }
  std::size_t positions() const { return slots_.size(); }  // literals included

  // Lays a value into the mask: typed characters go to the input positions in
  // order (converted to the position's case), literals are inserted, unfilled
  // positions show the blank. A value that keeps literals is re-laid from its
  // typed characters. Characters beyond the last position are dropped.
  std::string format(std::string_view value) const;

  // The value of a displayed text: only the typed characters (blanks and
  // literals dropped, trailing blanks trimmed) or, when the mask keeps
  // literals, the display text itself.
  std::string valueOf(std::string_view display) const;

  // Whether position `index` takes `c`, and `c` converted to its case.
  // Literal positions take nothing.
  bool accepts(std::size_t index, char32_t c) const;
  char32_t convert(std::size_t index, char32_t c) const;
  bool isLiteral(std::size_t index) const { return slots_[index].kind == Kind::Literal; }
  // True when every required position of `display` is filled.
  bool complete(std::string_view display) const;

 private:
  enum class Kind { Literal, Digit, Letter, Alnum, Any };
  enum class Case { Keep, Upper, Lower };
  struct Slot {
    Kind kind;
    bool required;
    Case convert;
    char32_t literal;
  };

  std::vector<Slot> slots_;
  bool keepLiterals_ = false;
  char32_t blank_ = U'_';
};

// FormatMaskText: a stored value as the operator sees it through `mask`.
std::string formatMaskText(std::string_view mask, std::string_view value);

// UTF-8 <-> code points, for the masked edits.
std::u32string toCodePoints(std::string_view utf8);
std::string toUtf8(std::u32string_view text);

// The text as an edit that holds upper case only keeps it: ASCII and Latin-1
// letters raised, the rest as it is.
std::string upperCase(std::string_view text);

}  // namespace ped::hostlib
