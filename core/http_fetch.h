// Requests of the program's own logic to the service, and waits that keep
// the windows alive.
#pragma once

#include <string>

namespace lumaro {

// Seconds since local midnight as a single-precision number in general format
// (up to seven significant digits), e.g. "45296.13".
std::string TimerStamp();

// GET of `url`; with `stamp` the first "&t=" and everything after it are
// dropped and "&t=" + TimerStamp() appended. Returns the decoded body, " " for
// an empty body, "ERROR" for a failure or after the time limit, "" for an
// empty url. Blocks its caller while window events keep running. All fetches
// share one request object: a fetch sent by a handler that runs during the
// wait abandons this one's request, and this one then returns "ERROR".
std::string HttpGet(const std::string& url, bool stamp);

// One look at the request in flight (sets gHttpResult when it has completed).
void CheckRequest();

// Decodes body bytes: ASCII bytes as they are, every byte of 128 or more
// paired with the next one and converted from GBK as one character.
// Throws std::runtime_error when the last byte is a lead byte without trail.
std::string BytesToString(const std::string& bytes);

// Waits about count x 20 ms while window events run; returns early once
// gStopWaiting is true.
void Delay(int count);

// Runs every pending window, input and timer event once.
void PumpEvents();

// The time limit of HttpGet in seconds (30; tests may shorten it).
double HttpTimeLimit();
void SetHttpTimeLimit(double seconds);

}  // namespace lumaro
