#include "engine/filter_expression.h"

#include <charconv>
#include <cmath>
#include <compare>
#include <cstdint>
#include <utility>

#include "engine/date_time.h"
#include "engine/error.h"

namespace ped::engine {

namespace {

// Parentheses nested deeper than this are refused, so that neither parsing
// nor evaluation (both recursive) can run out of stack.
constexpr int kMaxNesting = 256;

enum class CmpOp : std::uint8_t { Eq, Ne, Lt, Le, Gt, Ge };

// The operator seen from the other side: `1 < A` is `A > 1`.
CmpOp mirrored(CmpOp op) {
  switch (op) {
    case CmpOp::Lt:
      return CmpOp::Gt;
    case CmpOp::Le:
      return CmpOp::Ge;
    case CmpOp::Gt:
      return CmpOp::Lt;
    case CmpOp::Ge:
      return CmpOp::Le;
    default:
      return op;
  }
}

bool holds(CmpOp op, std::partial_ordering o) {
  switch (op) {
    case CmpOp::Eq:
      return o == 0;
    case CmpOp::Ne:
      return o != 0;
    case CmpOp::Lt:
      return o < 0;
    case CmpOp::Le:
      return o <= 0;
    case CmpOp::Gt:
      return o > 0;
    case CmpOp::Ge:
      return o >= 0;
  }
  return false;
}

// A number as stored: integer cells and integral literals stay exact.
struct Num {
  bool isInt = false;
  std::int64_t i = 0;
  double d = 0;
};

constexpr double kTwo63 = 9223372036854775808.0;

std::partial_ordering compareIntDouble(std::int64_t i, double d) {
  if (std::isnan(d)) return std::partial_ordering::unordered;
  if (d >= kTwo63) return std::partial_ordering::less;
  if (d < -kTwo63) return std::partial_ordering::greater;
  const double whole = std::trunc(d);
  const auto wholeInt = static_cast<std::int64_t>(whole);
  if (i != wholeInt) return i <=> wholeInt;
  return 0.0 <=> (d - whole);  // exact: the fraction of a double is representable
}

std::partial_ordering compare(const Num& a, const Num& b) {
  if (a.isInt && b.isInt) return a.i <=> b.i;
  if (!a.isInt && !b.isInt) return a.d <=> b.d;
  if (a.isInt) return compareIntDouble(a.i, b.d);
  return 0 <=> compareIntDouble(b.i, a.d);
}

// False for a null cell (and for a cell of an unexpected kind).
bool readNumber(const CellView& c, Num& out) {
  if (c.kind == CellView::Kind::Number) {
    out.isInt = false;
    out.d = c.number;
    return true;
  }
  if (c.kind == CellView::Kind::Integer) {
    out.isInt = true;
    out.i = c.integer;
    return true;
  }
  return false;
}

// A null text reads as the empty text.
std::string_view readText(const CellView& c) {
  return c.kind == CellView::Kind::Text ? c.text : std::string_view{};
}

Num doubleNum(double d) { return Num{false, 0, d == 0 ? 0.0 : d}; }  // no -0

enum class Domain : std::uint8_t { Text, Number, Boolean };

Domain domainOf(FieldType t) {
  switch (t) {
    case FieldType::Text:
      return Domain::Text;
    case FieldType::Boolean:
      return Domain::Boolean;
    default:
      return Domain::Number;
  }
}

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isIdentStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '_' || u >= 0x80;
}
bool isIdentPart(char c) { return isIdentStart(c) || isDigit(c); }

bool equalsAsciiIgnoreCase(std::string_view a, std::string_view keyword) {
  if (a.size() != keyword.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    char c = a[k];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c != keyword[k]) return false;
  }
  return true;
}

}  // namespace

struct FilterExpression::Node {
  enum class Kind : std::uint8_t {
    Const,         // flag
    And,           // children
    Or,            // children
    Not,           // children[0]
    TextIsNull,    // field a; flag = IS NOT NULL
    IsNull,        // field a (not text); flag = IS NOT NULL
    TextCmpLit,    // a op text
    TextCmpField,  // a op b
    NumCmpLit,     // a op num
    NumCmpField,   // a op b
    BoolCmpLit,    // a op flag
    BoolCmpField,  // a op b
  };
  Kind kind = Kind::Const;
  CmpOp op = CmpOp::Eq;
  bool flag = false;
  FieldType fieldType = FieldType::Text;  // of field a
  int a = -1;
  int b = -1;
  Num num;
  std::string text;
  std::vector<std::unique_ptr<Node>> children;
};

