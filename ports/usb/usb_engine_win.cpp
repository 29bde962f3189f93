// The USB engine; see usb_engine_win.h.
//
// One read of the whole buffer stays outstanding; a read that ends with data is
// handed on and the next starts at once. One that ends empty or failed is tried
// again no sooner than 100 ms later (the thread's 50 ms wait paces the check), so a
// driver that ends reads at once never makes it spin. A read or a write that cannot
// even start means the device is gone: the engine is then UsbFailed, says so through
// on_status, reports a write it had taken with 0 written, and its thread ends.
//
// Stopping: the thread cancels its I/O and waits for each transfer to end before it
// leaves, so no cancelled transfer still refers to the receive buffer, the write
// request's bytes or the record when the stop releases them. A thread that had to be
// terminated may not have done so: its handles, events and buffer are then left
// alone for good (the core's abandoned).
#include "ports/usb/usb_engine_win.h"

#include <setupapi.h>

#include <cstdlib>
#include <cstring>

#include "ports/usb/usb_guid.h"
#include "ports/usb/usb_path.h"

static_assert(sizeof(UsbGuid) == sizeof(GUID), "UsbGuid is laid out as GUID");

constexpr DWORD USB_READ_RETRY_MS = 100;
constexpr DWORD USB_WAIT_MS = 50;

int usb_find_device_path(const GUID* guid, char* path)
{
    if (!guid || !path) return 0;
    path[0] = '\0';
    HDEVINFO set = SetupDiGetClassDevsA(guid, nullptr, nullptr, DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) return 0;
    int found = 0;
    SP_DEVICE_INTERFACE_DATA data = {};
    data.cbSize = sizeof data;
    // The first present interface of the class is the device.
    if (SetupDiEnumDeviceInterfaces(set, nullptr, guid, 0, &data)) {
        DWORD size = 0;
        SetupDiGetDeviceInterfaceDetailA(set, &data, nullptr, 0, &size, nullptr);
        auto* detail = size >= sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)
                           ? static_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(std::calloc(1, size))
                           : nullptr;
        if (detail) {
            detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
            if (SetupDiGetDeviceInterfaceDetailA(set, &data, detail, size, nullptr, nullptr) &&
                std::strlen(detail->DevicePath) < USB_PATH_SIZE) {
                std::strcpy(path, detail->DevicePath);
                found = 1;
            }
            std::free(detail);
        }
    }
    SetupDiDestroyDeviceInfoList(set);
    return found;
}

