// The paths of the files in the start-up directory: "\tavex.ini" and others appended
// to it. Runs on the UI thread (and in tests); the caller owns the output buffer.
#include "base/settings_path.h"

#include <cstring>

#include "base/double_byte.h"

const char SETTINGS_FILE_NAME[] = "tavex.ini";

enum class Ending { plain, separator, lone_lead_byte };

// Walk from the start: only a forward scan knows whether a 0x5C is a trail byte.
static Ending scan_ending(const char* text, std::size_t length)
{
    std::size_t i = 0;
    Ending ending = Ending::plain;
    while (i < length) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (i + 1 < length && is_double_byte(c, static_cast<unsigned char>(text[i + 1]))) {
            ending = Ending::plain;
            i += 2;
        } else {
            if (c == '\\' || c == '/') ending = Ending::separator;
            else if (i + 1 == length && is_lead_byte(c)) ending = Ending::lone_lead_byte;
            else ending = Ending::plain;
            i += 1;
        }
    }
    return ending;
}

bool ends_with_separator(const char* text, std::size_t length)
{
    return scan_ending(text, length) == Ending::separator;
}

bool settings_build_path(const char* directory, char* out, std::size_t out_size)
{
    return path_in_directory(directory, SETTINGS_FILE_NAME, out, out_size);
}

bool path_in_directory(const char* directory, const char* name, char* out, std::size_t out_size)
{
    if (out_size == 0) return false;
    out[0] = '\0';
    if (!directory || !name) return false;
    std::size_t dir_length = std::strlen(directory);
    if (dir_length == 0) return false;
    Ending ending = scan_ending(directory, dir_length);
    // A half character at the end would take the separator as its trail byte and
    // name another file.
    if (ending == Ending::lone_lead_byte) return false;
    bool separator = ending != Ending::separator;
    std::size_t name_length = std::strlen(name);
    std::size_t total = dir_length + (separator ? 1 : 0) + name_length;
    if (total + 1 > out_size) return false;
    std::memcpy(out, directory, dir_length);
    std::size_t at = dir_length;
    if (separator) out[at++] = '\\';
    std::memcpy(out + at, name, name_length + 1);
    return true;
}
