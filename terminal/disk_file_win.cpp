// Files on disk only; see disk_file_win.h.
#include "terminal/disk_file_win.h"

HANDLE disk_file_open(const char* name, DWORD access, DWORD disposition)
{
    if (!name || disk_file_name_is_device(name)) {
        SetLastError(DISK_FILE_NOT_DISK);
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = CreateFileA(name, access, FILE_SHARE_READ, nullptr, disposition, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) == FILE_TYPE_DISK) return file;
    CloseHandle(file);
    SetLastError(DISK_FILE_NOT_DISK);
    return INVALID_HANDLE_VALUE;
}
