#include "core/dispatch_gate.h"

#include <utility>

namespace lumaro {

DispatchGate& DispatchGate::Get() {
  static DispatchGate* gate = new DispatchGate();  // outlives every window
  return *gate;
}

DispatchGate::WindowRef DispatchGate::NewWindow() { return std::make_shared<HandlerCount>(); }

DispatchGate::PageCall::PageCall() { ++Get().pageCalls_; }

DispatchGate::PageCall::~PageCall() {
  DispatchGate& gate = Get();
  if (--gate.pageCalls_ == 0) {
    gate.inputLetThrough_ = false;
    gate.Wake();
  }
}

DispatchGate::HandlerScope::HandlerScope(WindowRef window) : window_(std::move(window)) {
  if (window_) ++window_->running;
}

DispatchGate::HandlerScope::~HandlerScope() {
  if (window_ && --window_->running == 0) Get().Wake();
}

bool DispatchGate::Running(const WindowRef& window) { return window && window->running > 0; }

bool DispatchGate::EventsQueuedFor(const HandlerCount* window) const {
  for (const Item& item : items_)
    if (item.kind == Kind::Event && item.window.get() == window) return true;
  return false;
}

bool DispatchGate::WouldQueue(const WindowRef& window) const {
  return InPageCall() || Running(window) || EventsQueuedFor(window.get());
}

void DispatchGate::Raise(const WindowRef& window, std::function<void()> event) {
  if (!event) return;
  if (WouldQueue(window)) {
    items_.push_back(Item{Kind::Event, window, nullptr, {}, std::move(event)});
    Wake();
    return;
  }
  HandlerScope scope(window);
  event();
}

bool DispatchGate::HoldingInput() const {
  if (pageCalls_ > 0 && !inputLetThrough_) return true;
  if (awaitedPage_ != 0) return true;
  for (const Item& item : items_)
    if (item.kind == Kind::Input) return true;
  return false;
}

void DispatchGate::Input(std::function<void()> deliver) {
  if (!deliver) return;
  if (HoldingInput()) {
    items_.push_back(Item{Kind::Input, nullptr, nullptr, {}, std::move(deliver)});
    Wake();
    return;
  }
  deliver();
}

uint64_t DispatchGate::AwaitPage() {
  awaitedPage_ = ++nextToken_;
  return awaitedPage_;
}

void DispatchGate::PageCaughtUp(uint64_t token) {
  if (token == 0 || awaitedPage_ != token) return;
  awaitedPage_ = 0;
  Wake();
}

void DispatchGate::Tick(const void* key, std::weak_ptr<void> alive, std::function<void()> tick) {
  if (!tick) return;
  if (!InPageCall()) {
    tick();
    return;
  }
  for (const Item& item : items_)
    if (item.kind == Kind::Tick && item.key == key) return;  // one held tick per timer
  items_.push_back(Item{Kind::Tick, nullptr, key, std::move(alive), std::move(tick)});
  Wake();
}

void DispatchGate::Retire(std::function<bool()> busy, std::shared_ptr<void> object) {
  if (!object) return;
  if (!busy || !busy()) {
    object.reset();
    return;
  }
  retired_.push_back(Retiree{std::move(busy), std::move(object)});
}

bool DispatchGate::Due(const Item& item) const {
  switch (item.kind) {
    case Kind::Input:
      return !(pageCalls_ > 0 && !inputLetThrough_) && awaitedPage_ == 0;
    case Kind::Event:
      return !InPageCall() && !Running(item.window);
    case Kind::Tick:
      return !InPageCall();
  }
  return false;
}

bool DispatchGate::FreeRetired() {
  for (auto it = retired_.begin(); it != retired_.end(); ++it) {
    if (it->busy && it->busy()) continue;
    std::shared_ptr<void> object = std::move(it->object);
    retired_.erase(it);
    object.reset();  // its destructor may retire or raise more
    return true;
  }
  return false;
}

bool DispatchGate::HasDue() const {
  if (!InPageCall())
    for (const Retiree& r : retired_)
      if (!r.busy || !r.busy()) return true;
  for (const Item& item : items_)
    if (Due(item)) return true;
  return false;
}

bool DispatchGate::RunNext() {
  if (!InPageCall() && FreeRetired()) return true;
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (!Due(*it)) continue;
    Item item = std::move(*it);
    items_.erase(it);
    try {
      switch (item.kind) {
        case Kind::Input:
          item.run();
          break;
        case Kind::Event: {
          HandlerScope scope(item.window);
          item.run();
          break;
        }
        case Kind::Tick:
          if (auto alive = item.alive.lock()) item.run();
          break;
      }
    } catch (...) {
      // Handlers report their own failures; nothing crosses the main loop.
    }
    return true;
  }
  return false;
}

void DispatchGate::Wake() {
  if (wake_) wake_();
}

void DispatchGate::Reset() {
  items_.clear();
  retired_.clear();
  awaitedPage_ = 0;
  inputLetThrough_ = false;
}

}  // namespace lumaro
