#include "fakes/fake_services.h"

#include "core/ansi.h"
#include "core/dispatch_gate.h"
#include "core/globals.h"
#include "core/http_fetch.h"

namespace lumaro {

void FakePump::RunPosted() {
  while (!posted_.empty()) {
    auto event = std::move(posted_.front());
    posted_.pop_front();
    event();
  }
  if (onPump) onPump();
  // What the gate held back and may run now (browser events whose window's
  // handler has returned, windows retired while one of theirs ran).
  while (DispatchGate::Get().RunNext()) {
  }
}

void FakePump::PumpEvents() {
  ++pumps;
  RunPosted();
}

void FakePump::WaitForEvents(double maxSeconds) {
  ++waits;
  // Nothing real to wait for: time passes as if no event came.
  clock_.Advance(maxSeconds);
  waitedSeconds += maxSeconds;
  RunPosted();
}

void FakeHttpRequest::Open(const std::string& method, const std::string& url) {
  url_ = url;
  state_ = 1;
}

void FakeHttpRequest::Send(const std::string&) {
  http_.sent.push_back(url_);
  reply_ = http_.Lookup(url_);
  looksLeft_ = reply_.looks;
  state_ = 1;
  if (reply_.onSend) reply_.onSend();
}

int FakeHttpRequest::ReadyState() {
  if (state_ != 1 || reply_.never) return state_;
  if (looksLeft_ > 0) {
    --looksLeft_;
    return state_;
  }
  state_ = 4;
  return state_;
}

int FakeHttpRequest::Status() {
  if (state_ != 4) return 0;
  return reply_.fail ? 0 : reply_.status;
}

void FakeHttpRequest::Abort() {
  if (state_ != 1) return;
  http_.aborted.push_back(url_);
  state_ = 4;
  reply_ = FakeReply{};
  reply_.status = 0;
}

const std::string& FakeHttpRequest::ResponseBody() {
  static const std::string kNone;
  return state_ == 4 ? reply_.body : kNone;
}

std::shared_ptr<IHttpRequest> FakeHttp::CreateRequest() {
  ++created;
  return std::make_shared<FakeHttpRequest>(*this);
}

void FakeHttp::ReplyText(const std::string& prefix, const std::string& utf8Text) {
  FakeReply r;
  r.body = Utf8ToAnsi(utf8Text);
  Reply(prefix, r);
}

FakeReply FakeHttp::Lookup(const std::string& url) const {
  const FakeReply* best = nullptr;
  size_t bestLength = 0;
  for (const auto& [prefix, reply] : replies_) {
    if (url.compare(0, prefix.size(), prefix) == 0 && (!best || prefix.size() > bestLength)) {
      best = &reply;
      bestLength = prefix.size();
    }
  }
  if (best) return *best;
  FakeReply notFound;
  notFound.status = 404;
  return notFound;
}

size_t FakeHttp::CountSent(const std::string& part) const {
  size_t n = 0;
  for (const auto& url : sent)
    if (url.find(part) != std::string::npos) ++n;
  return n;
}

std::optional<std::string> FakeFiles::ReadFile(const std::string& path) {
  auto it = files.find(path);
  if (it == files.end()) return std::nullopt;
  return it->second;
}

bool FakeFiles::WriteFile(const std::string& path, const std::string& bytes, bool owner) {
  if (readOnly) return false;
  ++writes;
  files[path] = bytes;
  ownerOnly[path] = owner;
  return true;
}

MsgResult FakeDialogs::MessageBox(const std::string& text, const std::string& title, MsgIcon icon,
                                  MsgButtons buttons) {
  shown.push_back({text, title, icon, buttons});
  ShownMessage copy = shown.back();
  if (whileOpen) whileOpen(copy);
  if (buttons == MsgButtons::Ok) return MsgResult::Ok;
  if (answers.empty()) return MsgResult::No;
  MsgResult r = answers.front();
  answers.pop_front();
  return r;
}

std::optional<std::string> FakeDialogs::InputBox(const std::string& prompt,
                                                 const std::string& title,
                                                 const std::string& defaultText) {
  inputCalls.push_back({prompt, title, defaultText});
  if (inputs.empty()) return std::nullopt;
  auto r = inputs.front();
  inputs.pop_front();
  return r;
}

std::vector<std::string> FakeDialogs::Texts() const {
  std::vector<std::string> texts;
  for (const auto& m : shown) texts.push_back(m.text);
  return texts;
}

FakeEnvironment::FakeEnvironment() : previous_(Desktop()), previousLimit_(HttpTimeLimit()) {
  DispatchGate::Get().Reset();
  ResetGlobals();
  DesktopServices s;
  s.pump = &pump;
  s.clock = &clock;
  s.http = &http;
  s.files = &files;
  s.shell = &shell;
  s.instance = &instance;
  s.dialogs = &dialogs;
  s.ui = &ui;
  InstallDesktop(s);
  SetHttpTimeLimit(30.0);
}

FakeEnvironment::~FakeEnvironment() {
  // Windows still held by the gate go while the fake UI that made them
  // exists; nothing a test left waiting reaches the next test.
  DispatchGate::Get().Reset();
  ResetGlobals();
  InstallDesktop(previous_);
  SetHttpTimeLimit(previousLimit_);
}

}  // namespace lumaro
