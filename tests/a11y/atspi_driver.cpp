#include "a11y/atspi_driver.h"

#include <gio/gio.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>

extern char** environ;

namespace a11y {

namespace fs = std::filesystem;

namespace {

// Runs a command with an argument vector (no shell) and waits for it.
void Run(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return;
  int status = 0;
  waitpid(pid, &status, 0);
}

// Runs a command and returns what it wrote to its standard output.
std::string Output(const std::vector<std::string>& argv) {
  gchar* out = nullptr;
  std::vector<gchar*> args;
  for (const auto& a : argv) args.push_back(const_cast<gchar*>(a.c_str()));
  args.push_back(nullptr);
  std::string text;
  if (g_spawn_sync(nullptr, args.data(), nullptr,
                   GSpawnFlags(G_SPAWN_SEARCH_PATH | G_SPAWN_STDERR_TO_DEV_NULL), nullptr, nullptr,
                   &out, nullptr, nullptr, nullptr))
    text = out ? out : "";
  g_free(out);
  return text;
}

std::string TakeString(gchar* text) {
  std::string out = text ? text : "";
  g_free(text);
  return out;
}

bool EnsureAtspi() {
  static const bool ready = [] {
    atspi_init();
    return true;
  }();
  return ready;
}

}  // namespace

std::string AtspiUnavailableReason() {
  if (!std::getenv("DBUS_SESSION_BUS_ADDRESS"))
    return "no D-Bus session bus (DBUS_SESSION_BUS_ADDRESS is not set; run the test under "
           "dbus-run-session)";
  // The accessibility bus is asked for first: without it libatspi ends the
  // process instead of reporting an error.
  if (!std::getenv("AT_SPI_BUS_ADDRESS")) {
    GError* error = nullptr;
    GDBusConnection* session = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    GVariant* reply = nullptr;
    if (session)
      reply = g_dbus_connection_call_sync(session, "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus",
                                          "GetAddress", nullptr, G_VARIANT_TYPE("(s)"),
                                          G_DBUS_CALL_FLAGS_NONE, 10000, nullptr, &error);
    if (reply) g_variant_unref(reply);
    if (session) g_object_unref(session);
    if (error) {
      std::string reason =
          std::string("the accessibility bus (at-spi-bus-launcher) does not start: ") +
          error->message;
      g_error_free(error);
      return reason;
    }
  }
  EnsureAtspi();
  AtspiAccessible* desktop = atspi_get_desktop(0);
  if (!desktop) return "AT-SPI gives no desktop: the accessibility bus did not start";
  GError* error = nullptr;
  atspi_accessible_get_child_count(desktop, &error);
  g_object_unref(desktop);
  if (error) {
    std::string reason = std::string("the AT-SPI registry does not answer: ") + error->message;
    g_error_free(error);
    return reason;
  }
  return "";
}

// ---------------------------------------------------------------- Node

Node::Node(AtspiAccessible* adopted) : object_(adopted) {}

Node::Node(const Node& other)
    : object_(other.object_ ? ATSPI_ACCESSIBLE(g_object_ref(other.object_)) : nullptr) {}

Node& Node::operator=(Node other) {
  std::swap(object_, other.object_);
  return *this;
}

Node::~Node() {
  if (object_) g_object_unref(object_);
}

std::string Node::Name() const {
  if (!object_) return "";
  return TakeString(atspi_accessible_get_name(object_, nullptr));
}

AtspiRole Node::Role() const {
  return object_ ? atspi_accessible_get_role(object_, nullptr) : ATSPI_ROLE_INVALID;
}

std::string Node::RoleName() const {
  return object_ ? TakeString(atspi_accessible_get_role_name(object_, nullptr)) : "";
}

bool Node::Has(AtspiStateType state) const {
  if (!object_) return false;
  // The states are asked afresh: the focus moves while the tests wait.
  atspi_accessible_clear_cache(object_);
  AtspiStateSet* states = atspi_accessible_get_state_set(object_);
  if (!states) return false;
  bool has = atspi_state_set_contains(states, state);
  g_object_unref(states);
  return has;
}

std::vector<Node> Node::Children() const {
  std::vector<Node> children;
  if (!object_) return children;
  GError* error = nullptr;
  int count = atspi_accessible_get_child_count(object_, &error);
  if (error) {
    g_error_free(error);
    return children;
  }
  for (int i = 0; i < count; ++i) {
    AtspiAccessible* child = atspi_accessible_get_child_at_index(object_, i, &error);
    if (error) {
      g_clear_error(&error);
      continue;
    }
    if (child) children.emplace_back(child);
  }
  return children;
}

std::vector<std::string> Node::Actions() const {
  std::vector<std::string> names;
  if (!object_) return names;
  AtspiAction* action = atspi_accessible_get_action_iface(object_);
  if (!action) return names;
  int count = atspi_action_get_n_actions(action, nullptr);
  for (int i = 0; i < count; ++i)
    names.push_back(TakeString(atspi_action_get_action_name(action, i, nullptr)));
  g_object_unref(action);
  return names;
}

bool Node::Do(const std::string& name) const {
  if (!object_) return false;
  AtspiAction* action = atspi_accessible_get_action_iface(object_);
  if (!action) return false;
  bool done = false;
  int count = atspi_action_get_n_actions(action, nullptr);
  for (int i = 0; i < count && !done; ++i) {
    if (TakeString(atspi_action_get_action_name(action, i, nullptr)) != name) continue;
    done = atspi_action_do_action(action, i, nullptr);
  }
  g_object_unref(action);
  return done;
}

std::optional<double> Node::Value() const {
  if (!object_) return std::nullopt;
  AtspiValue* value = atspi_accessible_get_value_iface(object_);
  if (!value) return std::nullopt;
  GError* error = nullptr;
  double current = atspi_value_get_current_value(value, &error);
  g_object_unref(value);
  if (error) {
    g_error_free(error);
    return std::nullopt;
  }
  return current;
}

std::string Node::ValueText() const {
  if (!object_) return "";
  AtspiValue* value = atspi_accessible_get_value_iface(object_);
  if (!value) return "";
  std::string text = TakeString(atspi_value_get_text(value, nullptr));
  g_object_unref(value);
  return text;
}

bool Node::GrabFocus() const {
  if (!object_) return false;
  AtspiComponent* component = atspi_accessible_get_component_iface(object_);
  if (!component) return false;
  bool grabbed = atspi_component_grab_focus(component, nullptr);
  g_object_unref(component);
  return grabbed;
}

std::optional<std::vector<int>> Node::Extents() const {
  if (!object_) return std::nullopt;
  AtspiComponent* component = atspi_accessible_get_component_iface(object_);
  if (!component) return std::nullopt;
  AtspiRect* r = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, nullptr);
  g_object_unref(component);
  if (!r) return std::nullopt;
  std::vector<int> out = {r->x, r->y, r->width, r->height};
  g_free(r);
  return out;
}

