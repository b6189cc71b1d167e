// The real Torvane.exe's drive list and a drive that comes while the dialog is open: told of
// it as Windows tells every top-level window (WM_DEVICECHANGE, which Wine's mount manager
// does not send to our desktop, so the test sends it), the list shows the drive, and its
// label, read beside the UI thread, follows without the user opening the list.

#include <windows.h>

#include <dbt.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e_support.h"

namespace torvane::e2e {
namespace {

using DriveLabels = TorvaneTest;

TEST_F(DriveLabels, ADriveThatComesWhileTheDialogIsOpenShowsWithItsLabel) {
  ScratchFolder volume(L"labelled");
  // Wine's mount manager takes a drive's label from this file when the drive is defined.
  ASSERT_TRUE(write_file_bytes(volume.file(L".windows-label"), "TVLABEL\n"));

  ASSERT_NE(launch(), 0u);
  HWND main = pass_intro();
  ASSERT_NE(main, nullptr);
  Dialog dialog = open_dialog(main);
  ASSERT_TRUE(dialog);
  HWND drives = dialog.drives;
  const std::vector<std::wstring> before = entries_of(drives);

  MappedDrive drive(volume.path());
  ASSERT_NE(drive.letter(), 0);
  // Sent, not posted: the message may carry a pointer, so the system refuses to post it.
  DWORD_PTR answer = 0;
  ASSERT_NE(SendMessageTimeoutW(dialog.window, WM_DEVICECHANGE, DBT_DEVICEARRIVAL, 0, SMTO_ABORTIFHUNG,
                                10000, &answer),
            0);
  const std::wstring expected = std::wstring{static_cast<wchar_t>(towlower(drive.letter())),
                                             L':'} + L" [TVLABEL]";
  std::vector<std::wstring> now;
  EXPECT_TRUE(wait_for([&] {
    now = entries_of(drives);
    return std::find(now.begin(), now.end(), expected) != now.end();
  })) << "the list never showed " << narrow(expected);
  EXPECT_EQ(now.size(), before.size() + 1);
  EXPECT_TRUE(std::is_sorted(now.begin(), now.end())) << "the drives stay in letter order";
  ASSERT_TRUE(press(dialog.cancel));
  ASSERT_TRUE(close_program(main));
}

}  // namespace
}  // namespace torvane::e2e
