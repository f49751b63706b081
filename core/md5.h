// MD5 digest and XOR hex encoding, used to build the tokens sent to the service.
#pragma once

#include <cstdint>
#include <string>

namespace lumaro {

class clsMD5 {
 public:
  // Lower-case hex digest of the text's ANSI bytes: 32 digits when stype is
  // 32, otherwise the 16 digits 9 to 24.
  std::string MD5(const std::string& sMessage, int stype);
  // Each character's ANSI code XOR Key, in upper-case hex without leading zeros.
  std::string EnCode(const std::string& Str, int16_t Key);
};

// EnCode of the MD5 of x, keyed by the digest's first character code + 1.
std::string DigestToken(const std::string& x);

}  // namespace lumaro
