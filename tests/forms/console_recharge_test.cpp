// Live totals on the recharge page, from the page's click and key events.
#include <gtest/gtest.h>

#include <functional>

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
  // Loads a recharge page with the trial choice and the amount given; its
  // elements carry their name as their id too, as the service writes them.
  FakeDocument& LoadPage(const std::string& choice, const std::string& amount) {
    FakeDocument& doc = web_->NewDocument();
    AddNamed(doc, "tryID", choice);
    AddNamed(doc, "IDT", std::nullopt);
    AddNamed(doc, "useM", amount);
    AddNamed(doc, "tpd", std::nullopt);
    AddNamed(doc, "idM1", std::nullopt);
    AddNamed(doc, "vm", std::string());
    AddNamed(doc, "BTN", std::string("提交"));
    web_->FireDocumentComplete("http://s/pay.asp?types=1");
    return doc;
  }
  static FakeDocument::Element& AddNamed(FakeDocument& doc, const std::string& name,
                                         std::optional<std::string> value) {
    FakeDocument::Element& e = doc.AddElement(name, std::move(value));
    e.id = name;
    return e;
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
  doc.Find("tryID")->id = "TRYid";
  doc.SetActiveElement("TRYid");  // the id in any letter case
  web_->FireDocumentClick();
  EXPECT_EQ(El(doc, "BTN").value, "申请试用");
  EXPECT_EQ(El(doc, "IDT").display, "none");
  EXPECT_EQ(El(doc, "idM1").innerHtml, "0元");
}

// The term is chosen with two radio buttons that share the id "tryID": the
// one that has the focus decides, not the first of them.
TEST_F(RechargeTest, TheFocusedRadioButtonOfTheChoiceDecides) {
  struct Case {
    const char* first;
    const char* second;
    size_t focused;
    const char* button;
    const char* display;
    const char* price;
  } cases[] = {
      {"0", "1", 1, "开通", "block", "9元"},
      {"0", "1", 0, "申请试用", "none", "0元"},
      {"1", "0", 1, "申请试用", "none", "0元"},
      {"1", "0", 0, "开通", "block", "9元"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.first << c.second << " focused " << c.focused);
    FakeDocument& doc = LoadPage(c.first, "3");
    doc.AppendElement("tryID", std::string(c.second)).id = "tryID";
    doc.SetActiveElement("tryID", c.focused);
    web_->FireDocumentClick();
    EXPECT_EQ(El(doc, "BTN").value, c.button);
    EXPECT_EQ(El(doc, "IDT").display, c.display);
    EXPECT_EQ(El(doc, "idM1").innerHtml, c.price);
  }
}

TEST_F(RechargeTest, ClickElsewhereOrBeforeAnyPageDoesNothing) {
  frmAdmin::ReleaseInstance();
  ShowMemberConsole();
  web_ = ui.Find("frmAdmin")->Browser("web");
  // No load completed yet: the events are not connected to a document.
  FakeDocument& early = web_->doc();
  AddNamed(early, "tryID", std::string("1"));
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

// The click handler stops at the first failure, keeps what it changed before
// it, and lets the page's own click handling go on in every case.
TEST_F(RechargeTest, ClickStopsQuietlyAtTheFirstFailureAndAlwaysLetsThePageGoOn) {
  struct Case {
    const char* what;
    std::function<void(FakeDocument&)> change;
    const char* button;   // BTN afterwards
    const char* display;  // IDT afterwards ("-": the page has none)
    const char* price;    // idM1 afterwards
  } cases[] = {
      {"paid term without IDT", [](FakeDocument& d) { d.RemoveElement("IDT"); }, "开通", "-", ""},
      {"trial without IDT",
       [](FakeDocument& d) {
         d.RemoveElement("IDT");
         d.Find("tryID")->value = "0";
       },
       "提交", "-", ""},
      {"choice without a value", [](FakeDocument& d) { d.Find("tryID")->value.reset(); }, "提交", "",
       ""},
      {"no focused element", [](FakeDocument& d) { d.SetActiveElement(""); }, "提交", "", ""},
      {"product overflows",
       [](FakeDocument& d) { d.Find("useM")->value = "1e308"; }, "开通", "block", ""},
      {"amount unreadable", [](FakeDocument& d) { d.Find("useM")->value.reset(); }, "开通", "block",
       ""},
  };
  gOemUnitPrice = 2000000000;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDocument& doc = LoadPage("1", "3");
    doc.SetActiveElement("tryID");
    c.change(doc);
    EXPECT_TRUE(frmAdmin::Instance().m_doc_onclick());
    EXPECT_EQ(El(doc, "BTN").value, c.button);
    if (std::string(c.display) != "-") {
      EXPECT_EQ(El(doc, "IDT").display, c.display);
    }
    EXPECT_EQ(El(doc, "idM1").innerHtml, c.price);
  }
  EXPECT_TRUE(Boxes().empty());
}

// The two products: a click shows price x amount, a key release in the
// amount shows the days (amount x 30) and price x amount x 30.
TEST_F(RechargeTest, ClickAndKeyReleaseUseTheirOwnProducts) {
  struct Case {
    int price;
    const char* amount;
    const char* onClick;
    const char* days;
    const char* onKeyUp;
  } cases[] = {
      {3, "3", "9元", "90", "270元"},
      {7, "0.1", "0.7元", "3", "21元"},
      {-2, "2.5", "-5元", "75", "-150元"},
      {2147483647, "3", "6442450941元", "90", "193273528230元"},
      {1, "1e20", "100000000000000000000元", "3000000000000000000000", "3000000000000000000000元"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.amount);
    gOemUnitPrice = c.price;
    FakeDocument& doc = LoadPage("1", c.amount);
    doc.SetActiveElement("tryID");
    web_->FireDocumentClick();
    EXPECT_EQ(El(doc, "idM1").innerHtml, c.onClick);
    doc.SetActiveElement("useM");
    web_->FireDocumentKeyUp();
    EXPECT_EQ(El(doc, "tpd").innerHtml, c.days);
    EXPECT_EQ(El(doc, "idM1").innerHtml, c.onKeyUp);
    EXPECT_EQ(El(doc, "vm").value.value_or("?") + "元", c.onKeyUp);
  }
}

// Every completed load hands its document to the handlers, a frame's too.
TEST_F(RechargeTest, EveryCompletedLoadConnectsTheHandlers) {
  frmAdmin::ReleaseInstance();
  ShowMemberConsole();
  web_ = ui.Find("frmAdmin")->Browser("web");
  FakeDocument& doc = web_->NewDocument();
  AddNamed(doc, "useM", std::string("2"));
  AddNamed(doc, "tpd", std::nullopt);
  AddNamed(doc, "idM1", std::nullopt);
  AddNamed(doc, "vm", std::string());
  doc.SetActiveElement("useM");
  web_->FireDocumentKeyUp();
  EXPECT_EQ(El(doc, "tpd").innerHtml, "");  // nothing loaded yet
  web_->FireDocumentComplete("http://s/frame.asp", /*topLevel=*/false);
  web_->FireDocumentKeyUp();
  EXPECT_EQ(El(doc, "tpd").innerHtml, "60");
}

}  // namespace
}  // namespace lumaro
