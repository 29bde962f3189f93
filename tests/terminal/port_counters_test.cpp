// The counters as status-bar part 4 shows them: thousands separators at every size,
// and the rate only while data flows.
#include "terminal/port_counters.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(PortCounters, TextWithThousandsSeparatorsAndRate)
{
    const struct {
        std::uint64_t n;
        const char* text;
    } numbers[] = {{0, "0"}, {999, "999"}, {1000, "1,000"}, {1048576, "1,048,576"},
                   {UINT64_MAX, "18,446,744,073,709,551,615"}};
    for (const auto& k : numbers) {
        char out[27];
        format_thousands(k.n, out);
        EXPECT_STREQ(out, k.text);
    }
    char text[PORT_COUNTER_TEXT];
    port_counter_text(1048576, 12, 0, false, text);
    EXPECT_EQ(std::string(text), "\x8e\xf3\x90\x4d 1,048,576 / \x91\x97\x90\x4d 12 byte");
    port_counter_text(UINT64_MAX, UINT64_MAX, UINT64_MAX, true, text);
    EXPECT_EQ(std::string(text), "\x8e\xf3\x90\x4d 18,446,744,073,709,551,615 / \x91\x97\x90\x4d "
                                 "18,446,744,073,709,551,615 byte (18,446,744,073,709,551,615 byte/s)");
}

}  // namespace
