// Opening only files on disk, for every file the user names (see disk_file.h): a
// device's name is refused before anything is opened, and a handle that opened
// something else (a pipe, a character device under a name the check does not know)
// is closed again at once, before a byte is read or written. Any thread.
#pragma once
#include <windows.h>

#include "terminal/disk_file.h"

// The error a refused name or handle leaves (GetLastError): not a file on disk.
constexpr DWORD DISK_FILE_NOT_DISK = ERROR_BAD_FILE_TYPE;

// CreateFileA(name, access, FILE_SHARE_READ, no security, disposition,
// FILE_FLAG_SEQUENTIAL_SCAN): the handle, or INVALID_HANDLE_VALUE with the system's
// error, or with DISK_FILE_NOT_DISK for a device.
HANDLE disk_file_open(const char* name, DWORD access, DWORD disposition);
