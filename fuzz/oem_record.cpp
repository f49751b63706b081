// ReadOemRecord: the reseller record ("SITE@@@QQ2@@@QQ3@@@QQ4@@@CODE@@@PRICE")
// that start-up reads into the reseller code, unit price and support number.
//
// Properties: the "@@@" split joins back to the record and no field holds
// "@@@"; the code, price and support number are there exactly when the record
// has their fields, and are those fields; the price is the numeric reading of
// field 5 rounded to the nearest whole number, ties to the even one, or 0 when
// that does not fit 32 bits; the numeric reading is finite, ignores blanks
// wherever they stand and stops at a character that cannot continue a number;
// fields after the sixth change nothing.
#include <cmath>
#include <cstdint>

#include "core/startup.h"
#include "core/form_text.h"
#include "fuzz/fuzz_checks.h"

using lumaro::fuzz::Require;

namespace {

std::string Join(const std::vector<std::string>& fields, const std::string& separator) {
  std::string text;
  for (size_t i = 0; i < fields.size(); ++i) text += (i ? separator : "") + fields[i];
  return text;
}

bool Same(const lumaro::OemRecord& a, const lumaro::OemRecord& b) {
  return a.code == b.code && a.unitPrice == b.unitPrice && a.supportQQ == b.supportQQ;
}

void CheckPrice(const std::string& field, int32_t price, size_t seed) {
  const double value = lumaro::ReadLeadingNumber(field).value_or(0);
  Require(std::isfinite(value), "the numeric reading is finite");
  if (price != 0) {
    const double off = std::fabs(double(price) - value);
    Require(off <= 0.5, "the price is the nearest whole number");
    if (off == 0.5) Require(price % 2 == 0, "a tie goes to the even number");
  } else {
    Require(std::fabs(value) <= 0.5 || value < -2147483648.5 || value >= 2147483647.5,
            "a price of 0 reads near 0 or does not fit 32 bits");
  }

  // Blanks, tabs and line feeds are skipped wherever they stand.
  std::string spaced = field;
  spaced.insert(seed % (field.size() + 1), seed % 2 ? " " : "\t\n");
  Require(lumaro::ReadLeadingNumber(spaced).value_or(0) == value, "a blank inserted anywhere changes nothing");
  Require(lumaro::ReadUnitPrice(spaced) == price, "a blank inserted anywhere keeps the price");
  // A character that cannot continue a number ends the reading.
  Require(lumaro::ReadLeadingNumber(field + "#9").value_or(0) == value, "the reading stops at a non-number");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string record = lumaro::fuzz::Bytes(data, size);
  const int edition = int(size % 6);  // 0 to 5: the four editions and two unknown ones

  const std::vector<std::string> fields = lumaro::SplitText(record, "@@@");
  Require(!fields.empty(), "a split gives at least one field");
  Require(Join(fields, "@@@") == record, "the fields join back to the record");
  for (const std::string& f : fields) Require(f.find("@@@") == std::string::npos, "no field holds @@@");

  const lumaro::OemRecord oem = lumaro::ReadOemRecord(record, edition);
  Require(oem.code.has_value() == (fields.size() > 4), "the code is there with field 4");
  if (oem.code) Require(*oem.code == fields[4], "the code is field 4 as written");
  Require(oem.unitPrice.has_value() == (fields.size() > 5), "the price is there with field 5");
  if (oem.unitPrice) {
    Require(*oem.unitPrice == lumaro::ReadUnitPrice(fields[5]), "the price is field 5's");
    CheckPrice(fields[5], *oem.unitPrice, size);
  }
  if (edition >= 2 && edition <= 4 && fields.size() > size_t(edition - 1)) {
    Require(oem.supportQQ == fields[edition - 1], "the support number is the edition's field");
  } else {
    Require(!oem.supportQQ, "no support number without the edition's field");
  }

  if (fields.size() >= 6)
    Require(Same(lumaro::ReadOemRecord(record + "@@@more@@@", edition), oem),
            "further fields are ignored");
  return 0;
}
