#include "platform/idle_call.h"

#include <glib.h>

#include <utility>

namespace lumaro::gtk {

namespace {

struct IdleCall {
  std::weak_ptr<bool> token;
  std::function<void()> fn;
};

gboolean RunIdleCall(gpointer data) {
  auto* call = static_cast<IdleCall*>(data);
  if (!call->token.expired()) call->fn();
  return G_SOURCE_REMOVE;
}

void FreeIdleCall(gpointer data) { delete static_cast<IdleCall*>(data); }

}  // namespace

void RunWhenIdle(std::weak_ptr<bool> token, std::function<void()> fn) {
  g_idle_add_full(G_PRIORITY_DEFAULT_IDLE, RunIdleCall,
                  new IdleCall{std::move(token), std::move(fn)}, FreeIdleCall);
}

}  // namespace lumaro::gtk
