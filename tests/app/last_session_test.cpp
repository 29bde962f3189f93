// The last session's texts: a window's place read back as written, damage refused
// whole; a port written as the command line names it reads back as the same port.
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"
#include "app/last_session.h"

namespace {

TEST(LastSession, PlacesReadBackAsWrittenAndDamageIsNoPlace)
{
    struct Case {
        const char* text;
        bool taken;
    } const cases[] = {
        {"0,0,400,300,0", true},
        {"-32767,-20,32767,5,2", true},
        {"10,10,10,300,0", false},       // empty
        {"10,300,400,10,0", false},      // upside down
        {"0,0,32768,300,0", false},      // beyond a coordinate
        {"0,0,400,300,3", false},        // no such showing
        {"0,0,400,300", false},
        {"0,0,400,300,0,", false},
        {"0,0,400,300,0 ", false},
        {"0,0,4e2,300,0", false},
        {"99999999999999999999,0,1,1,0", false},
        {"", false},
    };
    for (const Case& c : cases) {
        SessionPlace place = {7, 7, 7, 7, 7};
        EXPECT_EQ(session_parse_place(c.text, &place), c.taken) << c.text;
        if (!c.taken) {
            EXPECT_EQ(place.left, 7) << c.text;
            continue;
        }
        char written[64];
        ASSERT_TRUE(session_format_place(place, written, sizeof written));
        EXPECT_STREQ(written, c.text);
    }
    char small[8];
    EXPECT_FALSE(session_format_place(SessionPlace{-100, -100, 100, 100, 0}, small, sizeof small));
}

TEST(LastSession, PortsAreWrittenAsTheCommandLineNamesThem)
{
    for (const char* name : {"COM16", "LPT2", "USB4", "127.0.0.1:5000", "bench-a.local:23", ":65535"}) {
        CommandLinePort port;
        ASSERT_EQ(command_line_parse_port(name, &port), COMMAND_LINE_OK) << name;
        char written[COMMAND_LINE_TEXT_SIZE];
        ASSERT_TRUE(command_line_format_port(port, written, sizeof written));
        EXPECT_STREQ(written, name);
    }
    CommandLinePort with_line;
    ASSERT_EQ(command_line_parse_port("COM3:115200,8,N,1", &with_line), COMMAND_LINE_OK);
    char written[COMMAND_LINE_TEXT_SIZE];
    ASSERT_TRUE(command_line_format_port(with_line, written, sizeof written));
    EXPECT_STREQ(written, "COM3");  // line settings were for that run only
    EXPECT_FALSE(command_line_format_port(with_line, written, 4));
}

}  // namespace
