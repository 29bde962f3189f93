// The decisions about the settings folder; see data_folder.h. Pure functions, any
// thread.
#include "base/data_folder.h"

#include <cstring>

#include "base/settings_path.h"
#include "base/double_byte.h"

const char DATA_FOLDER_NAME[] = "Velkaro";

static char fold(unsigned char c)
{
    return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

static bool separator(char c)
{
    return c == '\\' || c == '/';
}

// The length without a separator at the end (a Shift-JIS trail byte 0x5C is kept).
static std::size_t trimmed_length(const char* path)
{
    std::size_t length = std::strlen(path);
    while (length > 0 && ends_with_separator(path, length))
        --length;
    return length;
}

bool folder_is_inside(const char* folder, const char* root)
{
    if (!folder || !root) return false;
    std::size_t root_length = trimmed_length(root);
    std::size_t folder_length = trimmed_length(folder);
    if (root_length == 0 || folder_length < root_length) return false;
    std::size_t i = 0;
    while (i < root_length) {
        unsigned char c = static_cast<unsigned char>(root[i]);
        if (i + 1 < root_length && is_double_byte(c, static_cast<unsigned char>(root[i + 1]))) {
            // Both bytes as they are: a trail byte may look like a letter or a separator.
            if (folder[i] != root[i] || folder[i + 1] != root[i + 1]) return false;
            i += 2;
            continue;
        }
        char f = folder[i];
        if (separator(root[i]) ? !separator(f) : fold(static_cast<unsigned char>(f)) != fold(c)) return false;
        ++i;
    }
    // The root was matched up to a character boundary of root; the folder must end
    // there or go on with a separator of its own, not with more of a longer name.
    return folder_length == root_length || separator(folder[root_length]);
}

bool inside_program_folders(const char* folder, const char* const* program_folders, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (program_folders[i] && program_folders[i][0] && folder_is_inside(folder, program_folders[i]))
            return true;
    }
    return false;
}
