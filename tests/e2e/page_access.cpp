#include "e2e/page_access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace e2e {

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = char(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

Node AccessibleApp(ClientProcess& client, double seconds) {
  static const std::string unavailable = a11y::AtspiUnavailableReason();
  if (!unavailable.empty()) {
    ADD_FAILURE() << "the accessibility tree cannot be read: " << unavailable;
    return Node();
  }
  Node app = a11y::WaitForApplication(client.Pid(), seconds);
  if (!app)
    ADD_FAILURE() << "the program never appeared on the accessibility bus; it "
                  << (client.Running() ? "runs" : "has ended");
  return app;
}

Node AccessibleWindow(const Node& app, const std::string& title, double seconds) {
  return a11y::WaitForWindow(app, title, seconds);
}

Node PageElement(const Node& scope, AtspiRole role, const std::string& name,
                 const std::string& hrefPart) {
  const std::string part = Lower(hrefPart);
  std::vector<Node> found = a11y::FindAll(
      scope,
      [&](const Node& n) {
        if (n.Role() != role || n.Name() != name) return false;
        return part.empty() || Lower(n.LinkAddress()).find(part) != std::string::npos;
      },
      /*intoPages=*/true);
  return found.empty() ? Node() : found.front();
}

Node WaitForPageElement(const Node& scope, AtspiRole role, const std::string& name, double seconds,
                        const std::string& hrefPart) {
  Node found;
  WaitUntil(
      [&] {
        found = PageElement(scope, role, name, hrefPart);
        return static_cast<bool>(found);
      },
      seconds);
  return found;
}

Node WaitForCaption(const Node& scope, const std::string& text, double seconds) {
  Node found;
  WaitUntil(
      [&] {
        std::vector<Node> labels = a11y::FindAll(
            scope, [&](const Node& n) { return n.Role() == ATSPI_ROLE_LABEL && n.Text() == text; },
            /*intoPages=*/true);
        if (!labels.empty()) found = labels.front();
        return !labels.empty();
      },
      seconds);
  return found;
}

Node WaitForTextField(const Node& scope, const std::string& name, double seconds) {
  Node found;
  WaitUntil(
      [&] {
        found = PageElement(scope, ATSPI_ROLE_ENTRY, name);
        if (!found) found = PageElement(scope, ATSPI_ROLE_PASSWORD_TEXT, name);
        return static_cast<bool>(found);
      },
      seconds);
  return found;
}

Node WaitForPage(const Node& scope, const std::string& title, double seconds) {
  Node found;
  WaitUntil(
      [&] {
        std::vector<Node> pages = a11y::FindAll(
            scope,
            [&](const Node& n) { return n.Role() == ATSPI_ROLE_DOCUMENT_WEB && n.Name() == title; },
            /*intoPages=*/true);
        if (!pages.empty()) found = pages.front();
        return !pages.empty();
      },
      seconds);
  return found;
}

bool FocusElement(const Node& element, double seconds) {
  if (!element) return false;
  return WaitUntil(
      [&] {
        if (element.Has(ATSPI_STATE_FOCUSED)) return true;
        element.GrabFocus();
        return element.Has(ATSPI_STATE_FOCUSED);
      },
      seconds);
}

bool PressOn(const std::string& windowId, const Node& element, const std::string& keys) {
  if (!FocusElement(element)) {
    ADD_FAILURE() << element.Describe() << " did not take the focus";
    return false;
  }
  KeyboardTo(windowId);
  PressKey(keys);
  return true;
}

bool TypeInto(const std::string& windowId, const Node& element, const std::string& text,
              int delayMs) {
  if (!FocusElement(element)) {
    ADD_FAILURE() << element.Describe() << " did not take the focus";
    return false;
  }
  KeyboardTo(windowId);
  TypeText(text, delayMs);
  return true;
}

bool ClickOn(const Node& element) {
  auto extents = element.Extents();
  if (!extents || (*extents)[2] <= 0 || (*extents)[3] <= 0) return false;
  const auto& e = *extents;
  // A radio button or a check box takes in its label's text: its own box is
  // the square at its left end. (A click on the label's text would check it
  // without giving it the focus.)
  const AtspiRole role = element.Role();
  const bool box = role == ATSPI_ROLE_RADIO_BUTTON || role == ATSPI_ROLE_CHECK_BOX;
  const int x = box ? e[0] + std::min(e[2], e[3]) / 2 : e[0] + e[2] / 2;
  // Parked first: a move to where the pointer already is would wait for
  // motion that never comes.
  RunCommand({"xdotool", "mousemove", "0", "0"});
  ClickAtScreen(x, e[1] + e[3] / 2);
  return true;
}

bool WaitForText(const Node& element, const std::string& text, double seconds) {
  return WaitUntil([&] { return element.Text() == text; }, seconds);
}

}  // namespace e2e
