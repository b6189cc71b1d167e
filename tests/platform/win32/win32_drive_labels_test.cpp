// A drive that takes its time to say its label holds up nothing on the UI thread, only a
// label that changed is told, and the drives are asked only when they may have changed: a
// list that reads them again because a label was told asks nothing, or a drive whose answer
// flips would be asked forever.

#include "platform/win32/win32_drive_labels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"
#include "ui/file_controls.h"

namespace torvane::platform {
namespace {

// Runs the UI thread's messages until `done` holds; false after 20 s.
bool pump_until(const std::function<bool()>& done) {
  const ULONGLONG until = ::GetTickCount64() + 20000;
  MSG msg;
  while (!done()) {
    if (::GetTickCount64() > until) return false;
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
  }
  return true;
}

struct SlowDrive {
  HANDLE answer = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  std::atomic<DWORD> asked_on{0};
  std::atomic<int> asked{0}, generation{0};
  ~SlowDrive() { ::CloseHandle(answer); }
};

TEST(Win32DriveLabels, TheListAnswersAtOnceAndTellsALabelOnlyWhenItChanges) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  auto drive = std::make_shared<SlowDrive>();
  int told = 0;
  win32::DriveLabels labels(windows.mailbox(), [&] { ++told; }, [drive](char letter) {
    drive->asked_on = ::GetCurrentThreadId();
    ::WaitForSingleObject(drive->answer, 30000);  // until the test lets it answer
    ++drive->asked;
    return letter == 'C' ? "SLOW" + std::to_string(drive->generation.load()) : std::string();
  });

  labels.ask("CZ");
  ASSERT_TRUE(pump_until([&] { return drive->asked_on != 0; }));
  EXPECT_NE(drive->asked_on.load(), ::GetCurrentThreadId());
  EXPECT_EQ(labels.label('C'), "");
  EXPECT_EQ(told, 0);

  ::SetEvent(drive->answer);
  ASSERT_TRUE(pump_until([&] { return told == 1; }));
  EXPECT_EQ(labels.label('C'), "SLOW0");

  // Answers come back in order: the second tell can only be the third ask's.
  labels.ask("CZ");
  ASSERT_TRUE(pump_until([&] { return drive->asked == 4; }));
  drive->generation = 1;
  labels.ask("CZ");
  ASSERT_TRUE(pump_until([&] { return told >= 2; }));
  EXPECT_EQ(told, 2);
  EXPECT_EQ(labels.label('C'), "SLOW1");
}

class DriveForm : public ui::Form {
 public:
  explicit DriveForm(Services& sys)
      : ui::Form({.name = "DriveForm", .caption = "Drives", .client_width = 3000,
                  .client_height = 1000}),
        drives(*this, sys, "drives", {120, 120, 2000, 300}, 0) {}
  ui::DriveListBox drives;
};

TEST(Win32DriveLabels, ALabelThatFlipsIsAskedForOnlyWhenTheDrivesMayHaveChanged) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  auto asked = std::make_shared<std::atomic<int>>(0);
  Win32Services sys(windows, [asked](char letter) {
    if (letter != 'C') return std::string();
    return std::string(++*asked % 2 ? "ODD" : "EVEN");
  });
  auto shows = [](const DriveForm& form, const std::string& entry) {
    const auto& entries = form.drives.entries();
    return std::find(entries.begin(), entries.end(), entry) != entries.end();
  };
  // Long enough for a list that asks whenever it is told to ask a hundred times over.
  auto settle = [] {
    const ULONGLONG until = ::GetTickCount64() + 1500;
    pump_until([&] { return ::GetTickCount64() > until; });
  };

  DriveForm form(sys);  // made
  ASSERT_TRUE(pump_until([&] { return shows(form, "c: [ODD]"); }));
  settle();
  EXPECT_EQ(asked->load(), 1);

  form.drives.refresh();  // opened
  ASSERT_TRUE(pump_until([&] { return shows(form, "c: [EVEN]"); }));
  settle();
  EXPECT_EQ(asked->load(), 2);

  windows.devices_changed();  // a drive came or went
  ASSERT_TRUE(pump_until([&] { return shows(form, "c: [ODD]"); }));
  settle();
  EXPECT_EQ(asked->load(), 3);
}

}  // namespace
}  // namespace torvane::platform
