#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "engine/date_time.h"
#include "engine/error.h"
#include "engine/filter_expression.h"

namespace ped::engine {
namespace {

struct FieldDef {
  const char* name;
  FieldType type;
};

// The fields every test filters on; their index is their place here.
const std::vector<FieldDef> kFields = {
    {"NOME", FieldType::Text},          {"QTD", FieldType::Float},         {"NRITEM", FieldType::Integer},
    {"DTENTREGA", FieldType::DateTime}, {"FLATIVO", FieldType::Boolean},   {"CDALMOXARIFE", FieldType::Text},
    {"VLUNIT", FieldType::Float},       {"Nome Cliente", FieldType::Text}, {"DESCRIÇÃO", FieldType::Text},
    {"A", FieldType::Boolean},          {"B", FieldType::Boolean},         {"C", FieldType::Boolean},
    {"ORDEM", FieldType::Integer},      {"NOTA", FieldType::Text},         {"ISENTO", FieldType::Boolean},
};

int fieldIndex(std::string_view name) {
  for (std::size_t i = 0; i < kFields.size(); ++i)
    if (name == kFields[i].name) return static_cast<int>(i);
  ADD_FAILURE() << "no field " << name;
  return 0;
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

const FilterFieldResolver kResolver = [](std::string_view name) -> std::optional<FilterField> {
  for (std::size_t i = 0; i < kFields.size(); ++i)
    if (sameIgnoringAsciiCase(name, kFields[i].name))
      return FilterField{static_cast<int>(i), kFields[i].type};
  return std::nullopt;
};

// A row of owned values; cells not given are null. An empty text is kept as a
// Text cell (the data set stores it as null; the filter must treat both alike).
class FakeRow : public RowCells {
 public:
  FakeRow(std::initializer_list<std::pair<const char*, Value>> cells) : values_(kFields.size()) {
    for (const auto& [name, value] : cells) values_[fieldIndex(name)] = value;
  }
  CellView cell(int field) const override {
    return CellView::of(values_.at(static_cast<std::size_t>(field)));
  }

 private:
  std::vector<Value> values_;
};

FilterExpression parse(std::string_view text) { return FilterExpression::parse(text, kResolver); }

bool matches(std::string_view filter, const FakeRow& row) { return parse(filter).matches(row); }

struct ParseFailure {
  std::size_t position = 0;
  std::string message;
};

// The FilterError the text raises (a test failure when it parses).
ParseFailure failure(std::string_view text) {
  try {
    parse(text);
  } catch (const FilterError& e) {
    return {e.position(), e.what()};
  }
  ADD_FAILURE() << "parsed without error: " << text;
  return {};
}

double date(int y, int mo, int d, int h = 0, int mi = 0) {
  return date_time::fromCivil(CivilDateTime{y, mo, d, h, mi, 0, 0});
}

// ------------------------------------------------------------------ syntax

TEST(FilterExpressionTest, BlankTextIsTheEmptyFilter) {
  for (std::string_view text : {"", " ", "  \t\r\n "}) {
    const FilterExpression f = parse(text);
    EXPECT_TRUE(f.empty()) << '"' << text << '"';
    EXPECT_TRUE(f.matches(FakeRow{}));
    EXPECT_TRUE(f.requiredEqualities().empty());
  }
  EXPECT_TRUE(FilterExpression().empty());
  EXPECT_TRUE(FilterExpression().matches(FakeRow{{"NOME", "x"}}));
  // A constant filter is still a filter.
  EXPECT_FALSE(parse("1 = 1").empty());
}

TEST(FilterExpressionTest, NotBindsTighterThanAndTighterThanOr) {
  for (int bits = 0; bits < 8; ++bits) {
    const bool a = bits & 1, b = bits & 2, c = bits & 4;
    const FakeRow row{{"A", a}, {"B", b}, {"C", c}};
    SCOPED_TRACE(testing::Message() << "A=" << a << " B=" << b << " C=" << c);
    EXPECT_EQ(matches("A = TRUE OR B = TRUE AND C = TRUE", row), a || (b && c));
    EXPECT_EQ(matches("A = TRUE AND B = TRUE OR C = TRUE", row), (a && b) || c);
    EXPECT_EQ(matches("NOT A = TRUE AND B = TRUE", row), !a && b);
    EXPECT_EQ(matches("NOT A = TRUE OR B = TRUE", row), !a || b);
    EXPECT_EQ(matches("(A = TRUE OR B = TRUE) AND C = TRUE", row), (a || b) && c);
    EXPECT_EQ(matches("NOT (A = TRUE AND B = TRUE) OR C = TRUE", row), !(a && b) || c);
    EXPECT_EQ(matches("((A = TRUE)) AND ((B = FALSE OR (C = TRUE)))", row), a && (!b || c));
    EXPECT_EQ(matches("NOT NOT A = TRUE", row), a);
    EXPECT_EQ(matches("NOT NOT NOT A = TRUE", row), !a);
  }
}

TEST(FilterExpressionTest, KeywordsAndFieldNamesIgnoreCase) {
  const FakeRow row{{"NOME", "x"}, {"QTD", 1.0}, {"FLATIVO", true}};
  EXPECT_TRUE(matches("nome = 'x' and not qtd is null Or flativo = false", row));
  EXPECT_TRUE(matches("Nome = 'x' AnD QtD iS nOt NuLl aNd FlAtIvO = tRuE", row));
  EXPECT_FALSE(matches("NOME = 'X'", row)) << "texts themselves compare exactly";
}

TEST(FilterExpressionTest, FieldNameForms) {
  // Names starting with a keyword are names, not keywords.
  EXPECT_TRUE(matches("ORDEM = 1 AND NOTA = 'a' OR ISENTO = TRUE", FakeRow{{"ORDEM", 1}, {"NOTA", "a"}}));
  EXPECT_TRUE(
      matches("[Nome Cliente] = 'Ana' AND [NOME] = 'x'", FakeRow{{"Nome Cliente", "Ana"}, {"NOME", "x"}}));
  EXPECT_TRUE(matches("DESCRIÇÃO = 'ação'", FakeRow{{"DESCRIÇÃO", "ação"}}));
}

TEST(FilterExpressionTest, KeywordDirectlyAfterAQuotedValue) {
  const FakeRow row{{"NOME", "1"}, {"CDALMOXARIFE", "01"}};
  EXPECT_TRUE(matches("NOME = '1'AND CDALMOXARIFE = '01'", row));
  EXPECT_FALSE(matches("NOME = '1'AND CDALMOXARIFE = '02'", row));
  EXPECT_TRUE(matches("NOME='x'OR(CDALMOXARIFE='01')", row));
  EXPECT_TRUE(matches("NOME='1'AND NOT(CDALMOXARIFE='02')", row));
  EXPECT_TRUE(matches("NOME='1'AND(NOME IS NOT NULL)", row));
}

TEST(FilterExpressionTest, QuotesInsideTexts) {
  EXPECT_EQ(quoteFilterValue("O'Brien"), "'O''Brien'");
  EXPECT_EQ(quoteFilterValue(""), "''");
  EXPECT_EQ(quoteFilterValue("''"), "''''''");

  EXPECT_TRUE(matches("NOME = 'O''Brien'", FakeRow{{"NOME", "O'Brien"}}));
  EXPECT_FALSE(matches("NOME = 'O''Brien'", FakeRow{{"NOME", "O''Brien"}}));

  // A filter built from any value matches exactly that value.
  const std::vector<std::string> values = {"O'Brien",      "'",    "''",  "a'b'c'", "' OR NOME <> '",
                                           "x' OR '1'='1", "ação", " a ", "[NOME]", ""};
  for (const std::string& v : values) {
    const FilterExpression f =
        parse("NOME = " + quoteFilterValue(v) + "AND NOME IS NULL OR NOME = " + quoteFilterValue(v));
    for (const std::string& other : values)
      EXPECT_EQ(f.matches(FakeRow{{"NOME", other}}), other == v)
          << "filter value [" << v << "] row [" << other << "]";
    EXPECT_EQ(f.matches(FakeRow{}), v.empty()) << "null row, filter value [" << v << "]";
  }
}

// ------------------------------------------------------------------ errors

TEST(FilterExpressionTest, UnknownFieldNamesTheField) {
  ParseFailure e = failure("  XYZ = 1");
  EXPECT_EQ(e.position, 3u);
  EXPECT_EQ(e.message, "Campo 'XYZ' não encontrado na expressão de filtro (posição 3).");

  e = failure("NOME = 'a' AND [Campo Novo] = 1");
  EXPECT_EQ(e.position, 16u);
  EXPECT_NE(e.message.find("'Campo Novo'"), std::string::npos) << e.message;

  e = failure("NOME = _x");
  EXPECT_EQ(e.position, 8u);
  EXPECT_NE(e.message.find("'_x'"), std::string::npos) << e.message;
}

TEST(FilterExpressionTest, SyntaxErrorsNameThePosition) {
  struct Case {
    const char* text;
    std::size_t position;
    const char* says;
  };
  const Case cases[] = {
      {"NOME = ", 8, "esperado um valor"},
      {"NOME = 'a' AND", 15, "esperado um valor"},
      {"NOME = 'a' AND OR NOME = 'b'", 16, "esperado um valor"},
      {"NOT", 4, "esperado um valor"},
      {"()", 2, "esperado um valor"},
      {"NOME = 'a' AND (QTD > 1 OR)", 27, "esperado um valor"},
      {"NOME = NULL", 8, "IS NULL"},
      {"NOME 'a'", 6, "esperado um operador de comparação"},
      {"NOME", 5, "esperado um operador de comparação"},
      {"NOME IS 'a'", 9, "esperado NULL"},
      {"NOME IS NOT", 12, "esperado NULL"},
      {"NOME = 'a' NOME = 'b'", 12, "texto inesperado"},
      {"NOME = 'a')", 11, "texto inesperado"},
      {"NOME = 'a'ANDX", 11, "texto inesperado"},
      {"(NOME = 'a' NOME", 13, "esperado ')'"},
      {"NOME = 'a' AND ((QTD = 1)", 16, "Parêntese não fechado na posição 16"},
      {"NOME # 'a'", 6, "caractere inesperado '#'"},
      {"NOME ! 'a'", 6, "caractere inesperado '!'"},
      {"NOME = \"a\"", 8, "caractere inesperado '\"'"},
      {"[] = 1", 1, "nome de campo vazio"},
      {"QTD = 1 OR [NOME = 1", 12, "Colchete sem fechamento na posição 12"},
      {"QTD = 1e999", 7, "Número inválido na posição 7"},
      {"QTD = - 1", 7, "caractere inesperado '-'"},
      // Positions count characters, not UTF-8 bytes.
      {"DESCRIÇÃO = 'ação' ?", 20, "caractere inesperado '?'"},
  };
  for (const Case& c : cases) {
    const ParseFailure e = failure(c.text);
    EXPECT_EQ(e.position, c.position) << c.text << "\n" << e.message;
    EXPECT_NE(e.message.find(c.says), std::string::npos) << c.text << "\n" << e.message;
    EXPECT_NE(e.message.find("posição " + std::to_string(c.position)), std::string::npos) << e.message;
  }
  EXPECT_EQ(failure("NOME = ").message, "Expressão de filtro inválida na posição 8: esperado um valor.");
}

TEST(FilterExpressionTest, UnterminatedText) {
  EXPECT_EQ(failure("NOME = 'abc").message, "Texto sem aspas de fechamento na posição 8.");
  EXPECT_EQ(failure("NOME = 'it''s").position, 8u) << "'' is a quote inside the text";
  EXPECT_EQ(failure("NOME = '''").position, 8u);
  EXPECT_EQ(failure("QTD = 1 AND NOME = '").position, 20u);
}

TEST(FilterExpressionTest, IncompatibleTypes) {
  const std::pair<const char*, std::size_t> cases[] = {
      {"NOME = 1", 6},       {"QTD = 'a'", 5},        {"NRITEM = TRUE", 8},     {"FLATIVO = 1", 9},
      {"NOME = FLATIVO", 6}, {"NOME <> QTD", 6},      {"1 = NOME", 3},          {"'a' = 1", 5},
      {"TRUE = 'x'", 6},     {"FLATIVO = 'TRUE'", 9}, {"DTENTREGA = TRUE", 11},
  };
  for (const auto& [text, position] : cases) {
    const ParseFailure e = failure(text);
    EXPECT_EQ(e.position, position) << text;
    EXPECT_EQ(e.message.rfind("Tipos incompatíveis na posição " + std::to_string(position), 0), 0u)
        << text << "\n"
        << e.message;
  }
  EXPECT_EQ(failure("NOME = 1").message,
            "Tipos incompatíveis na posição 6: campo 'NOME' (texto) comparado com número.");
}

TEST(FilterExpressionTest, NestingIsCapped) {
  auto nested = [](int depth) {
    return std::string(static_cast<std::size_t>(depth), '(') + "NOME = 'x'" +
           std::string(static_cast<std::size_t>(depth), ')');
  };
  EXPECT_TRUE(parse(nested(256)).matches(FakeRow{{"NOME", "x"}}));
  const ParseFailure e = failure(nested(257));
  EXPECT_EQ(e.position, 257u);
  EXPECT_NE(e.message.find("aninhados demais"), std::string::npos) << e.message;
  EXPECT_EQ(failure(std::string(1'000'000, '(')).position, 257u);

  std::string notParens;
  for (int i = 0; i < 1000; ++i) notParens += "NOT (";
  EXPECT_NE(failure(notParens).message.find("aninhados demais"), std::string::npos);
}

TEST(FilterExpressionTest, LongChainsDoNotRecurse) {
  std::string nots;
  for (int i = 0; i < 100'000; ++i) nots += "NOT ";
  EXPECT_TRUE(parse(nots + "NOME = 'x'").matches(FakeRow{{"NOME", "x"}}));  // even count
  EXPECT_FALSE(parse("NOT " + nots + "NOME = 'x'").matches(FakeRow{{"NOME", "x"}}));

  std::string ands = "NRITEM = 1";
  for (int i = 0; i < 50'000; ++i) ands += " AND (NRITEM = 1 OR NRITEM = 2)";
  EXPECT_TRUE(parse(ands).matches(FakeRow{{"NRITEM", 1}}));
  EXPECT_FALSE(parse(ands).matches(FakeRow{{"NRITEM", 2}}));
}

// Whatever the text, parse either succeeds or throws FilterError.
TEST(FilterExpressionTest, AnyTextParsesOrRaisesFilterError) {
  const std::vector<std::string> pieces = {"NOME",    "QTD",
                                           "NRITEM",  "DTENTREGA",
                                           "FLATIVO", "[Nome Cliente]",
                                           "[",       "]",
                                           "(",       ")",
                                           "'a'",     "''",
                                           "'",       "'07/12/2026'",
                                           "1",       "-2.5e3",
                                           "+",       "-",
                                           "1e",      ".",
                                           "=",       "<>",
                                           "<",       ">=",
                                           "!=",      "!",
                                           "AND",     "OR",
                                           "NOT",     "IS",
                                           "NULL",    "TRUE",
                                           "FALSE",   " ",
                                           "ç",       "\xff",
                                           "\t"};
  const std::vector<FakeRow> rows = {FakeRow{},
                                     FakeRow{{"NOME", "a"}, {"QTD", 1.5}, {"NRITEM", 1}, {"FLATIVO", true}}};
  std::mt19937 random(20261207);
  int parsed = 0;
  for (int round = 0; round < 20'000; ++round) {
    std::string text;
    const int count = 1 + static_cast<int>(random() % 12);
    for (int i = 0; i < count; ++i) text += pieces[random() % pieces.size()];
    try {
      const FilterExpression f = parse(text);
      for (const FakeRow& row : rows) f.matches(row);
      ++parsed;
    } catch (const FilterError& e) {
      EXPECT_GE(e.position(), 1u) << text;
      EXPECT_LE(e.position(), text.size() + 1) << text;
    } catch (...) {
      ADD_FAILURE() << "unexpected exception for: " << text;
    }
  }
  EXPECT_GT(parsed, 0);

  const std::string valid =
      "NOT (NOME = 'O''B' OR [Nome Cliente] <> NOME) AND QTD >= -1.5e2 AND FLATIVO IS NOT NULL";
  ASSERT_NO_THROW(parse(valid));
  for (std::size_t n = 0; n < valid.size(); ++n) {
    try {
      parse(valid.substr(0, n));
    } catch (const FilterError&) {
    }
  }
}

// -------------------------------------------------------------- evaluation

TEST(FilterExpressionTest, NullCells) {
  const FakeRow nulls{};
  // A null non-text cell fails every comparison, <> included.
  for (const char* text : {"QTD = 0", "QTD <> 0", "QTD < 1", "QTD >= 0", "NRITEM = 0", "NRITEM <> 1",
                           "FLATIVO = FALSE", "FLATIVO <> TRUE", "DTENTREGA < '07/12/2026'", "QTD = VLUNIT",
                           "QTD <> NRITEM", "QTD IS NOT NULL", "FLATIVO IS NOT NULL"})
    EXPECT_FALSE(matches(text, nulls)) << text;
  for (const char* text :
       {"QTD IS NULL", "NRITEM IS NULL", "DTENTREGA IS NULL", "FLATIVO IS NULL", "NOT QTD = 0"})
    EXPECT_TRUE(matches(text, nulls)) << text;

  const FakeRow zeros{{"QTD", 0.0}, {"NRITEM", 0}, {"FLATIVO", false}};
  EXPECT_TRUE(matches("QTD = 0 AND NRITEM = 0 AND FLATIVO = FALSE", zeros));
  EXPECT_FALSE(matches("QTD IS NULL OR NRITEM IS NULL OR FLATIVO IS NULL", zeros));

  // A null text is the empty text; an empty Text cell behaves the same.
  for (const FakeRow& row : {nulls, FakeRow{{"NOME", ""}, {"CDALMOXARIFE", ""}}}) {
    for (const char* text : {"NOME = ''", "NOME IS NULL", "NOME <> 'x'", "NOME < 'a'", "NOME = CDALMOXARIFE",
                             "NOT NOME IS NOT NULL"})
      EXPECT_TRUE(matches(text, row)) << text;
    for (const char* text : {"NOME IS NOT NULL", "NOME <> ''", "NOME > ''", "NOME = 'x'"})
      EXPECT_FALSE(matches(text, row)) << text;
  }
  EXPECT_TRUE(matches("NOME IS NOT NULL AND NOME > ''", FakeRow{{"NOME", " "}}));

  // Literals: only '' is null.
  EXPECT_TRUE(matches("'' IS NULL AND 'a' IS NOT NULL AND 1 IS NOT NULL AND FALSE IS NOT NULL", nulls));
}

TEST(FilterExpressionTest, Numbers) {
  const FakeRow item{{"NRITEM", 3}, {"QTD", 2.5}};
  for (const char* text :
       {"NRITEM = 3", "NRITEM = 3.0", "NRITEM = 3e0", "NRITEM = 0.3E1", "NRITEM >= +3", "NRITEM < 3.5",
        "NRITEM > 2.5", "NRITEM <> 2.5", "NRITEM > -3", "QTD = 2.5", "QTD = 25e-1", "QTD > 2", "QTD < 3",
        "QTD != 2", "QTD <= 2.5", "-1 < QTD", "3 = NRITEM", "2 < NRITEM"})
    EXPECT_TRUE(matches(text, item)) << text;
  for (const char* text : {"NRITEM = 2.5", "NRITEM = -3", "NRITEM <> 3", "QTD = 2", "QTD > 2.5",
                           "4 <= NRITEM", "NRITEM = 99999999999999999999"})
    EXPECT_FALSE(matches(text, item)) << text;

  // Integer and float fields compare with each other, exactly.
  EXPECT_TRUE(matches("NRITEM = QTD", FakeRow{{"NRITEM", 3}, {"QTD", 3.0}}));
  EXPECT_TRUE(matches("NRITEM < QTD AND QTD > NRITEM", FakeRow{{"NRITEM", 3}, {"QTD", 3.5}}));
  const std::int64_t big = (std::int64_t{1} << 53) + 1;  // not a double
  const FakeRow bigRow{{"NRITEM", big}, {"QTD", static_cast<double>(big - 1)}};
  EXPECT_TRUE(matches("NRITEM = 9007199254740993 AND NRITEM > 9007199254740992", bigRow));
  EXPECT_TRUE(matches("NRITEM > QTD AND NRITEM <> QTD", bigRow));
  EXPECT_TRUE(matches("NRITEM > -9.3e18 AND NRITEM < 9.3e18", bigRow));
  EXPECT_TRUE(matches("NRITEM = 9223372036854775807", FakeRow{{"NRITEM", INT64_MAX}}));
  EXPECT_FALSE(matches("NRITEM = 9223372036854775808", FakeRow{{"NRITEM", INT64_MAX}}));

  // Constants.
  EXPECT_TRUE(matches("1 = 1.0 AND 'a' < 'b' AND TRUE <> FALSE AND -0.0 = 0", FakeRow{}));
  EXPECT_FALSE(matches("1 = 2 OR 'b' < 'a'", FakeRow{}));
  EXPECT_TRUE(matches("1 = 2 OR QTD = 2.5", item));
}

TEST(FilterExpressionTest, TextsCompareByteWise) {
  const FakeRow row{{"NOME", "abc"}, {"CDALMOXARIFE", "abd"}};
  EXPECT_TRUE(matches("NOME < CDALMOXARIFE AND CDALMOXARIFE >= NOME AND NOME <> CDALMOXARIFE", row));
  EXPECT_TRUE(matches("NOME < 'abcd' AND NOME > 'ab' AND NOME < 'b'", row));
  // Bytes compare unsigned: 'é' (0xC3 0xA9) sorts after 'z'.
  EXPECT_TRUE(matches("NOME > 'z'", FakeRow{{"NOME", "é"}}));
  EXPECT_FALSE(matches("NOME = 'abc '", row));
}

TEST(FilterExpressionTest, BooleanFields) {
  const FakeRow row{{"FLATIVO", true}, {"A", true}, {"B", false}};
  EXPECT_TRUE(matches("FLATIVO = TRUE AND FLATIVO <> FALSE AND TRUE = FLATIVO", row));
  EXPECT_TRUE(matches("FLATIVO = A AND A <> B", row));
  EXPECT_FALSE(matches("FLATIVO = B", row));
  EXPECT_FALSE(matches("FLATIVO = C", row)) << "C is null";
}

TEST(FilterExpressionTest, DateLiterals) {
  const FakeRow day{{"DTENTREGA", date(2026, 12, 7)}};
  for (const char* text : {"DTENTREGA = '07/12/2026'", "DTENTREGA = '7/12/2026'", "DTENTREGA = '2026-12-07'",
                           "'07/12/2026' = DTENTREGA", "DTENTREGA < '08/12/2026'", "'06/12/2026' < DTENTREGA",
                           "DTENTREGA > 46000"})
    EXPECT_TRUE(matches(text, day)) << text;

  const FakeRow withTime{{"DTENTREGA", date(2026, 12, 7, 10, 30)}, {"QTD", date(2026, 12, 7)}};
  EXPECT_FALSE(matches("DTENTREGA = '07/12/2026'", withTime));
  EXPECT_TRUE(matches("DTENTREGA >= '07/12/2026' AND DTENTREGA < '08/12/2026'", withTime));
  EXPECT_TRUE(matches("DTENTREGA = '07/12/2026 10:30'", withTime));
  EXPECT_TRUE(matches("DTENTREGA > QTD", withTime)) << "date-time and float fields compare";

  for (const char* text : {"DTENTREGA = '31/02/2026'", "DTENTREGA = 'amanhã'", "DTENTREGA = ''"}) {
    const ParseFailure e = failure(text);
    EXPECT_EQ(e.position, 13u) << text;
    EXPECT_EQ(e.message.rfind("Data inválida na posição 13", 0), 0u) << e.message;
  }
}

// ------------------------------------------------------- requiredEqualities

TEST(FilterExpressionTest, EqualitiesOfTheTopLevelAndChain) {
  const FilterExpression f = parse(
      "NOME = 'a' AND QTD = 2 AND NRITEM = 3 AND FLATIVO = TRUE AND DTENTREGA = '07/12/2026' AND "
      "(VLUNIT > 1 OR VLUNIT IS NULL) AND NOT CDALMOXARIFE = '01' AND QTD <> 5");
  const std::vector<EqualityTerm> expected = {
      {fieldIndex("NOME"), Value("a")},
      {fieldIndex("QTD"), Value(2.0)},
      {fieldIndex("NRITEM"), Value(std::int64_t{3})},
      {fieldIndex("FLATIVO"), Value(true)},
      {fieldIndex("DTENTREGA"), Value(date(2026, 12, 7))},
  };
  ASSERT_EQ(f.requiredEqualities().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(f.requiredEqualities()[i].field, expected[i].field) << i;
    EXPECT_EQ(f.requiredEqualities()[i].value, expected[i].value) << i;
  }

  // A literal on the left, chains in parentheses, a single comparison.
  auto terms = [](std::string_view text) {
    std::vector<std::pair<int, Value>> out;
    const FilterExpression f = parse(text);
    for (const EqualityTerm& t : f.requiredEqualities()) out.emplace_back(t.field, t.value);
    return out;
  };
  using Terms = std::vector<std::pair<int, Value>>;
  EXPECT_EQ(
      terms("'01' = CDALMOXARIFE AND 5 = NRITEM"),
      (Terms{{fieldIndex("CDALMOXARIFE"), Value("01")}, {fieldIndex("NRITEM"), Value(std::int64_t{5})}}));
  EXPECT_EQ(terms("(NOME = 'a' AND (QTD = 1)) AND NOT NOT NRITEM = 2"),
            (Terms{{0, Value("a")}, {1, Value(1.0)}, {2, Value(std::int64_t{2})}}));
  EXPECT_EQ(terms("NOME = 'a'"), (Terms{{0, Value("a")}}));
  EXPECT_EQ(terms("1 = 1 AND NOME = 'a'"), (Terms{{0, Value("a")}}));
  EXPECT_EQ(terms("NRITEM = 2.0 AND ORDEM = 1e2"),
            (Terms{{2, Value(std::int64_t{2})}, {12, Value(std::int64_t{100})}}));

  // Nothing under OR or NOT, nothing that is not `field = literal`.
  for (const char* text : {"NOME = 'a' OR QTD = 1", "NOT NOME = 'a'", "NOT (NOME = 'a' AND QTD = 1)",
                           "(NOME = 'a' OR NOME = 'b') AND QTD > 1", "QTD <> 1 AND NOME >= 'a'",
                           "NOME = CDALMOXARIFE", "NOME IS NULL AND QTD IS NOT NULL",
                           // '' is matched by null texts: an index on '' would miss them.
                           "NOME = ''",
                           // No integer equals 2.5.
                           "NRITEM = 2.5"})
    EXPECT_TRUE(parse(text).requiredEqualities().empty()) << text;

  // -0 is a term for 0.
  const Value zero = parse("QTD = -0.0").requiredEqualities().at(0).value;
  ASSERT_TRUE(zero.isFloat());
  EXPECT_FALSE(std::signbit(zero.number()));
}

// Every row that matches satisfies every returned term.
TEST(FilterExpressionTest, EqualitiesHoldForEveryMatchingRow) {
  const std::vector<Value> texts = {Value(), Value(""), Value("a"), Value("b")};
  const std::vector<Value> floats = {Value(), Value(2.0), Value(2.5), Value(-0.0)};
  const std::vector<Value> integers = {Value(), Value(std::int64_t{2}), Value(std::int64_t{3})};
  const std::vector<Value> flags = {Value(), Value(true), Value(false)};
  const char* filters[] = {"NOME = 'a' AND QTD = 2",       "NOME = '' AND NRITEM = 2.0",
                           "QTD = 0 AND FLATIVO = FALSE",  "NRITEM = 2.5 AND NOME = 'b'",
                           "2 = NRITEM AND 2.5 = QTD",     "NOME = 'a' AND (QTD = 2 OR NRITEM = 3)",
                           "NOT NOME = 'a' AND QTD = 2.5", "NOME IS NULL AND NRITEM = 3"};
  int matchedRows = 0;
  for (const char* text : filters) {
    const FilterExpression f = parse(text);
    for (const Value& nome : texts)
      for (const Value& qtd : floats)
        for (const Value& nr : integers)
          for (const Value& flag : flags) {
            const FakeRow row{{"NOME", nome}, {"QTD", qtd}, {"NRITEM", nr}, {"FLATIVO", flag}};
            if (!f.matches(row)) continue;
            ++matchedRows;
            for (const EqualityTerm& t : f.requiredEqualities()) {
              const CellView c = row.cell(t.field);
              if (t.value.isText()) {
                EXPECT_EQ(c.text, t.value.text()) << text;
              } else if (t.value.isFloat()) {
                EXPECT_EQ(c.number, t.value.number()) << text;
              } else if (t.value.isInteger()) {
                EXPECT_EQ(c.integer, t.value.integer()) << text;
              } else {
                ASSERT_TRUE(t.value.isBoolean()) << text;
                EXPECT_EQ(c.boolean, t.value.boolean()) << text;
              }
              EXPECT_FALSE(c.isNull()) << text;
            }
          }
  }
  EXPECT_GT(matchedRows, 0);
}

}  // namespace
}  // namespace ped::engine