namespace {

using Node = FilterExpression::Node;
using NodePtr = std::unique_ptr<Node>;

NodePtr makeConst(bool value) {
  auto n = std::make_unique<Node>();
  n->kind = Node::Kind::Const;
  n->flag = value;
  return n;
}

bool isConst(const NodePtr& n, bool value) { return n->kind == Node::Kind::Const && n->flag == value; }

// AND (isAnd) or OR of the given operands: nested chains of the same kind are
// flattened, constants folded.
NodePtr makeChain(bool isAnd, std::vector<NodePtr> operands) {
  const Node::Kind kind = isAnd ? Node::Kind::And : Node::Kind::Or;
  auto chain = std::make_unique<Node>();
  chain->kind = kind;
  for (auto& op : operands) {
    if (isConst(op, !isAnd)) return makeConst(!isAnd);  // FALSE in an AND, TRUE in an OR
    if (isConst(op, isAnd)) continue;                   // neutral element
    if (op->kind == kind) {
      for (auto& inner : op->children) chain->children.push_back(std::move(inner));
    } else {
      chain->children.push_back(std::move(op));
    }
  }
  if (chain->children.empty()) return makeConst(isAnd);
  if (chain->children.size() == 1) return std::move(chain->children.front());
  return chain;
}

NodePtr makeNot(NodePtr operand) {
  if (operand->kind == Node::Kind::Const) return makeConst(!operand->flag);
  if (operand->kind == Node::Kind::Not) return std::move(operand->children.front());
  auto n = std::make_unique<Node>();
  n->kind = Node::Kind::Not;
  n->children.push_back(std::move(operand));
  return n;
}

bool evaluate(const Node& n, const RowCells& row) {
  switch (n.kind) {
    case Node::Kind::Const:
      return n.flag;
    case Node::Kind::And:
      for (const auto& c : n.children)
        if (!evaluate(*c, row)) return false;
      return true;
    case Node::Kind::Or:
      for (const auto& c : n.children)
        if (evaluate(*c, row)) return true;
      return false;
    case Node::Kind::Not:
      return !evaluate(*n.children.front(), row);
    case Node::Kind::TextIsNull:
      return readText(row.cell(n.a)).empty() != n.flag;
    case Node::Kind::IsNull:
      return row.cell(n.a).isNull() != n.flag;
    case Node::Kind::TextCmpLit: {
      const std::string_view cell = readText(row.cell(n.a));
      if (n.op == CmpOp::Eq) return cell == n.text;  // sizes first
      if (n.op == CmpOp::Ne) return cell != n.text;
      return holds(n.op, cell <=> std::string_view(n.text));
    }
    case Node::Kind::TextCmpField:
      return holds(n.op, readText(row.cell(n.a)) <=> readText(row.cell(n.b)));
    case Node::Kind::NumCmpLit: {
      Num v;
      return readNumber(row.cell(n.a), v) && holds(n.op, compare(v, n.num));
    }
    case Node::Kind::NumCmpField: {
      Num x, y;
      return readNumber(row.cell(n.a), x) && readNumber(row.cell(n.b), y) && holds(n.op, compare(x, y));
    }
    case Node::Kind::BoolCmpLit: {
      const CellView c = row.cell(n.a);
      return c.kind == CellView::Kind::Boolean && holds(n.op, c.boolean <=> n.flag);
    }
    case Node::Kind::BoolCmpField: {
      const CellView x = row.cell(n.a);
      if (x.kind != CellView::Kind::Boolean) return false;
      const CellView y = row.cell(n.b);
      return y.kind == CellView::Kind::Boolean && holds(n.op, x.boolean <=> y.boolean);
    }
  }
  return false;
}

// ---------------------------------------------------------------- lexer

enum class Tok : std::uint8_t {
  End,
  LParen,
  RParen,
  Field,
  Text,
  Number,
  Compare,
  And,
  Or,
  Not,
  Is,
  Null,
  True,
  False,
};

struct Token {
  Tok kind = Tok::End;
  std::size_t pos = 0;   // byte offset of the first character
  std::string text;      // field name or unquoted text
  Num num;               // number literal
  CmpOp op = CmpOp::Eq;  // comparison operator
};

// An operand of a comparison, resolved.
struct Operand {
  enum class Kind : std::uint8_t { Field, Text, Number, Boolean } kind = Kind::Field;
  std::size_t pos = 0;
  std::string text;  // field name as written, or the text literal
  FilterField field{-1, FieldType::Text};
  Num num;
  bool flag = false;
};

class Parser {
 public:
  Parser(std::string_view text, const FilterFieldResolver& resolve) : s_(text), resolve_(resolve) {}

