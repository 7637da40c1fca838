#include "engine/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ped::engine::text {
namespace {

// Code point -> UTF-8, written independently of the code under test.
std::string utf8(char32_t cp) {
  auto byte = [](unsigned v) { return static_cast<char>(v); };
  if (cp < 0x80) return {byte(cp)};
  if (cp < 0x800) return {byte(0xC0 | (cp >> 6)), byte(0x80 | (cp & 0x3F))};
  if (cp < 0x10000)
    return {byte(0xE0 | (cp >> 12)), byte(0x80 | ((cp >> 6) & 0x3F)), byte(0x80 | (cp & 0x3F))};
  return {byte(0xF0 | (cp >> 18)), byte(0x80 | ((cp >> 12) & 0x3F)), byte(0x80 | ((cp >> 6) & 0x3F)),
          byte(0x80 | (cp & 0x3F))};
}

TEST(Utf8, ValidationAtEveryWidthLimitAndOffset) {
  EXPECT_TRUE(isValidUtf8(""));
  EXPECT_TRUE(isValidUtf8("Razão \xF0\x9F\x98\x80"));
  for (char32_t cp : {0x7F, 0x80, 0x7FF, 0x800, 0xD7FF, 0xE000, 0xFFFF, 0x10000, 0x10FFFF})
    EXPECT_TRUE(isValidUtf8(utf8(cp) + "0123456789" + utf8(cp))) << unsigned(cp);

  const std::vector<std::string> bad = {
      "\xC0\x80",
      "\xC1\xBF",
      "\xE0\x9F\xBF",
      "\xF0\x8F\xBF\xBF",  // overlong
      "\xED\xA0\x80",
      "\xED\xBF\xBF",  // surrogates
      "\xF4\x90\x80\x80",
      "\xF5\x80\x80\x80",
      "\xFF",  // above U+10FFFF
      "\xC3",
      "\xE2\x82",
      "\xF0\x9F\x98",  // truncated
      "\x80",
      "\xC3\xA3\xA3",  // stray continuation
  };
  for (const std::string& b : bad) {
    // Alone, before an ASCII byte, and after ASCII runs that cross an 8-byte word.
    for (std::size_t pad : {0, 1, 7, 8, 9, 16}) {
      EXPECT_FALSE(isValidUtf8(std::string(pad, 'x') + b)) << pad << testing::PrintToString(b);
      EXPECT_FALSE(isValidUtf8(std::string(pad, 'x') + b + "a")) << pad << testing::PrintToString(b);
    }
  }
}

TEST(Utf8, LengthAndTruncateCountCharacters) {
  EXPECT_EQ(length("Razão"), 5u);
  EXPECT_EQ(truncate("Razão", 4), "Razã");
  EXPECT_EQ(truncate("Razão", 9), "Razão");
  // Every width, long enough to cross 8-byte words: never a cut inside a character.
  std::string s;
  for (int i = 0; i < 4; ++i)
    for (char32_t cp : {U'a', U'ç', U'€', U'\U0001F600'}) s += utf8(cp);
  ASSERT_EQ(length(s), 16u);
  for (std::size_t n = 0; n <= 18; ++n) {
    const std::string_view cut = truncate(s, n);
    EXPECT_TRUE(isValidUtf8(cut)) << n;
    EXPECT_EQ(length(cut), std::min<std::size_t>(n, 16)) << n;
    EXPECT_EQ(cut.data(), s.data());
  }
}

TEST(Fold, LowerCasesAsciiLatin1AndLatinExtendedA) {
  EXPECT_EQ(fold("AÇÃO"), fold("ação"));
  EXPECT_EQ(fold("LIQUIDAÇÃO MANUAL Nº 12 ÁÉÍÓÚÂÊÔÀÜ"), "liquidação manual nº 12 áéíóúâêôàü");

  // ASCII at every offset of an 8-byte word against a plain loop.
  std::string all;
  for (int c = 1; c < 128; ++c) all += static_cast<char>(c);
  for (std::size_t shift = 0; shift < 8; ++shift) {
    std::string s = std::string(shift, '@') + all, expected = s;
    for (char& c : expected)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    EXPECT_EQ(fold(s), expected) << shift;
  }

  for (char32_t cp = 0xC0; cp <= 0xDE; ++cp)
    EXPECT_EQ(fold(utf8(cp)), utf8(cp == 0xD7 ? cp : cp + 0x20)) << unsigned(cp);
  // Latin Extended-A alternates upper/lower, with irregular letters in between.
  const std::vector<std::pair<char32_t, char32_t>> pairs = {
      {0x100, 0x101}, {0x12E, 0x12F}, {0x131, 0x131}, {0x132, 0x133}, {0x136, 0x137}, {0x138, 0x138},
      {0x139, 0x13A}, {0x147, 0x148}, {0x149, 0x149}, {0x14A, 0x14B}, {0x152, 0x153}, {0x176, 0x177},
      {0x178, 0xFF},  {0x179, 0x17A}, {0x17D, 0x17E}, {0x17F, 0x17F}, {0xDF, 0xDF},   {0xF7, 0xF7}};
  for (const auto& [from, to] : pairs) EXPECT_EQ(fold(utf8(from)), utf8(to)) << unsigned(from);
  EXPECT_EQ(fold("İ"), "i");
  for (char32_t cp = 0; cp < 0x180; ++cp) EXPECT_EQ(fold(fold(utf8(cp))), fold(utf8(cp))) << unsigned(cp);

  EXPECT_EQ(fold(std::string("A\xFF"
                             "B\xC3")),
            std::string("a\xFF"
                        "b\xC3"));  // invalid bytes kept
  EXPECT_EQ(fold("ΣΩ Ж \xF0\x9F\x98\x80"), "ΣΩ Ж \xF0\x9F\x98\x80");
}

TEST(EqualsIgnoreCase, AgreesWithComparingFolds) {
  const std::vector<std::string> words = {"",
                                          "a",
                                          "A",
                                          "pedido",
                                          "PEDIDO",
                                          "Pedidos",
                                          "ação",
                                          "AÇÃO",
                                          "acao",
                                          "İ",
                                          "i",
                                          "I",
                                          "ı",
                                          "Ÿ",
                                          "ÿ",
                                          "\xFF",
                                          "\xC3",
                                          "A\xC3",
                                          "a\xC3",
                                          "@",
                                          "`",
                                          "ABCDEFGHIJKLMNOPQRSTUVWXYZ-Ç",
                                          "abcdefghijklmnopqrstuvwxyz-ç"};
  for (const std::string& a : words)
    for (const std::string& b : words)
      EXPECT_EQ(equalsIgnoreCase(a, b), fold(a) == fold(b))
          << testing::PrintToString(a) << " vs " << testing::PrintToString(b);
  EXPECT_TRUE(equalsIgnoreCase("AÇÃO", "ação"));
  EXPECT_FALSE(equalsIgnoreCase("ação", "acao"));
}

}  // namespace
}  // namespace ped::engine::text

namespace ped::engine::text {
namespace {

// The word-wise comparison must see a difference at every byte of every length.
TEST(SameBytes, FindsADifferenceAtEveryOffsetOfEveryLength) {
  for (std::size_t n = 0; n <= 40; ++n) {
    std::string a(n, 'x');
    for (std::size_t i = 0; i < n; ++i) a[i] = static_cast<char>('a' + (i * 7) % 26);
    EXPECT_TRUE(sameBytes(a, std::string(a))) << n;
    EXPECT_FALSE(sameBytes(a, a + "x")) << n;
    for (std::size_t i = 0; i < n; ++i) {
      std::string b = a;
      b[i] = static_cast<char>(b[i] ^ 0x80);
      EXPECT_FALSE(sameBytes(a, b)) << "length " << n << " offset " << i;
    }
  }
}

}  // namespace
}  // namespace ped::engine::text
