#pragma once

#include <chrono>
#include <thread>

namespace e2e {

template <class Pred>
bool WaitUntil(Pred pred, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  for (;;) {
    if (pred()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

}  // namespace e2e
