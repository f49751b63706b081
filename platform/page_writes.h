// The pages' writes that wait to be sent: the browser sends a handler's
// writes together.
#pragma once

namespace lumaro::gtk {

// The waiting writes go out: called at the end of every handler, and before
// anything that lets the world in (a modal window, a fetch's wait). Does
// nothing until a flusher has been set.
void FlushPageWrites();
// Sets what FlushPageWrites calls; the browser sets it when one of its
// documents first holds waiting writes.
void SetPageWriteFlusher(void (*flush)());

}  // namespace lumaro::gtk