  NodePtr parseAll() {
    advance();
    NodePtr root = parseOr();
    if (tok_.kind != Tok::End) fail(tok_.pos, "texto inesperado");
    return root;
  }

 private:
  // 1-based position in characters (UTF-8 code points) of a byte offset.
  std::size_t position(std::size_t byteOffset) const {
    std::size_t chars = 0;
    for (std::size_t k = 0; k < byteOffset && k < s_.size(); ++k)
      if ((static_cast<unsigned char>(s_[k]) & 0xC0) != 0x80) ++chars;
    return chars + 1;
  }

  [[noreturn]] void raise(std::size_t byteOffset, const std::string& message) const {
    throw FilterError(message, position(byteOffset));
  }

  [[noreturn]] void fail(std::size_t byteOffset, const std::string& detail) const {
    const std::size_t p = position(byteOffset);
    throw FilterError("Expressão de filtro inválida na posição " + std::to_string(p) + ": " + detail + ".",
                      p);
  }

  std::string at(std::size_t byteOffset) const { return std::to_string(position(byteOffset)); }

  void advance() {
    while (i_ < s_.size() && isBlank(s_[i_])) ++i_;
    tok_ = Token{};
    tok_.pos = i_;
    if (i_ >= s_.size()) return;  // End
    const char c = s_[i_];
    switch (c) {
      case '(':
        tok_.kind = Tok::LParen;
        ++i_;
        return;
      case ')':
        tok_.kind = Tok::RParen;
        ++i_;
        return;
      case '=':
        compareToken(CmpOp::Eq, 1);
        return;
      case '<':
        if (peek(1) == '>')
          compareToken(CmpOp::Ne, 2);
        else if (peek(1) == '=')
          compareToken(CmpOp::Le, 2);
        else
          compareToken(CmpOp::Lt, 1);
        return;
      case '>':
        if (peek(1) == '=')
          compareToken(CmpOp::Ge, 2);
        else
          compareToken(CmpOp::Gt, 1);
        return;
      case '!':
        if (peek(1) == '=') {
          compareToken(CmpOp::Ne, 2);
          return;
        }
        break;
      case '\'':
        lexText();
        return;
      case '[':
        lexBracketField();
        return;
      default:
        break;
    }
    if (isDigit(c) || ((c == '-' || c == '+') && isDigit(peek(1)))) {
      lexNumber();
      return;
    }
    if (isIdentStart(c)) {
      lexIdentifier();
      return;
    }
    const auto u = static_cast<unsigned char>(c);
    if (u > 0x20 && u < 0x7F) fail(i_, std::string("caractere inesperado '") + c + "'");
    fail(i_, "caractere inesperado");
  }

  char peek(std::size_t ahead) const { return i_ + ahead < s_.size() ? s_[i_ + ahead] : '\0'; }

  void compareToken(CmpOp op, std::size_t length) {
    tok_.kind = Tok::Compare;
    tok_.op = op;
    i_ += length;
  }

  void lexText() {
    const std::size_t open = i_++;
    std::string value;
    for (;;) {
      const std::size_t close = s_.find('\'', i_);
      if (close == std::string_view::npos)
        raise(open, "Texto sem aspas de fechamento na posição " + at(open) + ".");
      value.append(s_.substr(i_, close - i_));
      i_ = close + 1;
      if (i_ < s_.size() && s_[i_] == '\'') {  // '' is one quote inside the text
        value.push_back('\'');
        ++i_;
        continue;
      }
      break;
    }
    tok_.kind = Tok::Text;
    tok_.text = std::move(value);
  }

