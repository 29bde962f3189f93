// The file path of one pipe of a USB device. Portable; the engine's open uses it on
// the UI thread.
#pragma once
#include <cstddef>

constexpr std::size_t USB_PATH_SIZE = 260;  // a path of up to 259 bytes and its terminator

// base is the device path found for a GUID, taken as it is, or (device_is_name) a
// device name, reached as "\\.\" followed by the name; a pipe name that is not empty
// follows after a backslash. False, with out emptied, when the path does not fit:
// that pipe is then not opened, as one that does not exist.
bool usb_pipe_path(const char* base, bool device_is_name, const char* pipe, char* out);
