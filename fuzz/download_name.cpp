// SafeFileName: a server's suggested name for a download, made safe to save.
//
// Properties: never empty; one name only (no "/" or "\"), no control
// characters, no bidirectional controls, no leading dot or blank (no hidden
// file, no "..") and no trailing blank; well-formed UTF-8; and a name that
// is already safe is kept as it is.
#include "fuzz/fuzz_checks.h"
#include "platform/web_text/download_name.h"

using lumaro::fuzz::Require;

namespace {

bool Unsafe(char32_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069) || c == 0x200E || c == 0x200F || c == 0x061C || c == '/' ||
         c == '\\';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string suggested = lumaro::fuzz::Bytes(data, size);
  const std::string name = lumaro::gtk::SafeFileName(suggested);
  Require(!name.empty(), "never empty");
  std::vector<char32_t> chars;
  Require(lumaro::fuzz::DecodeUtf8(name, &chars), "well-formed UTF-8");
  for (char32_t c : chars) Require(!Unsafe(c), "no separator, control or direction mark");
  Require(name.front() != '.' && name.front() != ' ', "no leading dot or blank");
  Require(name.back() != ' ', "no trailing blank");

  std::vector<char32_t> typed;
  bool safe = lumaro::fuzz::DecodeUtf8(suggested, &typed) && !suggested.empty() &&
              suggested.front() != '.' && suggested.front() != ' ' && suggested.back() != ' ';
  for (char32_t c : typed) safe = safe && !Unsafe(c);
  if (safe) Require(name == suggested, "a safe name is kept");
  return 0;
}
