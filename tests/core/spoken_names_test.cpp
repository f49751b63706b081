// The names screen readers speak for the windows' controls.
#include "core/spoken_names.h"

#include <gtest/gtest.h>

namespace lumaro {
namespace {

TEST(SpokenNames, EachKindOfControlIsNamedByItsRule) {
  struct Case {
    const char* what;
    std::string spoken;
    const char* expected;
  } cases[] = {
      {"label caption", LabelSpokenName("          基本信息管理", ""), "基本信息管理"},
      {"label blanks inside", LabelSpokenName(" a   b  c ", ""), "a b c"},
      {"label of blanks", LabelSpokenName("   ", ""), ""},
      {"label given a name", LabelSpokenName("", "退出"), "退出"},
      {"label name over caption", LabelSpokenName("x", "首页"), "首页"},
      {"text box given a name", FieldSpokenName("txtuser", "用户名"), "用户名"},
      {"text box without one", FieldSpokenName("txtuser", ""), "txtuser"},
      {"button caption", DrawnButtonSpokenName("cmdStop", "停止测试", "停止"), "停止测试"},
      {"button access key", DrawnButtonSpokenName("b", "&Close", ""), "Close"},
      {"button doubled mark", DrawnButtonSpokenName("b", "A&&B", ""), "A&B"},
      {"button final mark", DrawnButtonSpokenName("b", "OK&", ""), "OK"},
      {"bar without caption", DrawnButtonSpokenName("pbar", "", "检测进度"), "检测进度"},
      {"nothing given", DrawnButtonSpokenName("pbar", "&", ""), "pbar"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.spoken, c.expected) << c.what;
}

}  // namespace
}  // namespace lumaro
