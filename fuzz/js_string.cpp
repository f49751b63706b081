// JsString: text handed to a page script as a string literal.
//
// Properties: the literal is in double quotes and holds no raw line break,
// quote or backslash that would end or bend it (U+2028 and U+2029 end a
// statement in older engines); read back as a script reads it, it gives the
// text itself when the text is well-formed UTF-8 (zero bytes included), and
// for any other bytes well-formed UTF-8 with U+FFFD in place of the bad ones.
#include "core/utf8.h"
#include "fuzz/fuzz_checks.h"
#include "platform/web_text/js_string.h"

using lumaro::fuzz::Require;

namespace {

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}


// The text a script reads from a double-quoted literal with the escapes
// \" \\ \n \r \t \uXXXX; false for anything else.
bool ReadLiteral(const std::string& literal, std::string* text) {
  if (literal.size() < 2 || literal.front() != '"' || literal.back() != '"') return false;
  text->clear();
  for (size_t i = 1; i + 1 < literal.size(); ++i) {
    const char c = literal[i];
    if (c == '"') return false;
    if (c != '\\') {
      *text += c;
      continue;
    }
    if (i + 2 >= literal.size()) return false;
    const char e = literal[++i];
    switch (e) {
      case '"': *text += '"'; break;
      case '\\': *text += '\\'; break;
      case 'n': *text += '\n'; break;
      case 'r': *text += '\r'; break;
      case 't': *text += '\t'; break;
      case 'u': {
        if (i + 4 >= literal.size()) return false;
        char32_t code = 0;
        for (int k = 1; k <= 4; ++k) {
          const int h = Hex(literal[i + k]);
          if (h < 0) return false;
          code = code * 16 + char32_t(h);
        }
        i += 4;
        lumaro::AppendUtf8(*text, code);
        break;
      }
      default:
        return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = lumaro::fuzz::Bytes(data, size);
  const std::string literal = lumaro::gtk::JsString(text);
  Require(literal.find('\n') == std::string::npos && literal.find('\r') == std::string::npos,
          "no raw line break");
  Require(literal.find("\xE2\x80\xA8") == std::string::npos &&
              literal.find("\xE2\x80\xA9") == std::string::npos,
          "no raw line or paragraph separator");
  std::string back;
  Require(ReadLiteral(literal, &back), "the literal reads as one string");
  std::vector<char32_t> chars, backChars;
  Require(lumaro::fuzz::DecodeUtf8(back, &backChars), "what it reads is well-formed UTF-8");
  if (lumaro::fuzz::DecodeUtf8(text, &chars)) Require(back == text, "it reads back as the text");
  return 0;
}
