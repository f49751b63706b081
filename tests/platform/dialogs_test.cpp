// Message boxes and the input box, answered from a timer while they run.
#include <gtk/gtk.h>

#include <functional>

#include "platform/platform_fixture.h"
#include "platform/ui_helpers.h"

namespace lumaro::platform_test {
namespace {

struct Seen {
  std::string title, text, iconName, entryText;
  bool selectedAll = false;
  int buttons = 0;
};

// Inspects the dialog once it is up, then acts on it.
void WhenDialogShows(Seen* seen, std::function<void(GtkDialog*)> act) {
  struct Job {
    Seen* seen;
    std::function<void(GtkDialog*)> act;
  };
  g_timeout_add_full(
      G_PRIORITY_DEFAULT, 50,
      [](gpointer data) -> gboolean {
        auto* job = static_cast<Job*>(data);
        GtkDialog* dialog = VisibleDialog();
        if (!dialog) return G_SOURCE_CONTINUE;
        Seen* seen = job->seen;
        seen->title = gtk_window_get_title(GTK_WINDOW(dialog));
        for (GtkWidget* w : WidgetsUnder(GTK_WIDGET(dialog))) {
          if (GTK_IS_LABEL(w) && seen->text.empty() && !gtk_widget_get_ancestor(w, GTK_TYPE_BUTTON))
            seen->text = gtk_label_get_text(GTK_LABEL(w));
          if (GTK_IS_BUTTON(w)) ++seen->buttons;
          if (GTK_IS_IMAGE(w) && gtk_image_get_storage_type(GTK_IMAGE(w)) == GTK_IMAGE_ICON_NAME) {
            const gchar* name = nullptr;
            gtk_image_get_icon_name(GTK_IMAGE(w), &name, nullptr);
            if (name) seen->iconName = name;
          }
          if (GTK_IS_ENTRY(w)) {
            seen->entryText = gtk_entry_get_text(GTK_ENTRY(w));
            int start = 0, end = 0;
            seen->selectedAll = gtk_editable_get_selection_bounds(GTK_EDITABLE(w), &start, &end) &&
                                start == 0 && end == int(seen->entryText.size());
          }
        }
        job->act(dialog);
        return G_SOURCE_REMOVE;
      },
      new Job{seen, std::move(act)}, [](gpointer data) { delete static_cast<Job*>(data); });
}

void Respond(GtkDialog* dialog, int response) { gtk_dialog_response(dialog, response); }

void SetEntry(GtkDialog* dialog, const char* text) {
  for (GtkWidget* w : WidgetsUnder(GTK_WIDGET(dialog)))
    if (GTK_IS_ENTRY(w)) gtk_entry_set_text(GTK_ENTRY(w), text);
}

// Escape on a dialog: the key binding closes it like the close box.
void PressEscape(GtkDialog* dialog) { g_signal_emit_by_name(dialog, "close"); }

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override { REQUIRE_DISPLAY(); }
};

TEST_F(DialogsTest, InformationBoxShowsTheIconTitleAndText) {
  Seen seen;
  WhenDialogShows(&seen, [](GtkDialog* d) { Respond(d, GTK_RESPONSE_OK); });
  MsgResult result = Desktop().dialogs->MessageBox("代码测试成功！", "Lumaro提醒您",
                                               MsgIcon::Information, MsgButtons::Ok);
  EXPECT_EQ(result, MsgResult::Ok);
  EXPECT_EQ(seen.title, "Lumaro提醒您");
  EXPECT_EQ(seen.text, "代码测试成功！");
  EXPECT_EQ(seen.iconName, "dialog-information");
  EXPECT_EQ(seen.buttons, 1);
}

TEST_F(DialogsTest, PlainBoxHasNoIconAndAnEmptyTitleBecomesTheApplicationTitle) {
  Seen seen;
  WhenDialogShows(&seen, [](GtkDialog* d) { PressEscape(d); });
  EXPECT_EQ(Desktop().dialogs->MessageBox("请输入密码", "", MsgIcon::None, MsgButtons::Ok),
            MsgResult::Ok);
  EXPECT_EQ(seen.iconName, "");
  EXPECT_EQ(seen.title, "Lumaro");
}

TEST_F(DialogsTest, YesNoBoxAnswers) {
  struct Case {
    std::function<void(GtkDialog*)> act;
    MsgResult expected;
  } cases[] = {
      {[](GtkDialog* d) { Respond(d, GTK_RESPONSE_YES); }, MsgResult::Yes},
      {[](GtkDialog* d) { Respond(d, GTK_RESPONSE_NO); }, MsgResult::No},
      {[](GtkDialog* d) { PressEscape(d); }, MsgResult::No},
      {[](GtkDialog* d) { gtk_window_close(GTK_WINDOW(d)); }, MsgResult::No},
  };
  for (auto& c : cases) {
    Seen seen;
    WhenDialogShows(&seen, c.act);
    EXPECT_EQ(Desktop().dialogs->MessageBox("确定要删除当前网站吗?", "Lumaro提醒您",
                                        MsgIcon::Information, MsgButtons::YesNo),
              c.expected);
    EXPECT_EQ(seen.buttons, 2);
  }
}

TEST_F(DialogsTest, InputBoxOffersTheDefaultSelectedAndReturnsTheAnswer) {
  Seen seen;
  WhenDialogShows(&seen, [](GtkDialog* d) {
    SetEntry(d, "1-52");
    Respond(d, GTK_RESPONSE_OK);
  });
  EXPECT_EQ(Desktop().dialogs->InputBox("请输入版本号", "设置版本", "1-51"), "1-52");
  EXPECT_EQ(seen.entryText, "1-51");
  EXPECT_TRUE(seen.selectedAll);
  EXPECT_EQ(seen.title, "设置版本");

  for (auto act : {std::function<void(GtkDialog*)>([](GtkDialog* d) {
                     Respond(d, GTK_RESPONSE_CANCEL);
                   }),
                   std::function<void(GtkDialog*)>([](GtkDialog* d) { PressEscape(d); })}) {
    Seen other;
    WhenDialogShows(&other, act);
    EXPECT_EQ(Desktop().dialogs->InputBox("请输入版本号", "设置版本", "1-51"), std::nullopt);
  }
}

// Timers keep running while a box waits for its answer.
TEST_F(DialogsTest, TimersRunWhileABoxIsUp) {
  int ticks = 0;
  guint timer = g_timeout_add(
      20,
      [](gpointer data) -> gboolean {
        ++*static_cast<int*>(data);
        return G_SOURCE_CONTINUE;
      },
      &ticks);
  // Answered once the timer has ticked five times, or at the wait limit.
  AnswerDialogWhen([&] { return ticks >= 5; }, GTK_RESPONSE_OK);
  Desktop().dialogs->MessageBox("x", "t", MsgIcon::None, MsgButtons::Ok);
  g_source_remove(timer);
  EXPECT_GE(ticks, 5);
}

}  // namespace
}  // namespace lumaro::platform_test
