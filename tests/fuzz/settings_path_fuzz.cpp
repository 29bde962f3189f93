// Fuzzes the settings path builder with arbitrary directory bytes: the result always
// fits, starts with the directory, ends with the file name, and a separator stands
// between them exactly once.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "base/settings_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    size_t out_size = data[0] % 64 + SETTINGS_PATH_SIZE - 32;
    std::string directory(reinterpret_cast<const char*>(data + 1), size - 1);
    directory = directory.c_str();  // the Win32 side hands over a NUL-terminated text
    char out[SETTINGS_PATH_SIZE + 64];
    bool built = settings_build_path(directory.c_str(), out, out_size);
    size_t length = std::strlen(out);
    if (!built) {
        if (length != 0) std::abort();
        return 0;
    }
    if (length + 1 > out_size) std::abort();
    if (std::strncmp(out, directory.c_str(), directory.size()) != 0) std::abort();
    size_t name = std::strlen(SETTINGS_FILE_NAME);
    size_t separator = ends_with_separator(directory.data(), directory.size()) ? 0 : 1;
    if (length != directory.size() + separator + name) std::abort();
    if (std::strcmp(out + length - name, SETTINGS_FILE_NAME) != 0) std::abort();
    if (!ends_with_separator(out, length - name)) std::abort();
    return 0;
}
