#include "gbk.h"

#include <iconv.h>
#include <openssl/evp.h>

#include <cerrno>
#include <cstdio>

namespace lumaro::service {

namespace {

// Converts with iconv; an input sequence that cannot be converted is skipped
// (one byte, or one whole UTF-8 character) and `replacement` written instead.
std::string Convert(const char* to, const char* from, const std::string& in,
                    const std::string& replacement, bool fromUtf8) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return in;
  std::string out;
  char buf[4096];
  char* src = const_cast<char*>(in.data());
  size_t left = in.size();
  while (left > 0) {
    char* dst = buf;
    size_t room = sizeof buf;
    size_t rc = iconv(cd, &src, &left, &dst, &room);
    out.append(buf, dst - buf);
    if (rc != static_cast<size_t>(-1) || errno == E2BIG) continue;
    // EILSEQ or EINVAL: skip the offending sequence.
    size_t skip = 1;
    if (fromUtf8) {
      unsigned char c = static_cast<unsigned char>(*src);
      skip = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
      if (skip > left) skip = left;
    }
    src += skip;
    left -= skip;
    out += replacement;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string ToGbk(const std::string& utf8) { return Convert("GBK", "UTF-8", utf8, "?", true); }

std::string FromGbk(const std::string& gbk) {
  return Convert("UTF-8", "GBK", gbk, "\xEF\xBF\xBD", false);
}

std::string Md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int size = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &size, EVP_md5(), nullptr);
  std::string hex;
  char two[3];
  for (unsigned int i = 0; i < size; ++i) {
    std::snprintf(two, sizeof two, "%02x", digest[i]);
    hex += two;
  }
  return hex;
}

std::string ResellerToken(const std::string& codeUtf8) {
  std::string d = Md5Hex(ToGbk(codeUtf8));
  unsigned key = static_cast<unsigned char>(d[0]) + 1;
  std::string token;
  char digits[8];
  for (unsigned char c : d) {
    std::snprintf(digits, sizeof digits, "%X", key ^ c);
    token += digits;
  }
  return token;
}

}  // namespace lumaro::service
