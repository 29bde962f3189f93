// The 64-bit tick count widened from the 32-bit one: the wrap every 49.7 days carries
// into the high half.
#include "base/tick_count.h"

#include <gtest/gtest.h>

namespace {

TEST(TickCount, WideningCarriesEachWrap)
{
    EXPECT_EQ(5u, tick_count_widen(0, 5));
    EXPECT_EQ(0x1000u, tick_count_widen(0x0fffu, 0x1000));
    // The 32-bit count wrapped since: one more in the high half.
    EXPECT_EQ(0x100000010ull, tick_count_widen(0xfffffff0ull, 0x10));
    EXPECT_EQ(0x200000000ull, tick_count_widen(0x1fffffffeull, 0));
    // Asked again at the same reading: no wrap counted.
    EXPECT_EQ(0x100000010ull, tick_count_widen(0x100000010ull, 0x10));
}

}  // namespace