  void lexBracketField() {
    const std::size_t open = i_;
    const std::size_t close = s_.find(']', open + 1);
    if (close == std::string_view::npos) raise(open, "Colchete sem fechamento na posição " + at(open) + ".");
    if (close == open + 1) fail(open, "nome de campo vazio");
    tok_.kind = Tok::Field;
    tok_.text = std::string(s_.substr(open + 1, close - open - 1));
    i_ = close + 1;
  }

  void lexNumber() {
    const std::size_t start = i_;
    if (s_[i_] == '+' || s_[i_] == '-') ++i_;
    bool integral = true;
    while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
    if (i_ < s_.size() && s_[i_] == '.') {
      integral = false;
      ++i_;
      while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      std::size_t k = i_ + 1;
      if (k < s_.size() && (s_[k] == '+' || s_[k] == '-')) ++k;
      if (k < s_.size() && isDigit(s_[k])) {  // otherwise the 'e' is not part of the number
        integral = false;
        i_ = k;
        while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
      }
    }
    // from_chars takes no '+'.
    const std::size_t from = s_[start] == '+' ? start + 1 : start;
    const char* first = s_.data() + from;
    const char* last = s_.data() + i_;
    tok_.kind = Tok::Number;
    if (integral) {
      std::int64_t value = 0;
      const auto r = std::from_chars(first, last, value);
      if (r.ec == std::errc() && r.ptr == last) {
        tok_.num = Num{true, value, static_cast<double>(value)};
        return;
      }
    }
    double value = 0;
    const auto r = std::from_chars(first, last, value, std::chars_format::general);
    if (r.ec != std::errc() || r.ptr != last || !std::isfinite(value))
      raise(start, "Número inválido na posição " + at(start) + ": " +
                       std::string(s_.substr(start, i_ - start)) + ".");
    tok_.num = doubleNum(value);
  }

  void lexIdentifier() {
    const std::size_t start = i_;
    while (i_ < s_.size() && isIdentPart(s_[i_])) ++i_;
    const std::string_view word = s_.substr(start, i_ - start);
    static constexpr std::pair<std::string_view, Tok> kKeywords[] = {
        {"AND", Tok::And},   {"OR", Tok::Or},     {"NOT", Tok::Not},     {"IS", Tok::Is},
        {"NULL", Tok::Null}, {"TRUE", Tok::True}, {"FALSE", Tok::False},
    };
    for (const auto& [keyword, kind] : kKeywords) {
      if (equalsAsciiIgnoreCase(word, keyword)) {
        tok_.kind = kind;
        return;
      }
    }
    tok_.kind = Tok::Field;
    tok_.text = std::string(word);
  }

  // ------------------------------------------------------------ grammar

  NodePtr parseOr() {
    std::vector<NodePtr> operands;
    operands.push_back(parseAnd());
    while (tok_.kind == Tok::Or) {
      advance();
      operands.push_back(parseAnd());
    }
    return operands.size() == 1 ? std::move(operands.front()) : makeChain(false, std::move(operands));
  }

  NodePtr parseAnd() {
    std::vector<NodePtr> operands;
    operands.push_back(parseNot());
    while (tok_.kind == Tok::And) {
      advance();
      operands.push_back(parseNot());
    }
    return operands.size() == 1 ? std::move(operands.front()) : makeChain(true, std::move(operands));
  }

  // NOT chains are counted, not recursed into.
  NodePtr parseNot() {
    bool negate = false;
    while (tok_.kind == Tok::Not) {
      negate = !negate;
      advance();
    }
    NodePtr n = parsePrimary();
    return negate ? makeNot(std::move(n)) : std::move(n);
  }

  NodePtr parsePrimary() {
    if (tok_.kind == Tok::LParen) {
      const std::size_t open = tok_.pos;
      if (++depth_ > kMaxNesting)
        raise(open, "Expressão de filtro com parênteses aninhados demais na posição " + at(open) +
                        " (o limite é " + std::to_string(kMaxNesting) + ").");
      advance();
      NodePtr inner = parseOr();
      if (tok_.kind == Tok::End) raise(open, "Parêntese não fechado na posição " + at(open) + ".");
      if (tok_.kind != Tok::RParen) fail(tok_.pos, "esperado ')'");
      advance();
      --depth_;
      return inner;
    }
    Operand left = parseOperand();
    if (tok_.kind == Tok::Is) {
      advance();
      bool negate = false;
      if (tok_.kind == Tok::Not) {
        negate = true;
        advance();
      }
      if (tok_.kind != Tok::Null) fail(tok_.pos, "esperado NULL");
      advance();
      return makeIsNull(left, negate);
    }
    if (tok_.kind != Tok::Compare) fail(tok_.pos, "esperado um operador de comparação");
    const CmpOp op = tok_.op;
    const std::size_t opPos = tok_.pos;
    advance();
    Operand right = parseOperand();
    return makeComparison(std::move(left), op, opPos, std::move(right));
  }

