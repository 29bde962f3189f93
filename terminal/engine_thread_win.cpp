// The engines' common stop protocol; see engine_thread_win.h.
#include "terminal/engine_thread_win.h"

static HANDLE take_handle(HANDLE volatile* thread)
{
    return static_cast<HANDLE>(InterlockedExchangePointer(reinterpret_cast<PVOID volatile*>(thread), nullptr));
}

void engine_stop_thread(HANDLE volatile* thread)
{
    if (!*thread) return;
    Sleep(100);
    HANDLE handle = take_handle(thread);
    if (!handle) return;
    DWORD code = STILL_ACTIVE;
    for (int i = 0; i < 20; ++i) {
        if (!GetExitCodeThread(handle, &code) || code != STILL_ACTIVE) break;
        Sleep(50);
    }
    if (GetExitCodeThread(handle, &code) && code == STILL_ACTIVE) TerminateThread(handle, 1);
    CloseHandle(handle);
}

void engine_thread_leave(HANDLE volatile* thread)
{
    HANDLE handle = take_handle(thread);
    if (handle) CloseHandle(handle);
}
