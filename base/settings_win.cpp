// The settings file on the Win32 private-profile functions. UI thread only; owns the
// program-wide path text, written once by settings_path_init at start-up.
#include "base/settings.h"

#include <windows.h>

#include <cstdio>

#include "base/app_record_win.h"
#include "base/settings_path.h"

static char settings_file_path[SETTINGS_PATH_SIZE];

bool settings_path_init()
{
    settings_file_path[0] = '\0';
    char directory[SETTINGS_PATH_SIZE];
    // A directory longer than the buffer makes GetCurrentDirectoryA return the size
    // it would need instead of copying anything.
    DWORD length = GetCurrentDirectoryA(sizeof directory, directory);
    if (length == 0 || length >= sizeof directory) return false;
    return settings_build_path(directory, settings_file_path, sizeof settings_file_path);
}

const char* settings_path()
{
    return settings_file_path;
}

bool start_directory_file(const char* name, char* out, std::size_t size)
{
    return path_in_directory(app.start_directory, name, out, size);
}

static bool writes_held;

void settings_hold_writes() { writes_held = true; }
bool settings_writes_held() { return writes_held; }

static bool path_usable()
{
    return settings_file_path[0] != '\0';
}

static bool path_writable()
{
    return path_usable() && !writes_held;
}

int settings_read_int(const char* section, const char* key, int default_value)
{
    if (!path_usable()) return default_value;
    // GetPrivateProfileIntA reads a leading minus sign; the UINT holds the signed value.
    return static_cast<int>(GetPrivateProfileIntA(section, key, default_value, settings_file_path));
}

int settings_read_text(const char* section, const char* key, char* buffer, int size,
                       const char* default_text)
{
    if (!buffer || size <= 0) return 0;
    if (!default_text) default_text = "";
    if (!path_usable()) {
        lstrcpynA(buffer, default_text, size);
        return lstrlenA(buffer);
    }
    return static_cast<int>(
        GetPrivateProfileStringA(section, key, default_text, buffer, size, settings_file_path));
}

int settings_write_int(const char* section, const char* key, int value)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d", value);
    return settings_write_text(section, key, text);
}

int settings_write_text(const char* section, const char* key, const char* text)
{
    if (!path_writable() || !section || !key) return 0;
    return WritePrivateProfileStringA(section, key, text ? text : "", settings_file_path) ? 1 : 0;
}

int settings_clear_section(const char* section)
{
    if (!path_writable() || !section) return 0;
    // An empty key list (two NUL bytes) replaces the section's keys with none.
    static const char no_keys[2] = {'\0', '\0'};
    return WritePrivateProfileSectionA(section, no_keys, settings_file_path) ? 1 : 0;
}

int settings_remove_section(const char* section)
{
    if (!path_writable() || !section) return 0;
    return WritePrivateProfileStringA(section, nullptr, nullptr, settings_file_path) ? 1 : 0;
}

int settings_write_list(const char* section, const char* count_key, int count,
                        SettingsListEntryWriter write_entry, void* context)
{
    int ok = settings_clear_section(section);
    for (int i = 0; i < count; ++i) {
        if (!write_entry(section, i, context)) ok = 0;
    }
    if (!settings_write_int(section, count_key, count)) ok = 0;
    return ok;
}
