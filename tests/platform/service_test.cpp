// The stand-in service seen from an HTTP client: GBK pages, the sign-in and
// registration protocol, the site check, faults and the request log.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <string>
#include <thread>

#include "stand_in.h"

namespace lumaro::service {
namespace {

// GBK bytes of the texts used below.
const std::string kSiteVisitors = "\xCD\xF8\xD5\xBE\xB7\xC3\xBF\xCD";          // 网站访客
const std::string kZhangSan = "\xD5\xC5\xC8\xFD";                                 // 张三
const std::string kLiSi = "\xC0\xEE\xCB\xC4";                                     // 李四
const std::string kNewName = "\xD0\xC2\xC3\xFB\xD7\xD6";                        // 新名字
const std::string kRegistrationFailed = "\xD7\xA2\xB2\xE1\xCA\xA7\xB0\xDC";   // 注册失败
const std::string kAlreadyRegistered = "\xD2\xD1\xB1\xBB\xD7\xA2\xB2\xE1";    // 已被注册
const std::string kEditDetails = "\xD0\xDE\xB8\xC4\xD3\xC3\xBB\xA7\xD0\xC5\xCF\xA2";  // 修改用户信息
const std::string kStatistics = "\xCD\xB3\xBC\xC6\xCA\xFD\xBE\xDD";           // 统计数据

// The token for the reseller code of the default OEM record, "LMR38615",
// worked out by hand from its MD5 (first digit '8', key 57).
const std::string kDefaultToken = "1565B545A025605B555755715251565B65B5A65355525115006";
// MD5 of the build's reseller number "38615".
const std::string kOemNumberDigest = "ff342ebc4c38bf532854050e89acf973";

// Every byte as %XX, as the client's UrlEncode writes it.
std::string EncodeAll(const std::string& bytes) {
  static const char* kHex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 15];
  }
  return out;
}

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(service_.Start()); }
  void TearDown() override { service_.Stop(); }

  httplib::Client Client(int readTimeoutSeconds = 5) {
    httplib::Client c("127.0.0.1", service_.Port());
    c.set_read_timeout(readTimeoutSeconds, 0);
    c.set_url_encode(false);  // send addresses byte for byte, as the client does
    return c;
  }
  // userGbk: the name's GBK bytes (ASCII names as they are).
  std::string Login(const std::string& userGbk, const std::string& pwd, const std::string& code) {
    auto r = Client().Get("/newlogin.asp?user=" + EncodeAll(userGbk) + "&pwd=" + pwd +
                          "&ver=2&code=" + code + "&t=100.5");
    return r ? r->body : "(no answer)";
  }

  StandInService service_{0};  // any free port
};

TEST_F(ServiceTest, ChinesePagesAreGbkAndNamesIgnoreCase) {
  auto c = Client();
  auto upper = c.Get("/MANANET.ASP?t=1");
  auto lower = c.Get("/mananet.asp?t=1");
  ASSERT_TRUE(upper && lower);
  EXPECT_EQ(upper->status, 200);
  EXPECT_EQ(upper->body, lower->body);
  EXPECT_NE(upper->get_header_value("Content-Type").find("charset=gb2312"), std::string::npos);
  EXPECT_NE(upper->body.find("charset=gb2312"), std::string::npos);  // the meta tag
  EXPECT_NE(upper->body.find(kSiteVisitors), std::string::npos);
  EXPECT_EQ(upper->body.find("网站访客"), std::string::npos) << "UTF-8 text leaked into a page";
  EXPECT_NE(upper->body.find("checkcode.asp?id="), std::string::npos);
  EXPECT_NE(upper->body.find("delnet.asp?id="), std::string::npos);

  // One page name, two pages: the registration form has no stamp, the
  // member's details page has one.
  auto reg = c.Get("/edituser.asp");
  auto details = c.Get("/editUser.asp?t=5.5");
  ASSERT_TRUE(reg && details);
  for (const char* field : {"\"lName\"", "\"lvcode\"", "\"luserType\"", "usersave.asp"})
    EXPECT_NE(reg->body.find(field), std::string::npos) << field;
  EXPECT_EQ(details->body.find("\"lvcode\""), std::string::npos);
  EXPECT_NE(details->body.find(kEditDetails), std::string::npos);

  auto missing = c.Get("/nosuch.asp");
  ASSERT_TRUE(missing);
  EXPECT_EQ(missing->status, 404);
}