  Operand parseOperand() {
    Operand o;
    o.pos = tok_.pos;
    switch (tok_.kind) {
      case Tok::Field: {
        std::optional<FilterField> f;
        if (resolve_) f = resolve_(tok_.text);
        if (!f)
          raise(o.pos, "Campo '" + tok_.text + "' não encontrado na expressão de filtro (posição " +
                           at(o.pos) + ").");
        o.kind = Operand::Kind::Field;
        o.field = *f;
        o.text = std::move(tok_.text);
        break;
      }
      case Tok::Text:
        o.kind = Operand::Kind::Text;
        o.text = std::move(tok_.text);
        break;
      case Tok::Number:
        o.kind = Operand::Kind::Number;
        o.num = tok_.num;
        break;
      case Tok::True:
      case Tok::False:
        o.kind = Operand::Kind::Boolean;
        o.flag = tok_.kind == Tok::True;
        break;
      case Tok::Null:
        fail(tok_.pos, "use IS NULL para comparar com nulo");
      default:
        fail(tok_.pos, "esperado um valor");
    }
    advance();
    return o;
  }

  static NodePtr makeIsNull(const Operand& o, bool negate) {
    if (o.kind != Operand::Kind::Field) {
      // Only the empty text is null among literals ('' reads like a null text).
      const bool isNull = o.kind == Operand::Kind::Text && o.text.empty();
      return makeConst(isNull != negate);
    }
    auto n = std::make_unique<Node>();
    n->kind = o.field.type == FieldType::Text ? Node::Kind::TextIsNull : Node::Kind::IsNull;
    n->a = o.field.index;
    n->fieldType = o.field.type;
    n->flag = negate;
    return n;
  }

  static std::string describe(const Operand& o) {
    switch (o.kind) {
      case Operand::Kind::Field:
        return "campo '" + o.text + "' (" + std::string(fieldTypeDescription(o.field.type)) + ")";
      case Operand::Kind::Text:
        return "texto";
      case Operand::Kind::Number:
        return "número";
      case Operand::Kind::Boolean:
        return "valor lógico";
    }
    return "?";
  }

  [[noreturn]] void incompatible(const Operand& l, std::size_t opPos, const Operand& r) const {
    raise(opPos, "Tipos incompatíveis na posição " + at(opPos) + ": " + describe(l) + " comparado com " +
                     describe(r) + ".");
  }

  NodePtr makeComparison(Operand l, CmpOp op, std::size_t opPos, Operand r) {
    using K = Operand::Kind;
    if (l.kind != K::Field && r.kind != K::Field) return constantComparison(l, op, opPos, r);
    if (l.kind != K::Field) {  // literal op field -> field mirrored-op literal
      std::swap(l, r);
      op = mirrored(op);
    }
    const FieldType type = l.field.type;
    const Domain domain = domainOf(type);
    auto n = std::make_unique<Node>();
    n->op = op;
    n->a = l.field.index;
    n->fieldType = type;

    if (r.kind == K::Field) {
      if (domainOf(r.field.type) != domain) incompatible(l, opPos, r);
      n->b = r.field.index;
      n->kind = domain == Domain::Text     ? Node::Kind::TextCmpField
                : domain == Domain::Number ? Node::Kind::NumCmpField
                                           : Node::Kind::BoolCmpField;
      return n;
    }

    if (domain == Domain::Text && r.kind == K::Text) {
      n->kind = Node::Kind::TextCmpLit;
      n->text = std::move(r.text);
      return n;
    }
    if (domain == Domain::Boolean && r.kind == K::Boolean) {
      n->kind = Node::Kind::BoolCmpLit;
      n->flag = r.flag;
      return n;
    }
    if (domain == Domain::Number && r.kind == K::Number) {
      n->kind = Node::Kind::NumCmpLit;
      // Integer fields keep an integral literal exact; Float and DateTime cells are doubles.
      n->num = type == FieldType::Integer || !r.num.isInt ? r.num : doubleNum(r.num.d);
      return n;
    }
    if (type == FieldType::DateTime && r.kind == K::Text) {
      std::optional<double> date = date_time::fromBrazilian(r.text);
      if (!date) date = date_time::fromIso(r.text);
      if (!date)
        raise(r.pos,
              "Data inválida na posição " + at(r.pos) + ": '" + r.text + "' (use dd/mm/aaaa ou aaaa-mm-dd).");
      n->kind = Node::Kind::NumCmpLit;
      n->num = doubleNum(*date);
      return n;
    }
    incompatible(l, opPos, r);
  }

