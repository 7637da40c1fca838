#include "server/methods/stock_filter_text.h"

#include <cctype>

#include "server/methods/service_error.h"

namespace ped::server {
namespace {

class Tokens {
 public:
  explicit Tokens(std::string_view s) : s_(s) {}

  void expectWord(std::string_view word) {
    skipBlanks();
    for (char w : word) {
      if (at_ >= s_.size() || std::toupper(static_cast<unsigned char>(s_[at_])) != w) fail();
      ++at_;
    }
    // A keyword ends where a name character would go on.
    if (at_ < s_.size() && (std::isalnum(static_cast<unsigned char>(s_[at_])) || s_[at_] == '_')) fail();
  }
  void expect(char c) {
    skipBlanks();
    if (at_ >= s_.size() || s_[at_] != c) fail();
    ++at_;
  }
  bool accept(char c) {
    skipBlanks();
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool atChar(char c) {
    skipBlanks();
    return at_ < s_.size() && s_[at_] == c;
  }
  std::string quoted() {
    expect('\'');
    std::string out;
    for (;;) {
      if (at_ >= s_.size()) fail();
      const char c = s_[at_++];
      if (c == '\'') {
        if (at_ < s_.size() && s_[at_] == '\'') {
          out += '\'';
          ++at_;
          continue;
        }
        return out;
      }
      out += c;
    }
  }
  // "IN ('a','b',...)"
  std::vector<std::string> inList() {
    expectWord("IN");
    expect('(');
    std::vector<std::string> values{quoted()};
    while (accept(',')) values.push_back(quoted());
    expect(')');
    return values;
  }
  void expectEnd() {
    skipBlanks();
    if (at_ != s_.size()) fail();
  }
  [[noreturn]] void fail() const {
    throw ServiceError(
        "Filtro de estoque inválido: use NRPEDIDO IN ('...') ou (NRPEDIDO = '...') AND (NRITEMPED IN "
        "('...')).");
  }

 private:
  void skipBlanks() {
    while (at_ < s_.size() && std::isspace(static_cast<unsigned char>(s_[at_]))) ++at_;
  }
  std::string_view s_;
  std::size_t at_ = 0;
};

}  // namespace

StockSelection parseStockFilter(std::string_view text) {
  Tokens t(text);
  StockSelection out;
  if (t.atChar('(')) {
    t.expect('(');
    t.expectWord("NRPEDIDO");
    t.expect('=');
    out.orders.push_back(t.quoted());
    t.expect(')');
    t.expectWord("AND");
    t.expect('(');
    t.expectWord("NRITEMPED");
    out.items = t.inList();
    t.expect(')');
  } else {
    t.expectWord("NRPEDIDO");
    out.orders = t.inList();
  }
  t.expectEnd();
  return out;
}

}  // namespace ped::server
