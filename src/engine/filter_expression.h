#pragma once
// Filter texts of data sets.
//
// Grammar (keywords and field names case-insensitive):
//   expr       := orExpr
//   orExpr     := andExpr { OR andExpr }
//   andExpr    := notExpr { AND notExpr }
//   notExpr    := NOT notExpr | primary
//   primary    := '(' expr ')' | operand compareOp operand | operand IS [NOT] NULL
//   operand    := FIELD | [Field Name] | 'text' | number | TRUE | FALSE
//   compareOp  := = | <> | < | > | <= | >=       (!= is taken as <>)
// FIELD is a letter or '_' followed by letters, digits and '_' (any byte
// >= 0x80 counts as a letter, so accented names work); [Field Name] takes
// anything up to ']'. A number is an optional sign, digits, an optional
// '.' fraction and an optional exponent. A quote inside a text is written
// twice. A keyword may follow a quoted value with no blank between them
// ('1'AND). Texts compare exactly, byte by byte.
//
// Types: a text field compares with texts; float, date-time and integer fields
// with numbers and with each other (exactly, an integer is not rounded to a
// double); a boolean field with TRUE / FALSE. Either side may be a field or a
// literal. A date-time field compared with a text literal reads the literal as
// a date ("07/12/2026", "07/12/2026 10:30" or ISO) when parsing. Any other mix
// is a FilterError.
//
// Null: a null text reads as the empty text (so `T = ''` and `T IS NULL` are
// the same test); any other null makes a comparison false, <> included (only
// IS NULL sees it). NOT negates that result: NOT (N = 1) holds for a null N.
//
// Error positions count characters (UTF-8 code points), starting at 1.
// Parentheses may nest 256 deep.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/value.h"

namespace ped::engine {

// Gives the filter the cells of the row it tests.
class RowCells {
 public:
  virtual ~RowCells() = default;
  virtual CellView cell(int field) const = 0;
};

struct FilterField {
  int index;
  FieldType type;
};

// Resolves a field name (matched case-insensitively by the resolver) or
// returns nullopt for an unknown one.
using FilterFieldResolver = std::function<std::optional<FilterField>(std::string_view name)>;

// `field = literal` required by every matching row (a term of the top-level
// AND chain). The value has the field's type: Text, Float (also for
// date-time), Integer or Boolean.
struct EqualityTerm {
  int field;
  Value value;
};

class FilterExpression {
 public:
  FilterExpression();  // the empty filter: matches every row
  ~FilterExpression();
  FilterExpression(FilterExpression&&) noexcept;
  FilterExpression& operator=(FilterExpression&&) noexcept;

  // Throws FilterError (Portuguese message naming the 1-based position) for a
  // malformed text, an unknown field or incompatible types. A blank text
  // gives the empty filter.
  static FilterExpression parse(std::string_view text, const FilterFieldResolver& resolve);

  // True only for the filter of a blank text (a constant text such as
  // "1 = 1" is not empty).
  bool empty() const;
  // Allocates nothing: fields and literals are resolved when parsing.
  bool matches(const RowCells& row) const;
  // The `field = literal` (or `literal = field`) terms of the top-level AND
  // chain; nothing under OR or NOT. Every row that matches satisfies every
  // term, so an index lookup on any term finds all candidates; matches() is
  // still the judge. Not every such term is returned:
  //  - a text field compared with '' gives no term (null texts read as '', so
  //    the rows matching it are the null ones, which an index on '' misses);
  //  - an integer field compared with a non-integral number gives no term
  //    (no row can match it).
  // An integer field's term holds an Integer value (1.0 and 1e2 are integral),
  // a float or date-time field's term a Float (never -0.0).
  const std::vector<EqualityTerm>& requiredEqualities() const;

  struct Node;

 private:
  std::unique_ptr<Node> root_;
  std::vector<EqualityTerm> equalities_;
};

// Quotes a value for a filter text: 'O''Brien'. Every filter text built from a
// value goes through here.
std::string quoteFilterValue(std::string_view value);

}  // namespace ped::engine
