// Reads the real program's accessibility tree through AT-SPI, as a screen
// reader does, and drives the program through it: the actions that
// assistive tools offer, the keyboard focus, and keys sent with XTEST.
#pragma once

#include <atspi/atspi.h>
#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace a11y {

// Polls `pred` every 50 ms until it holds or `seconds` pass.
template <class Pred>
bool WaitUntil(Pred pred, double seconds) {
  auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (true) {
    if (pred()) return true;
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}

// Why AT-SPI cannot be used here ("" when it can): no session bus, or the
// accessibility bus and registry do not answer.
std::string AtspiUnavailableReason();

// A reference to one accessible object (keeps it alive).
class Node {
 public:
  Node() = default;
  explicit Node(AtspiAccessible* adopted);  // takes the reference
  Node(const Node& other);
  Node& operator=(Node other);
  ~Node();

  explicit operator bool() const { return object_ != nullptr; }
  AtspiAccessible* get() const { return object_; }

  std::string Name() const;
  AtspiRole Role() const;
  std::string RoleName() const;
  bool Has(AtspiStateType state) const;
  std::vector<Node> Children() const;
  // Names of the actions it offers.
  std::vector<std::string> Actions() const;
  // Asks for the named action; false when it is not offered or refused.
  bool Do(const std::string& action) const;
  // A progress bar's value and its text.
  std::optional<double> Value() const;
  std::string ValueText() const;
  // Gives it the keyboard focus (and its window the input).
  bool GrabFocus() const;
  // Its area on the screen: x, y, width, height.
  std::optional<std::vector<int>> Extents() const;
  // One of its object attributes ("id", "tag", ... of a page's element);
  // "" when it has none of that name.
  std::string Attribute(const std::string& name) const;
  // The text it holds (a text box's contents, a label's caption); "" when it
  // offers no text.
  std::string Text() const;
  // Replaces the text of an editable text; false when it is not one.
  bool SetText(const std::string& text) const;
  // The address a link leads to; "" for other objects.
  std::string LinkAddress() const;
  // "role 'name'", for messages.
  std::string Describe() const;

 private:
  AtspiAccessible* object_ = nullptr;
};

// Every object under `root` (not `root` itself) for which `pred` holds, in
// tree order. Web documents are not entered unless `intoPages`.
std::vector<Node> FindAll(const Node& root, const std::function<bool(const Node&)>& pred,
                          bool intoPages = false);
// The first object under `root` with that role and name, or an empty node.
Node Find(const Node& root, AtspiRole role, const std::string& name, bool intoPages = false);
// The object under `root` that has the keyboard focus, or an empty node.
Node Focused(const Node& root);
// The tree under `root`, one object a line ("role 'name' #id [states]"),
// pages included: for failure messages.
std::string Dump(const Node& root, int maxDepth = 40);

// The application of the process `pid` on the desktop, once it is there.
Node WaitForApplication(pid_t pid, double seconds);
// A window (frame or dialog) of the application with that title.
Node WaitForWindow(const Node& app, const std::string& title, double seconds);
bool WaitForNoWindow(const Node& app, const std::string& title, double seconds);

// Keys as xdotool names them ("Tab", "Return", "shift+Tab"), and text typed,
// to the window under the pointer. They are sent when these return; what
// they do is for the caller to wait for.
void PressKeys(const std::string& keys);
void TypeText(const std::string& text);
// Puts the pointer over a window's area, which gives it the keyboard.
void PointAt(const Node& window);

// The client program, copied into a fresh folder with its assets and browser
// module, started with the environment of the test and a runtime folder
// (XDG_RUNTIME_DIR) of its own.
class Client {
 public:
  Client();
  ~Client();
  Client(const Client&) = delete;
  Client& operator=(const Client&) = delete;

  void Start();
  pid_t Pid() const { return pid_; }
  bool Running();
  // Waits for the process to end; false on time-out.
  bool WaitExit(double seconds);

 private:
  std::filesystem::path dir_;
  pid_t pid_ = -1;
};

}  // namespace a11y