TEST_F(ServiceTest, SignInNeedsAccountPasswordAndResellerToken) {
  struct Case {
    const char* user;
    const char* pwd;
    bool goodToken;
    const char* expected;
  } cases[] = {
      {"DEMO", "demo123", true, "ok||1||2||3"},
      {"demo", "demo123", true, "ok||1||2||3"},   // names compare without case
      {"ALICE", "secret", true, "ok||1||2||3"},
      {"DEMO", "DEMO123", true, "no||0||0||0"},   // passwords do not
      {"DEMO", "demo123", false, "no||0||0||0"},
      {"NOBODY", "demo123", true, "no||0||0||0"},
  };
  for (const Case& k : cases)
    EXPECT_EQ(Login(k.user, k.pwd, k.goodToken ? kDefaultToken : "0A1B"), k.expected) << k.user << "/" << k.pwd;

  // The token follows the reseller code of the current OEM record.
  service_.SetOemRecord("http://x.cn@@@1@@@2@@@3@@@OTHERCODE@@@5");
  EXPECT_EQ(Login("DEMO", "demo123", kDefaultToken), "no||0||0||0");
  EXPECT_EQ(Login("DEMO", "demo123", "74D1277355565CC51501576352570C151511525507C"), "ok||1||2||3");

  // Start-up requests: the version and, for this build's reseller number only,
  // the record.
  auto c = Client();
  EXPECT_EQ(c.Get("/GetVer.asp?vID=2&t=1")->body, kDefaultVersion);
  EXPECT_EQ(c.Get("/GetOEM.asp?v=" + kOemNumberDigest + "&t=1")->body, service_.OemRecord());
  EXPECT_EQ(c.Get("/GetOEM.asp?v=0123&t=1")->body, "");
}

TEST_F(ServiceTest, RegistrationAnswersExactlyOkAndCreatesTheAccount) {
  auto c = Client();
  const std::string& name = kZhangSan;
  auto post = [&](const std::string& lvcode, const std::string& pwd) {
    std::string body = "act=new&lName=" + EncodeAll(name) + "&lpwd=" + pwd +
                       "&lqq=123&lemail=a%40b.cn&lmobile=13800000000&ltel=&lcompany=&lman=&lnetType="
                       "&luserType=2&lver=2&lCode=&lvcode=" + lvcode;
    auto r = c.Post("/usersave.asp", body, "application/x-www-form-urlencoded");
    return r ? r->body : "(no answer)";
  };
  EXPECT_EQ(c.Get("/checkUser.ASP?USER=" + EncodeAll(name) + "&t=1")->body, "yes");
  std::string refused = post("WRONG", "pw1");
  EXPECT_NE(refused, "ok");
  EXPECT_NE(refused.find(kRegistrationFailed), std::string::npos);
  EXPECT_FALSE(service_.HasAccount("张三"));

  EXPECT_EQ(post(kDefaultToken, "a+b"), "ok");  // a form body's "+" is a space
  EXPECT_EQ(service_.PasswordOf("张三"), "a b");
  EXPECT_EQ(c.Get("/checkUser.ASP?USER=" + EncodeAll(name) + "&t=1")->body, "no");
  EXPECT_EQ(c.Get("/checkUser.ASP?USER=%44%45%4D%4F&t=1")->body, "no");  // "DEMO": seeded
  EXPECT_EQ(Login(kZhangSan, "a%20b", kDefaultToken), "ok||1||2||3");

  std::string again = post(kDefaultToken, "pw2");
  EXPECT_NE(again, "ok");
  EXPECT_NE(again.find(kAlreadyRegistered), std::string::npos);
}

