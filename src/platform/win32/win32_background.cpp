#include "platform/win32/win32_background.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_process_end.h"

namespace torvane::platform::win32 {
namespace {

constexpr wchar_t kMailboxClass[] = L"TorvaneMailbox";
constexpr UINT kRunPosted = WM_APP + 1;

LRESULT CALLBACK mailbox_proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kRunPosted) {
    std::unique_ptr<std::function<void()>> fn(reinterpret_cast<std::function<void()>*>(lparam));
    if (fn && *fn) run_guarded(*fn);
    return 0;
  }
  return ::DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace

UiMailbox::UiMailbox(void* instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = mailbox_proc;
  wc.hInstance = static_cast<HINSTANCE>(instance);
  wc.lpszClassName = kMailboxClass;
  ::RegisterClassExW(&wc);  // fails harmlessly when a second mailbox registers it again
  hwnd_ = ::CreateWindowExW(0, kMailboxClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            static_cast<HINSTANCE>(instance), nullptr);
}

UiMailbox::~UiMailbox() {
  HWND hwnd = static_cast<HWND>(hwnd_);
  if (!hwnd) return;
  // Results posted but not yet run are dropped, not run against a program that is ending.
  MSG msg;
  while (::PeekMessageW(&msg, hwnd, kRunPosted, kRunPosted, PM_REMOVE))
    delete reinterpret_cast<std::function<void()>*>(msg.lParam);
  ::DestroyWindow(hwnd);
}

bool UiMailbox::post(void* mailbox, std::function<void()> fn) {
  auto* boxed = new std::function<void()>(std::move(fn));
  if (mailbox &&
      ::PostMessageW(static_cast<HWND>(mailbox), kRunPosted, 0, reinterpret_cast<LPARAM>(boxed)))
    return true;
  delete boxed;
  return false;
}

struct Worker::Lane {
  std::mutex mutex;
  std::condition_variable wake;
  std::optional<std::function<void()>> waiting;
  bool running = false;   // a job is being worked on
  bool stopping = false;  // no more jobs: the thread ends once its job is done
  bool left_behind = false;
};

std::shared_ptr<Worker::Lane> Worker::start_lane() {
  auto lane = std::make_shared<Lane>();
  std::thread thread([lane, left_behind = left_behind_] {
    std::unique_lock lock(lane->mutex);
    for (;;) {
      lane->wake.wait(lock, [&] { return lane->stopping || lane->waiting; });
      if (lane->stopping) break;
      std::function<void()> job = std::move(*lane->waiting);
      lane->waiting.reset();
      lane->running = true;
      lock.unlock();
      // A job reports its own failures through what it posts; one that throws anyway must
      // not end the program from a thread nobody waits for.
      try {
        job();
      } catch (...) {
      }
      job = nullptr;  // what it holds goes now, not when the next job comes
      lock.lock();
      lane->running = false;
    }
    if (lane->left_behind) --*left_behind;
  });
  note_worker_thread(thread);
  thread.detach();
  return lane;
}

Worker::Worker(WhenBusy when_busy)
    : when_busy_(when_busy), left_behind_(std::make_shared<std::atomic<int>>(0)) {
  lane_ = start_lane();
}

Worker::~Worker() {
  {
    std::lock_guard lock(lane_->mutex);
    lane_->stopping = true;
    lane_->waiting.reset();
  }
  lane_->wake.notify_all();
}

void Worker::submit(std::function<void()> job) {
  std::shared_ptr<Lane> fresh;
  {
    std::lock_guard lock(lane_->mutex);
    if (when_busy_ == WhenBusy::take_over && lane_->running &&
        left_behind_->load() < kMaxLeftBehind) {
      try {
        fresh = start_lane();
      } catch (const std::exception&) {
        // No thread to be had: the job waits after all.
      }
    }
    if (fresh) {
      // The running job finishes alone; its thread ends after it.
      lane_->stopping = true;
      lane_->left_behind = true;
      lane_->waiting.reset();
      ++*left_behind_;
    } else {
      lane_->waiting = std::move(job);
    }
  }
  lane_->wake.notify_all();
  if (!fresh) return;
  {
    std::lock_guard lock(fresh->mutex);
    fresh->waiting = std::move(job);
  }
  fresh->wake.notify_all();
  lane_ = std::move(fresh);
}

}  // namespace torvane::platform::win32
