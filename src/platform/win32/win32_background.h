#pragma once
// Work that may wait on a disk or a network (decoding a picture from a share that has to wake
// up, asking a drive for its label) runs on a worker thread, never on the UI thread. Its result
// comes back to the UI thread as a posted message, so the model only ever runs there and needs
// no locks.
//
//   UiMailbox  a message-only window of the UI thread; post() hands it a function from any
//              thread, and the function runs from the message loop (or a modal box's loop).
//   Worker     runs one job at a time; a job submitted while another waits replaces it, so
//              only the latest request is ever worked on next. One that is not to wait for
//              a job it makes stale takes a fresh thread instead.

#include <atomic>
#include <functional>
#include <memory>

namespace torvane::platform::win32 {

class UiMailbox {
 public:
  // Made on the UI thread, whose messages then run what is posted.
  explicit UiMailbox(void* instance);
  ~UiMailbox();
  UiMailbox(const UiMailbox&) = delete;
  UiMailbox& operator=(const UiMailbox&) = delete;

  // The mailbox's window handle, to be captured by work that may outlive this object.
  void* handle() const { return hwnd_; }

  // Runs `fn` on the UI thread that made the mailbox `mailbox`. Callable from any thread.
  // False when that window is gone (the program is ending): `fn` is then dropped unrun.
  static bool post(void* mailbox, std::function<void()> fn);

 private:
  void* hwnd_ = nullptr;
};

class Worker {
 public:
  // What a job submitted while another runs does.
  enum class WhenBusy {
    // Waits for it (replacing any job that waits already): one thread, one job at a time.
    wait,
    // Does not wait: the running job is no longer wanted, so it is left to finish on its own
    // thread and a fresh thread takes the new one. A read stuck on a share that went away
    // then holds up nothing that comes after it. At most kMaxLeftBehind threads are left
    // behind at a time; past that a new job waits as with `wait`.
    take_over,
  };
  static constexpr int kMaxLeftBehind = 3;

  explicit Worker(WhenBusy when_busy = WhenBusy::wait);
  // Takes no more work and drops a job still waiting. A job already running is not waited
  // for: a read stuck on a sleeping disk must not hold up the program's end. Such a job
  // finishes on its own; it must own (or share) everything it touches.
  ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  // Queues `job`, replacing one that has not started yet.
  void submit(std::function<void()> job);

 private:
  struct Lane;
  std::shared_ptr<Lane> start_lane();
  WhenBusy when_busy_;
  std::shared_ptr<Lane> lane_;
  std::shared_ptr<std::atomic<int>> left_behind_;
};

}  // namespace torvane::platform::win32
