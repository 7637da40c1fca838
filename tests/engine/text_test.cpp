#include "engine/text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ped::engine::text {
namespace {

// Code point -> UTF-8, written out independently of the code under test.
std::string utf8(char32_t cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

TEST(Utf8, AcceptsWellFormedTextAtEveryWidthAndBoundary) {
  for (const std::string& s :
       {std::string(), std::string("Razão"), std::string("\xF0\x9F\x98\x80"), utf8(0x7F), utf8(0x80),
        utf8(0x7FF), utf8(0x800), utf8(0xD7FF), utf8(0xE000), utf8(0xFFFF), utf8(0x10000), utf8(0x10FFFF),
        std::string("0123456789abcdef") + "ação" + std::string("0123456789abcdef")}) {
    EXPECT_TRUE(isValidUtf8(s)) << s;
  }
}

TEST(Utf8, RefusesOverlongsSurrogatesOutOfRangeTruncatedAndStrayBytes) {
  const std::vector<std::string> bad = {
      "\xC0\x80",          "\xC1\xBF",         "\xE0\x80\x80",     "\xE0\x9F\xBF",  // overlong
      "\xF0\x8F\xBF\xBF",                                                         // overlong 4-byte
      "\xED\xA0\x80",      "\xED\xBF\xBF",                                        // surrogates
      "\xF4\x90\x80\x80",  "\xF5\x80\x80\x80", "\xFE",            "\xFF",         // above U+10FFFF
      "\xC3",              "\xE2\x82",         "\xF0\x9F\x98",    "\xF0\x9F\x98" "a",  // truncated
      "\x80",              "a\xBF" "b",        "\xC3\xA3\xA3",                    // stray continuation
  };
  for (const std::string& b : bad) {
    EXPECT_FALSE(isValidUtf8(b)) << testing::PrintToString(b);
    // The same fault after a long ASCII run and at every offset of an 8-byte word.
    for (std::size_t pad = 1; pad <= 17; ++pad) {
      EXPECT_FALSE(isValidUtf8(std::string(pad, 'x') + b + "tail")) << pad << testing::PrintToString(b);
    }
  }
}

TEST(Utf8, LengthCountsCharactersNotBytes) {
  EXPECT_EQ(length(""), 0u);
  EXPECT_EQ(length("Razão"), 5u);
  EXPECT_EQ(length("\xF0\x9F\x98\x80" "a"), 2u);
  std::string mixed;
  std::size_t expected = 0;
  for (char32_t cp : {U'a', U'ç', U'€', U'\U0001F600', U'Z'}) {
    for (int i = 0; i < 7; ++i) {
      mixed += utf8(cp);
      ++expected;
      EXPECT_EQ(length(mixed), expected);
    }
  }
}

TEST(Utf8, TruncateKeepsWholeCharacters) {
  EXPECT_EQ(truncate("Razão", 4), "Razã");
  EXPECT_EQ(truncate("Razão", 3), "Raz");
  EXPECT_EQ(truncate("Razão", 5), "Razão");
  EXPECT_EQ(truncate("Razão", 50), "Razão");
  EXPECT_EQ(truncate("abc", 0), "");

  std::string s = "a";
  for (char32_t cp : {U'ç', U'€', U'\U0001F600', U'b', U'c', U'\U0001F600', U'ã'}) s += utf8(cp);
  const std::size_t total = length(s);
  ASSERT_EQ(total, 8u);
  for (std::size_t n = 0; n <= total + 2; ++n) {
    const std::string_view cut = truncate(s, n);
    EXPECT_TRUE(isValidUtf8(cut)) << n;
    EXPECT_EQ(length(cut), std::min(n, total)) << n;
    EXPECT_EQ(cut.data(), s.data());
  }
}

TEST(Fold, PortugueseWordsMatchWhateverTheCase) {
  EXPECT_EQ(fold("AÇÃO"), "ação");
  EXPECT_EQ(fold("AÇÃO"), fold("ação"));
  EXPECT_EQ(fold("LIQUIDAÇÃO MANUAL Nº 12"), "liquidação manual nº 12");
  EXPECT_EQ(fold("ÁÉÍÓÚÂÊÔÀÜ"), "áéíóúâêôàü");
}

TEST(Fold, AsciiMatchesPlainLowerCaseAtEveryOffset) {
  std::string all;
  for (int c = 0; c < 128; ++c) all += static_cast<char>(c);
  for (std::size_t shift = 0; shift < 8; ++shift) {
    const std::string s = std::string(shift, 'Q') + all + all;
    std::string expected = s;
    for (char& c : expected)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    EXPECT_EQ(fold(s), expected) << shift;
  }
}

TEST(Fold, Latin1UpperCaseLettersOnly) {
  for (char32_t cp = 0xC0; cp <= 0xDE; ++cp) {
    if (cp == 0xD7) continue;
    EXPECT_EQ(fold(utf8(cp)), utf8(cp + 0x20)) << std::hex << unsigned(cp);
  }
  for (char32_t cp : {0xD7, 0xDF, 0xF7, 0xFF, 0xAA, 0xB5, 0xBA}) EXPECT_EQ(fold(utf8(cp)), utf8(cp));
}

TEST(Fold, LatinExtendedAPairsAndItsIrregularLetters) {
  struct Case {
    char32_t from;
    std::string to;
  };
  const std::vector<Case> cases = {
      {0x100, utf8(0x101)},  {0x12E, utf8(0x12F)},  {0x130, "i"},          {0x131, utf8(0x131)},
      {0x132, utf8(0x133)},  {0x136, utf8(0x137)},  {0x138, utf8(0x138)},  {0x139, utf8(0x13A)},
      {0x13A, utf8(0x13A)},  {0x147, utf8(0x148)},  {0x148, utf8(0x148)},  {0x149, utf8(0x149)},
      {0x14A, utf8(0x14B)},  {0x152, utf8(0x153)},  {0x160, utf8(0x161)},  {0x176, utf8(0x177)},
      {0x178, utf8(0xFF)},   {0x179, utf8(0x17A)},  {0x17B, utf8(0x17C)},  {0x17D, utf8(0x17E)},
      {0x17E, utf8(0x17E)},  {0x17F, utf8(0x17F)},
  };
  for (const Case& c : cases) EXPECT_EQ(fold(utf8(c.from)), c.to) << std::hex << unsigned(c.from);
  // Lower-case letters are fixed points, so folding twice changes nothing.
  for (char32_t cp = 0; cp < 0x180; ++cp) {
    const std::string once = fold(utf8(cp));
    EXPECT_EQ(fold(once), once) << std::hex << unsigned(cp);
  }
}

TEST(Fold, KeepsInvalidBytesAndOtherScripts) {
  EXPECT_EQ(fold(std::string("A\xFF" "B\xC3")), std::string("a\xFF" "b\xC3"));
  EXPECT_EQ(fold(std::string("\xED\xA0\x80" "Ç")), std::string("\xED\xA0\x80" "ç"));
  EXPECT_EQ(fold("ΣΩ Ж \xF0\x9F\x98\x80"), "ΣΩ Ж \xF0\x9F\x98\x80");
}

TEST(EqualsIgnoreCase, AgreesWithComparingFolds) {
  const std::vector<std::string> words = {
      "",        "a",           "A",          "pedido",   "PEDIDO",        "Pedidos", "ação",
      "AÇÃO",    "acao",        "İ",          "i",        "I",             "ı",       "Ÿ",
      "ÿ",       "\xFF",        "\xC3",       "A\xC3",    "a\xC3",         "ĸ",       "ŉ",
      "ABCDEFGHIJKLMNOPQRSTUVWXYZ-Ç", "abcdefghijklmnopqrstuvwxyz-ç",  "abcdefghijklmnopqrstuvwxyz-c",
  };
  for (const std::string& a : words)
    for (const std::string& b : words)
      EXPECT_EQ(equalsIgnoreCase(a, b), fold(a) == fold(b)) << testing::PrintToString(a) << " vs "
                                                              << testing::PrintToString(b);
  EXPECT_TRUE(equalsIgnoreCase("NrPedido", "NRPEDIDO"));
  EXPECT_TRUE(equalsIgnoreCase("AÇÃO", "ação"));
  EXPECT_FALSE(equalsIgnoreCase("ação", "acao"));
  EXPECT_FALSE(equalsIgnoreCase("abc", "abcd"));
  EXPECT_FALSE(equalsIgnoreCase("@", "`"));  // one bit apart, not letters
}

}  // namespace
}  // namespace ped::engine::text
