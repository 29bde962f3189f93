// The file send dialog's browser rules; see file_browser.h.
#include "transfer/file_browser.h"

#include <cstring>

#include "base/double_byte.h"
#include "transfer/send_list.h"

constexpr std::size_t LABEL_TAIL = 25;

int file_types_count(int stored)
{
    return stored <= 0 ? 0 : stored > FILE_TYPES_MAX ? FILE_TYPES_MAX : stored;
}

int file_types_pack(FileTypeEntry* types, int count)
{
    int kept = 0;
    for (int i = 0; types && i < count; ++i) {
        if (types[i].title[0] == '\0' || types[i].filter[0] == '\0') continue;
        if (kept != i) types[kept] = types[i];
        ++kept;
    }
    return kept;
}

std::vector<std::string> filter_patterns(const char* filter)
{
    std::vector<std::string> patterns;
    if (!filter) return patterns;
    const char* at = filter;
    for (;;) {
        const char* end = std::strchr(at, ';');
        std::size_t length = end ? static_cast<std::size_t>(end - at) : std::strlen(at);
        if (length == 0 || length > FILTER_PATTERN_MAX) break;
        patterns.emplace_back(at, length);
        if (!end) break;
        at = end + 1;
    }
    return patterns;
}

// Where each character of a path starts: true at the lead byte of a double-byte
// character or at a single byte, false at a trail byte.
static std::vector<bool> character_starts(const char* text, std::size_t length)
{
    std::vector<bool> starts(length, true);
    for (std::size_t i = 0; i + 1 < length; ++i) {
        if (is_double_byte(static_cast<unsigned char>(text[i]), static_cast<unsigned char>(text[i + 1]))) {
            starts[i + 1] = false;
            ++i;
        }
    }
    return starts;
}

// The position of the last backslash that is a character of its own, or npos.
static std::size_t last_separator(const char* path)
{
    std::size_t length = std::strlen(path);
    std::vector<bool> starts = character_starts(path, length);
    for (std::size_t i = length; i-- > 0;)
        if (path[i] == '\\' && starts[i]) return i;
    return std::string::npos;
}

bool send_folder_from_directory(char* folder, const char* directory)
{
    folder[0] = '\0';
    if (!directory) return false;
    std::size_t length = std::strlen(directory);
    if (length > SEND_PATH_MAX) return false;
    std::memcpy(folder, directory, length + 1);
    if (length > 0 && last_separator(folder) == length - 1) folder[length - 1] = '\0';
    return true;
}

char send_folder_drive(const char* folder)
{
    if (!folder || folder[0] == '\0' || folder[1] != ':') return 'C';
    char letter = folder[0];
    return (letter >= 'a' && letter <= 'z') ? static_cast<char>(letter - 'a' + 'A') : letter;
}

bool send_path_join(char* out, const char* folder, const char* name)
{
    out[0] = '\0';
    std::size_t folder_length = std::strlen(folder), name_length = std::strlen(name);
    if (folder_length + 1 + name_length > SEND_PATH_MAX) return false;
    std::memcpy(out, folder, folder_length);
    out[folder_length] = '\\';
    std::memcpy(out + folder_length + 1, name, name_length + 1);
    return true;
}

bool send_folder_open(char* folder, const char* name)
{
    if (std::strcmp(name, ".") == 0) return true;
    if (std::strcmp(name, "..") == 0) {
        std::size_t separator = last_separator(folder);
        if (separator != std::string::npos) folder[separator] = '\0';
        return true;
    }
    char opened[SEND_PATH_SIZE];
    if (!send_path_join(opened, folder, name)) return false;
    std::memcpy(folder, opened, std::strlen(opened) + 1);
    return true;
}

std::string send_folder_label(const char* folder)
{
    std::size_t length = std::strlen(folder);
    if (length <= LABEL_TAIL) return folder;
    // The last 25 bytes, one fewer when they would begin with a trail byte.
    std::size_t from = length - LABEL_TAIL;
    if (!character_starts(folder, length)[from]) ++from;
    return std::string("...") + (folder + from);
}
