// Folder names through a close and the next start, on the headless backend, whose code page
// 932 is iconv's: a name the code page holds is stored as it is; one it cannot hold is never
// stored as another folder, but as the nearest folder above it, and the random option and the
// interval come back with it.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "support/program_fixture.h"

namespace torvane {
namespace {

struct FolderRow {
  const char* what;
  const char* chosen;       // the folder open in the dialog when the main window closes
  std::string first_line;   // TorVan.ini's folder line in code page 932, before its LF CR LF
  const char* reopened;     // the folder the next start opens
};

class FolderThroughARestart : public test::ProgramFixture {};

TEST_F(FolderThroughARestart, IsStoredAsItIsOrAsTheNearestFolderAboveThatTheCodePageHolds) {
  const FolderRow rows[] = {
      {"plain", "C:\\Pics", "C:\\Pics\\", "C:\\Pics"},
      {"Japanese", "C:\\写真ソフト", "C:\\\x8e\xca\x90\x5e\x83\x5c\x83\x74\x83\x67\\",
       "C:\\写真ソフト"},
      // Best fit would write "C:\\\Pics": C:\Pics, a folder the user never chose.
      {"yen sign", "C:\\¥\\Pics", "C:\\", "C:\\"},
      {"emoji", "C:\\Pics\\\xF0\x9F\x8C\xB8", "C:\\Pics\\", "C:\\Pics"},
      {"Hangul under Japanese", "C:\\写真ソフト\\한국",
       "C:\\\x8e\xca\x90\x5e\x83\x5c\x83\x74\x83\x67\\", "C:\\写真ソフト"},
  };
  make_bitmaps("C:\\Pics", {"a.bmp"});
  for (const FolderRow& row : rows) {
    SCOPED_TRACE(row.what);
    make_bitmaps(row.chosen, {"a.bmp"});
    remove("C:\\Torvane\\TorVan.ini");
    {
      Program first{sys, windows};
      first.start();
      first.FrmIniMes().OKButton.click();
      first.FrmMain().cmdsetting.click();
      auto& dialog = first.FrmSelectFiles();
      dialog.Dir1.set_path(row.chosen);
      dialog.cmdAddAll.click();
      dialog.ChkRandom.click();
      dialog.minute.set_text("7");
      dialog.CmdOK.click();
      first.FrmMain().request_close();
    }
    std::ifstream in(host("C:\\Torvane\\TorVan.ini"), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    EXPECT_EQ(bytes, row.first_line + "\n\r\n1\n\r\n7\r\n");

    Program next{sys, windows};
    next.start();
    next.FrmIniMes().OKButton.click();
    EXPECT_TRUE(sys.messages.empty());
    EXPECT_EQ(next.FrmSelectFiles().Dir1.path(), row.reopened);
    EXPECT_EQ(next.FrmSelectFiles().ChkRandom.value(), 1);
    EXPECT_EQ(next.FrmSelectFiles().minute.text(), "7");
    sys.messages.clear();
  }
  // As Windows converts without best fit: a look-alike is no character of the code page.
  EXPECT_EQ(sys.to_ansi("a¥‖b"), "a??b");
}

}  // namespace
}  // namespace torvane
