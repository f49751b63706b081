// Small text routines around the service's addresses.
#pragma once

#include <string>

namespace lumaro {

// Every byte of the text's GBK form as "%" and two upper-case hex digits.
std::string UrlEncode(const std::string& text);

// The value of `key` (lower case, ending in "=") in `url`, found in a
// lower-cased copy; returned as written, up to the next "&" or the end.
std::string GetUrlParam(const std::string& url, const std::string& key);

}  // namespace lumaro
