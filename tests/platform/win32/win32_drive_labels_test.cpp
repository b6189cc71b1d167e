// A drive that takes its time to say its label holds up nothing on the UI thread, and only a
// label that changed is told (the list reads the drives again each time it is told).

#include "platform/win32/win32_drive_labels.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_window_system.h"

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

}  // namespace
}  // namespace torvane::platform
