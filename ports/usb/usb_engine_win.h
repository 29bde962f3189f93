// The USB I/O engine: one device reached through its driver's file interface. It
// finds the device's path from an interface class GUID (or takes a device name),
// opens an input and an output pipe for overlapped I/O (one pipe serves both ways
// when the other cannot be opened), and runs one thread that keeps a read
// outstanding, performs one write at a time and reports through EngineCallbacks.
// Threads: open and stop on the UI thread; write on any owner thread (UI, file send,
// the engine thread inside on_sent); everything else on the engine thread. The engine
// core's lock guards only the write request. The caller owns the record's storage;
// the engine owns its handles and receive buffer until stop.
#pragma once
#include <windows.h>

#include <cstdint>

#include "ports/engine_core_win.h"
#include "terminal/engine_callbacks.h"

struct UsbOpenParams {
    const char* device;       // a GUID in braces, or a device name
    const char* input_pipe;   // may be empty
    const char* output_pipe;  // may be empty
    EngineCallbacks callbacks;
};

// The engine's state as the USB query gives it, derived from the core's status.
enum UsbState {
    UsbIdle = 0,    // opened, the thread not yet running (connecting)
    UsbOpen = 1,    // the thread runs (connected)
    UsbFailed = 3,  // a read or a write could not start (lost, device gone); the thread has ended
};

struct UsbEngine {
    // Thread, stop, write request, callbacks, receive buffer, status, and the read on
    // the input pipe and the write on the output pipe.
    EngineCore core;
    HANDLE input_pipe;
    HANDLE output_pipe;
};

// 0 when at least one pipe is open and the thread runs; -1 with nothing left open.
int usb_open(UsbEngine* engine, const UsbOpenParams* params);
// 1 when the request was stored; 0 when busy, stopping, failed or given nothing.
int usb_write(UsbEngine* engine, const unsigned char* data, std::int32_t length);
void usb_stop(UsbEngine* engine);
// The engine's UsbState; 0 for no engine.
std::int32_t usb_state(const UsbEngine* engine);
// The path of the first present device interface of the class, into path
// (USB_PATH_SIZE bytes). 1 when found and it fits, else 0.
int usb_find_device_path(const GUID* guid, char* path);
