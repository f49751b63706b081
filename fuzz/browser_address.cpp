// BrowserAddress: an address from the service or a page, as a browser loads
// it.
//
// Properties: nothing to load ("") exactly when the address is blanks only;
// otherwise no blank at either end, and either the trimmed address itself
// (when it names a scheme) or "http://" before it; asking again changes
// nothing.
#include "fuzz/fuzz_checks.h"
#include "platform/web_text/browser_address.h"

using lumaro::fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string address = lumaro::fuzz::Bytes(data, size);
  const std::string loaded = lumaro::gtk::BrowserAddress(address);
  const size_t begin = address.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) {
    Require(loaded.empty(), "blanks only load nothing");
    return 0;
  }
  const size_t end = address.find_last_not_of(" \t\r\n");
  const std::string trimmed = address.substr(begin, end - begin + 1);
  Require(loaded == trimmed || loaded == "http://" + trimmed,
          "the trimmed address, or http:// before it");
  Require(lumaro::gtk::BrowserAddress(loaded) == loaded, "asking again changes nothing");
  return 0;
}
