// Text helpers of the stand-in service: letter case, percent coding, query
// parsing and the GBK/UTF-8 boundary.
#pragma once

#include <map>
#include <string>

namespace lumaro::service {

std::string LowerAscii(std::string s);
std::string UpperAscii(std::string s);
bool EqualsNoCase(const std::string& a, const std::string& b);
bool ContainsNoCase(const std::string& haystack, const std::string& needle);

// Percent-decodes to raw bytes; "+" becomes a space only when plusIsSpace.
// A "%" not followed by two hex digits stays as it is.
std::string PercentDecode(const std::string& raw, bool plusIsSpace);
// Every byte that is not an unreserved ASCII character as "%XX".
std::string PercentEncode(const std::string& bytes);

// Request text to UTF-8. Bytes that form valid UTF-8 made of ASCII and
// three- or four-byte sequences are taken as UTF-8 (addresses the client builds
// without encoding reach us that way from the browser); anything else is GBK.
std::string RequestTextToUtf8(const std::string& bytes);

// Splits "a=1&b=2" and adds the decoded (UTF-8) pairs to `out`.
void ParseParams(const std::string& raw, bool plusIsSpace,
                 std::multimap<std::string, std::string>& out);

// The first value of the parameter `name` (compared without regard to
// case), or nullptr when there is none.
const std::string* FindParam(const std::multimap<std::string, std::string>& params,
                             const std::string& name);
// The same, "" when there is none.
std::string ParamOrEmpty(const std::multimap<std::string, std::string>& params,
                         const std::string& name);

// HTML-escapes UTF-8 text for element content and attribute values.
std::string HtmlEscape(const std::string& s);

}  // namespace lumaro::service
