// The service's side of the wire: GBK text and the reseller token. Kept apart
// from the client's own helpers on purpose, so that the stand-in checks the
// client's encoding and token instead of sharing them.
#pragma once

#include <string>

namespace lumaro::service {

// UTF-8 to GBK; a character GBK cannot represent becomes "?".
std::string ToGbk(const std::string& utf8);
// GBK to UTF-8; a byte sequence that is not GBK becomes U+FFFD.
std::string FromGbk(const std::string& gbk);

// Lower-case hex MD5 of the bytes.
std::string Md5Hex(const std::string& bytes);
// The token the sign-in and the registration carry: the MD5 hex digest d of
// the code's GBK bytes, each character XOR (d[0] + 1), in upper-case hex
// without leading zeros.
std::string ResellerToken(const std::string& codeUtf8);

}  // namespace lumaro::service
