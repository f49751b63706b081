#include <gtest/gtest.h>

#include "core/startup.h"

namespace lumaro {
namespace {

TEST(OemRecord, TakesCodePriceAndTheEditionsSupportNumber) {
  const std::string record = "http://r.example@@@111@@@222@@@333@@@CODE@@@12.5@@@more";
  struct Case {
    int edition;
    std::optional<std::string> support;
  } cases[] = {{1, std::nullopt}, {2, "111"}, {3, "222"}, {4, "333"}, {5, std::nullopt}};
  for (const auto& c : cases) {
    const OemRecord oem = ReadOemRecord(record, c.edition);
    EXPECT_EQ(oem.code, "CODE") << c.edition;
    EXPECT_EQ(oem.unitPrice, 12) << c.edition;  // half to even
    EXPECT_EQ(oem.supportQQ, c.support) << c.edition;
  }
}

TEST(OemRecord, AFieldTheRecordLacksIsNotThere) {
  struct Case {
    const char* record;
    std::optional<std::string> code;
    std::optional<int32_t> price;
    std::optional<std::string> support;  // edition 2
  } cases[] = {
      {"", std::nullopt, std::nullopt, std::nullopt},
      {"site", std::nullopt, std::nullopt, std::nullopt},
      {"site@@@", std::nullopt, std::nullopt, ""},
      {"a@@@1@@@2@@@3@@@CODE", "CODE", std::nullopt, "1"},
      {"a@@@1@@@2@@@3@@@@@@30", "", 30, "1"},
      {"a@@@1@@@2@@@3@@@CODE@@@", "CODE", 0, "1"},
      {"a@@@@1@@@2@@@3@@@CODE@@@7", "CODE", 7, "@1"},  // "@@@@": the split takes the first three
  };
  for (const auto& c : cases) {
    const OemRecord oem = ReadOemRecord(c.record, 2);
    EXPECT_EQ(oem.code, c.code) << c.record;
    EXPECT_EQ(oem.unitPrice, c.price) << c.record;
    EXPECT_EQ(oem.supportQQ, c.support) << c.record;
  }
}

}  // namespace
}  // namespace lumaro
