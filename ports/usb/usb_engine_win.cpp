// The USB engine; see usb_engine_win.h.
//
// One read of the whole buffer stays outstanding; a read that ends with data is
// handed on and the next starts at once. One that ends empty or failed is tried
// again 100 ms later, so a driver that ends reads at once never makes it spin. A read
// or a write that cannot even start means the device is gone: the status is then
// lost (UsbFailed), said through on_status, a write it had taken is reported with 0
// written, and its thread ends. The engine core runs the thread, the read and the
// write (engine_device_win.cpp); this kind adds its pipes and the failure.
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

extern const EngineDeviceKind USB_DEVICE_KIND;

int usb_open(UsbEngine* e, const UsbOpenParams* params)
{
    if (!e || !params || !params->device) return -1;
    std::memset(e, 0, sizeof *e);
    e->input_pipe = open_pipe(params->device, params->input_pipe);
    e->output_pipe = open_pipe(params->device, params->output_pipe);
    if (!e->input_pipe && !e->output_pipe) return -1;
    if (engine_core_open_device(&e->core, &params->callbacks, &USB_DEVICE_KIND, e, read_pipe(e), write_pipe(e),
                                PORT_CONNECTING) != 0) {
        release_pipes(e);
        return -1;
    }
    if (!engine_core_start_device(&e->core)) {
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
    if (!e) return 0;
    switch (engine_core_get_status(&e->core).state) {
    case PORT_CONNECTED:
        return UsbOpen;
    case PORT_LOST:
        return UsbFailed;
    default:
        return UsbIdle;
    }
}

// Engine thread from here on.

// A read or a write could not start: the device is gone. Said once; the thread then
// leaves its loop, and no write is accepted any more.
static void transfer_ended(void* engine, EngineTransfer, bool started, bool, DWORD)
{
    if (started) return;  // one that ends in failure is only tried again (or reported with 0 written)
    UsbEngine* e = static_cast<UsbEngine*>(engine);
    engine_core_device_gone(&e->core);
    InterlockedExchange(&e->core.stop_requested, 1);
}

static void begin(void* engine)
{
    engine_core_set_status(&static_cast<UsbEngine*>(engine)->core, PORT_CONNECTED, PORT_REASON_NONE);
}

// The wake-up is only the stop's: the loop ends next, and the core cancels and waits.
const EngineDeviceKind USB_DEVICE_KIND = {
    begin, nullptr, transfer_ended, nullptr, nullptr, nullptr, nullptr, nullptr, USB_READ_RETRY_MS, INFINITE,
};
