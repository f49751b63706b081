// A browser hears where a download that its page started was saved; a
// download that breaks off is not reported as saved.
#include <condition_variable>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/platform_fixture.h"
#include "platform/ui_helpers.h"
#include "platform/webkit/webkit_browser.h"
#include "platform/webkit/webkit_downloads.h"

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
    // Announces far more than the program keeps of a download.
    server_.server().Get("/huge.xls", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Disposition", "attachment; filename=\"huge.xls\"");
      res.set_content_provider(
          size_t(400) << 20, "application/vnd.ms-excel",
          [](size_t offset, size_t, httplib::DataSink& sink) {
            static const std::string chunk(65536, 'x');
            sink.write(chunk.data(), chunk.size());
            return offset < (size_t(80) << 20);
          });
    });
    // Sends its first half, then the second once the test lets it.
    server_.server().Get("/held.xls", [this](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Disposition", "attachment; filename=\"held.xls\"");
      res.set_content_provider(
          2 * kHalf, "application/vnd.ms-excel",
          [this](size_t offset, size_t, httplib::DataSink& sink) {
            if (offset == 0) {
              const std::string first(kHalf, 'a');
              sink.write(first.data(), first.size());
              return true;
            }
            std::unique_lock<std::mutex> lock(holdMutex_);
            holdChanged_.wait(lock, [this] { return released_; });
            const std::string second(kHalf, 'b');
            sink.write(second.data(), second.size());
            return true;
          });
    });
    // A page's own download, with a name that reads backwards past a
    // bidirectional control.
    server_.server().Get("/invoice", [](const httplib::Request&, httplib::Response& res) {
      res.set_header("Content-Disposition",
                     "attachment; filename*=UTF-8''invoice%E2%80%AEfdp.desktop");
      res.set_content("[Desktop Entry]\n", "application/octet-stream");
    });
    server_.Start();
    char templ[] = "/tmp/lumaro-saved-XXXXXX";
    dir_ = mkdtemp(templ);
    gtk::SetDownloadDirectory(dir_);

    WindowAttributes attributes;
    attributes.name = "frmViewQQ";
    attributes.caption = "frmViewQQ";
    attributes.clientWidth = 6000;
    attributes.clientHeight = 4500;
    window_ = Desktop().ui->CreateWindow(attributes);
    // Created first: the hidden browser has a sibling, as in the viewer.
    ControlStyle exports;
    exports.savesDownloads = true;
    data_ = window_->AddBrowser("webData", {0, 0, 3000, 3000}, exports);
    other_ = window_->AddBrowser("Web", {0, 0, 6000, 4500});
    data_->onDownloadSaved = [this](const std::string& path) { saved_.push_back(path); };
    ShowAndSettle(window_.get());
    context_ = WEBKIT_WEB_CONTEXT(g_object_ref(
        webkit_web_view_get_context(dynamic_cast<gtk::WebkitBrowser*>(data_)->View())));
    startedHandler_ = g_signal_connect(context_, "download-started", G_CALLBACK(OnStarted), this);
  }
  void TearDown() override {
    if (context_) {
      g_signal_handler_disconnect(context_, startedHandler_);
      g_object_unref(context_);
    }
    for (WebKitDownload* d : downloads_) {
      g_signal_handlers_disconnect_by_data(d, this);
      g_object_unref(d);
    }
    Release();
    if (window_) window_->Close();
    gtk::SetDownloadDirectory("");
    if (!dir_.empty()) (void)std::system(("rm -rf '" + dir_ + "'").c_str());
  }

  static constexpr size_t kHalf = 4096;

  // Lets /held.xls send the rest of its answer.
  void Release() {
    std::lock_guard<std::mutex> lock(holdMutex_);
    released_ = true;
    holdChanged_.notify_all();
  }

  // Downloads started since the test began, and how many of them have
  // ended (saved, failed or cancelled: the program has handled each by
  // then, its handlers running first).
  static void OnStarted(WebKitWebContext*, WebKitDownload* download, gpointer data) {
    auto* self = static_cast<DownloadSavedTest*>(data);
    self->downloads_.push_back(WEBKIT_DOWNLOAD(g_object_ref(download)));
    g_signal_connect(download, "finished", G_CALLBACK(+[](WebKitDownload*, gpointer data) {
                       ++static_cast<DownloadSavedTest*>(data)->ended_;
                     }),
                     data);
  }
  bool WaitForDownloadsToEnd(size_t count) {
    return RunUntil([&] { return ended_ >= count; }, 20);
  }

  WebKitWebContext* context_ = nullptr;
  gulong startedHandler_ = 0;
  std::vector<WebKitDownload*> downloads_;
  size_t ended_ = 0;
  std::mutex holdMutex_;
  std::condition_variable holdChanged_;
  bool released_ = false;
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
  ASSERT_TRUE(RunUntil([&] { return !saved_.empty(); })) << "no word of the saved file";
  EXPECT_EQ(saved_, std::vector<std::string>{dir_ + "/v.xls"});
  EXPECT_EQ(Desktop().files->ReadFile(dir_ + "/v.xls").value_or(""), "a,b\r\n");
  EXPECT_TRUE(elsewhere.empty()) << "another browser heard of it";
}

