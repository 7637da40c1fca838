#include "engine/packet.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <charconv>
#include <cmath>
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

Value cellAt(const Table& t, std::size_t column, RowId row) { return t.column(column).cell(row).toValue(); }

std::string encodeAll(const std::vector<FieldSpec>& layout, const Table& t) {
  return encodePacket(layout, t, t.rows().order());
}

// Encodes, decodes into the same layout, and expects every cell back.
Table roundTrip(const std::vector<FieldSpec>& layout, const Rows& rows) {
  const Table original = makeTable(layout, rows);
  std::vector<FieldSpec> target = layout;
  Table back = decodePacket(encodeAll(layout, original), target);
  EXPECT_EQ(back.physicalRows(), rows.size());
  for (RowId r = 0; r < rows.size(); ++r)
    for (std::size_t c = 0; c < layout.size(); ++c)
      EXPECT_EQ(cellAt(back, c, r), cellAt(original, c, r)) << "row " << r << " field " << layout[c].name;
  return back;
}

TEST(Packet, WireFormat) {
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
            R"([null,2.0,null,-4,false,"\"q\""],["0000000012",1.5,"2026-12-07",3,true,"x"],)"
            R"([null,null,null,null,null,null]]})");
}

TEST(Packet, TextsRoundTripWithEveryEscapeAtEveryOffset) {
  const std::vector<FieldSpec> layout = {{"T", FieldType::Text, 100}};
  Rows rows = {{"Razão Social Ação Ñandú"}, {std::string("nul\0dentro", 10)}, {Value()}};
  for (const std::string special :
       {"\"", "\\", "\n", "\t", "\r", "\b", "\f", "\x01", "\x1f", "\x7f", "é", "\xF0\x9F\x98\x80"})
    for (std::size_t at = 0; at <= 17; ++at)
      rows.push_back({std::string(at, 'a') + special + std::string(17 - at, 'b')});
  // Many distinct texts, enough rows for the decoder to intern them in more than one go.
  for (int i = 0; i < 70000; ++i) rows.push_back({i % 7 == 0 ? Value() : Value(std::to_string(i))});
  roundTrip(layout, rows);
  for (char c : encodeAll(layout, makeTable(layout, rows)))
    ASSERT_GE(static_cast<unsigned char>(c), 0x20) << "raw control character in the packet";
}