std::string Node::Attribute(const std::string& name) const {
  if (!object_) return "";
  GHashTable* attributes = atspi_accessible_get_attributes(object_, nullptr);
  if (!attributes) return "";
  auto* value = static_cast<const char*>(g_hash_table_lookup(attributes, name.c_str()));
  std::string out = value ? value : "";
  g_hash_table_unref(attributes);
  return out;
}

std::string Node::Text() const {
  if (!object_) return "";
  AtspiText* text = atspi_accessible_get_text_iface(object_);
  if (!text) return "";
  // Asked afresh: the page changes it while the tests wait.
  atspi_accessible_clear_cache(object_);
  int length = atspi_text_get_character_count(text, nullptr);
  std::string out = length > 0 ? TakeString(atspi_text_get_text(text, 0, length, nullptr)) : "";
  g_object_unref(text);
  return out;
}

bool Node::SetText(const std::string& text) const {
  if (!object_) return false;
  AtspiEditableText* editable = atspi_accessible_get_editable_text_iface(object_);
  if (!editable) return false;
  bool done = atspi_editable_text_set_text_contents(editable, text.c_str(), nullptr);
  g_object_unref(editable);
  return done;
}

std::string Node::LinkAddress() const {
  if (!object_) return "";
  AtspiHyperlink* link = atspi_accessible_get_hyperlink(object_);
  if (!link) return "";
  std::string uri = TakeString(atspi_hyperlink_get_uri(link, 0, nullptr));
  g_object_unref(link);
  return uri;
}

std::string Node::Describe() const { return RoleName() + " '" + Name() + "'"; }

// ---------------------------------------------------------------- searches

namespace {

void Collect(const Node& node, const std::function<bool(const Node&)>& pred, bool intoPages,
             std::vector<Node>& found) {
  for (Node& child : node.Children()) {
    if (pred(child)) found.push_back(child);
    if (!intoPages && child.Role() == ATSPI_ROLE_DOCUMENT_WEB) continue;
    Collect(child, pred, intoPages, found);
  }
}

}  // namespace

std::vector<Node> FindAll(const Node& root, const std::function<bool(const Node&)>& pred,
                          bool intoPages) {
  std::vector<Node> found;
  Collect(root, pred, intoPages, found);
  return found;
}

Node Find(const Node& root, AtspiRole role, const std::string& name, bool intoPages) {
  std::vector<Node> found = FindAll(
      root, [&](const Node& n) { return n.Role() == role && n.Name() == name; }, intoPages);
  return found.empty() ? Node() : found.front();
}

Node Focused(const Node& root) {
  std::vector<Node> found = FindAll(root, [](const Node& n) { return n.Has(ATSPI_STATE_FOCUSED); });
  return found.empty() ? Node() : found.back();
}

namespace {

void DumpInto(const Node& node, int depth, int maxDepth, std::string& out) {
  for (Node& child : node.Children()) {
    out += std::string(size_t(depth) * 2, ' ') + child.Describe();
    const std::string id = child.Attribute("id");
    if (!id.empty()) out += " #" + id;
    if (child.Has(ATSPI_STATE_FOCUSED)) out += " [focused]";
    if (!child.Has(ATSPI_STATE_SHOWING)) out += " [not showing]";
    out += "\n";
    if (depth < maxDepth) DumpInto(child, depth + 1, maxDepth, out);
  }
}

}  // namespace

