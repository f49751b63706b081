// A browser hears where a download that its page started was saved; a
// download that breaks off is not reported as saved.
#include <cstdlib>

#include "platform/platform_fixture.h"
#include "platform/ui_helpers.h"
#include "platform/webkit/webkit_browser.h"

namespace lumaro::platform_test {
namespace {

class DownloadSavedTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_DISPLAY();
    server_.server().Get("/export.xls", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Disposition", "attachment; filename=\"v.xls\"");
      res.set_content("a,b\r\n", "application/vnd.ms-excel");
    });
    // Promises more bytes than it sends, then closes the connection.
    server_.server().Get("/broken.xls", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Disposition", "attachment; filename=\"broken.xls\"");
      res.set_content_provider(
          100000, "application/vnd.ms-excel",
          [](size_t offset, size_t, httplib::DataSink& sink) {
            if (offset > 0) return false;
            sink.write("partial", 7);
            return true;
          });
    });
    server_.Start();
    char templ[] = "/tmp/lumaro-saved-XXXXXX";
    dir_ = mkdtemp(templ);
    gtkp::SetDownloadDirectory(dir_);

    WindowSpec design;
    design.name = "frmViewQQ";
    design.caption = "frmViewQQ";
    design.clientWidth = 6000;
    design.clientHeight = 4500;
    window_ = Svc().ui->CreateWindow(design);
    // Created first: the hidden browser has a sibling, as in the viewer.
    data_ = window_->AddBrowser("webData", {0, 0, 3000, 3000});
    other_ = window_->AddBrowser("Web", {0, 0, 6000, 4500});
    data_->onDownloadSaved = [this](const std::string& path) { saved_.push_back(path); };
    ShowAndSettle(window_.get());
  }
  void TearDown() override {
    if (window_) window_->Close();
    gtkp::SetDownloadDirectory("");
    if (!dir_.empty()) (void)std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  LocalServer server_;
  std::string dir_;
  std::unique_ptr<IWindow> window_;
  IBrowser* data_ = nullptr;
  IBrowser* other_ = nullptr;
  std::vector<std::string> saved_;
};

TEST_F(DownloadSavedTest, TheStartingBrowserHearsThePathOfTheSavedFile) {
  std::vector<std::string> elsewhere;
  other_->onDownloadSaved = [&](const std::string& path) { elsewhere.push_back(path); };
  data_->Navigate2(server_.Url("/export.xls"));
  ASSERT_TRUE(RunUntil([&] { return !saved_.empty(); }, 10)) << "no word of the saved file";
  EXPECT_EQ(saved_, std::vector<std::string>{dir_ + "/v.xls"});
  EXPECT_EQ(Svc().files->ReadFile(dir_ + "/v.xls").value_or(""), "a,b\r\n");
  EXPECT_TRUE(elsewhere.empty()) << "another browser heard of it";
}

TEST_F(DownloadSavedTest, ABrokenDownloadIsNotReportedAsSaved) {
  data_->Navigate2(server_.Url("/broken.xls"));
  RunFor(3);
  EXPECT_TRUE(saved_.empty());
  EXPECT_FALSE(Svc().files->ReadFile(dir_ + "/broken.xls")) << "the partial file was left";
  // The browser still reports the next one.
  data_->Navigate2(server_.Url("/export.xls"));
  EXPECT_TRUE(RunUntil([&] { return !saved_.empty(); }, 10));
}

TEST_F(DownloadSavedTest, ABrowserThatWentAwayHearsNothing) {
  data_->Navigate2(server_.Url("/export.xls"));
  window_->Close();
  window_.reset();
  RunFor(2);
  EXPECT_TRUE(saved_.empty());
}

}  // namespace
}  // namespace lumaro::platform_test
