#include "rpc/json_writer.h"

#include <gtest/gtest.h>
#include <simdjson.h>

#include <limits>

namespace ped::rpc {
namespace {

std::string asJsonString(std::string_view text) {
  std::string out;
  EXPECT_TRUE(appendJsonString(out, text));
  return out;
}

TEST(JsonString, EscapesWhatJsonRequiresAndKeepsTheRest) {
  EXPECT_EQ(asJsonString(R"(Pedido "12" \ ok)"), R"("Pedido \"12\" \\ ok")");
  EXPECT_EQ(asJsonString("a\nb\tc\rd\be\ff"), R"("a\nb\tc\rd\be\ff")");
  EXPECT_EQ(asJsonString(std::string_view("\x01\x1f\0", 3)), R"("\u0001\u001f\u0000")");
  EXPECT_EQ(asJsonString("Razão \x7f ção €"), "\"Razão \x7f ção €\"");
  EXPECT_EQ(asJsonString(""), R"("")");
}

TEST(JsonString, EveryByteBelow128ReadsBackUnchanged) {
  std::string all;
  for (int c = 0; c < 128; ++c) all.push_back(static_cast<char>(c));
  all += "ç€𝄞";
  const std::string json = asJsonString(all);
  simdjson::dom::parser parser;
  std::string_view back;
  ASSERT_EQ(parser.parse(json).get(back), simdjson::SUCCESS);
  EXPECT_EQ(back, all);
}

TEST(JsonString, RefusesInvalidUtf8AndLeavesTheOutputAlone) {
  for (std::string_view bad :
       {std::string_view("a\xc3"), std::string_view("\x80"), std::string_view("\xc0\xaf"),
        std::string_view("\xed\xa0\x80"), std::string_view("ok\xff")}) {
    std::string out = "prefix";
    EXPECT_FALSE(appendJsonString(out, bad)) << bad;
    EXPECT_EQ(out, "prefix");
  }
  JsonWriter w;
  w.beginArray().string("a");
  EXPECT_THROW(w.string("\xff"), JsonWriteError);
  w.string("b").endArray();
  EXPECT_EQ(w.str(), R"(["a","b"])");
}

TEST(JsonWriter, PlacesCommasAcrossNestingAndRawValues) {
  JsonWriter w;
  w.beginObject()
      .key("a")
      .integer(-1)
      .key("b")
      .beginArray()
      .null()
      .boolean(true)
      .boolean(false)
      .beginObject()
      .endObject()
      .beginArray()
      .endArray()
      .endArray()
      .key("c")
      .raw(R"({"x":[1,2]})")
      .key("d")
      .string("t")
      .endObject();
  EXPECT_EQ(w.str(), R"({"a":-1,"b":[null,true,false,{},[]],"c":{"x":[1,2]},"d":"t"})");
}

TEST(JsonWriter, NumbersReadBackExactlyAndNonFiniteOnesAreRefused) {
  // Whole numbers past 64 bits too: to_chars writes them without a point.
  const double values[] = {0.1, 1.0 / 3, 1e300, -2.5e-308, 123456789.125, 0, 5.5555555555555554e20, -1e19};
  for (double v : values) {
    JsonWriter w;
    w.number(v);
    simdjson::dom::parser parser;
    double back;
    ASSERT_EQ(parser.parse(w.str()).get(back), simdjson::SUCCESS) << w.str();
    EXPECT_EQ(back, v) << w.str();
  }
  JsonWriter w;
  w.integer(std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(w.str(), "-9223372036854775808");
  EXPECT_THROW(JsonWriter().number(std::numeric_limits<double>::quiet_NaN()), JsonWriteError);
  EXPECT_THROW(JsonWriter().number(std::numeric_limits<double>::infinity()), JsonWriteError);
}

}  // namespace
}  // namespace ped::rpc
