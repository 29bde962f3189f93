// Widening the 32-bit tick count; see tick_count.h. Pure function, any thread.
#include "base/tick_count.h"

std::uint64_t tick_count_widen(std::uint64_t last, std::uint32_t now)
{
    std::uint64_t wraps = last >> 32;
    if (now < static_cast<std::uint32_t>(last)) ++wraps;
    return (wraps << 32) | now;
}
