// Addresses taken apart: the parts a page cannot fake by putting a host or a
// scheme into some other part.
#include "core/address_kinds.h"

#include <gtest/gtest.h>

#include <string>

#include "build_config.h"

namespace lumaro {
namespace {

TEST(SplitAddress, FindsEachPartWhereverTheOthersLook) {
  struct Case {
    const char* address;
    const char* scheme;
    bool authority, user;
    const char* host;
    bool port;
    const char* portText;
    const char* path;
    const char* rest;
  } cases[] = {
      {"HTTP://Host.Example/A/b?c=d#e", "http", true, false, "Host.Example", false, "", "/A/b",
       "?c=d#e"},
      {"http://u:p@host:8080", "http", true, true, "host", true, "8080", "", ""},
      // The last "@" ends the user part; "/", "?" and "#" end the authority.
      {"http://a@b@host/x@y", "http", true, true, "host", false, "", "/x@y", ""},
      {"http://host?x=http://other/", "http", true, false, "host", false, "", "", "?x=http://other/"},
      {"http://host#@other", "http", true, false, "host", false, "", "", "#@other"},
      {"http://[::1]:81/p", "http", true, false, "[::1]", true, "81", "/p", ""},
      {"http://host:/p", "http", true, false, "host", true, "", "/p", ""},
      {"mailto:a@host?attach=/etc/passwd", "mailto", false, false, "", false, "", "a@host",
       "?attach=/etc/passwd"},
      {"file:///etc/passwd", "file", true, false, "", false, "", "/etc/passwd", ""},
      {"s+a.b-c:x", "s+a.b-c", false, false, "", false, "", "x", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    const std::optional<AddressParts> parts = SplitAddress(c.address);
    ASSERT_TRUE(parts);
    EXPECT_EQ(parts->scheme, c.scheme);
    EXPECT_EQ(parts->hasAuthority, c.authority);
    EXPECT_EQ(parts->hasUserInfo, c.user);
    EXPECT_EQ(parts->host, c.host);
    EXPECT_EQ(parts->hasPort, c.port);
    EXPECT_EQ(parts->port, c.portText);
    EXPECT_EQ(parts->path, c.path);
    EXPECT_EQ(parts->rest, c.rest);
  }
  for (const char* none : {"", "host/path", ":x", "1http://h/", " http://h/", "ht tp://h/",
                           "http://h/\n", "http://h/\x7f", "\thttp://h/"})
    EXPECT_FALSE(SplitAddress(none)) << none;
}

TEST(AddressKinds, WebAddressesAndTheMessengersOwn) {
  const std::string app(kChatAppScheme);
  struct Case {
    std::string address;
    bool web, chatApp;
  } cases[] = {
      {"http://site.example/", true, false},
      {"HTTPS://Site.Example", true, false},
      {"http://user@site.example:8080/p?q#f", true, false},
      {"http:///nohost", false, false},
      {"http:site.example/", false, false},
      {"site.example", false, false},
      {"ERROR", false, false},
      {" ", false, false},
      {"about:blank", false, false},
      {"ftp://site.example/", false, false},
      {app + "://message/?uin=1", false, true},
      {"TENCENT://Message/?uin=1", false, app == "tencent"},
      {app + ":message", false, true},
      {app + "s://message/", false, false},
      {"http://site.example/?to=" + app + "://message/", true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.address);
    EXPECT_EQ(IsHttpAddress(c.address), c.web);
    EXPECT_EQ(IsChatAppLink(c.address), c.chatApp);
  }
}

}  // namespace
}  // namespace lumaro
