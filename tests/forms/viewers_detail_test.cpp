// The memo viewer and the shared detail viewer.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/globals.h"
#include "forms/forms_fixture.h"
#include "windows/frmView.h"
#include "windows/frmViewMemo.h"

namespace lumaro {
namespace {

using Calls = std::vector<FakeBrowser::Call>;

class MemoViewerTest : public FormsTest {
 protected:
  FakeWindow owner_{nullptr, [] {
    WindowAttributes attributes;
    attributes.name = "frmAdmin";
    return attributes;
  }()};
};

TEST_F(MemoViewerTest, EachOpeningIsAFreshDialogLoadingTheCurrentMemoAddress) {
  const std::string memos[] = {Base() + "viewmemo.asp?id=3&Kind=A", Base() + "viewmemo.asp?id=4"};
  std::vector<Calls> loads;
  ui.OnModal("frmViewMemo", [&](FakeWindow& w) {
    EXPECT_EQ(w.modalOwner(), &owner_);
    EXPECT_EQ(w.Caption(), "查看详情");
    EXPECT_EQ(w.attributes().frame, FrameKind::FixedDialog);
    EXPECT_FALSE(w.attributes().minimizeButton);
    EXPECT_FALSE(w.attributes().maximizeButton);
    EXPECT_FALSE(w.attributes().showInTaskbar);
    EXPECT_EQ(w.attributes().placement, Placement::CenterScreen);
    EXPECT_EQ(w.attributes().clientWidth, 7020);
    EXPECT_EQ(w.attributes().clientHeight, 6285);
    const Rect web = w.Record("web1")->rect;
    EXPECT_EQ(web.left, 30);
    EXPECT_EQ(web.top, 15);
    EXPECT_EQ(web.width, 6915);
    EXPECT_EQ(web.height, 6210);
    EXPECT_TRUE(w.Browser("web1")->silent());
    loads.push_back(w.Browser("web1")->calls());
  });
  for (const auto& memo : memos) {
    gMemoTarget = memo;
    OpenMemoViewer(&owner_);
    EXPECT_EQ(ui.Find("frmViewMemo"), nullptr);  // released once closed
  }
  ASSERT_EQ(loads.size(), 2u);
  EXPECT_EQ(loads[0], (Calls{{"Navigate2", memos[0]}}));
  EXPECT_EQ(loads[1], (Calls{{"Navigate2", memos[1]}}));
  EXPECT_EQ(ui.CreatedCount("frmViewMemo"), 2);
}

class DetailViewerTest : public FormsTest {
 protected:
  ~DetailViewerTest() override { frmView::ReleaseInstance(); }
};

TEST_F(DetailViewerTest, NewWindowRequestsOpenInTheOneSharedModelessViewer) {
  NewWindowArgs first;
  OpenInDetailViewer(first);
  FakeWindow* w = ui.Find("frmView");
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(first.target, w->Browser("web"));
  EXPECT_FALSE(first.cancel);
  EXPECT_EQ(w->showCount(), 1);
  EXPECT_EQ(w->modalCount(), 0);
  EXPECT_EQ(w->Caption(), "详细信息浏览");
  EXPECT_EQ(w->attributes().frame, FrameKind::Sizable);
  EXPECT_FALSE(w->attributes().maximizeButton);
  EXPECT_EQ(w->attributes().placement, Placement::CenterOwner);
  EXPECT_EQ(w->attributes().clientWidth, 10200);
  EXPECT_EQ(w->attributes().clientHeight, 7995);
  EXPECT_TRUE(w->Browser("web")->silent());
  // Nothing sets a start address: the empty one is not loaded.
  EXPECT_TRUE(w->Browser("web")->calls().empty());

  NewWindowArgs second;
  second.cancel = true;
  OpenInDetailViewer(second);
  EXPECT_EQ(ui.CreatedCount("frmView"), 1);
  EXPECT_EQ(second.target, w->Browser("web"));
  EXPECT_TRUE(second.cancel);  // left as the request had it

  // Once closed, the next request gets a fresh viewer that loads again.
  w->UserClose();
  gInfoTarget = "http://example.com/info.asp?id=1";
  NewWindowArgs third;
  OpenInDetailViewer(third);
  EXPECT_EQ(ui.CreatedCount("frmView"), 2);
  FakeWindow* fresh = ui.Find("frmView");
  EXPECT_EQ(third.target, fresh->Browser("web"));
  EXPECT_EQ(fresh->Browser("web")->calls(), (Calls{{"Navigate2", gInfoTarget}}));
  EXPECT_TRUE(fresh->IsOpen());
}

TEST_F(DetailViewerTest, ResizeFillsTheWindowAndKeepsTheLastSizeWhenItWouldBeNegative) {
  struct Case {
    int outerWidth, outerHeight;
    Rect expected;
  } steps[] = {
      {10320, 8495, {0, 0, 10200, 7995}},
      {120, 500, {0, 0, 0, 0}},
      {119, 4000, {0, 0, 0, 0}},
      {15000, 9000, {0, 0, 14880, 8500}},
      {4000, 499, {0, 0, 14880, 8500}},
  };
  frmView& viewer = frmView::Instance();
  viewer.Show();
  auto& w = static_cast<FakeWindow&>(viewer.Window());
  // At the window's own size the page covers the client area exactly.
  w.UserResize(w.OuterWidth(), w.OuterHeight());
  EXPECT_EQ(w.Browser("web")->rect().width, 10200);
  EXPECT_EQ(w.Browser("web")->rect().height, 7995);
  for (const auto& s : steps) {
    SCOPED_TRACE(testing::Message() << s.outerWidth << " x " << s.outerHeight);
    w.UserResize(s.outerWidth, s.outerHeight);
    const Rect r = w.Browser("web")->rect();
    EXPECT_EQ(r.left, s.expected.left);
    EXPECT_EQ(r.top, s.expected.top);
    EXPECT_EQ(r.width, s.expected.width);
    EXPECT_EQ(r.height, s.expected.height);
  }
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace
}  // namespace lumaro
