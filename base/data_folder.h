// Where the settings live when the start folder cannot keep them. The settings file
// and "default.tfk" belong in the folder that is current at start-up; a folder inside
// the system's program folders (where an installed copy starts) or one that cannot be
// written keeps nothing, so the program then keeps them in the user's own data folder
// (%APPDATA%\Velkaro) instead. Portable: the Win32 side (data_folder_win.h) asks the
// system and moves there; the decisions are made here.
#pragma once
#include <cstddef>

// The data folder's name under the user's application data folder.
extern const char DATA_FOLDER_NAME[];

// Whether folder is root itself or lies inside it, comparing whole path components:
// "C:\Program Files (x86)" is not inside "C:\Program Files". ASCII letters compare
// without case (as Windows compares names); the bytes of a Shift-JIS double-byte
// character compare exactly, and a trailing separator on either side is ignored.
// An empty root contains nothing.
bool folder_is_inside(const char* folder, const char* root);

// Whether folder lies inside one of the program folders (null or empty entries are
// skipped).
bool inside_program_folders(const char* folder, const char* const* program_folders, std::size_t count);
