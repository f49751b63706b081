// The consoles' guards reading a form post: ReadMemberPost and
// MemberFormVariant (member console), ReadAgentPost and AgentPostNumber
// (agent console), on the post text the browser hands over.
//
// Properties: both guards read the same action code and form variant, neither
// holding "&"; a variant is converted exactly when it is a plain decimal
// number (blanks and tabs around it allowed, no hex, "inf" or "nan") that
// fits a double, and otherwise throws std::runtime_error, which the guards
// turn into their "提交失败" recovery; both guards' number is the value
// written; the agent's numeric test of page fields agrees with the
// conversion.
#include <cmath>
#include <cstdlib>
#include <stdexcept>

#include "agent/frmSys.h"
#include "fuzz/fuzz_checks.h"
#include "member/frmAdmin.h"

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

  bool memberThrew = false, agentThrew = false;
  double member = 0, agent = 0;
  try {
    member = lumaro::MemberFormVariant(text);
  } catch (const std::runtime_error&) {
    memberThrew = true;
  }
  try {
    agent = lumaro::AgentPostNumber(text);
  } catch (const std::runtime_error&) {
    agentThrew = true;
  }
  Require(memberThrew == !number, "the member guard converts exactly plain decimal numbers");
  Require(agentThrew == !number, "the agent guard converts exactly plain decimal numbers");
  Require(lumaro::IsNumericText(text) == number, "the numeric test agrees with the conversion");
  if (!number) return;

  Require(agent == expected, "the agent reads the value written");
  Require(member == expected, "the member reads the value written");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string postText = lumaro::fuzz::Bytes(data, size);
  const lumaro::MemberPost member = lumaro::ReadMemberPost(postText);
  const lumaro::AgentPost agent = lumaro::ReadAgentPost(postText);
  Require(member.transtype == agent.transtype && member.types == agent.types,
          "both guards read the same values");
  Require(member.transtype.find('&') == std::string::npos &&
              member.types.find('&') == std::string::npos,
          "a value never holds &");
  CheckConversions(member.types);
  CheckConversions(postText);  // any text, "&" and all
  return 0;
}
