#include "engine/packet.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/date_time.h"
#include "engine/error.h"

namespace ped::engine {
namespace {

using Rows = std::vector<std::vector<Value>>;

Table makeTable(const std::vector<FieldSpec>& layout, const Rows& rows) {
  std::vector<FieldType> types;
  for (const FieldSpec& f : layout) types.push_back(f.type);
  Table t(types);
  for (const auto& values : rows) {
    const RowId r = t.addRow();
    for (std::size_t c = 0; c < values.size(); ++c) t.mutableColumn(c).set(r, values[c]);
  }
  return t;
}

std::vector<RowId> allRows(const Table& t) { return t.rows().order; }

Value cellAt(const Table& t, std::size_t column, RowId row) { return t.column(column).cell(row).toValue(); }

void expectSameLayout(const std::vector<FieldSpec>& a, const std::vector<FieldSpec>& b) {
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    EXPECT_EQ(a[i].name, b[i].name);
    EXPECT_EQ(a[i].type, b[i].type);
    EXPECT_EQ(a[i].size, b[i].size);
    EXPECT_EQ(a[i].calculated, b[i].calculated);
  }
}

// Encodes, decodes into the same layout and checks every cell came back.
Table roundTrip(const std::vector<FieldSpec>& layout, const Rows& rows) {
  const Table original = makeTable(layout, rows);
  const std::string json = encodePacket(layout, original, allRows(original));
  std::vector<FieldSpec> target = layout;
  Table back = decodePacket(json, target);
  EXPECT_EQ(back.physicalRows(), rows.size());
  for (RowId r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < layout.size(); ++c)
      EXPECT_EQ(cellAt(back, c, r), cellAt(original, c, r)) << "row " << r << " field " << layout[c].name;
  return back;
}

TEST(PacketFormat, WritesFieldsWithSizesAndRowsInTheGivenOrder) {
  const std::vector<FieldSpec> layout = {{"NRPEDIDO", FieldType::Text, 10},
                                         {"VALOR", FieldType::Float},
                                         {"DTENTREGA", FieldType::DateTime},
                                         {"TOTAL", FieldType::Float, 0, true},
                                         {"QTD", FieldType::Integer},
                                         {"OK", FieldType::Boolean},
                                         {"OBS", FieldType::Text}};
  const Table t = makeTable(layout, {{"0000000012", 1.5, 46363.0, 9.0, 3, true, "x"},
                                     {Value(), Value(), Value(), Value(), Value(), Value(), Value()},
                                     {"", 2.0, 0.0, Value(), -4, false, "\"q\""}});
  const std::vector<RowId> order = {2, 0, 1};
  EXPECT_EQ(encodePacket(layout, t, order),
            R"({"fields":[{"name":"NRPEDIDO","type":"string","size":10},{"name":"VALOR","type":"float"},)"
            R"({"name":"DTENTREGA","type":"datetime"},{"name":"QTD","type":"integer"},)"
            R"({"name":"OK","type":"boolean"},{"name":"OBS","type":"string","size":20}],"rows":[)"
            R"([null,2.0,null,-4,false,"\"q\""],)"
            R"(["0000000012",1.5,"2026-12-07",3,true,"x"],)"
            R"([null,null,null,null,null,null]]})");
}

TEST(PacketRoundTrip, TextsKeepEveryCharacter) {
  const std::vector<FieldSpec> layout = {{"T", FieldType::Text, 200}};
  Rows rows = {{"Razão Social Ação Ñandú"},
               {"aspas \"dentro\" e \\barras\\ \\\"juntas\""},
               {"linha\nnova\ttab\rret\bback\fform\x01\x1f\x7f"},
               {std::string("nul\0dentro", 10)},
               {"\xF0\x9F\x98\x80 emoji \xF0\x9F\x9A\x80 e \xE2\x82\xAC"},
               {"12345678\"2345678\\23456\n"},  // escapes on both sides of 8-byte words
               {Value()}};
  const Table back = roundTrip(layout, rows);
  const Table original = makeTable(layout, rows);
  const std::string json = encodePacket(layout, original, allRows(original));
  for (char c : json) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << "raw control character in output";
}

