// The settings file: one INI file in the start-up directory, read and written
// through the Win32 private-profile functions. Nothing is cached: every read goes to
// the file and every write reaches it at once. None of these report to the user.
// UI thread only (the path is set once at start-up, before any module reads).
#pragma once
#include <cstddef>

// Builds the path from the current directory. Returns false when the directory is
// too long for the path: the program then runs on its defaults, every read yields
// its default and every write is refused (as with a read-only folder), so nothing
// is ever written to a truncated path.
bool settings_path_init();

// The path in use; empty when settings_path_init failed or was not called.
const char* settings_path();

// For the rest of the run every write is refused, as in a read-only folder, and the
// files beside the settings ("default.tfk") are not written either: a run started
// by a script leaves the user's settings as they were.
void settings_hold_writes();
bool settings_writes_held();

// A file of that name in the start-up directory (app.start_directory), beside the
// settings file: "default.tfk". False, with out empty, when the start-up directory
// is unknown or the path does not fit in size bytes.
bool start_directory_file(const char* name, char* out, std::size_t size);

// The stored integer, or default_value when the key or the file is missing.
int settings_read_int(const char* section, const char* key, int default_value);

// Copies the stored text (or default_text, or "" when that is null) into buffer,
// NUL-terminated and cut to size; returns the length copied.
int settings_read_text(const char* section, const char* key, char* buffer, int size,
                       const char* default_text);

// Non-zero on success; a failure (for example a read-only folder) is only returned.
int settings_write_int(const char* section, const char* key, int value);
int settings_write_text(const char* section, const char* key, const char* text);

// Removes every key of the section.
int settings_clear_section(const char* section);
// Removes the section, its name included; a file without it is left as it is.
int settings_remove_section(const char* section);

// A list is numbered keys plus a count key. Rewriting one clears the section first,
// so a shorter list leaves no stale numbered keys, then lets write_entry store each
// entry (index 0 .. count-1; the entry decides whether its keys count from 0 or 1),
// then writes the count. Returns non-zero when every write succeeded.
typedef int (*SettingsListEntryWriter)(const char* section, int index, void* context);
int settings_write_list(const char* section, const char* count_key, int count,
                        SettingsListEntryWriter write_entry, void* context);
