#include "core/ansi.h"

#include <iconv.h>

#include <cerrno>
#include <cstdint>

#include "core/utf8.h"

namespace lumaro {

namespace {

// An iconv descriptor kept for the thread; conversions go one character at
// a time, so opening a descriptor per call would dominate.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts the bytes as one piece; false when any of them cannot be.
  bool Run(const char* data, size_t size, std::string* out) {
    out->clear();
    if (!ok()) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(data);
    size_t srcLeft = size;
    char buf[64];
    while (srcLeft > 0) {
      char* dst = buf;
      size_t dstLeft = sizeof buf;
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      out->append(buf, size_t(dst - buf));
      if (r == size_t(-1) && errno != E2BIG) return false;
    }
    return true;
  }

 private:
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t cd_;
};

Converter& ToGbk() {
  thread_local Converter c("GBK", "UTF-8");
  return c;
}

Converter& FromGbk() {
  thread_local Converter c("UTF-8", "GBK");
  return c;
}

}  // namespace

std::string Utf8ToAnsi(const std::string& utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out.push_back(char(c));
      ++i;
      continue;
    }
    // A sequence cut short ends before the first byte that does not continue
    // it: that byte is read on its own.
    const size_t length = Utf8SequenceLength(c);
    size_t n = 1;
    while (n < length && i + n < utf8.size() &&
           (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80)
      ++n;
    std::string gbk;
    if (ToGbk().Run(utf8.data() + i, n, &gbk) && !gbk.empty())
      out += gbk;
    else
      out.push_back('?');
    i += n;
  }
  return out;
}

std::string AnsiToUtf8(const std::string& ansi) {
  std::string out;
  out.reserve(ansi.size() + ansi.size() / 2);
  size_t i = 0;
  // Runs of ASCII are copied as they are; each byte of 128 or more is a lead
  // byte converted with the byte after it.
  while (i < ansi.size()) {
    unsigned char c = static_cast<unsigned char>(ansi[i]);
    if (c < 0x80) {
      out.push_back(char(c));
      ++i;
      continue;
    }
    // The code page's one single byte above ASCII: Utf8ToAnsi writes the
    // euro sign as 0x80, so it reads back as one.
    if (c == 0x80) {
      out += "\xE2\x82\xAC";
      ++i;
      continue;
    }
    if (i + 1 >= ansi.size()) {
      out += "\xEF\xBF\xBD";
      ++i;
      continue;
    }
    // The pair must make exactly one character: 0xFF leads nothing in GBK.
    std::string utf8;
    bool lead = c >= 0x81 && c <= 0xFE;
    if (lead && FromGbk().Run(ansi.data() + i, 2, &utf8) && !utf8.empty() &&
        Utf8SequenceLength(static_cast<unsigned char>(utf8[0])) == utf8.size())
      out += utf8;
    else
      out += "\xEF\xBF\xBD";
    i += 2;
  }
  return out;
}

}  // namespace lumaro