TEST_F(ServiceTest, SiteCheckReportsOkOnceTheSitePageCounted) {
  auto c = Client();
  EXPECT_EQ(c.Get("/queryFlag.asp?id=101&t=1")->body, "no");
  std::string address = c.Get("/GetNet.asp?id=101&t=1")->body;
  ASSERT_EQ(address, service_.BaseUrl() + "site/101.html");

  // Load the site page as the hidden browser would and run its counting code.
  auto page = c.Get("/site/101.html");
  ASSERT_TRUE(page);
  std::string src = service_.BaseUrl() + "count.asp?id=101";
  ASSERT_NE(page->body.find("src=\"" + src + "\""), std::string::npos);
  EXPECT_EQ(c.Get("/queryFlag.asp?id=101&t=2")->body, "no");
  ASSERT_TRUE(c.Get("/count.asp?id=101"));
  EXPECT_EQ(c.Get("/queryFlag.asp?id=101&t=3")->body, "ok");
  EXPECT_EQ(c.Get("/queryFlag.asp?id=102&t=3")->body, "no");

  service_.Reset();
  EXPECT_EQ(c.Get("/queryFlag.asp?id=101&t=4")->body, "no");
}

TEST_F(ServiceTest, EveryFaultKindIsSeenByAClient) {
  std::string normal = Client().Get("/GetVer.asp")->body;
  auto fault = [](Fault::Kind kind, int status = 500, size_t bytes = 0) {
    Fault f;
    f.kind = kind;
    f.status = status;
    f.bytes = bytes;
    return f;
  };

  service_.SetFault("getver.asp", fault(Fault::Status, 404));
  auto r = Client().Get("/GetVer.asp?vID=2");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 404);

  service_.SetFault("GetVer.asp", fault(Fault::EmptyBody));
  r = Client().Get("/GetVer.asp");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->status, 200);
  EXPECT_EQ(r->body, "");

  service_.SetFault("GetVer.asp", fault(Fault::LoneLeadByte));
  r = Client().Get("/GetVer.asp");
  ASSERT_TRUE(r);
  EXPECT_EQ(r->body, normal + "\xC4");

  service_.SetFault("GetVer.asp", fault(Fault::Huge, 0, 100001));
  r = Client().Get("/GetVer.asp");
  ASSERT_TRUE(r);
  ASSERT_EQ(r->body.size(), 100001u);
  EXPECT_LT(static_cast<unsigned char>(r->body.back()), 0x80) << "a huge body must not end mid-character";
  EXPECT_NE(r->body.find(kStatistics), std::string::npos);

  for (Fault::Kind kind : {Fault::Truncated, Fault::Reset}) {
    service_.SetFault("GetVer.asp", fault(kind));
    r = Client().Get("/GetVer.asp");
    EXPECT_FALSE(r) << FaultKindName(kind) << " answered in full";
  }

  // A fault limited to one request, on every page.
  Fault once = fault(Fault::Status, 503);
  once.times = 1;
  service_.ClearFaults();
  service_.SetFault("*", once);
  EXPECT_EQ(Client().Get("/base.asp")->status, 503);
  EXPECT_EQ(Client().Get("/base.asp")->status, 200);
}

Fault Silence() {
  Fault fault;
  fault.kind = Fault::Silence;
  return fault;
}

TEST_F(ServiceTest, SilenceHoldsTheAnswerUntilLiftedOrStopped) {
  // Lifting the fault releases a held request with the answer the page
  // gives then: the version set while the request waited shows that it
  // was not answered before.
  service_.SetFault("GetVer.asp", Silence());
  std::string released;
  std::thread waiting([&] {
    auto r = Client(30).Get("/GetVer.asp?id=1");
    released = r ? r->body : "(no answer)";
  });
  ASSERT_TRUE(service_.WaitForRequest("GetVer.asp?id=1", 10));
  EXPECT_EQ(service_.CountAnswered("GetVer.asp"), 0u);
  service_.SetVersion("1-99");
  service_.ClearFaults();
  waiting.join();
  EXPECT_EQ(released, "1-99") << "a silenced page answered before the fault was lifted";

  // The same for the page the client polls.
  service_.SetFault("queryFlag.asp", Silence());
  std::thread polling([&] {
    auto r = Client(30).Get("/queryFlag.asp?id=2");
    released = r ? r->body : "(no answer)";
  });
  ASSERT_TRUE(service_.WaitForRequest("queryFlag.asp?id=2", 10));
  service_.ClearFaults();
  polling.join();
  EXPECT_EQ(released, "no");

  // Stopping drops held requests instead of waiting for them.
  service_.SetFault("queryFlag.asp", Silence());
  bool answered = true;
  std::thread held([&] { answered = static_cast<bool>(Client(30).Get("/queryFlag.asp?id=3")); });
  ASSERT_TRUE(service_.WaitForRequest("id=3", 10));
  service_.Stop();
  held.join();
  EXPECT_FALSE(answered);
}

