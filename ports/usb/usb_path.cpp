// See usb_path.h. Portable.
#include "ports/usb/usb_path.h"

#include <cstdio>

bool usb_pipe_path(const char* base, bool device_is_name, const char* pipe, char* out)
{
    if (!out) return false;
    out[0] = '\0';
    if (!base) return false;
    const char* prefix = device_is_name ? "\\\\.\\" : "";
    const bool has_pipe = pipe && pipe[0];
    int length = std::snprintf(out, USB_PATH_SIZE, "%s%s%s%s", prefix, base, has_pipe ? "\\" : "",
                               has_pipe ? pipe : "");
    if (length < 0 || static_cast<std::size_t>(length) >= USB_PATH_SIZE) {
        out[0] = '\0';
        return false;
    }
    return true;
}
