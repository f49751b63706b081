#include "core/http_fetch.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "core/ansi.h"
#include "core/desktop.h"
#include "core/globals.h"

namespace lumaro {

namespace {

double g_timeLimit = 30.0;

// Longest single blocking wait of the pump while a request is in flight;
// the request's socket wakes the pump earlier.
constexpr double kLookInterval = 0.25;

// Counts the requests sent. All fetches share one request object and one
// result, so a fetch sent while another waits (from a handler that ran in
// that wait) abandons the waiting one's request: the waiting fetch sees the
// count move past its own and knows its answer will never come.
uint64_t g_requestsSent = 0;

}  // namespace

double HttpTimeLimit() { return g_timeLimit; }
void SetHttpTimeLimit(double seconds) { g_timeLimit = seconds; }

std::string TimerStamp() {
  float seconds = float(Desktop().clock->SecondsSinceMidnight());
  // General format with up to seven significant digits, independent of the
  // locale's decimal separator ("45296.13").
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, seconds, std::chars_format::general, 7);
  return std::string(buf, r.ptr);
}

void PumpEvents() {
  if (Desktop().pump) Desktop().pump->PumpEvents();
}

std::string BytesToString(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 2);
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c < 0x80) {
      out.push_back(char(c));
      continue;
    }
    if (i + 1 >= bytes.size()) throw std::runtime_error("lead byte without a trail byte");
    // 0x80 leads a pair here too, though no character of the code page
    // starts with it.
    out += c == 0x80 ? std::string("\xEF\xBF\xBD") : AnsiToUtf8(bytes.substr(i, 2));
    ++i;
  }
  return out;
}

void CheckRequest() {
  std::shared_ptr<IHttpRequest> request = gHttpRequest;
  if (!request) return;
  if (request->ReadyState() != 4) return;
  const uint64_t sent = g_requestsSent;
  try {
    int state = request->ReadyState();
    int status = request->Status();
    if (status == 200 && state == 4) {
      for (int i = 0; i < 10; ++i) PumpEvents();
      // A fetch sent meanwhile has re-opened the request (and may be done
      // with it): its body and the result are that fetch's now.
      if (g_requestsSent != sent) return;
      std::string text = BytesToString(request->ResponseBody());
      // The raw body goes as soon as it is decoded: a large reply is held
      // at most twice.
      if (gHttpRequest == request) gHttpRequest.reset();
      request.reset();
      gHttpResult = text.empty() ? std::string(" ") : std::move(text);
    } else if (state == 4) {
      gHttpResult = "ERROR";
    }
  } catch (...) {
    // A body that cannot be decoded is no usable reply.
    gHttpResult = "ERROR";
  }
  if (gHttpRequest == request) gHttpRequest.reset();
}

std::string HttpGet(const std::string& url, bool stamp) {
  PumpEvents();
  std::string address = url;
  try {
    if (stamp) {
      size_t cut = address.find("&t=");
      if (cut != std::string::npos) address.erase(cut);
      address += "&t=" + TimerStamp();
    }
  } catch (...) {
  }
  try {
    if (!gHttpRequest) gHttpRequest = Desktop().http->CreateRequest();
  } catch (...) {
  }
  if (address.empty()) return "";
  std::shared_ptr<IHttpRequest> request = gHttpRequest;
  const uint64_t mine = ++g_requestsSent;
  // Another fetch was sent while this one waited: this request is gone, and
  // the result that comes belongs to that fetch, never to this caller.
  auto abandoned = [mine] { return g_requestsSent != mine; };
  try {
    if (request) request->Open("GET", address);
  } catch (...) {
  }
  try {
    if (request) request->Send("");
  } catch (...) {
  }
  request.reset();  // gHttpRequest keeps it while it is under way
  PumpEvents();
  if (abandoned()) return "ERROR";
  gHttpResult = "";
  IClock& clock = *Desktop().clock;
  const double start = clock.MonotonicSeconds();
  while (gHttpResult.empty()) {
    try {
      CheckRequest();
    } catch (...) {
    }
    if (abandoned()) return "ERROR";
    if (!gHttpResult.empty()) break;
    double elapsed = clock.MonotonicSeconds() - start;
    if (elapsed >= g_timeLimit) {
      gHttpResult = "ERROR";
      // The object stays for the next fetch to reuse; its transfer, which
      // nobody waits for any more, ends now.
      if (std::shared_ptr<IHttpRequest> late = gHttpRequest) {
        try {
          late->Abort();
        } catch (...) {
        }
      }
      break;
    }
    // Sleeps until the request's socket, a window event or a timer is ready.
    if (Desktop().pump) Desktop().pump->WaitForEvents(std::min(kLookInterval, g_timeLimit - elapsed));
    if (abandoned()) return "ERROR";
  }
  return gHttpResult;
}

void Delay(int count) {
  for (int i = 1; i <= count; ++i) {
    if (gStopWaiting) return;
    PumpEvents();
    IClock& clock = *Desktop().clock;
    const double until = clock.MonotonicSeconds() + 0.020;
    for (double now = clock.MonotonicSeconds(); now < until; now = clock.MonotonicSeconds())
      Desktop().pump->WaitForEvents(until - now);
    PumpEvents();
  }
}

}  // namespace lumaro
