#include "platform/win32/win32_background.h"

#include <condition_variable>
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
    if (fn && *fn) (*fn)();
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

struct Worker::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  std::optional<std::function<void()>> waiting;
  bool stopping = false;
};

Worker::Worker() : shared_(std::make_shared<Shared>()) {
  std::thread thread([shared = shared_] {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock lock(shared->mutex);
        shared->wake.wait(lock, [&] { return shared->stopping || shared->waiting; });
        if (shared->stopping) return;
        job = std::move(*shared->waiting);
        shared->waiting.reset();
      }
      // A job reports its own failures through what it posts; one that throws anyway must
      // not end the program from a thread nobody waits for.
      try {
        job();
      } catch (...) {
      }
    }
  });
  note_worker_thread(thread);
  thread.detach();
}

Worker::~Worker() {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->stopping = true;
    shared_->waiting.reset();
  }
  shared_->wake.notify_all();
}

void Worker::submit(std::function<void()> job) {
  {
    std::lock_guard lock(shared_->mutex);
    shared_->waiting = std::move(job);
  }
  shared_->wake.notify_all();
}

}  // namespace torvane::platform::win32
