#include <gtest/gtest.h>

#include "core/ansi.h"
#include "signin/frmlogin.h"

namespace lumaro {
namespace {

TEST(SignInReply, OnlyFieldZeroOkAccepts) {
  struct Case {
    const char* reply;
    bool accepted;
  } cases[] = {
      {"ok||1||2||3", true}, {"ok", true},     {"ok||", true},   {"OK||1||2||3", false},
      {"ok\r\n", false},     {" ok||1", false}, {"ok|1", false}, {"ERROR", false},
      {" ", false},          {"", false},       {"no||ok", false},
  };
  for (const auto& c : cases) EXPECT_EQ(SignInAccepted(c.reply), c.accepted) << c.reply;
}

TEST(RememberedSignIn, ReadsTheFirstLinesThreeFields) {
  struct Case {
    const char* what;
    std::string bytes;
    std::optional<RememberedSignIn> read;
  } cases[] = {
      {"remembered", "alice@@@@@@@@@@secret@@@@@@@@@@1\r\n", RememberedSignIn{"alice", "secret", true}},
      {"not remembered", "alice@@@@@@@@@@@@@@@@@@@@0\r\n", RememberedSignIn{"alice", "", false}},
      {"flag not a number", "bob@@@@@@@@@@pw@@@@@@@@@@x", RememberedSignIn{"bob", "pw", std::nullopt}},
      {"flag 2", "bob@@@@@@@@@@pw@@@@@@@@@@2", RememberedSignIn{"bob", "pw", false}},
      {"GBK name", "\xd5\xc5\xc8\xfd@@@@@@@@@@pw@@@@@@@@@@1", RememberedSignIn{"张三", "pw", true}},
      {"line break first", "\r\nbob@@@@@@@@@@pw@@@@@@@@@@1", std::nullopt},
      {"two fields", "bob@@@@@@@@@@pw", std::nullopt},
      {"four fields", "a@@@@@@@@@@b@@@@@@@@@@1@@@@@@@@@@c", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::optional<RememberedSignIn> read = ReadRememberedSignIn(c.bytes);
    ASSERT_EQ(read.has_value(), c.read.has_value());
    if (!read) continue;
    EXPECT_EQ(read->user, c.read->user);
    EXPECT_EQ(read->password, c.read->password);
    EXPECT_EQ(read->remembered, c.read->remembered);
  }
}

// What a sign-in writes, the next start reads back, whatever the user typed
// that GBK can hold, a password with the euro sign (GBK's single byte 0x80)
// and the character after it included.
TEST(RememberedSignIn, AWrittenLineReadsBack) {
  struct Case {
    std::string user, password;
    bool remember;
  } cases[] = {
      {"alice", "secret", true},  {"张三", "密码,含逗号", true}, {"bob", "pw", false},
      {"eve", "a€b", true},       {"€", "€", true},           {"me@site", "@pw", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.user + " " + c.password);
    const std::string line = RememberedSignInLine(c.user, c.password, c.remember);
    ASSERT_GE(line.size(), 2u);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
    const std::optional<RememberedSignIn> read = ReadRememberedSignIn(line);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->user, c.user);
    EXPECT_EQ(read->password, c.remember ? c.password : "");
    EXPECT_EQ(read->remembered, c.remember);
  }
  EXPECT_EQ(RememberedSignInLine("bob", "pw", false), "bob@@@@@@@@@@@@@@@@@@@@0\r\n");
}

}  // namespace
}  // namespace lumaro
