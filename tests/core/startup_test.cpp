#include <gtest/gtest.h>

#include "core/ansi.h"
#include "core/globals.h"
#include "core/md5.h"
#include "core/startup.h"
#include "fakes/fake_services.h"

namespace lumaro {
namespace {

constexpr const char* kGoodRecord = "http://r.example@@@111@@@222@@@333@@@CODE@@@30";

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    StartupOpeners().showLogin = [this] { ++loginOpened; };
    StartupOpeners().showUpdate = [this] { ++updateOpened; };
  }
  void TearDown() override { StartupOpeners() = {}; }

  void Publish(const std::string& version, const std::string& record) {
    env.http.ReplyText(std::string(kServiceBase) + "GetVer.asp", version);
    env.http.ReplyText(std::string(kServiceBase) + "GetOEM.asp", record);
  }
  std::vector<std::string> Messages() const { return env.dialogs.Texts(); }

  FakeEnvironment env;
  int loginOpened = 0, updateOpened = 0;
};

TEST_F(Startup, MatchingVersionAndValidRecordOpenTheLoginWindow) {
  Publish("1-51", kGoodRecord);
  Main();
  EXPECT_EQ(loginOpened, 1);
  EXPECT_EQ(updateOpened, 0);
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(gOemCode, "CODE");
  EXPECT_EQ(gOemUnitPrice, 30);
  EXPECT_EQ(gAppCaption, "LumaroV6.0");
  EXPECT_EQ(gOemSupportQQ, "111");
  ASSERT_EQ(env.http.sent.size(), 2u);
  EXPECT_EQ(env.http.sent[0], std::string(kServiceBase) + "GetVer.asp?vID=2&t=46296.13");
  clsMD5 md5;
  EXPECT_EQ(env.http.sent[1],
            std::string(kServiceBase) + "GetOEM.asp?v=" + md5.MD5("38615", 32) + "&t=46296.13");
}

TEST_F(Startup, TheUnitPriceIsRoundedHalfToEven) {
  struct Case {
    const char* price;
    int32_t expected;
  } cases[] = {{"12.5", 12}, {"13.5", 14}, {" 25\r\n", 25}};
  for (const auto& c : cases) {
    ResetGlobals();
    loginOpened = 0;
    Publish("1-51", std::string("a@@@111@@@222@@@333@@@CODE@@@") + c.price);
    Main();
    EXPECT_EQ(gOemUnitPrice, c.expected) << c.price;
    EXPECT_EQ(loginOpened, 1) << c.price;
  }
}

TEST_F(Startup, ASecondCopySendsNothingAndSaysSo) {
  env.instance.anotherRunning = true;
  Main();
  EXPECT_TRUE(env.http.sent.empty());
  ASSERT_EQ(env.dialogs.shown.size(), 1u);
  EXPECT_EQ(env.dialogs.shown[0].text, "系统中已有此程序的副本在运行!");
  EXPECT_EQ(env.dialogs.shown[0].title, "Lumaro提醒您");
  EXPECT_EQ(env.dialogs.shown[0].icon, MsgIcon::Information);
  EXPECT_EQ(loginOpened + updateOpened, 0);
}

TEST_F(Startup, AFailedVersionRequestReportsTheConnection) {
  Main();  // nothing scripted: 404
  EXPECT_EQ(Messages(), std::vector<std::string>{"连接服务器失败，请检查网络是否正常！"});
  EXPECT_EQ(env.http.CountSent("GetOEM.asp"), 0u);
  EXPECT_EQ(loginOpened, 0);
}

TEST_F(Startup, AnyOtherVersionOpensTheUpdateWindowWithoutTheRecord) {
  for (const char* version : {"1-52", "1-51\r\n", "1-51 ", ""}) {
    env.http.sent.clear();
    updateOpened = 0;
    Publish(version, kGoodRecord);
    Main();
    EXPECT_EQ(updateOpened, 1) << version;
    EXPECT_EQ(env.http.CountSent("GetOEM.asp"), 0u) << version;
    EXPECT_EQ(gOemCode, "");
  }
  EXPECT_EQ(loginOpened, 0);
}