// Answers that are not whole, a download that breaks off and one past the
// size kept (cancelled), are not reported as saved and leave no file; the
// browser reports the next one as usual.
TEST_F(DownloadSavedTest, ADownloadThatIsNotWholeIsNotReportedAndLeavesNoFile) {
  struct Case {
    const char* page;
    const char* file;
  } cases[] = {{"/broken.xls", "broken.xls"}, {"/huge.xls", "huge.xls"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.page);
    saved_.clear();
    const size_t before = ended_;
    data_->Navigate2(server_.Url(c.page));
    ASSERT_TRUE(WaitForDownloadsToEnd(before + 1)) << "the download did not end";
    EXPECT_TRUE(saved_.empty());
    EXPECT_FALSE(Desktop().files->ReadFile(dir_ + "/" + c.file)) << "the partial file was left";
    data_->Navigate2(server_.Url("/export.xls"));
    EXPECT_TRUE(RunUntil([&] { return !saved_.empty(); }));
    ASSERT_TRUE(WaitForDownloadsToEnd(before + 2));
  }
}

// The download is under way when its browser goes; it is saved all the
// same, and nobody is told.
TEST_F(DownloadSavedTest, ABrowserThatWentAwayHearsNothing) {
  data_->Navigate2(server_.Url("/held.xls"));
  ASSERT_TRUE(RunUntil([&] { return !downloads_.empty(); })) << "no download started";
  window_->Close();
  window_.reset();
  Release();
  ASSERT_TRUE(WaitForDownloadsToEnd(1)) << "the download did not end";
  EXPECT_EQ(Desktop().files->ReadFile(dir_ + "/held.xls").value_or(""),
            std::string(kHalf, 'a') + std::string(kHalf, 'b'));
  EXPECT_TRUE(saved_.empty());
}

// Answers the file chooser of a download once it shows: with `name` in the
// download folder, or cancels when `name` is empty. Records the name the
// chooser proposed.
struct ChooserAnswer {
  std::string name;
  std::string proposed;
  bool shown = false;
  bool done = false;
};

gboolean AnswerChooser(gpointer data) {
  auto* answer = static_cast<ChooserAnswer*>(data);
  GList* all = gtk_window_list_toplevels();
  GtkWidget* chooser = nullptr;
  for (GList* it = all; it; it = it->next)
    if (GTK_IS_FILE_CHOOSER_DIALOG(it->data) && gtk_widget_get_visible(GTK_WIDGET(it->data)))
      chooser = GTK_WIDGET(it->data);
  g_list_free(all);
  if (!chooser) return G_SOURCE_CONTINUE;
  answer->shown = true;
  answer->done = true;
  gchar* proposed = gtk_file_chooser_get_current_name(GTK_FILE_CHOOSER(chooser));
  answer->proposed = proposed ? proposed : "";
  g_free(proposed);
  if (answer->name.empty()) {
    gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_CANCEL);
  } else {
    gtk_file_chooser_set_current_name(GTK_FILE_CHOOSER(chooser), answer->name.c_str());
    gtk_dialog_response(GTK_DIALOG(chooser), GTK_RESPONSE_ACCEPT);
  }
  return G_SOURCE_REMOVE;
}

TEST_F(DownloadSavedTest, APagesOwnDownloadAsksWhereToSaveItAndCancelSavesNothing) {
  ChooserAnswer answer{"", "", false, false};
  const guint poll = g_timeout_add(20, AnswerChooser, &answer);
  std::vector<std::string> heard;
  other_->onDownloadSaved = [&](const std::string& path) { heard.push_back(path); };
  other_->Navigate2(server_.Url("/invoice"));
  ASSERT_TRUE(RunUntil([&] { return answer.shown; })) << "no file chooser";
  EXPECT_EQ(answer.proposed.find("\u202E"), std::string::npos)
      << "the name kept its reversing control: " << answer.proposed;
  EXPECT_NE(answer.proposed.find("fdp.desktop"), std::string::npos) << answer.proposed;
  EXPECT_TRUE(WaitForDownloadsToEnd(1)) << "the cancelled download did not end";
  EXPECT_TRUE(heard.empty());
  EXPECT_TRUE(saved_.empty()) << "the exports' browser heard of another browser's download";
  EXPECT_EQ(Desktop().files->ReadFile(dir_ + "/" + answer.proposed), std::nullopt);
  if (!answer.done) g_source_remove(poll);
}

}  // namespace
}  // namespace lumaro::platform_test
