// What kind of address a text is, judged by its parts (scheme, user part,
// host, port, path) rather than by a text it contains somewhere: a page can
// put any text into a path, a query or a user part.
#pragma once

#include <optional>
#include <string>

namespace lumaro {

// The parts of an absolute address ("scheme:" then, for "//", an authority).
// Nothing is decoded; letters keep their case except in the scheme.
struct AddressParts {
  std::string scheme;  // lower case
  bool hasAuthority = false;
  bool hasUserInfo = false;  // an "@" in the authority
  std::string host;          // as written
  bool hasPort = false;      // a ":" after the host
  std::string port;
  std::string path;  // up to the query or the fragment
  std::string rest;  // the query and the fragment, from "?" or "#"
};

// Splits an absolute address. Nullopt when it has no valid scheme, or holds
// a control character anywhere.
std::optional<AddressParts> SplitAddress(const std::string& address);

// An absolute http or https address with a host (letters of any case).
bool IsHttpAddress(const std::string& address);

// A chat link of the messenger as the consoles form them: http or https,
// host kChatLinkHost, no user part, no port but the scheme's own, path
// "/msgrd" (letters of any case), then nothing, a query or a fragment.
bool IsChatLink(const std::string& address);

// An address of the messenger program's own scheme (kChatAppScheme, letters
// of any case).
bool IsChatAppLink(const std::string& address);

}  // namespace lumaro
