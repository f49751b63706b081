// Browsers the user never sees (they lie under other controls) are no part
// of what assistive tools see: the layout that holds them leaves them out of
// its accessible children, and the children it does show know their places.
#include <gtk/gtk.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/platform_fixture.h"
#include "platform/top_window.h"

namespace lumaro::platform_test {
namespace {

struct Child {
  std::string name;
  AtkRole role;
};

// The accessible children of `parent`, each checked to know its parent and
// its index.
std::vector<Child> AccessibleChildren(AtkObject* parent) {
  std::vector<Child> children;
  const int n = atk_object_get_n_accessible_children(parent);
  for (int i = 0; i < n; ++i) {
    AtkObject* child = atk_object_ref_accessible_child(parent, i);
    EXPECT_NE(child, nullptr) << i;
    if (!child) continue;
    EXPECT_EQ(atk_object_get_parent(child), parent) << i;
    EXPECT_EQ(atk_object_get_index_in_parent(child), i) << atk_object_get_name(child);
    const char* name = atk_object_get_name(child);
    children.push_back({name ? name : "", atk_object_get_role(child)});
    g_object_unref(child);
  }
  return children;
}

bool Contains(const std::vector<Child>& children, const std::string& name) {
  for (const Child& c : children)
    if (c.name == name) return true;
  return false;
}

TEST(UnseenBrowserTest, AssistiveToolsMeetOnlyTheControlsTheUserSees) {
  REQUIRE_DISPLAY();
  LocalServer server;
  server.Page("/page", "<html><body><p>看得见</p><input name=lName></body></html>");
  server.Start();

  WindowAttributes attributes;
  attributes.name = "frmViewQQ";
  attributes.caption = "访客详情";
  attributes.clientWidth = 6000;
  attributes.clientHeight = 4500;
  std::unique_ptr<IWindow> window = Desktop().ui->CreateWindow(attributes);
  // As the visitor viewer and the site checker place them: the unseen
  // browser first, covered by what follows.
  ControlStyle exports;
  exports.accessibleName = "导出";
  exports.unseen = true;
  IBrowser* hidden = window->AddBrowser("webData", {300, 300, 2000, 2000}, exports);
  ControlStyle page;
  page.accessibleName = "访客详情";
  IBrowser* shown = window->AddBrowser("Web", {0, 0, 6000, 3000}, page);
  window->AddLabel("Label1", {0, 3300, 3000, 300}, "正在检测");
  window->AddPanel("Picture1", {0, 3600, 6000, 900});
  ControlStyle inPanel = exports;
  inPanel.parent = "Picture1";
  inPanel.accessibleName = "网站页面";
  window->AddBrowser("web1", {0, 0, 3000, 900}, inPanel);
  ControlStyle caption;
  caption.parent = "Picture1";
  window->AddLabel("Label2", {3000, 0, 1500, 300}, "检测进度", caption);

  // Both browsers hold a page.
  int loads = 0;
  hidden->onDocumentComplete = [&](const std::string&) { ++loads; };
  shown->onDocumentComplete = [&](const std::string&) { ++loads; };
  hidden->Navigate(server.Url("/page"));
  shown->Navigate(server.Url("/page"));
  window->Show();
  ASSERT_TRUE(RunUntil([&] { return loads >= 2; }, 20)) << "the pages did not load";

  AtkObject* client = gtk_widget_get_accessible(gtk::NativeClientAreaOf(window.get()));
  std::vector<Child> children = AccessibleChildren(client);
  EXPECT_TRUE(Contains(children, "访客详情"));
  EXPECT_TRUE(Contains(children, "正在检测"));
  EXPECT_FALSE(Contains(children, "导出"));
  ASSERT_EQ(children.size(), 3u);  // the seen browser, the label, the panel

  AtkObject* panelAccessible = nullptr;
  for (int i = 0; i < atk_object_get_n_accessible_children(client); ++i) {
    AtkObject* child = atk_object_ref_accessible_child(client, i);
    if (gtk_accessible_get_widget(GTK_ACCESSIBLE(child)) ==
        gtk::NativeControlOf(window.get(), "Picture1"))
      panelAccessible = child;
    g_object_unref(child);
  }
  ASSERT_NE(panelAccessible, nullptr);
  std::vector<Child> inside = AccessibleChildren(panelAccessible);
  ASSERT_EQ(inside.size(), 1u);
  EXPECT_EQ(inside[0].name, "检测进度");

  // Controls added later take their places among the seen ones.
  ControlStyle late = exports;
  late.accessibleName = "稍后";
  window->AddBrowser("webLate", {0, 0, 100, 100}, late);
  window->AddLabel("Label3", {3000, 3300, 3000, 300}, "新标签");
  children = AccessibleChildren(client);
  ASSERT_EQ(children.size(), 4u);
  EXPECT_EQ(children[3].name, "新标签");
  EXPECT_FALSE(Contains(children, "稍后"));
  window->Close();
}

}  // namespace
}  // namespace lumaro::platform_test