TEST(PacketRoundTrip, FloatsComeBackBitForBit) {
  const std::vector<FieldSpec> layout = {{"F", FieldType::Float}};
  const std::vector<double> values = {0.1,     1e-300,  123456789.123456789, -0.0,     0.0,    42.0,
                                      -1.5,    1e300,   DBL_MAX,             -DBL_MAX, 5e-324, 1e22,
                                      1.2345678901234568e+20, 9007199254740993.0, 1.0 / 3};
  Rows rows;
  for (double d : values) rows.push_back({d});
  rows.push_back({Value()});
  const Table back = roundTrip(layout, rows);
  for (RowId r = 0; r < values.size(); ++r) {
    const double got = back.column(0).number(r);
    EXPECT_EQ(std::signbit(got), std::signbit(values[r])) << values[r];
    EXPECT_EQ(got, values[r]);
  }
}

TEST(PacketEncode, FloatsTakeTheShortestTextThatReadsBack) {
  // Prices, quantities and arbitrary doubles; the text must be what to_chars
  // gives (with ".0" added where it would read as an integer).
  std::vector<double> values = {0.001, 0.0001, 0.005, 0.01, 0.3, 0.1 + 0.2, 1.0, 99999.0, 100000.0, 1e15,
                                123456.789, 1234567.5, 0.125, 2.675, 1e21, 4.35, 8.2, 1.005};
  std::mt19937_64 rng(7);
  for (int i = 0; i < 3000; ++i) {
    values.push_back(static_cast<double>(rng() % 100000000) / 100);     // money
    values.push_back(static_cast<double>(rng() % 1000000) / 1000);      // quantities
    values.push_back(-static_cast<double>(rng() % 10000000) / 10000);   // negative, four decimals
    values.push_back(std::bit_cast<double>(rng() & 0x7FEF'FFFF'FFFF'FFFFULL));  // any finite double
  }
  const std::vector<FieldSpec> layout = {{"F", FieldType::Float}};
  Rows rows;
  for (double d : values) rows.push_back({d});
  const Table t = makeTable(layout, rows);
  const std::string json = encodePacket(layout, t, allRows(t));
  std::size_t pos = json.find(R"("rows":[)") + 8;
  for (double d : values) {
    ASSERT_EQ(json.substr(pos, 1), "[");
    const std::size_t end = json.find(']', pos);
    char expected[64];
    std::string want(expected, std::to_chars(expected, expected + 64, d).ptr);
    if (want.find_first_of(".e") == std::string::npos) want += ".0";
    EXPECT_EQ(json.substr(pos + 1, end - pos - 1), want);
    pos = end + 2;
  }
  std::vector<FieldSpec> back = layout;
  const Table decoded = decodePacket(json, back);
  for (RowId r = 0; r < values.size(); ++r)
    ASSERT_EQ(std::bit_cast<std::uint64_t>(decoded.column(0).number(r)), std::bit_cast<std::uint64_t>(values[r]));
}

TEST(PacketRoundTrip, DatesIntegersBooleansAndNulls) {
  const std::vector<FieldSpec> layout = {{"D", FieldType::DateTime},
                                         {"I", FieldType::Integer},
                                         {"B", FieldType::Boolean},
                                         {"T", FieldType::Text}};
  const auto at = [](CivilDateTime c) { return Value(date_time::fromCivil(c)); };
  roundTrip(layout, {{46363.0, std::numeric_limits<std::int64_t>::max(), true, "a"},
                     {at({2026, 12, 7, 10, 30}), std::numeric_limits<std::int64_t>::min() + 1, false, Value()},
                     {at({2026, 12, 7, 10, 30, 5, 250}), 0, Value(), "b"},
                     {-1.25, -1, true, Value()},
                     {at({1, 1, 1}), 1, false, "c"},
                     {at({9999, 12, 31, 23, 59, 59, 999}), Value(), true, "d"},
                     {Value(), Value(), Value(), Value()}});
}

TEST(PacketDecode, MapsFieldsByNameWhateverTheCaseAndOrder) {
  // "outro" is not in the layout, so what its cells hold does not matter.
  const std::string json =
      R"({"fields":[{"name":"extra","type":"integer"},{"name":"outro","type":"string"},)"
      R"({"name":"valor","type":"float"},{"name":"NrPedido","type":"string","size":10}],)"
      R"("rows":[[1,{"x":[1]},7,"P1"],[2,null,2.5,null]]})";
  std::vector<FieldSpec> layout = {{"NRPEDIDO", FieldType::Text, 10},
                                   {"VALOR", FieldType::Float},
                                   {"EXTRA", FieldType::Integer, 0, true}};
  const Table t = decodePacket(json, layout);
  ASSERT_EQ(t.physicalRows(), 2u);
  EXPECT_EQ(cellAt(t, 0, 0), Value("P1"));
  EXPECT_EQ(cellAt(t, 1, 0), Value(7.0));
  EXPECT_TRUE(t.column(2).isNull(0)) << "calculated fields are not read from the packet";
  EXPECT_TRUE(t.column(0).isNull(1));
  EXPECT_EQ(cellAt(t, 1, 1), Value(2.5));
}

TEST(PacketDecode, EmptyLayoutTakesThePacketFields) {
  std::vector<FieldSpec> layout;
  const Table t = decodePacket(R"({"fields":[{"name":"A","type":"string","size":3},{"name":"B","type":"datetime"},)"
                               R"({"name":"C","type":"boolean","size":null}],"rows":[["abcdef","2026-12-07 10:30",true]]})",
                               layout);
  expectSameLayout(layout, {{"A", FieldType::Text, 3}, {"B", FieldType::DateTime}, {"C", FieldType::Boolean}});
  EXPECT_EQ(cellAt(t, 0, 0), Value("abc"));
  EXPECT_EQ(cellAt(t, 1, 0), Value(date_time::fromCivil({2026, 12, 7, 10, 30})));
  EXPECT_EQ(cellAt(t, 2, 0), Value(true));
}

TEST(PacketDecode, LenientWhereNothingIsLost) {
  std::vector<FieldSpec> layout = {{"T", FieldType::Text, 5},
                                   {"U", FieldType::Text},
                                   {"I", FieldType::Integer},
                                   {"F", FieldType::Float},
                                   {"D", FieldType::DateTime}};
  const Table t = decodePacket(R"({"fields":[{"name":"T","type":"string"},{"name":"U","type":"string"},)"
                               R"({"name":"I","type":"integer"},{"name":"F","type":"float"},)"
                               R"({"name":"D","type":"datetime"}],"rows":[)"
                               R"(["Razão Social","123456789012345678901234\ud83d\ude00",5.0,18446744073709551615,"1899-12-30"],)"
                               R"(["",null,-0.0,1e-400,null]]})",
                               layout);
  EXPECT_EQ(cellAt(t, 0, 0), Value("Razão")) << "texts longer than the field are cut, not refused";
  EXPECT_EQ(cellAt(t, 1, 0), Value("12345678901234567890")) << "size 0 means 20";
  EXPECT_EQ(cellAt(t, 2, 0), Value(std::int64_t{5}));
  EXPECT_EQ(cellAt(t, 3, 0), Value(18446744073709551615.0));
  EXPECT_TRUE(t.column(4).isNull(0)) << "day 0 is the no-date value";
  EXPECT_TRUE(t.column(0).isNull(1)) << "an empty text is stored as null";
  EXPECT_EQ(cellAt(t, 2, 1), Value(std::int64_t{0}));
  EXPECT_EQ(cellAt(t, 3, 1), Value(0.0));
}

struct Refusal {
  std::string json;
  std::string message;  // a part of the expected message
};

void expectRefused(const std::vector<Refusal>& cases, const std::vector<FieldSpec>& layout) {
  for (const Refusal& c : cases) {
    std::vector<FieldSpec> target = layout;
    try {
      decodePacket(c.json, target);
      ADD_FAILURE() << "accepted: " << c.json;
    } catch (const PacketError& e) {
      EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos)
          << "message \"" << e.what() << "\" for " << c.json;
    }
    expectSameLayout(target, layout);
  }
}

const std::vector<FieldSpec> kLayout = {{"NOME", FieldType::Text, 10}, {"VALOR", FieldType::Float}};

std::string withRows(const std::string& rows) {
  return R"({"fields":[{"name":"NOME","type":"string"},{"name":"VALOR","type":"float"}],"rows":)" + rows + "}";
}

TEST(PacketRefusal, MalformedDocumentsAndFieldLists) {
  const std::vector<Refusal> cases = {
      {"", "Pacote inválido"},
      {"not json", "Pacote inválido"},
      {R"({"fields":[)", "Pacote inválido"},
      {R"({"fields":[],"rows":[]} trailing)", "Pacote inválido"},
      {"[]", "objeto"},
      {R"({"rows":[]})", "\"fields\""},
      {R"({"fields":{},"rows":[]})", "\"fields\""},
      {R"({"fields":[]})", "\"rows\""},
      {R"({"fields":[],"rows":{}})", "\"rows\""},
      {R"({"fields":[1],"rows":[]})", "não é um objeto"},
      {R"({"fields":[{"type":"string"}],"rows":[]})", "não tem nome"},
      {R"({"fields":[{"name":7,"type":"string"}],"rows":[]})", "não tem nome"},
      {R"({"fields":[{"name":"NOME"}],"rows":[]})", "não tem tipo"},
      {R"({"fields":[{"name":"NOME","type":"money"}],"rows":[]})", "tipo 'money' desconhecido"},
      {R"({"fields":[{"name":"NOME","type":"String"}],"rows":[]})", "desconhecido"},
      {R"({"fields":[{"name":"NOME","type":"string","size":-1}],"rows":[]})", "tamanho inválido"},
      {R"({"fields":[{"name":"NOME","type":"string","size":2.5}],"rows":[]})", "tamanho inválido"},
      {R"({"fields":[{"name":"NOME","type":"string","size":"10"}],"rows":[]})", "tamanho inválido"},
      {R"({"fields":[{"name":"NOME","type":"string"},{"name":"nome","type":"string"}],"rows":[]})", "repetido"},
  };
  expectRefused(cases, kLayout);
  expectRefused(cases, {});
  expectRefused({{R"({"fields":[{"name":"NOME","type":"string"}],"rows":[["a"]]})", "Campo 'VALOR' ausente no pacote."}},
                kLayout);
}

TEST(PacketRefusal, RowsOfTheWrongShape) {
  expectRefused({{withRows(R"([["a",1],["b"]])"), "Linha 2 do pacote tem 1 valores; esperados 2."},
                 {withRows(R"([["a",1,2]])"), "Linha 1 do pacote tem 3 valores; esperados 2."},
                 {withRows(R"([["a",1],{"NOME":"b"}])"), "Linha 2 do pacote não é uma lista."},
                 {withRows("[null]"), "Linha 1"}},
                kLayout);
}

TEST(PacketRefusal, CellsOfTheWrongTypeOrOutOfRange) {
  const std::vector<FieldSpec> layout = {{"T", FieldType::Text},
                                         {"F", FieldType::Float},
                                         {"D", FieldType::DateTime},
                                         {"I", FieldType::Integer},
                                         {"B", FieldType::Boolean}};
  auto packet = [](const char* row) {
    return std::string(R"({"fields":[{"name":"T","type":"string"},{"name":"F","type":"float"},)"
                       R"({"name":"D","type":"datetime"},{"name":"I","type":"integer"},)"
                       R"({"name":"B","type":"boolean"}],"rows":[["ok",1,null,1,true],)") +
           row + "]}";
  };
  const std::vector<std::string> packets = {
      packet(R"([5,1,null,1,true])"),          packet(R"([{"a":1},1,null,1,true])"),
      packet(R"([null,"1",null,1,true])"),     packet(R"([null,true,null,1,true])"),
      packet(R"([null,1,46363,1,true])"),      packet(R"([null,1,"07/12/2026",1,true])"),
      packet(R"([null,1,"2026-02-30",1,true])"), packet(R"([null,1,"",1,true])"),
      packet(R"([null,1,null,1.5,true])"),     packet(R"([null,1,null,"1",true])"),
      packet(R"([null,1,null,true,true])"),    packet(R"([null,1,null,1,"true"])"),
      packet(R"([null,1,null,1,1])"),          packet(R"([null,1e400,null,1,true])"),
      packet(R"([null,1,null,9223372036854775808,true])"),
      packet(R"([null,1,null,-9223372036854775808,true])"),
      packet(R"([null,1,null,1e19,true])"),    packet(R"([null,1,null,1e400,true])"),
  };
  const std::vector<std::string> messages = {
      "Valor inválido na linha 2 do pacote, campo 'T': esperado texto.",
      "esperado texto",
      "campo 'F': esperado número",
      "campo 'F': esperado número",
      "Data inválida na linha 2 do pacote, campo 'D'",
      "Data inválida na linha 2 do pacote, campo 'D': '07/12/2026'",
      "'2026-02-30'",
      "Data inválida",
      "campo 'I': esperado número inteiro",
      "esperado número inteiro",
      "esperado número inteiro",
      "campo 'B': esperado true ou false",
      "esperado true ou false",
      "fora do intervalo",
      "Número fora do intervalo na linha 2 do pacote, campo 'I'",
      "Número fora do intervalo na linha 2 do pacote, campo 'I'",
      "Número fora do intervalo",
      "fora do intervalo",
  };
  ASSERT_EQ(packets.size(), messages.size());
  std::vector<Refusal> cases;
  for (std::size_t i = 0; i < packets.size(); ++i) cases.push_back({packets[i], messages[i]});
  expectRefused(cases, layout);
}

TEST(PacketRefusal, HostileInput) {
  const std::string bomb = withRows(R"([["a",)" + std::string(100000, '[') + std::string(100000, ']') + "]]");
  expectRefused({{bomb, "aninhad"},
                 {withRows("[[\"a\xC3\x28\",1]]"), "UTF-8"},
                 {withRows("[[\"\xC0\xAF\",1]]"), "UTF-8"},
                 {withRows("[[\"\xED\xA0\x80\",1]]"), "UTF-8"},
                 {withRows(R"([["\ud800",1]])"), "Pacote inválido"},
                 {withRows(R"([["\udc00x",1]])"), "Pacote inválido"}},
                kLayout);
}

TEST(PacketEncode, RefusesWhatJsonCannotCarry) {
  const std::vector<FieldSpec> layout = {{"F", FieldType::Float}, {"D", FieldType::DateTime}, {"T", FieldType::Text}};
  const std::vector<Rows> bad = {{{INFINITY, Value(), Value()}},
                                 {{std::nan(""), Value(), Value()}},
                                 {{Value(), 1e9, Value()}},
                                 {{Value(), -INFINITY, Value()}},
                                 {{Value(), Value(), std::string("a\xFF")}}};
  for (const Rows& rows : bad) {
    const Table t = makeTable(layout, rows);
    EXPECT_THROW(encodePacket(layout, t, allRows(t)), PacketError);
  }
  const Table t = makeTable(layout, {{1.0, Value(), "x"}});
  const std::vector<RowId> missingRow = {0, 1};
  EXPECT_THROW(encodePacket(layout, t, missingRow), PacketError);
  const std::vector<FieldSpec> shorter = {{"F", FieldType::Float}};
  EXPECT_THROW(encodePacket(shorter, t, allRows(t)), PacketError);
}

TEST(PacketRoundTrip, LargeTableWithRepeatedAndDistinctTexts) {
  const std::vector<FieldSpec> layout = {{"COD", FieldType::Text, 12},
                                         {"UF", FieldType::Text, 2},
                                         {"V", FieldType::Float},
                                         {"N", FieldType::Integer}};
  Rows rows;
  const char* states[] = {"SP", "RJ", "MG", "PR"};
  for (int i = 0; i < 5000; ++i)
    rows.push_back({std::to_string(i * 7919), states[i % 4], i * 0.01, std::int64_t{i} * 1000003});
  roundTrip(layout, rows);
}

}  // namespace
}  // namespace ped::engine
