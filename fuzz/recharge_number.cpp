// The recharge calculator's numbers: ReadLeadingNumber (the number at the
// start of a page field) and NumberText (the plain decimal text written back).
//
// The input is read as a field's text; when it has at least eight bytes,
// they are also taken as a double of their own for the writer.
//
// Properties: the reading is never NaN, blanks, tabs and line feeds inserted
// anywhere change nothing, and a character that cannot continue a number ends
// it. A finite number is written as "0" exactly for zero, otherwise as an
// optional "-", digits without needless leading zeros and an optional
// fraction without trailing zeros, with no exponent and at most 15
// significant digits; the text reads back to the number rounded to 15
// significant digits, and writing that again gives the same text (a field
// rewritten on each key release keeps its value) unless the rounding went
// past the largest double.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "core/form_text.h"
#include "fuzz/fuzz_checks.h"

using lumaro::fuzz::Require;

namespace {

// The number rounded to 15 significant digits, through the C library.
double Rounded15(double value) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.14e", value);
  return std::strtod(buf, nullptr);
}

void CheckWritten(double value) {
  if (!std::isfinite(value)) return;
  const std::string text = lumaro::NumberText(value);
  Require(!text.empty(), "a number is written");
  Require((text == "0") == (value == 0), "\"0\" stands for zero and only for zero");

  size_t i = text[0] == '-' ? 1 : 0;
  Require(value < 0 || i == 0, "only a negative number has a sign");
  const size_t point = text.find('.');
  const std::string whole = text.substr(i, point == std::string::npos ? std::string::npos : point - i);
  Require(!whole.empty() && whole.find_first_not_of("0123456789") == std::string::npos,
          "digits before any point");
  Require(whole == "0" || whole[0] != '0', "no needless leading zero");
  std::string digits = whole;
  if (point != std::string::npos) {
    const std::string fraction = text.substr(point + 1);
    Require(!fraction.empty() && fraction.find_first_not_of("0123456789") == std::string::npos,
            "digits after the point");
    Require(fraction.back() != '0', "no trailing zero after the point");
    digits += fraction;
  }
  const size_t first = digits.find_first_not_of('0');
  const size_t last = digits.find_last_not_of('0');
  if (first != std::string::npos)
    Require(last - first + 1 <= 15, "at most 15 significant digits");

  const std::optional<double> back = lumaro::ReadLeadingNumber(text);
  // Next to the largest double, 15 digits round up past it: the text is too
  // large to read back, which the calculator leaves alone.
  if (!back) {
    Require(!std::isfinite(Rounded15(value)), "only a number past the largest reads as nothing");
    return;
  }
  Require(*back == Rounded15(value), "the text reads back to the number in 15 digits");
  Require(lumaro::NumberText(*back) == text, "writing the number read gives the same text");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string field = lumaro::fuzz::Bytes(data, size);
  const std::optional<double> read = lumaro::ReadLeadingNumber(field);
  const double value = read.value_or(HUGE_VAL);
  Require(!std::isnan(value), "the reading is never NaN");

  std::string spaced = field;
  spaced.insert(size % (field.size() + 1), size % 2 ? " " : "\t\n");
  Require(lumaro::ReadLeadingNumber(spaced) == read, "blanks anywhere change nothing");
  Require(lumaro::ReadLeadingNumber(field + "#1") == read, "the reading stops at a non-number");
  CheckWritten(value);

  if (size >= sizeof(double)) {
    double raw;
    std::memcpy(&raw, data, sizeof raw);
    CheckWritten(raw);
  }
  return 0;
}
