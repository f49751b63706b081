// GetUrlParam: a parameter's value read out of an address or a post text.
//
// The input is the text; the four keys the program uses are tried on it, and
// when the input has a line break, the text after the last one is tried as a
// key of its own on the text before it.
//
// Properties: the value never holds "&"; without the key (searched in a
// lower-cased copy) it is ""; otherwise it is the text that follows the key's
// first occurrence as written, up to the next "&" or the end (and "" for a
// key that holds "&" itself); the search ignores letter case but the value
// keeps its own; more parameters after the text change nothing once the key
// is found.
#include <cctype>

#include "core/url_helpers.h"
#include "fuzz/fuzz_checks.h"

using lumaro::fuzz::Require;

namespace {

std::string Lower(std::string text) {
  for (char& c : text) c = char(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Upper(std::string text) {
  for (char& c : text) c = char(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

void Check(const std::string& text, const std::string& key) {
  const std::string value = lumaro::GetUrlParam(text, key);
  Require(value.find('&') == std::string::npos, "the value never holds &");

  const size_t at = Lower(text).find(key);
  if (at == std::string::npos) {
    Require(value.empty(), "an absent key gives \"\"");
    return;
  }
  if (key.find('&') != std::string::npos) {
    Require(value.empty(), "a key that holds & gives \"\"");
    return;
  }
  const size_t start = at + key.size();
  Require(text.compare(start, value.size(), value) == 0, "the value follows the key as written");
  const size_t end = start + value.size();
  Require(end == text.size() || text[end] == '&', "the value runs to the next & or the end");

  // The search ignores letter case; the value keeps its own.
  if (key == Lower(key))
    Require(lumaro::GetUrlParam(Upper(text), key) == Upper(value), "the key is found in any case");
  Require(lumaro::GetUrlParam(text + "&x=1&" + key + "other", key) == value,
          "parameters after the text change nothing");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = lumaro::fuzz::Bytes(data, size);
  for (const char* key : {"transtype=", "types=", "pr=", "id="}) Check(input, key);
  const size_t line = input.rfind('\n');
  if (line != std::string::npos) Check(input.substr(0, line), input.substr(line + 1));
  return 0;
}
