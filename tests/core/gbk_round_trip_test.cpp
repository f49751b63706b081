#include <gtest/gtest.h>

#include "core/ansi.h"
#include "core/http_fetch.h"
#include "core/url_helpers.h"

namespace lumaro {
namespace {

// Every double-byte GBK character reads as one character and writes back to
// the same two bytes; a pair that is no character reads as U+FFFD.
TEST(GbkText, EveryPairReadsAsOneCharacterAndWritesBack) {
  int characters = 0;
  for (int lead = 0x81; lead <= 0xFE; ++lead) {
    for (int trail = 0x40; trail <= 0xFE; ++trail) {
      const std::string pair{char(lead), char(trail)};
      const std::string text = AnsiToUtf8(pair);
      ASSERT_EQ(BytesToString(pair), text) << lead << " " << trail;
      if (text == "\xEF\xBF\xBD") continue;
      ++characters;
      ASSERT_EQ(Utf8ToAnsi(text), pair) << lead << " " << trail;
    }
  }
  EXPECT_GT(characters, 21000);
}

// The euro sign is the one character that GBK writes as a single byte above
// ASCII (0x80): it reads back as itself, not as the lead byte of a pair
// that would swallow the character after it.
TEST(GbkText, TheEuroSignReadsBackAsWritten) {
  for (const std::string text : {"€", "a€b", "€€", "pw€@@@@@@@@@@1"}) {
    EXPECT_EQ(AnsiToUtf8(Utf8ToAnsi(text)), text) << text;
  }
  EXPECT_EQ(Utf8ToAnsi("€"), "\x80");
  EXPECT_EQ(UrlEncode("€"), "%80");
  // A reply body still pairs every byte of 128 or more.
  EXPECT_EQ(BytesToString("\x80" "A" "b"), "\xEF\xBF\xBD" "b");
}

// A UTF-8 sequence cut short becomes one "?" and the byte that ended it is
// read on its own, not swallowed into the broken sequence.
TEST(GbkText, ABrokenSequenceKeepsTheCharacterAfterIt) {
  struct Case {
    std::string text;
    std::string ansi;
  } cases[] = {
      {"\xC3" "A", "?A"},
      {"\xE4\xB8" "&x", "?&x"},
      {"\xF0\x9F" "\xE4\xB8\xAD", "?\xD6\xD0"},  // a cut sequence before 中
      {"\x80" "a", "?a"},                         // a stray continuation byte
      {"a\xE4", "a?"},
  };
  for (const auto& c : cases) EXPECT_EQ(Utf8ToAnsi(c.text), c.ansi) << c.text;
  EXPECT_EQ(UrlEncode("\xE4\xB8&"), "%3F%26");
}

}  // namespace
}  // namespace lumaro
