// A process for the way-out test to start: it makes the real services (several, so that
// several workers are busy), has them ask every drive for its label over and over, and
// leaves while they are at it, the way its first argument says:
//   return  returns 7 from main
//   exit    calls exit(5) from below main
// Its second argument names a file it writes through a C stream and never flushes: the C
// runtime's own end must still write it out.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/win32/win32_api.h"
#include "platform/win32/win32_services.h"
#include "platform/win32/win32_window_system.h"

namespace {

using torvane::platform::Win32Services;
using torvane::platform::Win32WindowSystem;

[[noreturn]] void leave_from_below_main() { std::exit(5); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::FILE* note = std::fopen(argv[2], "w");
  if (!note) return 3;
  std::fputs("written before the end", note);

  Win32WindowSystem windows{::GetModuleHandleW(nullptr)};
  std::vector<std::unique_ptr<Win32Services>> services;
  for (int i = 0; i < 8; ++i) services.push_back(std::make_unique<Win32Services>(windows));
  // Leave at a different moment each time, somewhere in the middle of the questions.
  const DWORD busy_ms = 20 + (::GetCurrentProcessId() * 2654435761u >> 8) % 40;
  const DWORD start = ::GetTickCount();
  while (::GetTickCount() - start < busy_ms) {
    for (auto& sys : services) sys->drives();
    ::Sleep(1);
  }

  if (std::strcmp(argv[1], "exit") == 0) leave_from_below_main();
  return 7;
}
