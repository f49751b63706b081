#include "core/address_kinds.h"

#include <string_view>

#include "build_config.h"

namespace lumaro {

namespace {

bool IsAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

bool SameLetters(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Lower(a[i]) != Lower(b[i])) return false;
  return true;
}

// The port a web address reaches when it names none.
std::string DefaultPort(const std::string& scheme) { return scheme == "https" ? "443" : "80"; }

// The port the address reaches: the one it names, or its scheme's own.
std::string EffectivePort(const AddressParts& parts) {
  return parts.hasPort && !parts.port.empty() ? parts.port : DefaultPort(parts.scheme);
}

}  // namespace

std::optional<AddressParts> SplitAddress(const std::string& address) {
  for (unsigned char c : address)
    if (c < 0x20 || c == 0x7F) return std::nullopt;

  AddressParts parts;
  const size_t colon = address.find(':');
  if (colon == std::string::npos || colon == 0 || !IsAlpha(address[0])) return std::nullopt;
  for (size_t i = 0; i < colon; ++i) {
    const char c = address[i];
    if (!IsAlpha(c) && !IsDigit(c) && c != '+' && c != '-' && c != '.') return std::nullopt;
    parts.scheme.push_back(Lower(c));
  }

  size_t at = colon + 1;
  if (address.compare(at, 2, "//") == 0) {
    at += 2;
    parts.hasAuthority = true;
    const size_t end = address.find_first_of("/?#", at);
    std::string authority =
        address.substr(at, end == std::string::npos ? std::string::npos : end - at);
    at = end == std::string::npos ? address.size() : end;

    const size_t user = authority.rfind('@');
    if (user != std::string::npos) {
      parts.hasUserInfo = true;
      authority.erase(0, user + 1);
    }
    // A bracketed (IPv6) host keeps its colons.
    size_t hostEnd = 0;
    if (!authority.empty() && authority[0] == '[') {
      const size_t close = authority.find(']');
      hostEnd = close == std::string::npos ? authority.size() : close + 1;
    } else {
      hostEnd = authority.find(':');
      if (hostEnd == std::string::npos) hostEnd = authority.size();
    }
    parts.host = authority.substr(0, hostEnd);
    if (hostEnd < authority.size()) {
      // Whatever follows the host; a valid port is ":" and digits, anything
      // else is compared as written and matches no port.
      parts.hasPort = true;
      parts.port = authority[hostEnd] == ':' ? authority.substr(hostEnd + 1)
                                              : authority.substr(hostEnd);
    }
  }

  const size_t pathEnd = address.find_first_of("?#", at);
  if (pathEnd == std::string::npos) {
    parts.path = address.substr(at);
  } else {
    parts.path = address.substr(at, pathEnd - at);
    parts.rest = address.substr(pathEnd);
  }
  return parts;
}

bool IsHttpAddress(const std::string& address) {
  const std::optional<AddressParts> parts = SplitAddress(address);
  return parts && (parts->scheme == "http" || parts->scheme == "https") && parts->hasAuthority &&
         !parts->host.empty();
}

bool IsChatLink(const std::string& address) {
  const std::optional<AddressParts> parts = SplitAddress(address);
  if (!parts || (parts->scheme != "http" && parts->scheme != "https")) return false;
  if (!parts->hasAuthority || parts->hasUserInfo) return false;
  // The endpoint as configured: a host, and a port when the build names one
  // (a stand-in of the endpoint on this machine).
  const std::optional<AddressParts> endpoint =
      SplitAddress(parts->scheme + "://" + std::string(kChatLinkHost));
  if (!endpoint || !SameLetters(parts->host, endpoint->host)) return false;
  if (EffectivePort(*parts) != EffectivePort(*endpoint)) return false;
  return SameLetters(parts->path, "/msgrd");
}

bool IsChatAppLink(const std::string& address) {
  const std::optional<AddressParts> parts = SplitAddress(address);
  return parts && SameLetters(parts->scheme, kChatAppScheme);
}

}  // namespace lumaro
