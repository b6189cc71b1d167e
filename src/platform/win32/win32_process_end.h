#pragma once
// How a process that has started worker threads ends.
//
// A worker may be anywhere when the program ends: asking a drive for its label, loading
// mpr.dll, reading a picture from a disk that is waking up. ExitProcess ends such threads
// wherever they are and then runs every DLL's detach code on the ending thread; a lock a
// worker held at that moment is never released, and detach code that needs it waits
// forever. Windows' documentation of ExitProcess says so, and tells a process that does not
// know the state of all its threads to end with TerminateProcess instead, which runs no
// detach code at all.
//
// That alone is not enough under Wine: there a thread ended in the middle of a call to the
// Wine server dies holding Wine's own lock on the address space, and the ending thread needs
// that lock to end, by ExitProcess and by TerminateProcess alike (measured: the process
// stays, its last thread waiting for a lock whose owner is gone). A suspended thread,
// though, is stopped only where it holds none of Wine's locks. So the workers are first
// suspended, and only then is the process ended; on Windows the suspension costs nothing,
// since nothing runs after it but TerminateProcess.
//
// The order, once a worker has started, whichever way out the process takes (a return from
// main, exit()): the C runtime's own end (atexit functions, static destructors, C streams
// flushed) on the calling thread as always, then the workers suspended, then
// TerminateProcess with the same exit code. Nothing of the program's is lost by it: the
// settings file is written and flushed with WriteFile and FlushFileBuffers while the windows
// close, before the program returns from its start.
//
// The way in is the linker: every program linked with the backend has its calls to exit()
// (the one the C runtime makes with main's result among them) routed here
// (-Wl,--wrap=exit in the backend's CMakeLists.txt).

#include <thread>

namespace torvane::platform::win32 {

// Every worker thread is announced here before it is detached; from then on the process
// ends as above.
void note_worker_thread(std::thread& thread);

// Suspends every announced worker that still runs and returns once each is really stopped.
// Only for the very end: nothing but TerminateProcess may follow.
void stop_workers_for_the_end();

}  // namespace torvane::platform::win32
