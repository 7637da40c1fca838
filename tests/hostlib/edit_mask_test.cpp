#include "hostlib/edit_mask.h"

#include <gtest/gtest.h>

namespace ped::hostlib {
namespace {

TEST(EditMask, FormatLaysValuesIntoTheMasksOfTheScreenAndTheHost) {
  EXPECT_EQ(formatMaskText("99.99.999;0;_", "0101001"), "01.01.001");
  EXPECT_EQ(formatMaskText("99.99.999;0;_", "0101"), "01.01.___");
  EXPECT_EQ(formatMaskText("99.99.999;0;_", "010100123"), "01.01.001");  // too long: cut
  EXPECT_EQ(formatMaskText("99.99.999;0;_", ""), "__.__.___");
  EXPECT_EQ(formatMaskText("999.999.999-99;0;_", "12345678901"), "123.456.789-01");
  EXPECT_EQ(formatMaskText("99.999.999/9999-99;0;_", "12345678000195"), "12.345.678/0001-95");
  EXPECT_EQ(formatMaskText(">aaaa;0; ", "ab1"), "AB1 ");
  EXPECT_EQ(formatMaskText("9999999999;0; ", "12"), "12        ");
  EXPECT_EQ(formatMaskText("99.99;1;_", "12.34"), "12.34");  // the value keeps its literals
  EXPECT_EQ(formatMaskText("\\9\\;99;0;_", "12"), "9;12");   // escaped literals, even ';'
  EXPECT_EQ(formatMaskText("", "livre"), "livre");
  EXPECT_EQ(formatMaskText(">llll;0;_", "ação"), "AÇÃO");
  EXPECT_EQ(formatMaskText("<LL>LL<>LL;0;_", "AbCdEf"), "abCDEf");
}

TEST(EditMask, PositionsAcceptTheirKindAndConvertCase) {
  const EditMask branch(">aaaa;0; ");
  EXPECT_EQ(branch.positions(), 4u);
  EXPECT_EQ(branch.blank(), U' ');
  EXPECT_TRUE(branch.accepts(0, U'a'));
  EXPECT_TRUE(branch.accepts(0, U'7'));
  EXPECT_FALSE(branch.accepts(0, U'-'));
  EXPECT_FALSE(branch.accepts(4, U'a'));  // past the end
  EXPECT_EQ(branch.convert(0, U'b'), U'B');
  EXPECT_EQ(branch.convert(0, U'ç'), U'Ç');

  const EditMask product("99.99.999;0;_");
  EXPECT_TRUE(product.isLiteral(2));
  EXPECT_FALSE(product.accepts(2, U'.'));
  EXPECT_FALSE(product.accepts(0, U'x'));
  EXPECT_TRUE(product.accepts(3, U'5'));

  const EditMask required("00-LL;0;_");
  EXPECT_TRUE(required.complete("12-AB"));
  EXPECT_FALSE(required.complete("12-A_"));
  EXPECT_FALSE(required.complete("1x-AB"));
  EXPECT_TRUE(EditMask("99;0;_").complete("__"));  // optional positions may stay blank
}

TEST(EditMask, ValueOfAndFormatRoundTrip) {
  const EditMask product("99.99.999;0;_");
  EXPECT_EQ(product.valueOf("01.01.001"), "0101001");
  EXPECT_EQ(product.valueOf("01.01.___"), "0101");
  EXPECT_EQ(product.valueOf(product.format("0101001")), "0101001");
  EXPECT_EQ(EditMask(">aaaa;0; ").valueOf("AB  "), "AB");
  EXPECT_EQ(EditMask("99.99;1;_").valueOf("12.34"), "12.34");
}

TEST(EditMask, Utf8ConversionsKeepEveryCharacter) {
  const std::string text = "Razão ç € 𝄞";
  EXPECT_EQ(toUtf8(toCodePoints(text)), text);
  EXPECT_EQ(toCodePoints("Razão").size(), 5u);
  EXPECT_EQ(toCodePoints("\xC3").size(), 1u);  // a cut sequence shows as one replacement character
  EXPECT_EQ(toCodePoints("\xC3")[0], U'\uFFFD');
  EXPECT_EQ(toCodePoints("a\x80z"), (std::u32string{U'a', 0xFFFD, U'z'}));
}

}  // namespace
}  // namespace ped::hostlib