TEST_F(Startup, AnUnusableRecordStopsTheStart) {
  struct Case {
    std::string record;
    bool message;
  } cases[] = {
      {"a@@@1@@@2@@@3@@@CODE", true},            // five fields: no price
      {"a@@@1@@@2@@@3@@@@@@30", true},           // empty code
      {"a@@@1@@@2@@@3@@@CODE@@@abc", true},      // price without digits
      {"a@@@1@@@2@@@3@@@CODE@@@0.4", true},      // rounds to 0
      {"a@@@1@@@2@@@3@@@CODE@@@99999999999", true},  // does not fit 32 bits
  };
  for (const auto& c : cases) {
    ResetGlobals();
    env.dialogs.shown.clear();
    Publish("1-51", c.record);
    Main();
    EXPECT_EQ(Messages(), std::vector<std::string>{"网络异常退出!"}) << c.record;
  }
  EXPECT_EQ(loginOpened, 0);
  // A failed record request ends the start without a message.
  env.dialogs.shown.clear();
  env.http.ReplyText(std::string(kServiceBase) + "GetVer.asp", "1-51");
  FakeReply broken;
  broken.status = 500;
  env.http.Reply(std::string(kServiceBase) + "GetOEM.asp", broken);
  Main();
  EXPECT_TRUE(Messages().empty());
  EXPECT_EQ(loginOpened, 0);
}

TEST(UnitPrice, ReadsTheNumericPrefixAndRoundsHalfToEven) {
  struct Case {
    const char* field;
    int32_t price;
  } cases[] = {{"12.5", 12}, {"13.5", 14}, {" 3 0", 30}, {"\t7\n", 7}, {"25yuan", 25},
               {"-2.5", -2}, {"1e2", 100}, {"abc", 0}, {"", 0}, {"2147483647", 2147483647},
               {"2147483648", 0}, {".5", 0}, {"1.5e", 2},
               {"12\r5", 12}, {"30\r\n", 30}};  // a carriage return ends the number
  for (const auto& c : cases) EXPECT_EQ(ReadUnitPrice(c.field), c.price) << c.field;
}

TEST(SplitText, KeepsEmptyFieldsAndIsCaseSensitive) {
  EXPECT_EQ(SplitText("a@@@@@@b", "@@@"), (std::vector<std::string>{"a", "", "b"}));
  EXPECT_EQ(SplitText("", "@@@"), (std::vector<std::string>{""}));
  EXPECT_EQ(SplitText("ok||1", "||"), (std::vector<std::string>{"ok", "1"}));
}

TEST(Editions, LabelsAndVersionText) {
  EXPECT_EQ(EditionLabel(1), "[管理员]V6.0");
  EXPECT_EQ(EditionLabel(2), "V6.0");
  EXPECT_EQ(EditionLabel(3), "[正式版]V6.0");
  EXPECT_EQ(EditionLabel(4), "[代理版]V6.0");
  EXPECT_EQ(EditionLabel(5), "");
  EXPECT_EQ(EditionSupportField(1), -1);
  EXPECT_EQ(EditionSupportField(2), 1);
  EXPECT_EQ(EditionSupportField(3), 2);
  EXPECT_EQ(EditionSupportField(4), 3);
  EXPECT_EQ(EditionSupportField(0), -1);
  EXPECT_EQ(VersionText(), "1-51");
}

TEST(ShareLog, HoldsOneLineWithTheLastStamp) {
  FakeEnvironment env;
  WriteShareLog();
  env.clock.localNow_.tm_sec = 9;
  WriteShareLog();
  EXPECT_EQ(env.files.files.at("/opt/lumaro/share.txt"), "2026/12/10 6:44:09\r\n");
  std::tm midnight = env.clock.localNow_;
  midnight.tm_hour = midnight.tm_min = midnight.tm_sec = 0;
  EXPECT_EQ(GeneralDateText(midnight), "2026/12/10");
  env.files.readOnly = true;
  WriteShareLog();  // a failure is not reported
}

}  // namespace
}  // namespace lumaro
