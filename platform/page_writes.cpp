#include "platform/page_writes.h"

namespace lumaro::gtk {

namespace {

void (*g_pageWriteFlusher)() = nullptr;

}  // namespace

void FlushPageWrites() {
  if (g_pageWriteFlusher) g_pageWriteFlusher();
}

void SetPageWriteFlusher(void (*flush)()) { g_pageWriteFlusher = flush; }

}  // namespace lumaro::gtk
