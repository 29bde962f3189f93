// Arrival times as text; see console_time.h. The times count milliseconds of local
// time since 1601-01-01; the calendar date is worked out from the day count with the
// proleptic Gregorian rules (days_to_civil below).
#include "console/console_time.h"

#include <cstdint>
#include <cstdio>

namespace {

constexpr std::int64_t DAY_MS = 86400000;
constexpr std::int64_t DAYS_1601_TO_1970 = 134774;

struct Civil {
    std::int64_t year;
    unsigned month, day;
};

// The civil date of a day counted from 1970-01-01 (negative before it).
Civil days_to_civil(std::int64_t z)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    const unsigned d = doy - (153 * mp + 2) / 5 + 1;
    const unsigned m = mp < 10 ? mp + 3 : mp - 9;
    return Civil{static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2), m, d};
}

// The day and the milliseconds into it; a time before 1601 counts as 1601-01-01.
void split(ConsoleTime time, std::int64_t* day, std::int64_t* ms)
{
    if (time < 0) time = 0;
    *day = time / DAY_MS;
    *ms = time % DAY_MS;
}

}  // namespace

void console_time_of_day_text(ConsoleTime time, char* out)
{
    std::int64_t day, ms;
    split(time, &day, &ms);
    // By hand: a window full of stamps takes one a row, and the C library's
    // formatting is slow on the old runtimes.
    const int parts[4] = {static_cast<int>(ms / 3600000), static_cast<int>(ms / 60000 % 60),
                          static_cast<int>(ms / 1000 % 60), static_cast<int>(ms % 1000)};
    char* at = out;
    for (int i = 0; i < 4; ++i) {
        if (i == 3) *at++ = static_cast<char>('0' + parts[i] / 100);
        *at++ = static_cast<char>('0' + parts[i] / 10 % 10);
        *at++ = static_cast<char>('0' + parts[i] % 10);
        if (i < 3) *at++ = i < 2 ? ':' : '.';
    }
    *at = '\0';
}

void console_time_prefix_text(ConsoleTime time, char* out)
{
    std::int64_t day, ms;
    split(time, &day, &ms);
    const Civil c = days_to_civil(day - DAYS_1601_TO_1970);
    char clock[CONSOLE_STAMP_TEXT + 1];
    console_time_of_day_text(time, clock);
    std::snprintf(out, CONSOLE_STAMP_PREFIX_TEXT + 1, "[%04d-%02u-%02u %s] ", static_cast<int>(c.year % 10000),
                  c.month, c.day, clock);
}