// Opens one pipe of the device; null when it cannot be had (no present device for the
// GUID, a path that does not fit, or a pipe that does not open). Each pipe looks the
// device path up afresh.
static HANDLE open_pipe(const char* device, const char* pipe)
{
    char base[USB_PATH_SIZE];
    UsbGuid parsed;
    bool by_name = !parse_guid_text(device, &parsed);
    if (by_name) {
        if (std::strlen(device) >= sizeof base) return nullptr;
        std::strcpy(base, device);
    } else {
        GUID guid;
        std::memcpy(&guid, &parsed, sizeof guid);
        if (!usb_find_device_path(&guid, base)) return nullptr;
    }
    char path[USB_PATH_SIZE];
    if (!usb_pipe_path(base, by_name, pipe, path)) return nullptr;
    HANDLE handle = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

// What the USB engine has beside its core.
static void release_pipes(UsbEngine* e)
{
    engine_close_handle(&e->read_done);
    engine_close_handle(&e->write_done);
    engine_close_handle(&e->input_pipe);
    engine_close_handle(&e->output_pipe);
}

// Reading uses the input pipe, writing the output pipe; either serves both ways when
// the other did not open.
static HANDLE read_pipe(const UsbEngine* e)
{
    return e->input_pipe ? e->input_pipe : e->output_pipe;
}

static HANDLE write_pipe(const UsbEngine* e)
{
    return e->output_pipe ? e->output_pipe : e->input_pipe;
}

static DWORD WINAPI usb_engine_thread(void* parameter) noexcept;

int usb_open(UsbEngine* e, const UsbOpenParams* params)
{
    if (!e || !params || !params->device) return -1;
    std::memset(e, 0, sizeof *e);
    e->input_pipe = open_pipe(params->device, params->input_pipe);
    e->output_pipe = open_pipe(params->device, params->output_pipe);
    if (!e->input_pipe && !e->output_pipe) return -1;
    if (engine_core_open(&e->core, &params->callbacks) != 0) {
        release_pipes(e);
        return -1;
    }
    e->usb_state = UsbIdle;
    e->read_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->write_done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    e->read_overlapped.hEvent = e->read_done;
    e->write_overlapped.hEvent = e->write_done;
    if (!e->read_done || !e->write_done || !engine_core_start(&e->core, usb_engine_thread, e)) {
        release_pipes(e);
        engine_core_release(&e->core);
        return -1;
    }
    return 0;
}

int usb_write(UsbEngine* e, const unsigned char* data, std::int32_t length)
{
    return e ? engine_core_request_write(&e->core, data, length) : 0;
}

void usb_stop(UsbEngine* e)
{
    if (!e) return;
    engine_core_stop(&e->core);
    if (!e->core.abandoned) release_pipes(e);
}

std::int32_t usb_state(const UsbEngine* e)
{
    return e ? e->usb_state : 0;
}

// Engine thread from here on.

// A read or a write could not start: the device is gone. Said once; the thread then
// leaves its loop, and no write is accepted any more.
static void usb_failed(UsbEngine* e)
{
    if (e->usb_state == UsbFailed) return;
    InterlockedExchange(&e->usb_state, UsbFailed);
    engine_core_status(&e->core);
    InterlockedExchange(&e->core.stop_requested, 1);
}

static void start_read(UsbEngine* e)
{
    if (e->read_pending || e->core.stop_requested) return;
    e->retry_set = 0;
    e->read_pending = 1;
    e->read_overlapped.Offset = 0;
    e->read_overlapped.OffsetHigh = 0;
    // ReadFile resets read_done as it starts; one that ends at once is still reported
    // through it.
    if (ReadFile(read_pipe(e), e->core.rx_buffer, static_cast<DWORD>(e->core.callbacks.receive_buffer_size),
                 nullptr, &e->read_overlapped) ||
        GetLastError() == ERROR_IO_PENDING)
        return;
    e->read_pending = 0;
    usb_failed(e);
}

static void read_completed(UsbEngine* e)
{
    e->read_pending = 0;
    DWORD count = 0;
    if (GetOverlappedResult(read_pipe(e), &e->read_overlapped, &count, FALSE) && count > 0) {
        engine_core_receive(&e->core, count);
        // The next read's ReadFile resets read_done (under Wine each reset is a trip
        // to the server, and this is the path every received block takes).
        start_read(e);
        return;
    }
    // Served first in the wait set: left signalled it would be served again.
    ResetEvent(e->read_done);
    e->retry_set = 1;
    e->retry_at = GetTickCount() + USB_READ_RETRY_MS;
}

// A write that cannot start fails the engine (which then accepts no more). One that
// ends in failure is only reported with 0 written, and a partial one as such: the
// owner sends the rest.
static void write_ended(void* engine, bool started, bool, DWORD)
{
    if (!started) usb_failed(static_cast<UsbEngine*>(engine));
}

static void start_write(UsbEngine* e)
{
    if (!e->core.stop_requested) engine_start_write(&e->core, write_pipe(e), &e->write_overlapped, write_ended, e);
}

static void write_completed(UsbEngine* e)
{
    engine_write_completed(&e->core, write_pipe(e), &e->write_overlapped, write_ended, e);
}

// Serves one event of the wait set (its index there).
static void serve_event(void* context, DWORD index)
{
    UsbEngine* e = static_cast<UsbEngine*>(context);
    switch (index) {
    case 0:
        read_completed(e);
        break;
    case 1:
        write_completed(e);
        break;
    case 2:
        start_write(e);
        break;
    case 3:
        // The stop: the loop ends next, and finish_outstanding cancels and waits.
        break;
    }
}

// Ends the thread's outstanding I/O and waits for it. After a failure the write it
// had taken, or had been asked for, is reported with what was written (0 when it was
// cancelled), so that its owner does not wait for it.
static void finish_outstanding(UsbEngine* e)
{
    if (e->input_pipe) CancelIo(e->input_pipe);
    if (e->output_pipe) CancelIo(e->output_pipe);
    DWORD done = 0;
    if (e->read_pending) GetOverlappedResult(read_pipe(e), &e->read_overlapped, &done, TRUE);
    e->read_pending = 0;
    std::int32_t written = 0;
    if (e->core.write_state == ENGINE_WRITE_IN_PROGRESS &&
        GetOverlappedResult(write_pipe(e), &e->write_overlapped, &done, TRUE))
        written = static_cast<std::int32_t>(done);
    // A request stored while the failure was being set is seen here; one made later
    // is refused (the stop flag, set before, is looked at under the same lock).
    EnterCriticalSection(&e->core.lock);
    bool report = e->usb_state == UsbFailed && e->core.write_state != ENGINE_WRITE_IDLE;
    LeaveCriticalSection(&e->core.lock);
    if (report) engine_core_write_ended(&e->core, written);
}

static DWORD WINAPI usb_engine_thread(void* parameter) noexcept
{
    UsbEngine* e = static_cast<UsbEngine*>(parameter);
    InterlockedExchange(&e->usb_state, UsbOpen);
    engine_core_status(&e->core);
    start_read(e);
    const HANDLE set[4] = {e->read_done, e->write_done, e->core.write_request, e->core.wake};
    while (!e->core.stop_requested) {
        engine_wait_and_serve(&e->core, set, 4, USB_WAIT_MS, serve_event, e);
        if (e->core.stop_requested) break;
        if (e->retry_set && static_cast<LONG>(GetTickCount() - e->retry_at) >= 0) start_read(e);
    }
    finish_outstanding(e);
    engine_thread_leave(&e->core.thread);
    return 0;
}
