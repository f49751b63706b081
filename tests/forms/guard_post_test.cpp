#include <gtest/gtest.h>

#include <stdexcept>

#include "agent/frmSys.h"
#include "member/frmAdmin.h"

namespace lumaro {
namespace {

TEST(GuardPost, BothGuardsReadTheSameValuesAsWritten) {
  const char* text = "q=1&TransType=2&types= 1.5 &transtype=9";
  const MemberPost member = ReadMemberPost(text);
  const AgentPost agent = ReadAgentPost(text);
  EXPECT_EQ(member.transtype, "2");
  EXPECT_EQ(member.types, " 1.5 ");
  EXPECT_EQ(agent.transtype, member.transtype);
  EXPECT_EQ(agent.types, member.types);
  EXPECT_EQ(ReadMemberPost("").types, "");
}

// Both guards read the variant as the number written, unrounded.
TEST(GuardPost, VariantsAreConvertedOnlyWhenTheyArePlainNumbers) {
  struct Case {
    const char* types;
    double value;
  } numbers[] = {{"1", 1},       {" 2 ", 2},   {"1.5", 1.5}, {"2.5", 2.5}, {"-0.5", -0.5},
                 {"1e1", 10},    {".5", 0.5},  {"3.", 3},    {"2.0", 2},   {"0.99999", 0.99999}};
  for (const auto& c : numbers) {
    EXPECT_EQ(AgentPostNumber(c.types), c.value) << c.types;
    EXPECT_EQ(MemberFormVariant(c.types), c.value) << c.types;
  }
  for (const char* text : {"", " ", "x", "1x", "0x10", "inf", "nan", "1e", "1e999", "+-1", "1 2"}) {
    EXPECT_THROW(AgentPostNumber(text), std::runtime_error) << text;
    EXPECT_THROW(MemberFormVariant(text), std::runtime_error) << text;
  }
}

}  // namespace
}  // namespace lumaro