TEST_F(ServiceTest, RequestsAreRecordedWithDecodedParameters) {
  auto c = Client();
  const std::string& name = kLiSi;
  c.Get("/newlogin.asp?user=" + EncodeAll(name) + "&pwd=p+q&ver=2&code=AB&t=9.5");
  c.Post("/savenet.asp?id=101", "id=101&n=" + EncodeAll(kNewName) + "&u=http%3A%2F%2Fa.cn%2F",
         "application/x-www-form-urlencoded");

  // A request is recorded before it is answered: the log is whole once the
  // client has its answers.
  EXPECT_EQ(service_.CountRequests("NEWLOGIN.ASP"), 1u);
  EXPECT_EQ(service_.CountRequests("checkuser.asp"), 0u);
  auto log = service_.Requests();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].method, "GET");
  EXPECT_EQ(log[0].path, "/newlogin.asp");
  EXPECT_EQ(log[0].query, "user=" + EncodeAll(name) + "&pwd=p+q&ver=2&code=AB&t=9.5");
  EXPECT_EQ(log[0].Param("USER"), "李四");
  EXPECT_EQ(log[0].Param("pwd"), "p+q");  // the query keeps a raw "+"
  EXPECT_EQ(log[1].method, "POST");
  EXPECT_EQ(log[1].Param("n"), "新名字");
  EXPECT_EQ(log[1].Param("u"), "http://a.cn/");
  EXPECT_EQ(service_.CountRequests("savenet"), 1u);

  service_.ClearRequests();
  EXPECT_TRUE(service_.Requests().empty());

  // Values arrive as GBK from the client's own encoding and from GBK pages'
  // forms, but as UTF-8 where the browser encodes an address the client built
  // unencoded (the welcome page's user name).
  struct Case {
    const char* encoded;
    const char* decoded;
  } cases[] = {
      {"%C0%EE%CB%C4", "李四"},         // GBK
      {"%C4%A3", "模"},                 // GBK that is also well-formed UTF-8 ("ģ")
      {"%E6%9D%8E%E5%9B%9B", "李四"},   // UTF-8
      {"demo%20x", "demo x"},
  };
  for (const Case& k : cases) {
    service_.ClearRequests();
    c.Get(std::string("/Default.asp?types=2&uName=") + k.encoded + "&oem=1&t=1");
    ASSERT_EQ(service_.Requests().size(), 1u);
    EXPECT_EQ(service_.Requests()[0].Param("uName"), k.decoded) << k.encoded;
  }
}

TEST_F(ServiceTest, ControlEndpointsDriveTheServiceWhenEnabled) {
  auto c = Client();
  EXPECT_EQ(c.Get("/__control/version?v=1-52")->status, 404);  // off by default: a page
  service_.EnableControlEndpoints(true);
  service_.ClearRequests();
  EXPECT_EQ(c.Get("/__control/version?v=1-52")->body, "ok\n");
  EXPECT_EQ(c.Get("/GetVer.asp")->body, "1-52");
  EXPECT_EQ(c.Get("/__control/fault?page=hand.asp&kind=status&status=502")->body, "ok\n");
  EXPECT_EQ(c.Get("/hand.asp?t=1")->status, 502);
  EXPECT_EQ(c.Get("/__control/fault?page=hand.asp&kind=bogus")->status, 400);
  EXPECT_EQ(c.Get("/__control/requests")->body, "GET /GetVer.asp\nGET /hand.asp?t=1\n");
  c.Get("/__control/reset");
  EXPECT_EQ(c.Get("/GetVer.asp")->body, kDefaultVersion);
  EXPECT_EQ(c.Get("/hand.asp")->body, "ok");
}

}  // namespace
}  // namespace lumaro::service
