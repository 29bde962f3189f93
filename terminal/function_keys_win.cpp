// ".tfk" files on disk: save_function_keys and load_function_keys over the portable
// format (function_keys.cpp). UI thread only; each call opens and closes its own file.
//
// Two points where a plain reading of the format's rules would mislead the user are
// handled soundly: the overwrite question is asked only when the file really exists
// (a missing folder is reported as a file that cannot be opened, not as one that
// exists), and a write that fails (a full disk) makes the save fail and is reported
// like a file that cannot be opened, instead of passing for a saved file. Only a
// file on disk is used (disk_file_win.h): a device's name (LPT1, COM1.tfk, aux.tfk)
// is refused as a file that cannot be opened, before the overwrite question.
#include "terminal/function_keys_win.h"

#include <cstdio>
#include <cstring>

#include "terminal/disk_file_win.h"

const char FUNCTION_KEY_SAVE_CAPTION[] = "ﾌｧﾝｸｼｮﾝ･ｷｰ設定の保存";
const char FUNCTION_KEY_LOAD_CAPTION[] = "ﾌｧﾝｸｼｮﾝ･ｷｰ設定の読込み";

void function_key_file_failed(HWND owner, const char* path, const char* caption)
{
    char text[MAX_PATH + 64];
    std::snprintf(text, sizeof text, "\"%s\"が開けません", path);
    MessageBoxA(owner, text, caption, MB_ICONQUESTION);
}

static bool overwrite_agreed(HWND owner, const char* path)
{
    char text[MAX_PATH + 64];
    std::snprintf(text, sizeof text, "\"%s\"は既に存在します。上書きしますか？", path);
    return MessageBoxA(owner, text, FUNCTION_KEY_SAVE_CAPTION, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) == IDYES;
}

static bool write_lines(HANDLE file, const FunctionKeyStrings* strings)
{
    for (int i = 0; i < FUNCTION_KEY_COUNT; ++i) {
        char line[TFK_LINE_BUFFER];
        int length = tfk_format_line(i, (*strings)[i], line);
        DWORD written = 0;
        if (!WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr) ||
            written != static_cast<DWORD>(length))
            return false;
    }
    return true;
}

int save_function_keys(const char* path, HWND owner, const FunctionKeyStrings* strings, int quiet)
{
    if (!path || !path[0] || !strings) return 0;
    HANDLE file = disk_file_open(path, GENERIC_WRITE, CREATE_NEW);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        bool exists = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        if (exists && !quiet && !overwrite_agreed(owner, path)) return 0;
        if (exists) file = disk_file_open(path, GENERIC_WRITE, CREATE_ALWAYS);
        if (file == INVALID_HANDLE_VALUE) {
            if (!quiet) function_key_file_failed(owner, path, FUNCTION_KEY_SAVE_CAPTION);
            return 0;
        }
    }
    bool written = write_lines(file, strings);
    if (!CloseHandle(file)) written = false;
    if (!written && !quiet) function_key_file_failed(owner, path, FUNCTION_KEY_SAVE_CAPTION);
    return written ? 1 : 0;
}

int load_function_keys(const char* path, FunctionKeyStrings* strings)
{
    if (!path || !path[0] || !strings) return 0;
    HANDLE file = disk_file_open(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) return 0;
    // Read into a scratch copy: the strings change only once the file is open, and
    // then all are replaced, whatever a read error leaves unread.
    FunctionKeyStrings loaded;
    TfkReader reader;
    tfk_reader_start(&reader, &loaded);
    unsigned char chunk[4096];
    DWORD count = 0;
    while (ReadFile(file, chunk, sizeof chunk, &count, nullptr) && count > 0)
        if (!tfk_reader_feed(&reader, chunk, count)) break;
    tfk_reader_finish(&reader);
    CloseHandle(file);
    std::memcpy(*strings, loaded, sizeof loaded);
    return 1;
}
