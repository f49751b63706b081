// Letter case of the account names sent to the service.
#pragma once

#include <string>

namespace lumaro {

// UTF-8 text with its letters in upper case: ASCII, Latin-1, Latin
// Extended-A, basic Greek and Cyrillic, and full-width Latin letters.
// Everything else (Chinese has no case) is copied unchanged, and so are
// bytes that do not form valid UTF-8.
std::string UpperCaseText(const std::string& text);
// The same letters in lower case.
std::string LowerCaseText(const std::string& text);

}  // namespace lumaro
