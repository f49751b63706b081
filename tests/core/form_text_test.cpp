#include "core/form_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lumaro {
namespace {

TEST(FormText, LetterCaseCoversLatinGreekCyrillicAndLeavesChineseAlone) {
  struct Case {
    const char* lower;
    const char* upper;
  } cases[] = {
      {"abc xyz 09_-", "ABC XYZ 09_-"},
      {"müller çà", "MÜLLER ÇÀ"},
      {"łódź žľ", "ŁÓDŹ ŽĽ"},
      {"αβγ", "ΑΒΓ"},
      {"привет ё", "ПРИВЕТ Ё"},
      {"ａｂｃ", "ＡＢＣ"},
      {"张三abc", "张三ABC"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(UpperCaseText(c.lower), c.upper) << c.lower;
    EXPECT_EQ(LowerCaseText(c.upper), c.lower) << c.upper;
  }
  // Letters without a single capital stay; invalid bytes pass through.
  EXPECT_EQ(UpperCaseText("ß"), "ß");
  EXPECT_EQ(UpperCaseText("ÿ"), "Ÿ");
  EXPECT_EQ(UpperCaseText(std::string("a\xff" "b")), std::string("A\xff" "B"));
}

TEST(FormText, CharacterCountCountsCharactersNotBytes) {
  EXPECT_EQ(CharacterCount(""), 0u);
  EXPECT_EQ(CharacterCount("abc"), 3u);
  EXPECT_EQ(CharacterCount("关键字ab"), 5u);
}

TEST(FormText, WithoutFirstCharacterDropsAWholeCharacter) {
  EXPECT_EQ(WithoutFirstCharacter(""), "");
  EXPECT_EQ(WithoutFirstCharacter("c12"), "12");
  EXPECT_EQ(WithoutFirstCharacter("模c1"), "c1");
  EXPECT_EQ(WithoutFirstCharacter("c模"), "模");
  EXPECT_EQ(WithoutFirstCharacter(std::string("\xff" "ab")), "ab");  // a stray byte counts one
}

TEST(FormText, WholeNumberAcceptsOnlyPlainDecimalText) {
  struct Case {
    const char* text;
    bool ok;
    double value;
  } cases[] = {
      {"1", true, 1},      {" 0 ", true, 0},   {"1.0", true, 1},  {"-2e1", true, -20},
      {"", false, 0},      {" ", false, 0},    {"x", false, 0},   {"1x", false, 0},
      {"inf", false, 0},   {"0x1", false, 0},  {"nan", false, 0}, {"1 2", false, 0},
  };
  for (const auto& c : cases) {
    double v = -99;
    EXPECT_EQ(ReadWholeNumber(c.text, &v), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(v, c.value) << c.text;
    }
  }
}

TEST(FormText, LeadingNumberSkipsBlanksAnywhereAndReadsAsFarAsItGoes) {
  struct Case {
    const char* text;
    double value;
  } cases[] = {
      {"", 0},        {"abc", 0},      {"3", 3},        {"003", 3},      {"1.", 1},
      {" 1 2 ", 12},  {"\t-4.5x", -4.5}, {"+7", 7},     {"2e3", 2000},   {"2e", 2},
      {"2e+", 2},     {".5", 0.5},     {"-", 0},        {"1\n0", 10},    {"1d2", 100},
      {"1D-1", 0.1},  {"12.5@@@", 12.5}, {"1e-999", 0}, {"\r5", 0},      {"5\r", 5},
  };
  for (const auto& c : cases) EXPECT_EQ(ReadLeadingNumber(c.text), c.value) << c.text;
  // Too large to hold: nothing, whatever its sign.
  EXPECT_EQ(ReadLeadingNumber("1e999"), std::nullopt);
  EXPECT_EQ(ReadLeadingNumber("-2d400"), std::nullopt);
}

TEST(FormText, NumberTextIsPlainDecimalWithFifteenDigits) {
  struct Case {
    double value;
    const char* text;
  } cases[] = {
      {0, "0"},        {90, "90"},         {1.5, "1.5"},     {-0.25, "-0.25"},
      {0.1 + 0.2, "0.3"}, {1e15, "1000000000000000"}, {1e20, "100000000000000000000"},
      {0.000012, "0.000012"}, {123456789.123456789, "123456789.123457"}, {-0.0, "0"},
  };
  for (const auto& c : cases) EXPECT_EQ(NumberText(c.value), c.text) << c.value;
}

}  // namespace
}  // namespace lumaro
