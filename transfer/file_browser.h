// The file send dialog's browser, decided apart from the dialog: the configured file
// types, the patterns of a filter, the folder it shows and how opening a folder or
// choosing a file changes it, and the folder's label. Portable and pure; the UI
// thread runs it. A folder is held without a trailing backslash, so a drive's root
// is its letter and a colon ("C:"). Paths are bytes in code page 932: a 0x5C trail
// byte of a double-byte character is never taken for a backslash.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

// One configured file type: a title and a filter of one or more patterns joined by
// ";". Each text holds at most 63 bytes.
struct FileTypeEntry {
    char title[64];
    char filter[64];
};

// How many "file type title %d"/"file type filter %d" pairs start-up reads for a
// stored "file type size": none for 0 or less, at most FILE_TYPES_MAX. Every pair is
// two reads of the settings file, so a count of millions would hold the start-up for
// minutes; each read checks the file again, and even a few hundred cost a slow
// system a noticeable pause. 64 types are more than the dialog's drop-down list can
// usefully offer.
constexpr int FILE_TYPES_MAX = 64;
int file_types_count(int stored);

// Packs the types whose title and filter are both non-empty to the front, keeping
// their order; returns how many were kept.
int file_types_pack(FileTypeEntry* types, int count);

// The longest pattern a listing takes; a longer one stops it.
constexpr std::size_t FILTER_PATTERN_MAX = 31;
// The patterns of a filter from the left, each ending at ";" or the end; the list
// stops at the first empty pattern or one longer than FILTER_PATTERN_MAX bytes.
std::vector<std::string> filter_patterns(const char* filter);

// The browser's folder from a current directory: without its trailing backslash.
// False (folder empty) when it does not fit a 260-byte slot.
bool send_folder_from_directory(char* folder, const char* directory);
// The drive letter of a folder, upper-cased; 'C' when it names none.
char send_folder_drive(const char* folder);

// "%s\%s": a file or folder inside a folder. False when the path would be longer
// than 259 bytes: out is then left empty (a path is refused, never cut short).
bool send_path_join(char* out, const char* folder, const char* name);

// Opens a folder listed in the browser: ".." goes up to the parent (nothing happens
// without one), "." stays, any other name goes down into it. False, with the folder
// unchanged, when the new folder would not fit its slot.
bool send_folder_open(char* folder, const char* name);

// The label above the folder list: the folder itself when it is at most 25 bytes,
// else "..." and its last 25 bytes, starting on a whole character.
std::string send_folder_label(const char* folder);
