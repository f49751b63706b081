// The stand-in's ways of misbehaving as they look on the wire, and what
// HttpGet over the real request object and event pump makes of each: the
// result convention holds, the wait gives up at its time limit (shortened
// here) while timers keep firing, and a message box stays quick whatever
// the size of its text.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtk/gtk.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/http_fetch.h"
#include "platform/platform_fixture.h"
#include "stand_in.h"

namespace lumaro::platform_test {
namespace {

using service::Fault;
using service::StandInService;

Fault Make(Fault::Kind kind, size_t bytes = 0, const char* fields = "") {
  Fault f;
  f.kind = kind;
  f.bytes = bytes;
  f.fields = fields;
  return f;
}

// What came back over one plain connection: the header block, the body
// bytes that arrived, and how the stream ended (0 for an orderly close, else
// the errno of the failed read).
struct Wire {
  std::string head, body;
  int endError = -1;
  long announced = -1;  // Content-Length
};

Wire Fetch(int port, const std::string& target) {
  Wire w;
  int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(uint16_t(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval timeout{5, 0};
  setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(s);
    return w;
  }
  const std::string request =
      "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
  send(s, request.data(), request.size(), MSG_NOSIGNAL);
  std::string all;
  char buf[4096];
  for (;;) {
    ssize_t n = recv(s, buf, sizeof buf, 0);
    if (n > 0) {
      all.append(buf, size_t(n));
      continue;
    }
    w.endError = n == 0 ? 0 : errno;
    break;
  }
  close(s);
  size_t split = all.find("\r\n\r\n");
  if (split == std::string::npos) {
    w.head = all;
    return w;
  }
  w.head = all.substr(0, split + 2);
  w.body = all.substr(split + 4);
  size_t length = w.head.find("Content-Length: ");
  if (length != std::string::npos) w.announced = std::atol(w.head.c_str() + length + 16);
  return w;
}

class HttpFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_DISPLAY();
    ASSERT_TRUE(service_.Start());
    ResetGlobals();
  }
  void TearDown() override {
    SetHttpTimeLimit(30.0);
    ResetGlobals();
    service_.Stop();
  }
  std::string Url(const std::string& pathAndQuery) const { return service_.BaseUrl() + pathAndQuery; }

