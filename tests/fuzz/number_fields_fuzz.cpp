// Fuzzes the number rule of the settings pages' fields (the display page's column
// and buffer size, the network page's wait time and retry count) with whatever text a
// field may hold. The value a field keeps is the number typed when it lies in the
// field's range and the previous value otherwise; the number is read from at most the
// first 31 (display) or 14 (network) bytes: an optional minus sign, then digits (on
// the network page a text without digits is the number 0).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ports/network/network_page.h"
#include "terminal/display_page.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

// The rule written plainly: true with the number when the leading digits of at most
// limit bytes form one within low to high. Without digits there is no number on the
// display page, and the number 0 on the network page (a cleared field).
static bool in_range(const std::string& text, size_t limit, std::int64_t low, std::int64_t high,
                     std::int64_t* number, bool no_digits_is_zero = false)
{
    const std::string head = text.substr(0, limit);
    size_t at = head.size() && head[0] == '-' ? 1 : 0;
    const size_t first = at;
    std::int64_t value = 0;
    for (; at < head.size() && head[at] >= '0' && head[at] <= '9'; ++at) {
        value = value * 10 + (head[at] - '0');
        if (value > 1000000000000LL) return false;  // far out of every range
    }
    if (at == first && !no_digits_is_zero) return false;
    if (first) value = -value;
    *number = value;
    return value >= low && value <= high;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    // The first byte picks the field; the rest, up to a 0x00, is the field's text.
    if (size < 1) return 0;
    const int field = data[0] % 4;
    std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    text = text.substr(0, text.find('\0'));
    std::int64_t number = 0;

    if (field < 2) {
        const std::int32_t low = field == 0 ? COLUMN_MIN : BUFFER_SIZE_MIN;
        const std::int32_t high = field == 0 ? COLUMN_MAX : BUFFER_SIZE_MAX;
        const std::int32_t previous = 77;
        const std::int32_t kept = display_page_number(text.c_str(), previous, low, high);
        // The display page reads "-0" and "-" alike as 0; neither is ever in range.
        check(kept == (in_range(text, 31, low, high, &number) ? number : previous));

        DisplaySettings copy;
        display_settings_defaults(&copy);
        DisplayPage page;
        DisplayPageView view;
        display_page_open(&page, &copy, &view);
        const int control = field == 0 ? IDC_COLUMN : IDC_BUFFER_SIZE;
        const std::int32_t left = display_page_leave_number(&page, control, text.c_str());
        check(left >= low && left <= high);
        return 0;
    }

    const int control = field == 2 ? IDC_NET_WAIT_TIME : IDC_NET_RETRY_COUNT;
    const std::int32_t low = field == 2 ? NET_WAIT_TIME_MIN : NET_RETRY_COUNT_MIN;
    const std::int32_t high = field == 2 ? NET_WAIT_TIME_MAX : NET_RETRY_COUNT_MAX;
    NetworkPage page;
    network_page_open(&page, &NETWORK_DEFAULT_SETTINGS);
    const std::int32_t previous = field == 2 ? NETWORK_DEFAULT_SETTINGS.wait_time : NETWORK_DEFAULT_SETTINGS.retry_count;
    const std::int32_t kept = network_page_field(&page, control, text.c_str());
    check(kept == (in_range(text, 14, low, high, &number, true) ? number : previous));
    const NetworkSettings applied = network_page_apply(&page, true, text.c_str(), text.c_str());
    check(applied.reconnect == 1);
    check(applied.wait_time >= NET_WAIT_TIME_MIN && applied.wait_time <= NET_WAIT_TIME_MAX);
    check(applied.retry_count >= NET_RETRY_COUNT_MIN && applied.retry_count <= NET_RETRY_COUNT_MAX);
    return 0;
}
