// Faults below HTTP: resetting or dropping the connection a request came on.
#pragma once

#include <httplib.h>

namespace lumaro::service {

// Aborts the connection with a TCP reset. The socket is closed by putting an
// unconnected one in its place, so the descriptor httplib closes later is
// still ours and cannot be a newer connection's.
void ResetConnection(const httplib::Request& req);

// Drops the connection without an answer: whatever httplib writes afterwards
// fails.
void DropConnection(const httplib::Request& req);

}  // namespace lumaro::service
