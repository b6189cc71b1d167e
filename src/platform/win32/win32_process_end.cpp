#include "platform/win32/win32_process_end.h"

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/win32/win32_api.h"

#if defined(__MINGW32__)
#include <pthread.h>
#endif

namespace torvane::platform::win32 {
namespace {

// Never destroyed: it is needed after the C runtime has run the static destructors.
struct Workers {
  std::mutex mutex;
  std::vector<HANDLE> threads;
};
Workers& workers() {
  static Workers* const all = new Workers;
  return *all;
}

HANDLE handle_of(std::thread& thread) {
#if defined(__MINGW32__)
  return static_cast<HANDLE>(::pthread_gethandle(thread.native_handle()));
#else
  return static_cast<HANDLE>(thread.native_handle());
#endif
}

}  // namespace

void note_worker_thread(std::thread& thread) {
  HANDLE own = nullptr;
  if (!::DuplicateHandle(::GetCurrentProcess(), handle_of(thread), ::GetCurrentProcess(), &own,
                         THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | SYNCHRONIZE, FALSE, 0))
    own = nullptr;
  Workers& all = workers();
  std::lock_guard lock(all.mutex);
  // Threads that have ended are forgotten as new ones come.
  std::erase_if(all.threads, [](HANDLE h) {
    if (::WaitForSingleObject(h, 0) != WAIT_OBJECT_0) return false;
    ::CloseHandle(h);
    return true;
  });
  // A thread whose handle could not be kept still makes the process end the quick way.
  all.threads.push_back(own);
}

void stop_workers_for_the_end() {
  Workers& all = workers();
  // Taken and kept: no worker announces a new thread from here on.
  all.mutex.lock();
  for (HANDLE h : all.threads) {
    if (!h || ::WaitForSingleObject(h, 0) == WAIT_OBJECT_0) continue;
    if (::SuspendThread(h) == static_cast<DWORD>(-1)) continue;
    // SuspendThread only asks; the thread's context is there once it has really stopped.
    CONTEXT context{};
    context.ContextFlags = CONTEXT_CONTROL;
    ::GetThreadContext(h, &context);
  }
}

}  // namespace torvane::platform::win32

namespace {

bool workers_were_started() {
  auto& all = torvane::platform::win32::workers();
  std::lock_guard lock(all.mutex);
  return !all.threads.empty();
}

}  // namespace

extern "C" [[noreturn]] void __real_exit(int code);

extern "C" [[noreturn]] void __wrap_exit(int code) {
  if (!workers_were_started()) __real_exit(code);
  // What exit() does before ExitProcess: atexit functions, static destructors. The workers
  // still run meanwhile, as they would under exit() itself. Windows' _cexit also flushes the
  // C streams; Wine's leaves that to the C runtime's DLL detach, which is not going to run.
  ::_cexit();
  std::fflush(nullptr);
  torvane::platform::win32::stop_workers_for_the_end();
  ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(code));
  // Only reached if the system refused to end us.
  __real_exit(code);
}