std::string Dump(const Node& root, int maxDepth) {
  std::string out;
  DumpInto(root, 0, maxDepth, out);
  return out;
}

Node WaitForApplication(pid_t pid, double seconds) {
  EnsureAtspi();
  Node found;
  WaitUntil(
      [&] {
        Node desktop(atspi_get_desktop(0));
        for (Node& app : desktop.Children()) {
          if (atspi_accessible_get_process_id(app.get(), nullptr) == guint(pid)) {
            found = app;
            return true;
          }
        }
        return false;
      },
      seconds);
  return found;
}

namespace {

Node WindowOf(const Node& app, const std::string& title) {
  for (Node& window : app.Children()) {
    const AtspiRole role = window.Role();
    if ((role == ATSPI_ROLE_FRAME || role == ATSPI_ROLE_DIALOG || role == ATSPI_ROLE_WINDOW) &&
        window.Name() == title && window.Has(ATSPI_STATE_SHOWING))
      return window;
  }
  return Node();
}

}  // namespace

Node WaitForWindow(const Node& app, const std::string& title, double seconds) {
  Node found;
  WaitUntil(
      [&] {
        found = WindowOf(app, title);
        return static_cast<bool>(found);
      },
      seconds);
  return found;
}

bool WaitForNoWindow(const Node& app, const std::string& title, double seconds) {
  return WaitUntil([&] { return !WindowOf(app, title); }, seconds);
}

// ---------------------------------------------------------------- input

void PressKeys(const std::string& keys) { Run({"xdotool", "key", "--delay", "40", keys}); }

void TypeText(const std::string& text) { Run({"xdotool", "type", "--delay", "30", text}); }

void PointAt(const Node& window) {
  auto extents = window.Extents();
  if (!extents) return;
  const auto& e = *extents;
  // A corner of the window, away from its controls. A move to where the
  // pointer already is would wait for motion that never comes.
  const int x = e[0] + 3, y = e[1] + 3;
  std::string where = Output({"xdotool", "getmouselocation", "--shell"});
  if (where.find("X=" + std::to_string(x) + "\n") != std::string::npos &&
      where.find("Y=" + std::to_string(y) + "\n") != std::string::npos)
    return;
  Run({"xdotool", "mousemove", "--sync", std::to_string(x), std::to_string(y)});
}

// ---------------------------------------------------------------- client

Client::Client() {
  char templ[] = "/tmp/lumaro-a11y-XXXXXX";
  dir_ = mkdtemp(templ);
  // A runtime folder of its own (mode 0700, as a session's must be): the
  // running-copy lock of another copy on this machine is not its business.
  fs::create_directory(dir_ / "runtime");
  fs::permissions(dir_ / "runtime", fs::perms::owner_all);
  fs::path built = LUMARO_CLIENT_EXE;
  fs::copy_file(built, dir_ / "lumaro", fs::copy_options::overwrite_existing);
  fs::create_directory_symlink(built.parent_path() / "assets", dir_ / "assets");
  fs::create_symlink(built.parent_path() / "lumaro_webkit.so", dir_ / "lumaro_webkit.so");
  // The desktop's web browser is not started by these tests.
  fs::create_directory(dir_ / "bin");
  std::ofstream script(dir_ / "bin" / "xdg-open");
  script << "#!/bin/sh\nexit 0\n";
  script.close();
  fs::permissions(dir_ / "bin" / "xdg-open", fs::perms::owner_all);
}

Client::~Client() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  std::error_code ec;
  fs::remove_all(dir_, ec);
}

void Client::Start() {
  const std::string exe = (dir_ / "lumaro").string();
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    // Nothing may keep the program from joining the accessibility bus.
    if (std::strncmp(*e, "NO_AT_BRIDGE=", 13) == 0 || std::strncmp(*e, "GTK_A11Y=", 9) == 0 ||
        std::strncmp(*e, "PATH=", 5) == 0 || std::strncmp(*e, "XDG_RUNTIME_DIR=", 16) == 0)
      continue;
    env.push_back(*e);
  }
  env.push_back("XDG_RUNTIME_DIR=" + (dir_ / "runtime").string());
  const char* path = std::getenv("PATH");
  env.push_back("PATH=" + (dir_ / "bin").string() + ":" + (path ? path : "/usr/bin:/bin"));
  std::vector<char*> envp;
  for (auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
  envp.push_back(nullptr);
  char* args[] = {const_cast<char*>(exe.c_str()), nullptr};
  if (posix_spawn(&pid_, exe.c_str(), nullptr, nullptr, args, envp.data()) != 0) pid_ = -1;
}

bool Client::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  if (waitpid(pid_, &status, WNOHANG) == pid_) {
    pid_ = -1;
    return false;
  }
  return true;
}

bool Client::WaitExit(double seconds) {
  return WaitUntil([&] { return !Running(); }, seconds);
}

}  // namespace a11y
