// Device names; see disk_file.h.
#include "terminal/disk_file.h"

#include <cstring>

#include "base/double_byte.h"

static char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

static bool separator(char c)
{
    return c == '\\' || c == '/';
}

// "C:" and the like: a drive's letter and its colon.
static bool drive(const char* name)
{
    return ((name[0] >= 'A' && name[0] <= 'Z') || (name[0] >= 'a' && name[0] <= 'z')) && name[1] == ':';
}

// The system's DOS devices. COM and LPT take one digit 1-9: "COM10" is a file.
static bool device_word(const char* word, std::size_t length)
{
    static const char* const NAMES[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    char text[8];
    if (length == 0 || length >= sizeof text) return false;
    for (std::size_t i = 0; i < length; ++i) text[i] = upper(word[i]);
    text[length] = '\0';
    for (const char* name : NAMES)
        if (std::strcmp(text, name) == 0) return true;
    bool port = std::strncmp(text, "COM", 3) == 0 || std::strncmp(text, "LPT", 3) == 0;
    return port && length == 4 && text[3] >= '1' && text[3] <= '9';
}

// Where the last part of the name starts.
static const char* last_part(const char* name)
{
    const char* part = name;
    // A drive's colon ("C:com1") ends the drive, as a separator does.
    if (drive(name)) part = name + 2;
    for (const char* at = part; *at; ++at) {
        if (is_lead_byte(static_cast<unsigned char>(at[0])) && at[1] != '\0') {
            ++at;  // the trail byte is part of the character, whatever its value
            continue;
        }
        if (separator(*at)) part = at + 1;
    }
    return part;
}

// "\\?\C:\..." and "\\?\UNC\server\..." name files; anything else after "\\?\" is
// an object of the system's own (a volume, a device).
static bool long_path_names_file(const char* rest)
{
    bool share = upper(rest[0]) == 'U' && upper(rest[1]) == 'N' && upper(rest[2]) == 'C' && separator(rest[3]);
    return (drive(rest) && separator(rest[2])) || share;
}

bool disk_file_name_is_device(const char* name)
{
    if (!name) return false;
    if (separator(name[0]) && separator(name[1]) && (name[2] == '.' || name[2] == '?') && separator(name[3])) {
        if (name[2] == '.' || !long_path_names_file(name + 4)) return true;
        name += 4;
    }
    const char* part = last_part(name);
    while (*part == ' ') ++part;
    std::size_t length = std::strcspn(part, ".:");
    while (length > 0 && part[length - 1] == ' ') --length;
    return device_word(part, length);
}
