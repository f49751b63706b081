// Which browsers save their pages' downloads without asking the user.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "forms/every_window.h"
#include "forms/forms_fixture.h"

namespace lumaro {
namespace {

class DownloadsTest : public FormsTest {};

// Only the visitor viewer's hidden export browser: the exports it loads
// come from the service's own export links, and its page is never seen to
// ask from. A page shown anywhere else cannot drop files unasked.
TEST_F(DownloadsTest, OnlyTheVisitorViewersExportBrowserSavesWithoutAsking) {
  Reply(Base() + "GetNet.asp", "http://site.example/Index.htm");
  std::vector<std::string> browsers, saving;
  ForEveryWindow(ui, [&](FakeWindow& w) {
    for (const FakeControlRecord& r : w.controls()) {
      if (r.kind != FakeControlKind::Browser) continue;
      browsers.push_back(w.Name() + "." + r.name);
      if (r.style.savesDownloads) saving.push_back(w.Name() + "." + r.name);
    }
  });
  EXPECT_EQ(browsers.size(), 9u);
  EXPECT_EQ(saving, std::vector<std::string>{"frmViewQQ.webData"});
}

}  // namespace
}  // namespace lumaro