  StandInService service_{0};
};

TEST_F(HttpFaultsTest, ResetSendsTheHeadersAndPartOfTheBodyThenResets) {
  const Wire whole = Fetch(service_.Port(), "/Default.asp?uName=demo");
  ASSERT_EQ(whole.head.rfind("HTTP/1.1 200", 0), 0u) << whole.head;
  ASSERT_EQ(long(whole.body.size()), whole.announced);
  ASSERT_EQ(whole.endError, 0);

  service_.SetFault("Default.asp", Make(Fault::Reset));
  const Wire cut = Fetch(service_.Port(), "/Default.asp?uName=demo");
  EXPECT_EQ(cut.head.rfind("HTTP/1.1 200", 0), 0u) << cut.head;
  EXPECT_EQ(cut.announced, whole.announced);
  EXPECT_GT(cut.body.size(), 0u) << "no part of the body came";
  EXPECT_LT(long(cut.body.size()), cut.announced);
  EXPECT_EQ(whole.body.compare(0, cut.body.size(), cut.body), 0) << "the part sent is not the start";
  EXPECT_EQ(cut.endError, ECONNRESET) << std::strerror(cut.endError);
}

TEST_F(HttpFaultsTest, CutCharacterEndsTheBodyInsideItsLastDoubleByteCharacter) {
  // A page with Chinese text: cut just after the lead byte of its last one.
  const Wire whole = Fetch(service_.Port(), "/Default.asp?uName=demo");
  service_.SetFault("Default.asp", Make(Fault::CutCharacter));
  const Wire cut = Fetch(service_.Port(), "/Default.asp?uName=demo");
  ASSERT_FALSE(cut.body.empty());
  EXPECT_EQ(long(cut.body.size()), cut.announced) << "the cut body must be complete as announced";
  EXPECT_EQ(cut.endError, 0);
  EXPECT_EQ(whole.body.compare(0, cut.body.size(), cut.body), 0);
  const size_t last = cut.body.size() - 1;
  EXPECT_GE(static_cast<unsigned char>(cut.body[last]), 0x80u);
  // The byte left out is that character's trail, and everything after it is
  // ASCII markup.
  ASSERT_LT(last + 1, whole.body.size());
  for (size_t i = last + 2; i < whole.body.size(); ++i)
    ASSERT_LT(static_cast<unsigned char>(whole.body[i]), 0x80u) << "cut before the last character";

  // An ASCII answer gets a Chinese word cut the same way.
  service_.SetFault("GetVer.asp", Make(Fault::CutCharacter));
  EXPECT_EQ(Fetch(service_.Port(), "/GetVer.asp?vID=2").body,
            std::string(service::kDefaultVersion) + Gbk("数据").substr(0, 3));
}

TEST_F(HttpFaultsTest, MissingFieldsLoseTheirNamesAndIdsOnly) {
  const Wire whole = Fetch(service_.Port(), "/edituser.asp");
  ASSERT_NE(whole.body.find("name=\"lmobile\""), std::string::npos);

  service_.SetFault("edituser.asp", Make(Fault::MissingFields, 0, "LMOBILE,lqq"));
  const Wire some = Fetch(service_.Port(), "/edituser.asp");
  for (const char* gone : {"\"lmobile\"", "\"lqq\""})
    EXPECT_EQ(some.body.find(gone), std::string::npos) << gone;
  for (const char* kept : {"name=\"lName\" id=\"lName\"", "name=\"lpwd\"", "name=\"form1\""})
    EXPECT_NE(some.body.find(kept), std::string::npos) << kept;
  // The fields themselves are still there, and as many of them.
  auto count = [](const std::string& text, const std::string& part) {
    size_t n = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
  };
  EXPECT_EQ(count(some.body, "<input"), count(whole.body, "<input"));

  service_.SetFault("edituser.asp", Make(Fault::MissingFields));
  const Wire none = Fetch(service_.Port(), "/edituser.asp");
  EXPECT_EQ(count(none.body, "<input"), count(whole.body, "<input"));
  EXPECT_EQ(none.body.find(" id=\""), std::string::npos);
  EXPECT_EQ(count(none.body, " name=\""), 1u) << "only the form keeps its name";

  // The control endpoint knows both new kinds.
  service_.ClearFaults();
  service_.EnableControlEndpoints(true);
  EXPECT_EQ(Fetch(service_.Port(), "/__control/fault?page=edituser.asp&kind=nofields&fields=lqq").body,
            "ok\n");
  EXPECT_EQ(Fetch(service_.Port(), "/edituser.asp").body.find("\"lqq\""), std::string::npos);
  EXPECT_EQ(Fetch(service_.Port(), "/__control/fault?page=GetVer.asp&kind=cutchar").body, "ok\n");
  EXPECT_GE(static_cast<unsigned char>(Fetch(service_.Port(), "/GetVer.asp").body.back()), 0x80u);
}

TEST_F(HttpFaultsTest, HttpGetKeepsItsResultConventionWhateverTheServiceDoes) {
  struct Case {
    const char* what;
    Fault fault;
    std::string result;
  } cases[] = {
      {"no fault", Fault{}, service::kDefaultVersion},
      {"status 500", Make(Fault::Status), "ERROR"},
      {"empty body", Make(Fault::EmptyBody), " "},
      {"reset in mid-body", Make(Fault::Reset), "ERROR"},
      {"shorter than announced", Make(Fault::Truncated), "ERROR"},
      {"ends inside a character", Make(Fault::CutCharacter), "ERROR"},
      {"ends in a lone lead byte", Make(Fault::LoneLeadByte), "ERROR"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    service_.SetFault("GetVer.asp", c.fault);
    EXPECT_EQ(HttpGet(Url("GetVer.asp?vID=2"), true), c.result);
  }

  // A body up to the cap is decoded whole; one past it is no reply at all,
  // whether or not its length was announced.
  service_.SetFault("GetVer.asp", Make(Fault::Huge, kMaxReplyBytes));
  const std::string huge = HttpGet(Url("GetVer.asp?vID=2"), true);
  const std::string line = "统计数据Lumaro访客记录0123456789\r\n";
  ASSERT_GT(huge.size(), kMaxReplyBytes / 2);
  EXPECT_EQ(huge.compare(0, line.size(), line), 0);
  EXPECT_NE(huge.find(line, huge.size() - 2 * line.size()), std::string::npos)
      << "the end of the body is missing";
  service_.SetFault("GetVer.asp", Make(Fault::Huge, kMaxReplyBytes + 1));
  EXPECT_EQ(HttpGet(Url("GetVer.asp?vID=2"), true), "ERROR");
  service_.SetFault("GetVer.asp", Make(Fault::Huge, size_t(40) << 20));
  EXPECT_EQ(HttpGet(Url("GetVer.asp?vID=2"), true), "ERROR");

  // Nothing listening.
  service_.Stop();
  EXPECT_EQ(HttpGet(Url("GetVer.asp?vID=2"), true), "ERROR");
}

TEST_F(HttpFaultsTest, ASilentServiceIsGivenUpAtTheLimitWhileTimersKeepFiring) {
  SetHttpTimeLimit(1.5);
  service_.SetFault("queryFlag.asp", Make(Fault::Silence));
  int ticks = 0;
  guint timer = g_timeout_add(
      50, [](gpointer data) -> gboolean {
        ++*static_cast<int*>(data);
        return G_SOURCE_CONTINUE;
      },
      &ticks);
  const gint64 start = g_get_monotonic_time();
  const std::string result = HttpGet(Url("queryFlag.asp?id=101"), true);
  const double waited = double(g_get_monotonic_time() - start) / G_USEC_PER_SEC;
  g_source_remove(timer);
  EXPECT_EQ(result, "ERROR");
  EXPECT_GE(waited, 1.4) << "gave up before the limit";
  EXPECT_LT(waited, 10.0) << "went on waiting long after the limit";
  EXPECT_GE(ticks, 10) << "timers stood still during the wait";

  // The held request is released later; the next fetch gets its own answer.
  service_.ClearFaults();
  EXPECT_EQ(HttpGet(Url("GetVer.asp?vID=2"), true), service::kDefaultVersion);
  ASSERT_TRUE(service_.WaitForAnswered("queryFlag.asp", 1, kWaitLimit))
      << "the held request was not answered";
  // What reached this program of the late answer has been handled.
  ASSERT_TRUE(RunUntilIdle());
  EXPECT_EQ(HttpGet(Url("GetVer.asp?vID=2"), true), service::kDefaultVersion);
}

// ---------------------------------------------------------------------------

// The text of the visible message box's label, once the box is up; the box
// is then answered.
void ReadAndAnswerTheBox(std::string* text) {
  g_timeout_add(50, [](gpointer data) -> gboolean {
    GtkDialog* dialog = nullptr;
    GList* toplevels = gtk_window_list_toplevels();
    for (GList* it = toplevels; it; it = it->next)
      if (GTK_IS_DIALOG(it->data) && gtk_widget_get_visible(GTK_WIDGET(it->data)))
        dialog = GTK_DIALOG(it->data);
    g_list_free(toplevels);
    if (!dialog) return G_SOURCE_CONTINUE;
    std::vector<GtkWidget*> pending{GTK_WIDGET(dialog)};
    while (!pending.empty()) {
      GtkWidget* w = pending.back();
      pending.pop_back();
      if (GTK_IS_LABEL(w) && !gtk_widget_get_ancestor(w, GTK_TYPE_BUTTON)) {
        *static_cast<std::string*>(data) = gtk_label_get_text(GTK_LABEL(w));
        break;
      }
      if (GTK_IS_CONTAINER(w)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(w));
        for (GList* it = children; it; it = it->next) pending.push_back(GTK_WIDGET(it->data));
        g_list_free(children);
      }
    }
    gtk_dialog_response(dialog, GTK_RESPONSE_OK);
    return G_SOURCE_REMOVE;
  }, text);
}

TEST_F(HttpFaultsTest, AMessageBoxShowsAScreenfulOfAHugeText) {
  const std::string line = "统计数据Lumaro访客记录0123456789";
  std::string huge;
  while (huge.size() < (size_t(10) << 20)) huge += line;
  struct Case {
    const char* what;
    std::string text;
    bool whole;
  } cases[] = {
      {"short", "该用户名已被注册，请换一个用户名!", true},
      {"10 MB on one line", huge, false},
      {"many short lines", [] {
         std::string t;
         for (int i = 0; i < 100; ++i) t += "第" + std::to_string(i) + "行 访客记录 0123456789\n";
         return t;
       }(), false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string shown;
    ReadAndAnswerTheBox(&shown);
    Desktop().dialogs->MessageBox(c.text, "Lumaro提醒您", MsgIcon::Information, MsgButtons::Ok);
    if (c.whole) {
      EXPECT_EQ(shown, c.text);
      continue;
    }
    ASSERT_GT(shown.size(), 3u);
    const std::string ellipsis = "…";
    ASSERT_EQ(shown.compare(shown.size() - ellipsis.size(), ellipsis.size(), ellipsis), 0);
    const std::string start = shown.substr(0, shown.size() - ellipsis.size());
    EXPECT_EQ(c.text.compare(0, start.size(), start), 0) << "not the start of the text";
    EXPECT_LE(g_utf8_strlen(start.c_str(), -1), 3000);
    EXPECT_GE(g_utf8_strlen(start.c_str(), -1), 200) << "too little of the text is shown";
    EXPECT_LE(std::count(start.begin(), start.end(), '\n'), 40);
  }
}

}  // namespace
}  // namespace lumaro::platform_test
