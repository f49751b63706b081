// UrlEncode: text made safe for a query string (every byte of its GBK form
// as "%" and two upper-case hex digits).
//
// Properties: the result is made only of "%XX" triples (upper-case hex); the
// bytes they carry are the text's GBK form, and for ASCII text the text
// itself; every ASCII character is a character of its own, so the encoding
// of a text is the encoding of its two parts around an ASCII character; and
// for well-formed UTF-8 the GBK bytes read back to the same characters, "?"
// standing for one that GBK cannot hold.
#include "core/ansi.h"
#include "core/url_helpers.h"
#include "fuzz/fuzz_checks.h"

using lumaro::fuzz::Require;

namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsAscii(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = lumaro::fuzz::Bytes(data, size);
  const std::string encoded = lumaro::UrlEncode(text);

  Require(encoded.size() % 3 == 0, "the result is made of triples");
  std::string bytes;
  for (size_t i = 0; i < encoded.size(); i += 3) {
    Require(encoded[i] == '%', "each triple starts with %");
    const int high = HexValue(encoded[i + 1]), low = HexValue(encoded[i + 2]);
    Require(high >= 0 && low >= 0, "two upper-case hex digits follow %");
    bytes.push_back(char(high * 16 + low));
  }
  Require(bytes == lumaro::Utf8ToAnsi(text), "the triples carry the text's GBK bytes");
  if (IsAscii(text)) Require(bytes == text, "ASCII text is carried as it is");

  // An ASCII character stands on its own, whatever comes before it.
  // One split per input (at the last ASCII character) keeps the run fast.
  for (size_t k = text.size(); k-- > 1;) {
    if (static_cast<unsigned char>(text[k]) >= 0x80) continue;
    Require(encoded == lumaro::UrlEncode(text.substr(0, k)) + lumaro::UrlEncode(text.substr(k)),
            "the encoding splits at an ASCII character");
    break;
  }

  std::vector<char32_t> typed, back;
  if (lumaro::fuzz::DecodeUtf8(text, &typed)) {
    Require(lumaro::fuzz::DecodeUtf8(lumaro::AnsiToUtf8(bytes), &back), "GBK bytes read back");
    Require(back.size() == typed.size(), "each character reads back as one");
    for (size_t i = 0; i < typed.size(); ++i)
      Require(back[i] == typed[i] || back[i] == U'?', "a character reads back as itself or ?");
  }
  return 0;
}
