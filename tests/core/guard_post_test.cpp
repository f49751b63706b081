#include "core/guard_post.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace lumaro {
namespace {

TEST(GuardPost, ReadsTheValuesAsWritten) {
  const GuardPost post = ReadGuardPost("q=1&TransType=2&types= 1.5 &transtype=9");
  EXPECT_EQ(post.transtype, "2");
  EXPECT_EQ(post.types, " 1.5 ");
  EXPECT_EQ(ReadGuardPost("").types, "");
}

// The variant is the number written, unrounded.
TEST(GuardPost, VariantsAreConvertedOnlyWhenTheyArePlainNumbers) {
  struct Case {
    const char* types;
    double value;
  } numbers[] = {{"1", 1},       {" 2 ", 2},   {"1.5", 1.5}, {"2.5", 2.5}, {"-0.5", -0.5},
                 {"1e1", 10},    {".5", 0.5},  {"3.", 3},    {"2.0", 2},   {"0.99999", 0.99999}};
  for (const auto& c : numbers) EXPECT_EQ(GuardPostNumber(c.types), c.value) << c.types;
  for (const char* text : {"", " ", "x", "1x", "0x10", "inf", "nan", "1e", "1e999", "+-1", "1 2"})
    EXPECT_THROW(GuardPostNumber(text), std::runtime_error) << text;
}

}  // namespace
}  // namespace lumaro
