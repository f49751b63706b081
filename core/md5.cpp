#include "core/md5.h"

#include <array>
#include <vector>
#include <cstdio>

#include "core/ansi.h"

namespace lumaro {

namespace {

// MD5 message digest (RFC 1321) of a byte string.
class Md5Digest {
 public:
  explicit Md5Digest(const std::string& message) {
    std::string m = message;
    const uint64_t bitLength = uint64_t(message.size()) * 8;
    m.push_back(char(0x80));
    while (m.size() % 64 != 56) m.push_back('\0');
    for (int i = 0; i < 8; ++i) m.push_back(char((bitLength >> (8 * i)) & 0xFF));
    for (size_t block = 0; block < m.size(); block += 64) Transform(m.data() + block);
  }

  // The 32 lower-case hex digits: A, B, C, D, each from its low byte up.
  std::string Hex() const {
    std::string out;
    char buf[3];
    for (uint32_t word : state_)
      for (int i = 0; i < 4; ++i) {
        std::snprintf(buf, sizeof buf, "%02x", unsigned((word >> (8 * i)) & 0xFF));
        out += buf;
      }
    return out;
  }

 private:
  static uint32_t Rotl(uint32_t x, int c) { return (x << c) | (x >> (32 - c)); }

  void Transform(const char* block) {
    static constexpr int kShift[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                                       5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                                       4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                                       6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};
    static constexpr uint32_t kSine[64] = {
        0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613,
        0xfd469501, 0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193,
        0xa679438e, 0x49b40821, 0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d,
        0x02441453, 0xd8a1e681, 0xe7d3fbc8, 0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed,
        0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a, 0xfffa3942, 0x8771f681, 0x6d9d6122,
        0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70, 0x289b7ec6, 0xeaa127fa,
        0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665, 0xf4292244,
        0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
        0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb,
        0xeb86d391};
    uint32_t x[16];
    for (int i = 0; i < 16; ++i) {
      const auto* p = reinterpret_cast<const unsigned char*>(block + 4 * i);
      x[i] = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    for (int i = 0; i < 64; ++i) {
      uint32_t f;
      int g;
      if (i < 16) {
        f = (b & c) | (~b & d);
        g = i;
      } else if (i < 32) {
        f = (b & d) | (c & ~d);
        g = (5 * i + 1) % 16;
      } else if (i < 48) {
        f = b ^ c ^ d;
        g = (3 * i + 5) % 16;
      } else {
        f = c ^ (b | ~d);
        g = (7 * i) % 16;
      }
      uint32_t next = b + Rotl(a + f + kSine[i] + x[g], kShift[i]);
      a = d;
      d = c;
      c = b;
      b = next;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
  }

  std::array<uint32_t, 4> state_ = {0x67452301, 0xefcdab89, 0x98badcfe, 0x10325476};
};

// Character codes of a text in the ANSI code page: a single byte as it is,
// a double-byte character as lead * 256 + trail taken as a 16-bit signed value.
std::vector<int16_t> AnsiCodes(const std::string& text) {
  std::string bytes = Utf8ToAnsi(text);
  std::vector<int16_t> codes;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x80 && i + 1 < bytes.size()) {
      codes.push_back(int16_t(uint16_t(c << 8 | static_cast<unsigned char>(bytes[i + 1]))));
      ++i;
    } else {
      codes.push_back(int16_t(c));
    }
  }
  return codes;
}

}  // namespace

std::string clsMD5::MD5(const std::string& sMessage, int stype) {
  std::string hex = Md5Digest(Utf8ToAnsi(sMessage)).Hex();
  return stype == 32 ? hex : hex.substr(8, 16);
}

std::string clsMD5::EnCode(const std::string& Str, int16_t Key) {
  std::string out;
  char buf[8];
  for (int16_t code : AnsiCodes(Str)) {
    uint16_t v = uint16_t(Key ^ code);
    std::snprintf(buf, sizeof buf, "%X", unsigned(v));
    out += buf;
  }
  return out;
}

std::string DigestToken(const std::string& x) {
  clsMD5 md5;
  std::string d = md5.MD5(x, 32);
  int16_t key = int16_t(static_cast<unsigned char>(d[0]) + 1);
  return md5.EnCode(d, key);
}

}  // namespace lumaro
