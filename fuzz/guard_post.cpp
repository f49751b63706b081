// The consoles' guards reading a form post: ReadGuardPost and
// GuardPostNumber, on the post text the browser hands over.
//
// Properties: the action code and the form variant never hold "&"; a
// variant is converted exactly when it is a plain decimal number (blanks and
// tabs around it allowed, no hex, "inf" or "nan") that fits a double, and
// otherwise throws std::runtime_error, which the guards turn into their
// "提交失败" recovery; the number is the value written; the agent's numeric
// test of page fields agrees with the conversion.
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "agent/frmSys.h"
#include "core/guard_post.h"
#include "fuzz/fuzz_checks.h"

using lumaro::fuzz::Require;

namespace {

// A plain decimal number with blanks or tabs around it, read on its own.
bool PlainDecimal(const std::string& text, double* value) {
  const size_t b = text.find_first_not_of(" \t");
  if (b == std::string::npos) return false;
  const std::string core = text.substr(b, text.find_last_not_of(" \t") - b + 1);
  size_t i = 0, digits = 0;
  if (core[i] == '+' || core[i] == '-') ++i;
  while (i < core.size() && core[i] >= '0' && core[i] <= '9') ++i, ++digits;
  if (i < core.size() && core[i] == '.') {
    ++i;
    while (i < core.size() && core[i] >= '0' && core[i] <= '9') ++i, ++digits;
  }
  if (digits == 0) return false;
  if (i < core.size() && (core[i] == 'e' || core[i] == 'E')) {
    ++i;
    if (i < core.size() && (core[i] == '+' || core[i] == '-')) ++i;
    size_t exponent = 0;
    while (i < core.size() && core[i] >= '0' && core[i] <= '9') ++i, ++exponent;
    if (exponent == 0) return false;
  }
  if (i != core.size()) return false;
  *value = std::strtod(core.c_str(), nullptr);
  return std::isfinite(*value);
}

void CheckConversions(const std::string& text) {
  double expected = 0;
  const bool number = PlainDecimal(text, &expected);

  bool threw = false;
  double read = 0;
  try {
    read = lumaro::GuardPostNumber(text);
  } catch (const std::runtime_error&) {
    threw = true;
  }
  Require(threw == !number, "exactly plain decimal numbers are converted");
  Require(lumaro::IsNumericText(text) == number, "the numeric test agrees with the conversion");
  if (!number) return;
  Require(read == expected, "the number is the value written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string postText = lumaro::fuzz::Bytes(data, size);
  const lumaro::GuardPost post = lumaro::ReadGuardPost(postText);
  Require(post.transtype.find('&') == std::string::npos &&
              post.types.find('&') == std::string::npos,
          "a value never holds &");
  CheckConversions(post.types);
  CheckConversions(postText);  // any text, "&" and all
  return 0;
}
