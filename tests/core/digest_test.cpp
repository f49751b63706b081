#include <gtest/gtest.h>

#include <cctype>

#include "core/md5.h"

namespace lumaro {
namespace {

TEST(Md5, MatchesTheReferenceVectors) {
  struct Case {
    const char* text;
    const char* digest;
  } cases[] = {
      {"", "d41d8cd98f00b204e9800998ecf8427e"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
      {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       "d174ab98d277d9f5a5611c2c9f419d9f"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  clsMD5 md5;
  for (const auto& c : cases) EXPECT_EQ(md5.MD5(c.text, 32), c.digest) << c.text;
}

TEST(Md5, AnyOtherTypeGivesDigitsNineToTwentyFour) {
  clsMD5 md5;
  std::string full = md5.MD5("38615", 32);
  EXPECT_EQ(md5.MD5("38615", 16), full.substr(8, 16));
  EXPECT_EQ(md5.MD5("38615", 0), full.substr(8, 16));
}

TEST(Md5, HashesTheGbkBytesOfChineseText) {
  clsMD5 md5;
  EXPECT_EQ(md5.MD5("中文", 32), "bcce109775e8e1972e9f5fcda3e12895");
}

TEST(EnCode, WritesEachXorInHexWithoutLeadingZeros) {
  clsMD5 md5;
  EXPECT_EQ(md5.EnCode("", 5), "");
  EXPECT_EQ(md5.EnCode("a", 'a'), "0");        // key equal to the code
  EXPECT_EQ(md5.EnCode("a", 'a' ^ 10), "A");   // 10 is one digit
  EXPECT_EQ(md5.EnCode("a", 0), "61");
  EXPECT_EQ(md5.EnCode("ab", 1), "6063");
  // A double-byte character is a negative 16-bit code: D6D0 ^ 0 = D6D0.
  EXPECT_EQ(md5.EnCode("中", 0), "D6D0");
}

TEST(DigestToken, IsStableUpperCaseHexOfTheRightLength) {
  std::string token = DigestToken("LMR38615");
  EXPECT_EQ(token, DigestToken("LMR38615"));
  EXPECT_GE(token.size(), 32u);
  EXPECT_LE(token.size(), 64u);
  for (char c : token) EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'));
  // Worked by hand: MD5("abc") = 900150983cd2...; key = '9' + 1 = 58.
  clsMD5 md5;
  std::string d = md5.MD5("abc", 32);
  EXPECT_EQ(DigestToken("abc"), md5.EnCode(d, 58));
  EXPECT_EQ(DigestToken("abc").substr(0, 4), "3AAB");  // 9^58 = 3, 0^58 = A, 1^58 = B
}

}  // namespace
}  // namespace lumaro
