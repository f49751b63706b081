#include "core/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace lumaro {
namespace {

TEST(Utf8Test, ReadsWellFormedCharactersAndRefusesEverythingElse) {
  struct Case {
    const char* bytes;
    size_t length;  // 0: refused
    char32_t character;
  } cases[] = {
      {"A", 1, U'A'},
      {"\xC3\xA9", 2, U'é'},
      {"\xE4\xB8\xAD", 3, U'中'},
      {"\xF0\x9F\x98\x80", 4, U'\U0001F600'},
      {"\xF4\x8F\xBF\xBF", 4, U'\U0010FFFF'},
      {"\xC0\xAF", 0, 0},              // overlong "/"
      {"\xE0\x80\xAF", 0, 0},          // overlong, three bytes
      {"\xED\xA0\x80", 0, 0},          // a surrogate
      {"\xF4\x90\x80\x80", 0, 0},      // past U+10FFFF
      {"\xE4\xB8", 0, 0},              // cut short at the end
      {"\xE4" "A" "\xAD", 0, 0},       // cut short by an ASCII byte
      {"\x80", 0, 0},                  // a stray continuation byte
      {"\xFF", 0, 0},                  // never starts a character
  };
  for (const Case& c : cases) {
    char32_t read = 0;
    EXPECT_EQ(DecodeUtf8(c.bytes, 0, &read), c.length) << c.bytes;
    if (c.length) {
      EXPECT_EQ(read, c.character) << c.bytes;
    }
  }
}

TEST(Utf8Test, WritesWhatItReadsAtEveryLengthBoundary) {
  for (char32_t c : {U'\0', U'\x7F', U'\x80', U'\x7FF', U'\x800', U'\xFFFF', U'\U00010000',
                     U'\U0010FFFF'}) {
    std::string bytes;
    AppendUtf8(bytes, c);
    char32_t read = 0;
    ASSERT_EQ(DecodeUtf8(bytes, 0, &read), bytes.size()) << uint32_t(c);
    EXPECT_EQ(read, c);
    EXPECT_EQ(Utf8SequenceLength(uint8_t(bytes[0])), bytes.size());
  }
  EXPECT_EQ(Utf8SequenceLength(0x80), 1u);
  EXPECT_EQ(Utf8SequenceLength(0xFF), 1u);
}

}  // namespace
}  // namespace lumaro