TEST(Packet, FloatsTakeTheShortestTextThatReadsBackExactly) {
  std::vector<double> values = {
      0.1,    1e-300, 123456789.123456789,    -0.0,  0.0,    42.0,    DBL_MAX,  -DBL_MAX,
      5e-324, 1e22,   1.2345678901234568e+20, 0.001, 0.0001, 99999.0, 100000.0, 0.1 + 0.2,
      2.675,  1.005};
  std::mt19937_64 rng(7);
  for (int i = 0; i < 2000; ++i) {
    values.push_back(static_cast<double>(rng() % 100000000) / 100);             // money
    values.push_back(-static_cast<double>(rng() % 10000000) / 10000);           // four decimals
    values.push_back(std::bit_cast<double>(rng() & 0x7FEF'FFFF'FFFF'FFFFULL));  // any finite double
  }
  const std::vector<FieldSpec> layout = {{"F", FieldType::Float}};
  Rows rows;
  for (double d : values) rows.push_back({d});
  const std::string json = encodeAll(layout, makeTable(layout, rows));
  std::size_t pos = json.find(R"("rows":[)") + 8;
  for (double d : values) {
    // What to_chars writes, with ".0" where it would read as an integer.
    char buf[64];
    std::string want(buf, std::to_chars(buf, buf + 64, d).ptr);
    if (want.find_first_of(".e") == std::string::npos) want += ".0";
    const std::size_t end = json.find(']', pos);
    ASSERT_EQ(json.substr(pos + 1, end - pos - 1), want);
    pos = end + 2;
  }
  std::vector<FieldSpec> target = layout;
  const Table back = decodePacket(json, target);
  for (RowId r = 0; r < values.size(); ++r)
    ASSERT_EQ(std::bit_cast<std::uint64_t>(back.column(0).number(r)),
              std::bit_cast<std::uint64_t>(values[r]));
}

TEST(Packet, DatesIntegersBooleansAndNullsRoundTrip) {
  const std::vector<FieldSpec> layout = {{"D", FieldType::DateTime},
                                         {"I", FieldType::Integer},
                                         {"B", FieldType::Boolean},
                                         {"T", FieldType::Text}};
  const auto at = [](CivilDateTime c) { return Value(date_time::fromCivil(c)); };
  Rows rows = {{46363.0, std::numeric_limits<std::int64_t>::max(), true, "a"},
               {at({2026, 12, 7, 10, 30}), std::numeric_limits<std::int64_t>::min() + 1, false, Value()},
               {at({2026, 12, 7, 10, 30, 5, 250}), 0, Value(), "b"},
               {-1.25, -1, true, Value()},
               {at({1, 1, 1}), 1, false, "c"},
               {at({9999, 12, 31, 23, 59, 59, 999}), Value(), true, "d"},
               {Value(), Value(), Value(), Value()}};
  // Dates that repeat, many differing only in the day or only in the second.
  for (int i = 0; i < 3000; ++i)
    rows.push_back({at({2025, 1, 1 + i % 28, 6, 0, i / 28 % 60}), i, Value(), Value()});
  roundTrip(layout, rows);
}

// Texts are interned in batches, with runs, nulls and a column that turns out
// to be nearly all distinct; every cell must still come back where it was.
TEST(Packet, LargePacketsKeepEveryTextAcrossInterningBatches) {
  const std::vector<FieldSpec> layout = {{"NRPEDIDO", FieldType::Text, 10},
                                         {"CDFILIAL", FieldType::Text, 4},
                                         {"NMFANTCLIE", FieldType::Text, 50},
                                         {"DSPEDIDO", FieldType::Text, 70}};
  Rows rows;
  std::mt19937 rng(11);
  for (int i = 0; i < 20'000; ++i) {
    Value client = rng() % 9 == 0 ? Value() : Value("Cliente " + std::to_string(rng() % 300));
    rows.push_back({Value(std::to_string(1'000'000 + i)), Value(i < 15'000 ? "0001" : "0002"), client,
                    Value(std::to_string(i) + std::string(i % 50, 'd'))});  // distinct, 1 to 54 bytes
  }
  const Table back = roundTrip(layout, rows);
  EXPECT_EQ(back.column(1).dictionary().size(), 3u);  // null plus two branches
  EXPECT_EQ(back.column(0).dictionary().size(), 20'001u);
}

TEST(Packet, DecodeMapsByNameAndKeepsWhatFits) {
  // Names match whatever the case and order; "outro" is not in the layout, so its cells are not looked at;
  // the calculated field stays null; long texts are cut; size 0 means 20.
  std::vector<FieldSpec> layout = {
      {"NRPEDIDO", FieldType::Text, 5}, {"VALOR", FieldType::Float}, {"EXTRA", FieldType::Integer, 0, true},
      {"OBS", FieldType::Text},         {"I", FieldType::Integer},   {"D", FieldType::DateTime}};
  const Table t = decodePacket(
      R"({"fields":[{"name":"extra","type":"integer"},{"name":"outro","type":"string"},{"name":"valor","type":"float"},)"
      R"({"name":"NrPedido","type":"string","size":10},{"name":"obs","type":"string"},{"name":"i","type":"integer"},)"
      R"({"name":"d","type":"datetime"}],"rows":[)"
      R"([1,{"x":[1]},7,"Razão Social","123456789012345678901234\ud83d\ude00",5.0,"1899-12-30"],)"
      R"([2,null,18446744073709551615,"",null,-0.0,"2026-12-07 10:30"]]})",
      layout);
  EXPECT_EQ(cellAt(t, 0, 0), Value("Razão"));
  EXPECT_EQ(cellAt(t, 1, 0), Value(7.0));
  EXPECT_TRUE(t.column(2).isNull(0));
  EXPECT_EQ(cellAt(t, 3, 0), Value("12345678901234567890"));
  EXPECT_EQ(cellAt(t, 4, 0), Value(std::int64_t{5}));
  EXPECT_TRUE(t.column(5).isNull(0)) << "day 0 is the no-date value";
  EXPECT_TRUE(t.column(0).isNull(1)) << "an empty text is stored as null";
  EXPECT_EQ(cellAt(t, 1, 1), Value(18446744073709551615.0));
  EXPECT_EQ(cellAt(t, 4, 1), Value(std::int64_t{0}));
  EXPECT_EQ(cellAt(t, 5, 1), Value(date_time::fromCivil({2026, 12, 7, 10, 30})));

  std::vector<FieldSpec> empty;
  decodePacket(
      R"({"fields":[{"name":"A","type":"string","size":3},{"name":"B","type":"boolean","size":null}],)"
      R"("rows":[["abcdef",true]]})",
      empty);
  ASSERT_EQ(empty.size(), 2u);
  EXPECT_TRUE(empty[0].name == "A" && empty[0].type == FieldType::Text && empty[0].size == 3 &&
              !empty[0].calculated);
  EXPECT_TRUE(empty[1].name == "B" && empty[1].type == FieldType::Boolean && empty[1].size == 0);
}

// A packet the one-pass reader takes must read as the full parser reads it:
// the same packet with one escape (which only the full parser takes) is the
// reference.
TEST(Packet, PlainReaderReadsAsTheFullParser) {
  const std::string fields =
      R"("fields":[{"name":"T","type":"string","size":3},{"name":"F","type":"float"},)"
      R"({"name":"D","type":"datetime"},{"name":"I","type":"integer"},{"name":"B","type":"boolean"}],)";
  const std::string rows = R"("rows":[["açã€𝄞x",1e-7,"2026-12-07T10:30:00",123456789012345678,true],)"
                           R"(["",-0.5,null,-42,false],[null,1.7976931348623157e308,"2026-02-28",7.0,null],)"
                           R"([ "ab" , 5e-324 , null , -1E2 , true ],["x",123456789012345678,null,0,false],)"
                           R"(["y",0.1,null,null,null],["z",2.5E+3,null,1,true]]})";
  std::vector<FieldSpec> plain, escaped;
  const Table a = decodePacket("{" + fields + rows, plain);
  const Table b = decodePacket(
      R"({"fields":[{"name":"T","type":"string","size":3})" + fields.substr(fields.find("},") + 1) + rows,
      escaped);
  ASSERT_EQ(plain.size(), 5u);
  EXPECT_EQ(encodeAll(plain, a), encodeAll(escaped, b));
  EXPECT_EQ(cellAt(a, 0, 0), Value("açã"));
  EXPECT_EQ(cellAt(a, 3, 0), Value(std::int64_t{123456789012345678}));
}

// Each packet must be refused with a message containing `part`, leaving the layout as it was.
void expectRefused(const std::vector<std::pair<std::string, std::string>>& cases,
                   const std::vector<FieldSpec>& layout) {
  for (const auto& [json, part] : cases) {
    std::vector<FieldSpec> target = layout;
    try {
      decodePacket(json, target);
      ADD_FAILURE() << "accepted: " << json.substr(0, 200);
    } catch (const PacketError& e) {
      EXPECT_NE(std::string(e.what()).find(part), std::string::npos)
          << e.what() << " for " << json.substr(0, 200);
    }
    ASSERT_EQ(target.size(), layout.size());
    for (std::size_t i = 0; i < layout.size(); ++i) EXPECT_EQ(target[i].name, layout[i].name);
  }
}

const std::vector<FieldSpec> kLayout = {{"NOME", FieldType::Text, 10}, {"VALOR", FieldType::Float}};

std::string withRows(const std::string& rows) {
  return R"({"fields":[{"name":"NOME","type":"string"},{"name":"VALOR","type":"float"}],"rows":)" + rows +
         "}";
}

TEST(PacketRefusal, MalformedDocumentsAndFieldLists) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "Pacote inválido"},
      {"not json", "Pacote inválido"},
      {R"({"fields":[)", "Pacote inválido"},
      {R"({"fields":[],"rows":[]} x)", "Pacote inválido"},
      {"[]", "objeto"},
      {R"({"rows":[]})", "\"fields\""},
      {R"({"fields":{},"rows":[]})", "\"fields\""},
      {R"({"fields":[]})", "\"rows\""},
      {R"({"fields":[1],"rows":[]})", "não é um objeto"},
      {R"({"fields":[{"name":7,"type":"string"}],"rows":[]})", "não tem nome"},
      {R"({"fields":[{"name":"NOME"}],"rows":[]})", "não tem tipo"},
      {R"({"fields":[{"name":"NOME","type":"money"}],"rows":[]})", "tipo 'money' desconhecido"},
      {R"({"fields":[{"name":"NOME","type":"string","size":-1}],"rows":[]})", "tamanho inválido"},
      {R"({"fields":[{"name":"NOME","type":"string","size":"10"}],"rows":[]})", "tamanho inválido"},
      {R"({"fields":[{"name":"NOME","type":"string"},{"name":"nome","type":"string"}],"rows":[]})",
       "repetido"}};
  const std::vector<std::pair<std::string, std::string>> rows = {
      {withRows(R"([["a",1],["b"]])"), "Linha 2 do pacote tem 1 valores; esperados 2."},
      {withRows(R"([["a",1,2]])"), "Linha 1 do pacote tem 3 valores; esperados 2."},
      {withRows(R"([["a",1],{"NOME":"b"}])"), "Linha 2 do pacote não é uma lista."},
      {withRows(R"([["a",1],["b","2"]])"), "campo 'VALOR': esperado número"}};
  for (const auto& layout : {kLayout, std::vector<FieldSpec>{}}) {
    expectRefused(cases, layout);
    expectRefused(rows, layout);
  }
  expectRefused({{R"({"fields":[{"name":"NOME","type":"string"}],"rows":[["a"]]})",
                  "Campo 'VALOR' ausente no pacote."}},
                kLayout);
}

TEST(PacketRefusal, CellsOfTheWrongTypeOutOfRangeOrHostile) {
  const std::vector<FieldSpec> layout = {{"T", FieldType::Text},
                                         {"F", FieldType::Float},
                                         {"D", FieldType::DateTime},
                                         {"I", FieldType::Integer},
                                         {"B", FieldType::Boolean}};
  auto secondRow = [](const std::string& row) {
    return R"({"fields":[{"name":"T","type":"string"},{"name":"F","type":"float"},{"name":"D","type":"datetime"},)"
           R"({"name":"I","type":"integer"},{"name":"B","type":"boolean"}],"rows":[["ok",1,null,1,true],)" +
           row + "]}";
  };
  expectRefused(
      {{secondRow(R"([5,1,null,1,true])"), "Valor inválido na linha 2 do pacote, campo 'T': esperado texto."},
       {secondRow(R"([null,"1",null,1,true])"), "campo 'F': esperado número"},
       {secondRow(R"([null,1,46363,1,true])"), "Data inválida na linha 2 do pacote, campo 'D'"},
       {secondRow(R"([null,1,"07/12/2026",1,true])"), "campo 'D': '07/12/2026'"},
       {secondRow(R"([null,1,"2026-02-30",1,true])"), "Data inválida"},
       {secondRow(R"([null,1,null,1.5,true])"), "campo 'I': esperado número inteiro"},
       {secondRow(R"([null,1,null,"1",true])"), "esperado número inteiro"},
       {secondRow(R"([null,1,null,1,1])"), "campo 'B': esperado lógico"},
       {secondRow(R"([null,1e400,null,1,true])"), "fora do intervalo"},
       {secondRow(R"([null,1,null,9223372036854775808,true])"), "Número fora do intervalo na linha 2"},
       {secondRow(R"([null,1,null,-9223372036854775808,true])"), "Número fora do intervalo na linha 2"},
       {secondRow(R"([null,1,null,1e19,true])"), "Número fora do intervalo"},
       {secondRow("[" + std::string(100000, '[') + std::string(100000, ']') + ",1,null,1,true]"), "aninhad"},
       {secondRow("[\"a\xC3\x28\",1,null,1,true]"), "UTF-8"},
       {secondRow("[\"\xED\xA0\x80\",1,null,1,true]"), "UTF-8"},
       {secondRow("[\"\xC0\xAF\",1,null,1,true]"), "UTF-8"},
       {secondRow("[\"ab\xF4\x90\x80\x80\",1,null,1,true]"), "UTF-8"},
       {secondRow("[\"\xE2\x82\",1,null,1,true]"), "UTF-8"},
       {secondRow(R"(["\ud800",1,null,1,true])"), "Pacote inválido"},
       {secondRow(R"(["\udc00x",1,null,1,true])"), "Pacote inválido"}},
      layout);
}

TEST(PacketRefusal, EncodeRefusesWhatJsonCannotCarry) {
  const std::vector<FieldSpec> layout = {
      {"F", FieldType::Float}, {"D", FieldType::DateTime}, {"T", FieldType::Text}};
  for (const Rows& rows : std::vector<Rows>{{{INFINITY, Value(), Value()}},
                                            {{std::nan(""), Value(), Value()}},
                                            {{Value(), 1e9, Value()}},
                                            {{Value(), -INFINITY, Value()}},
                                            {{Value(), Value(), std::string("a\xFF")}}}) {
    EXPECT_THROW(encodeAll(layout, makeTable(layout, rows)), PacketError);
  }
  const Table t = makeTable(layout, {{1.0, Value(), "x"}});
  const std::vector<RowId> missingRow = {0, 1};
  EXPECT_THROW(encodePacket(layout, t, missingRow), PacketError);
  EXPECT_THROW(encodeAll({{"F", FieldType::Float}}, t), PacketError);
}

}  // namespace
}  // namespace ped::engine
