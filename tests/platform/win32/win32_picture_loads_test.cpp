// Pictures loaded beside the UI thread, with the real worker threads: a read stuck on a disk
// that went away holds up no load asked for after it, a load always ends with its result on
// the UI thread (a decoder that throws included), and a picture's file is closed once it has
// loaded, so that the user can delete or replace it while it is shown.

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "platform/win32/win32_background.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"
#include "win32_test_support.h"

namespace torvane::platform {
namespace {

// The next ReadFile, once armed, waits until the test lets it go: a disk that has to wake up.
struct StuckRead {
  std::atomic<bool> armed{false}, stuck{false};
  HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  test::ImportHook* hook = nullptr;
} g_read;

BOOL WINAPI slow_read(HANDLE file, LPVOID out, DWORD size, LPDWORD got, LPOVERLAPPED at) {
  if (g_read.armed.exchange(false)) {
    g_read.stuck = true;
    ::WaitForSingleObject(g_read.go, 60000);
  }
  using Fn = BOOL(WINAPI*)(HANDLE, LPVOID, DWORD, LPDWORD, LPOVERLAPPED);
  return g_read.hook->original<Fn>()(file, out, size, got, at);
}

TEST(Win32PictureLoads, AStuckReadHoldsUpNoLaterLoadAndEveryLoadEndsOnTheUiThread) {
  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  Win32Services sys{windows};
  test::ScratchFolder dir;
  test::ImportHook hook("kernel32.dll", "ReadFile", reinterpret_cast<void*>(&slow_read));
  ASSERT_TRUE(hook.hooked());
  g_read.hook = &hook;
  ::ResetEvent(g_read.go);
  for (const wchar_t* name : {L"stuck.bmp", L"next.bmp", L"throws.bmp"})
    ASSERT_TRUE(test::write_bytes(dir / name, "BM" + win32::narrow(name)));

  std::vector<std::string> ended;  // in the order the UI thread heard of them
  std::vector<std::string> read;   // what each decode found at the file's start
  std::mutex read_lock;
  auto load = [&](const std::string& name, bool throws = false) {
    sys.load_picture(
        name.empty() ? "" : dir.utf8() + "\\" + name,
        [&, name, throws](ByteSource* file) {
          // The start of the file, twice: a load no longer wanted reads nothing more.
          std::string found = name + ":";
          for (int i = 0; i < 2 && file; ++i) {
            std::string start(4, '\0');
            const std::size_t n =
                file->read_at(0, {reinterpret_cast<std::uint8_t*>(start.data()), 4});
            found += (i ? "|" : "") + start.substr(0, n);
          }
          {
            std::lock_guard lock(read_lock);
            read.push_back(found);
          }
          if (throws) throw 42;  // not even a std::exception
        },
        [&, name] {
          EXPECT_EQ(::GetCurrentThreadId(),
                    ::GetWindowThreadProcessId(static_cast<HWND>(windows.mailbox()), nullptr));
          ended.push_back(name);
        });
  };

  g_read.armed = true;
  load("stuck.bmp");
  ASSERT_TRUE(test::eventually([&] { return g_read.stuck.load(); }));
  load("next.bmp");
  ASSERT_TRUE(test::eventually([&] { return ended.size() == 1; })) << "held up by the stuck read";
  load("throws.bmp", true);
  ASSERT_TRUE(test::eventually([&] { return ended.size() == 2; })) << "a decoder that throws";
  load("");
  ASSERT_TRUE(test::eventually([&] { return ended.size() == 3; })) << "no file at all";
  EXPECT_EQ(ended, (std::vector<std::string>{"next.bmp", "throws.bmp", ""}));

  // Loaded and shown: the user may delete the file and put another under its name.
  for (const wchar_t* name : {L"next.bmp", L"throws.bmp"}) {
    HANDLE only_mine = ::CreateFileW((dir / name).c_str(), GENERIC_READ | DELETE, 0, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(only_mine, INVALID_HANDLE_VALUE) << win32::narrow(name) << " is still open";
    if (only_mine != INVALID_HANDLE_VALUE) ::CloseHandle(only_mine);
    EXPECT_TRUE(::DeleteFileW((dir / name).c_str()));
    EXPECT_TRUE(test::write_bytes(dir / name, "other"));
  }

  // The stuck read ends late; it still ends on the UI thread, after the later ones.
  ::SetEvent(g_read.go);
  ASSERT_TRUE(test::eventually([&] { return ended.size() == 4; }));
  EXPECT_EQ(ended.back(), "stuck.bmp");
  std::lock_guard lock(read_lock);
  EXPECT_EQ(read, (std::vector<std::string>{"next.bmp:BMne|BMne", "throws.bmp:BMth|BMth", ":",
                                            "stuck.bmp:BMst|"}));

  // A result that throws on the UI thread stops nothing that comes after it.
  bool after = false;
  win32::UiMailbox::post(windows.mailbox(), [] { throw 7; });
  win32::UiMailbox::post(windows.mailbox(), [&] { after = true; });
  EXPECT_TRUE(test::eventually([&] { return after; }));
}

// Jobs that wait give way to the latest; where a busy worker is not waited for, a job stuck
// in its read holds up none after it, up to a few such threads left behind.
TEST(Win32Worker, AWaitingJobGivesWayToTheLatestAndAStuckOneIsLeftBehind) {
  using WhenBusy = win32::Worker::WhenBusy;
  struct Row {
    WhenBusy when_busy;
    // s: a job that starts and is stuck until the test lets it go, r: one that starts and runs
    // through, w: one that has to wait
    const char* jobs;
    std::string ran_before_release, ran_in_the_end;
  };
  const Row rows[] = {
      {WhenBusy::wait, "sww", "0", "02"},
      {WhenBusy::take_over, "srr", "012", "012"},
      // Three left behind and one running: the next one waits, and gives way to the latest.
      {WhenBusy::take_over, "ssssww", "0123", "01235"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.jobs);
    HANDLE go = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto ran = std::make_shared<std::string>();
    auto lock = std::make_shared<std::mutex>();
    auto ran_now = [&] {
      std::lock_guard guard(*lock);
      return *ran;
    };
    {
      win32::Worker worker(row.when_busy);
      const std::string jobs = row.jobs;
      for (std::size_t i = 0; i < jobs.size(); ++i) {
        const bool stuck = jobs[i] == 's';
        worker.submit([=] {
          {
            std::lock_guard guard(*lock);
            *ran += static_cast<char>('0' + i);
          }
          if (stuck) ::WaitForSingleObject(go, 60000);
        });
        // One that starts is under way before the next is asked for.
        if (jobs[i] != 'w') {
          ASSERT_TRUE(test::eventually([&] { return ran_now().size() == i + 1; }));
        }
      }
      // A job that ought to wait but was given a thread shows within this time.
      ::Sleep(300);
      EXPECT_EQ(ran_now(), row.ran_before_release);
      ::SetEvent(go);
      test::eventually([&] { return ran_now() == row.ran_in_the_end; });
      EXPECT_EQ(ran_now(), row.ran_in_the_end);
    }
    // `go` stays open: a thread left behind may still be on its way out of its wait.
  }
}

}  // namespace
}  // namespace torvane::platform
