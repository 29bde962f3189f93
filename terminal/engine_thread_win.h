// The stop protocol every engine shares for its thread. The caller has already set
// its stop flag and signalled its wake event. Caller's thread (the UI thread).
#pragma once
#include <windows.h>

// Sleeps 100 ms, takes the handle out of *thread by atomic exchange, then waits for
// the thread's end polling its exit code up to 20 times at 50 ms, and terminates it
// with exit code 1 if it is still running. The handle is closed. A thread that has
// already ended and taken its own handle out is not waited for.
void engine_stop_thread(HANDLE volatile* thread);

// For the thread itself as it leaves: takes its handle out of *thread and closes it,
// so that a stop that comes later has nothing to wait for. After this the thread
// must not touch its engine record again.
void engine_thread_leave(HANDLE volatile* thread);
