// BytesToString: the decoding of a reply body (GBK bytes) into UTF-8 text.
//
// Properties: it throws std::runtime_error exactly when the last byte is a
// lead byte without a trail; otherwise the text is well-formed UTF-8 with one
// character per unit of the body (an ASCII byte, or a pair that starts with a
// byte of 128 or more), every ASCII unit is kept as it is and every pair gives
// one non-ASCII character (0x80 leads a pair too, which decodes to U+FFFD);
// without such a pair it agrees with the lenient AnsiToUtf8; and a body whose
// pairs all decode comes back unchanged from Utf8ToAnsi.
#include <stdexcept>

#include "core/ansi.h"
#include "core/http_fetch.h"
#include "fuzz/fuzz_checks.h"

using lumaro::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body = lumaro::fuzz::Bytes(data, size);

  // The units of the body, read on their own.
  struct Unit {
    bool ascii;
    unsigned char byte;
  };
  std::vector<Unit> units;
  bool loneLead = false;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] < 0x80) {
      units.push_back({true, data[i]});
    } else if (i + 1 < size) {
      units.push_back({false, data[i]});
      ++i;
    } else {
      loneLead = true;
    }
  }

  std::string text;
  bool threw = false;
  try {
    text = lumaro::BytesToString(body);
  } catch (const std::runtime_error&) {
    threw = true;
  }
  Require(threw == loneLead, "throws exactly for a lead byte without a trail byte");
  if (threw) return 0;

  std::vector<char32_t> chars;
  Require(lumaro::fuzz::DecodeUtf8(text, &chars), "the text is well-formed UTF-8");
  Require(chars.size() == units.size(), "one character per byte or byte pair");
  bool allDecoded = true, euroLead = false;
  for (size_t k = 0; k < units.size(); ++k) {
    if (units[k].ascii) {
      Require(chars[k] == units[k].byte, "an ASCII byte is kept as it is");
    } else {
      Require(chars[k] >= 0x80, "a byte pair gives one non-ASCII character");
      if (chars[k] == 0xFFFD) allDecoded = false;
      if (units[k].byte == 0x80) {
        Require(chars[k] == 0xFFFD, "no character of the code page starts with 0x80");
        euroLead = true;
      }
    }
  }
  // AnsiToUtf8 reads 0x80 as the euro sign on its own; elsewhere they agree.
  if (!euroLead) Require(text == lumaro::AnsiToUtf8(body), "agrees with AnsiToUtf8");
  if (allDecoded) Require(lumaro::Utf8ToAnsi(text) == body, "decoded pairs encode back to the body");
  return 0;
}