  NodePtr constantComparison(const Operand& l, CmpOp op, std::size_t opPos, const Operand& r) const {
    using K = Operand::Kind;
    if (l.kind != r.kind) incompatible(l, opPos, r);
    switch (l.kind) {
      case K::Text:
        return makeConst(holds(op, std::string_view(l.text) <=> std::string_view(r.text)));
      case K::Number:
        return makeConst(holds(op, compare(l.num, r.num)));
      case K::Boolean:
        return makeConst(holds(op, l.flag <=> r.flag));
      case K::Field:
        break;
    }
    return makeConst(false);
  }

  std::string_view s_;
  const FilterFieldResolver& resolve_;
  std::size_t i_ = 0;  // next byte to lex
  Token tok_;          // current token
  int depth_ = 0;      // open parentheses
};

// The `field = literal` term a node stands for, if it is one.
std::optional<EqualityTerm> equalityTerm(const Node& n) {
  if (n.op != CmpOp::Eq) return std::nullopt;
  switch (n.kind) {
    case Node::Kind::TextCmpLit:
      // A null text reads as '', so rows matching `T = ''` hold null: no term.
      if (n.text.empty()) return std::nullopt;
      return EqualityTerm{n.a, Value(n.text)};
    case Node::Kind::BoolCmpLit:
      return EqualityTerm{n.a, Value(n.flag)};
    case Node::Kind::NumCmpLit:
      if (n.fieldType != FieldType::Integer) return EqualityTerm{n.a, Value(n.num.d)};
      if (n.num.isInt) return EqualityTerm{n.a, Value(n.num.i)};
      // An integral double literal equals exactly one integer; any other matches no integer cell.
      if (n.num.d == std::trunc(n.num.d) && n.num.d >= -kTwo63 && n.num.d < kTwo63)
        return EqualityTerm{n.a, Value(static_cast<std::int64_t>(n.num.d))};
      return std::nullopt;
    default:
      return std::nullopt;
  }
}

}  // namespace

FilterExpression::FilterExpression() = default;
FilterExpression::~FilterExpression() = default;
FilterExpression::FilterExpression(FilterExpression&&) noexcept = default;
FilterExpression& FilterExpression::operator=(FilterExpression&&) noexcept = default;

FilterExpression FilterExpression::parse(std::string_view text, const FilterFieldResolver& resolve) {
  FilterExpression result;
  bool blank = true;
  for (char c : text) {
    if (!isBlank(c)) {
      blank = false;
      break;
    }
  }
  if (blank) return result;

  result.root_ = Parser(text, resolve).parseAll();

  const Node& root = *result.root_;
  if (root.kind == Node::Kind::And) {
    for (const auto& child : root.children)
      if (auto term = equalityTerm(*child)) result.equalities_.push_back(std::move(*term));
  } else if (auto term = equalityTerm(root)) {
    result.equalities_.push_back(std::move(*term));
  }
  return result;
}

bool FilterExpression::empty() const { return root_ == nullptr; }

bool FilterExpression::matches(const RowCells& row) const {
  return root_ == nullptr || evaluate(*root_, row);
}

const std::vector<EqualityTerm>& FilterExpression::requiredEqualities() const { return equalities_; }

std::string quoteFilterValue(std::string_view value) {
  std::string quoted;
  quoted.reserve(value.size() + 2);
  quoted.push_back('\'');
  for (char c : value) {
    if (c == '\'') quoted.push_back('\'');
    quoted.push_back(c);
  }
  quoted.push_back('\'');
  return quoted;
}

}  // namespace ped::engine
