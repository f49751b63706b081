// The curl request object and the event pump it wakes.
#include <sys/resource.h>

#include <stdexcept>

#include "platform/platform_fixture.h"

namespace lumaro::platform_test {
namespace {

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
         usage.ru_stime.tv_usec / 1e6;
}

class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override {
    REQUIRE_DISPLAY();
    for (int i = 0; i < 256; ++i) allBytes_ += char(i);
    server_.server().Get("/binary", [this](const httplib::Request&, httplib::Response& res) {
      res.set_content(allBytes_, "application/octet-stream");
    });
    server_.server().Get("/text", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(Gbk("代码测试成功！ok"), "text/plain");
    });
    server_.server().Get("/empty", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("", "text/plain");
    });
    server_.server().Get("/slow", [](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      res.set_content("late", "text/plain");
    });
    server_.server().Get("/echo", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content(req.get_param_value("q"), "text/plain");
    });
    server_.Start();
  }

  // Sends a request and runs the main loop until it has completed.
  std::shared_ptr<IHttpRequest> Fetch(const std::string& url) {
    auto request = Desktop().http->CreateRequest();
    request->Open("GET", url);
    request->Send("");
    RunUntil([&] { return request->ReadyState() == 4; });
    return request;
  }

  // Runs the main loop until a request of `path` has reached the server.
  bool Arrived(const std::string& path) {
    return RunUntil([&] { return server_.Arrivals(path) >= 1; });
  }

  // Runs the main loop until the server has written its answer to a request
  // of `path`, and then until what reached this program of it has been
  // handled.
  bool Answered(const std::string& path) {
    return RunUntil([&] { return server_.Hits(path) >= 1; }) && RunUntilIdle();
  }

  LocalServer server_;
  std::string allBytes_;
};

TEST_F(HttpTest, CompletedRequestsReportStatusAndExactBody) {
  struct Case {
    std::string path;
    int status;
    std::string body;
  } cases[] = {
      {"/binary", 200, allBytes_},
      {"/text", 200, Gbk("代码测试成功！ok")},
      {"/empty", 200, ""},
      {"/missing", 404, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path);
    auto request = Fetch(server_.Url(c.path));
    ASSERT_EQ(request->ReadyState(), 4);
    EXPECT_EQ(request->Status(), c.status);
    if (c.status == 200) {
      EXPECT_EQ(request->ResponseBody(), c.body);
    }
  }
}

TEST_F(HttpTest, RefusedConnectionCompletesWithStatusZero) {
  auto request = Fetch("http://127.0.0.1:" + std::to_string(ClosedPort()) + "/x");
  EXPECT_EQ(request->ReadyState(), 4);
  EXPECT_EQ(request->Status(), 0);
  EXPECT_EQ(request->ResponseBody(), "");
}

TEST_F(HttpTest, StatesRunFromUnsentThroughOpenedToCompleted) {
  auto request = Desktop().http->CreateRequest();
  EXPECT_EQ(request->ReadyState(), 0);
  request->Open("GET", server_.Url("/text"));
  EXPECT_EQ(request->ReadyState(), 1);
  request->Send("");
  EXPECT_NE(request->ReadyState(), 4);  // nothing ran yet
  EXPECT_TRUE(RunUntil([&] { return request->ReadyState() == 4; }));
}

TEST_F(HttpTest, BlanksAndNonAsciiInTheAddressAreSentEncoded) {
  auto request = Fetch(server_.Url("/echo?q=a b\xE4\xB8\xAD"));
  ASSERT_EQ(request->Status(), 200);
  EXPECT_EQ(request->ResponseBody(), "a b\xE4\xB8\xAD");
}

TEST_F(HttpTest, UnusableAddressesThrowOnOpen) {
  auto request = Desktop().http->CreateRequest();
  for (const char* url : {"", "ERROR", " ", "ftp://127.0.0.1/x", "file:///etc/passwd", "http://"}) {
    SCOPED_TRACE(url);
    EXPECT_THROW(request->Open("GET", url), std::runtime_error);
  }
}

TEST_F(HttpTest, OpenAbandonsTheRequestInFlight) {
  auto request = Desktop().http->CreateRequest();
  request->Open("GET", server_.Url("/slow"));
  request->Send("");
  ASSERT_TRUE(Arrived("/slow")) << "the first request did not reach the server";
  request->Open("GET", server_.Url("/text"));
  EXPECT_EQ(request->ReadyState(), 1);
  request->Send("");
  ASSERT_TRUE(RunUntil([&] { return request->ReadyState() == 4; }));
  EXPECT_EQ(request->ResponseBody(), Gbk("代码测试成功！ok"));
  // The abandoned reply arriving later changes nothing.
  ASSERT_TRUE(Answered("/slow")) << "the slow reply was not written";
  EXPECT_EQ(request->ResponseBody(), Gbk("代码测试成功！ok"));
}

TEST_F(HttpTest, ReleasingARequestInFlightIsSafe) {
  auto request = Desktop().http->CreateRequest();
  request->Open("GET", server_.Url("/slow"));
  request->Send("");
  ASSERT_TRUE(Arrived("/slow")) << "the request did not reach the server";
  request.reset();
  ASSERT_TRUE(Answered("/slow")) << "the slow reply was not written";
  EXPECT_EQ(Fetch(server_.Url("/text"))->Status(), 200);
}

// A blocking wait wakes when the reply arrives and burns no CPU meanwhile.
TEST_F(HttpTest, WaitingForASlowReplyWakesOnArrivalAndStaysIdle) {
  auto request = Desktop().http->CreateRequest();
  request->Open("GET", server_.Url("/slow"));
  request->Send("");
  const double cpu0 = CpuSeconds();
  const gint64 t0 = g_get_monotonic_time();
  int waits = 0;
  while (request->ReadyState() != 4 && waits < 100) {
    Desktop().pump->WaitForEvents(30);
    ++waits;
  }
  const double wall = (g_get_monotonic_time() - t0) / 1e6;
  const double cpu = CpuSeconds() - cpu0;
  ASSERT_EQ(request->ReadyState(), 4);
  EXPECT_EQ(request->ResponseBody(), "late");
  EXPECT_LT(wall, 15.0) << "the wait did not wake on the reply";
  EXPECT_LT(cpu / wall, 0.5) << "cpu " << cpu << " s over " << wall << " s";
}

TEST(PumpTest, WaitForEventsReturnsAfterTheLimitWhenNothingHappens) {
  REQUIRE_DISPLAY();
  Desktop().pump->PumpEvents();
  const gint64 t0 = g_get_monotonic_time();
  Desktop().pump->WaitForEvents(0.2);
  EXPECT_GE(g_get_monotonic_time() - t0, 150000);
}

TEST(PumpTest, PumpEventsReturnsDespiteASourceThatIsAlwaysReady) {
  REQUIRE_DISPLAY();
  int runs = 0;
  guint id = g_idle_add(
      [](gpointer data) -> gboolean {
        ++*static_cast<int*>(data);
        return G_SOURCE_CONTINUE;
      },
      &runs);
  Desktop().pump->PumpEvents();
  g_source_remove(id);
  EXPECT_GT(runs, 0);
}

}  // namespace
}  // namespace lumaro::platform_test
