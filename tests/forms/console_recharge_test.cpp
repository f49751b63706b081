// Live totals on the recharge page, from the page's click and key events.
#include <gtest/gtest.h>

#include "core/globals.h"
#include "forms/forms_fixture.h"
#include "member/frmAdmin.h"

namespace lumaro {
namespace {

class RechargeTest : public FormsTest {
 protected:
  RechargeTest() {
    gOemUnitPrice = 3;
    ShowMemberConsole();
    web_ = ui.Find("frmAdmin")->Browser("web");
  }
  // Loads a recharge page with the trial choice and the amount given.
  FakeDocument& LoadPage(const std::string& choice, const std::string& amount) {
    FakeDocument& doc = web_->NewDocument();
    doc.AddElement("tryID", choice);
    doc.AddElement("IDT", std::nullopt);
    doc.AddElement("useM", amount);
    doc.AddElement("tpd", std::nullopt);
    doc.AddElement("idM1", std::nullopt);
    doc.AddElement("vm", std::string());
    doc.AddElement("BTN", std::string("提交"));
    web_->FireDocumentComplete("http://s/pay.asp?types=1");
    return doc;
  }
  FakeDocument::Element& El(FakeDocument& doc, const char* name) { return *doc.Find(name); }

  FakeBrowser* web_;
};

TEST_F(RechargeTest, ClickOnTheChoiceShowsTrialOrPaidTerm) {
  FakeDocument& doc = LoadPage("1", "3");
  doc.SetActiveElement("tryID");
  web_->FireDocumentClick();
  EXPECT_EQ(El(doc, "BTN").value, "开通");
  EXPECT_EQ(El(doc, "IDT").display, "block");
  EXPECT_EQ(El(doc, "idM1").innerHtml, "9元");  // price x amount, no factor 30

  doc.Find("tryID")->value = "0";
  doc.SetActiveElement("TRYid");  // the id in any letter case
  doc.Find("tryID")->id = "TRYid";
  web_->FireDocumentClick();
  EXPECT_EQ(El(doc, "BTN").value, "申请试用");
  EXPECT_EQ(El(doc, "IDT").display, "none");
  EXPECT_EQ(El(doc, "idM1").innerHtml, "0元");
}

TEST_F(RechargeTest, ClickElsewhereOrBeforeAnyPageDoesNothing) {
  frmAdmin::ReleaseInstance();
  ShowMemberConsole();
  web_ = ui.Find("frmAdmin")->Browser("web");
  // No load completed yet: the events are not connected to a document.
  FakeDocument& early = web_->doc();
  early.AddElement("tryID", std::string("1"));
  early.AddElement("BTN", std::string("x"));
  early.SetActiveElement("tryID");
  web_->FireDocumentClick();
  EXPECT_EQ(El(early, "BTN").value, "x");

  FakeDocument& doc = LoadPage("1", "3");
  doc.SetActiveElement("useM");
  web_->FireDocumentClick();
  EXPECT_EQ(El(doc, "BTN").value, "提交");
}

TEST_F(RechargeTest, KeyReleaseInTheAmountRewritesItAndShowsTheTotals) {
  struct Case {
    const char* typed;
    const char* shown;
    const char* days;
    const char* total;
  } cases[] = {
      {"3", "3", "90", "270"},
      {"", "0", "0", "0"},
      {"007", "7", "210", "630"},
      {"1.", "1", "30", "90"},
      {"2abc", "2", "60", "180"},
      {"1.5", "1.5", "45", "135"},
      {" 1 2", "12", "360", "1080"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    FakeDocument& doc = LoadPage("1", c.typed);
    doc.SetActiveElement("useM");
    web_->FireDocumentKeyUp();
    EXPECT_EQ(El(doc, "useM").value, c.shown);
    EXPECT_EQ(El(doc, "tpd").innerHtml, c.days);
    EXPECT_EQ(El(doc, "idM1").innerHtml, std::string(c.total) + "元");
    EXPECT_EQ(El(doc, "vm").value, c.total);
  }
}

TEST_F(RechargeTest, KeyReleaseNeedsTheExactIdAndStopsAtTheFirstFailure) {
  FakeDocument& doc = LoadPage("1", "3");
  doc.Find("useM")->id = "USEM";
  doc.SetActiveElement("USEM");
  web_->FireDocumentKeyUp();
  EXPECT_EQ(El(doc, "tpd").innerHtml, "");

  // A page without the price display: the amount and days are updated,
  // then the handler stops quietly.
  FakeDocument& partial = LoadPage("1", "4x");
  partial.RemoveElement("idM1");
  partial.SetActiveElement("useM");
  web_->FireDocumentKeyUp();
  EXPECT_EQ(El(partial, "useM").value, "4");
  EXPECT_EQ(El(partial, "tpd").innerHtml, "120");
  EXPECT_EQ(El(partial, "vm").value, "");
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(RechargeTest, OverflowLeavesTheDisplaysAsTheyWere) {
  gOemUnitPrice = 2000000000;
  FakeDocument& doc = LoadPage("1", "1e300");
  doc.SetActiveElement("useM");
  web_->FireDocumentKeyUp();
  // The amount and the days fit; the price overflows and is not shown.
  EXPECT_EQ(El(doc, "tpd").innerHtml, "3" + std::string(301, '0'));
  EXPECT_EQ(El(doc, "idM1").innerHtml, "");
  EXPECT_EQ(El(doc, "vm").value, "");
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace lumaro
