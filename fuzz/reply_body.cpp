// AppendCapped: a reply body as its chunks arrive, never past the cap.
//
// The input is cut into chunks at each byte 0xFF; the cap is the first
// byte times 64. Properties: the body is never longer than the cap; a chunk
// is taken whole or not at all, and the body is then exactly the chunks
// taken, in order; a chunk is refused only when it would pass the cap.
#include "fuzz/fuzz_checks.h"
#include "platform/web_text/reply_body.h"

using lumaro::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const size_t cap = size_t(data[0]) * 64;
  std::string body, expected;
  size_t start = 1;
  for (size_t i = 1; i <= size; ++i) {
    if (i < size && data[i] != 0xFF) continue;
    const char* chunk = reinterpret_cast<const char*>(data + start);
    const size_t length = i - start;
    const bool fits = expected.size() + length <= cap;
    const bool taken = lumaro::gtk::AppendCapped(body, chunk, length, cap);
    Require(taken == fits, "a chunk is refused exactly when it would pass the cap");
    if (taken) expected.append(chunk, length);
    Require(body == expected, "the body is the chunks taken");
    Require(body.size() <= cap, "never past the cap");
    start = i + 1;
  }
  return 0;
}
