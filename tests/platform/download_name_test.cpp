// The name a page's download is saved under.
#include "platform/web_text/download_name.h"

#include <gtest/gtest.h>

namespace lumaro::gtk {
namespace {

TEST(DownloadNameTest, KeepsTheFileInsideTheFolderVisibleAndNeverEmpty) {
  struct Case {
    const char* suggested;
    const char* expected;
  } cases[] = {
      {"visitors.xls", "visitors.xls"},
      {"访客2026.xls", "访客2026.xls"},
      {"", "download"},
      {"   ", "download"},
      {"..", "download"},
      {"../../.bashrc", "bashrc"},
      {"C:\\temp\\list.xls", "list.xls"},
      {"/etc/passwd", "passwd"},
      {"dir/", "download"},
      {"a\nb\tc.xls", "abc.xls"},
      {"  name.xls  ", "name.xls"},
      // Bidirectional controls (which show "invoice\u202Efdp.desktop" as
      // "invoicepotksed.pdf") go, and so do C1 controls.
      {"invoice\u202Efdp.desktop", "invoicefdp.desktop"},
      {"a\u2066b\u2069\u200Fc.txt", "abc.txt"},
      {"x\u0085y.txt", "xy.txt"},
      // Bytes that are not UTF-8 become replacement characters, never raw.
      {"\xFF.txt", "\uFFFD.txt"},
  };
  for (const auto& c : cases) EXPECT_EQ(SafeFileName(c.suggested), c.expected) << c.suggested;
}

}  // namespace
}  // namespace lumaro::gtk
