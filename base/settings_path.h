// Building the paths of the files kept in the start-up directory (the settings file,
// "default.tfk"). Portable.
#pragma once
#include <cstddef>

// The path buffer the program keeps for the whole run, as the Win32 ANSI
// private-profile functions accept no longer path.
constexpr std::size_t SETTINGS_PATH_SIZE = 260;

// The file's name in the start-up directory.
extern const char SETTINGS_FILE_NAME[];

// Writes directory + "\" + file name into out (NUL-terminated). A directory that
// already ends in a separator (a drive root such as "C:\") gets none added; a
// Shift-JIS trail byte 0x5C is not a separator. Returns false, leaving out empty,
// when the result (with its NUL) does not fit in out_size bytes, when directory is
// empty, or when it ends in the lead byte of an incomplete double-byte character.
bool settings_build_path(const char* directory, char* out, std::size_t out_size);
// The same for any file name.
bool path_in_directory(const char* directory, const char* name, char* out, std::size_t out_size);

// Whether the last byte of text is a backslash standing on its own, not the trail
// byte of a Shift-JIS double-byte character.
bool ends_with_separator(const char* text, std::size_t length);
