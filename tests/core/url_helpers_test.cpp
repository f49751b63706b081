#include <gtest/gtest.h>

#include "core/ansi.h"
#include "core/url_helpers.h"

namespace lumaro {
namespace {

TEST(UrlEncode, EncodesEveryGbkByte) {
  EXPECT_EQ(UrlEncode("A1"), "%41%31");
  EXPECT_EQ(UrlEncode("\t"), "%09");
  EXPECT_EQ(UrlEncode(""), "");
  EXPECT_EQ(UrlEncode("中"), "%D6%D0");
  EXPECT_EQ(UrlEncode("a&b c"), "%61%26%62%20%63");
  // A character GBK cannot represent becomes "?".
  EXPECT_EQ(UrlEncode("\xF0\x9F\x98\x80"), "%3F");
}

TEST(GetUrlParam, ReadsTheValueAsWritten) {
  struct Case {
    const char* url;
    const char* key;
    const char* value;
  } cases[] = {
      {"http://h/x.asp?id=12&types=3", "types=", "3"},
      {"http://h/x.asp?id=12&types=3", "id=", "12"},
      {"http://h/x.asp?userid=7&id=9", "id=", "7"},
      {"http://h/x.asp?ID=5", "id=", "5"},
      {"http://h/x.asp?id=5", "ID=", ""},
      {"http://h/x.asp?a=1", "id=", ""},
      {"http://h/x.asp?id=&b=2", "id=", ""},
      {"http://h/x.asp?id=", "id=", ""},
      {"http://h/x.asp?id=AbC%41#top", "id=", "AbC%41#top"},
      {"transtype=5&types=1&q=x", "transtype=", "5"},
  };
  for (const auto& c : cases) EXPECT_EQ(GetUrlParam(c.url, c.key), c.value) << c.url << " " << c.key;
}

TEST(AnsiText, RoundTripsChineseAndAscii) {
  std::string text = "网站访客 abc 123";
  EXPECT_EQ(AnsiToUtf8(Utf8ToAnsi(text)), text);
  EXPECT_EQ(Utf8ToAnsi("中文"), "\xD6\xD0\xCE\xC4");
}

}  // namespace
}  // namespace lumaro
