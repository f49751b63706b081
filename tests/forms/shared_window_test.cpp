// The single shared windows: one replaced or let go while one of its
// handlers is still on the stack outlives that handler, and goes once the
// gate finds it idle.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "agent/frmSys.h"
#include "forms/forms_fixture.h"
#include "member/frmAdmin.h"
#include "signin/frmReg.h"
#include "signin/frmlogin.h"
#include "windows/frmUP.h"
#include "windows/frmView.h"

namespace lumaro {
namespace {

class SharedWindowTest : public FormsTest {
 protected:
  // Window objects of that name not freed yet (a freed window's address may
  // be reused by the next one, so they are counted, not looked up).
  long Live(const std::string& name) const {
    return std::count_if(ui.windows().begin(), ui.windows().end(),
                         [&](const FakeWindow* w) { return w->Name() == name; });
  }
};

struct Kind {
  const char* name;
  std::function<IWindow&()> instance;
  std::function<void()> release;
};

template <class Form>
Kind KindOf(const char* name) {
  return {name, [] () -> IWindow& { return Form::Instance().Window(); },
          [] { Form::ReleaseInstance(); }};
}

const Kind kKinds[] = {
    KindOf<frmlogin>("frmlogin"), KindOf<frmReg>("frmReg"), KindOf<frmAdmin>("frmAdmin"),
    KindOf<frmSys>("frmSys"),     KindOf<frmUP>("frmUP"),   KindOf<frmView>("frmView"),
};

FakeWindow* Shown(const Kind& kind) {
  auto* w = static_cast<FakeWindow*>(&kind.instance());
  w->Show();
  return w;
}

TEST_F(SharedWindowTest, AWindowClosedDuringItsOwnHandlerIsFreedAfterIt) {
  for (const Kind& kind : kKinds) {
    SCOPED_TRACE(kind.name);
    FakeWindow* first = Shown(kind);
    // The handler waits (a message box, a fetch) and meanwhile the window
    // closes and something asks for the shared window again.
    first->RunHandler([&] {
      first->UserClose();
      EXPECT_NE(Shown(kind), first);
      EXPECT_EQ(Live(kind.name), 2) << "freed under its own handler";
    });
    EXPECT_EQ(Live(kind.name), 2) << "freed before the gate ran";
    env.pump.PumpEvents();
    EXPECT_EQ(Live(kind.name), 1) << "never freed";
    FakeWindow* second = static_cast<FakeWindow*>(&kind.instance());
    EXPECT_TRUE(second->IsOpen());

    // Closed with none of its handlers running: freed as it is replaced.
    second->UserClose();
    FakeWindow* third = Shown(kind);
    EXPECT_EQ(Live(kind.name), 1);

    // Let go of while a handler of it runs: kept until that has returned.
    third->RunHandler([&] {
      kind.release();
      EXPECT_EQ(Live(kind.name), 1);
    });
    env.pump.PumpEvents();
    EXPECT_EQ(Live(kind.name), 0);
  }
  EXPECT_EQ(DispatchGate::Get().Pending(), 0u);
}

}  // namespace
}  // namespace lumaro
