// The command line: split as the Windows runtime splits it (Shift-JIS characters
// whole), then read into ports, sequences and flags, every refusal naming its
// argument.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"

namespace {

TEST(CommandLine, SplitsByTheRuntimesRules)
{
    struct Case {
        const char* line;
        std::vector<std::string> args;
    } const cases[] = {
        {"\"C:\\Program Files\\Velkaro\\tavex.exe\" COM3 1.2.3.4:5", {"COM3", "1.2.3.4:5"}},
        {"t \"a b\"c  d  ", {"a bc", "d"}},
        {"t a\\\\b \\\\\\", {"a\\\\b", "\\\\\\"}},  // backslashes stay unless before a quote
        {"t a\\\\\"b c\"", {"a\\b c"}},             // 2n before a quote: n, and the quote groups
        {"t a\\\\\\\"b", {"a\\\"b"}},               // 2n + 1: n and a quote
        {"t \"a\"\"b\" \"\"", {"a\"b", ""}},
        {"\"C:\\\x95\x5c\\t.exe\" \"C:\\\x95\x5c\" x", {"C:\\\x95\x5c", "x"}},  // 表's 0x5C escapes no quote
        {"", {}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args;
        const char* at = command_line_skip_program(c.line);
        char arg[COMMAND_LINE_TEXT_SIZE];
        while (command_line_next(&at, arg, sizeof arg) >= 0)
            args.push_back(arg);
        EXPECT_EQ(args, c.args) << c.line;
    }
}

// The parsed record, shortly: S serial, P parallel, U USB, N client, ":" server.
std::string described(const CommandLine& line)
{
    std::string out;
    for (int i = 0; i < line.port_count; ++i) {
        const CommandLinePort& p = line.ports[i];
        out += i ? " " : "";
        out += p.kind == COMMAND_PORT_NETWORK
                   ? (p.network_mode ? "" : "N" + std::string(p.host)) + ":" + std::to_string(p.tcp_port)
                   : " SPNU"[p.kind] + std::to_string(p.number);
        for (std::int32_t v : {p.baudrate, p.data_bits, p.parity, p.stop_bits})
            out += v < 0 ? "" : "," + std::to_string(v);
        out += p.run_file[0] ? " run " + std::string(p.run_file) : "";
        out += p.result_path[0] ? " result " + std::string(p.result_path) : "";
    }
    return out + (line.help ? " /?" : "") + (line.exit_at_end ? " /exit" : "");
}

std::string repeated(const std::string& s, int times)
{
    return times > 0 ? s + repeated(s, times - 1) : "";
}

TEST(CommandLine, ReadsPortsSequencesAndFlagsOrNamesTheFault)
{
    struct Case {
        std::string args;
        std::string parsed;  // or, for a refusal, the argument at fault
        int error;
    } const cases[] = {
        {"com3:115200,8,N,1 COM4:9600,7,e,1.5 COM5:250000", "S3,115200,8,0,0 S4,9600,7,2,1 S5,250000", 0},
        {"COM6:4000000,5,o,2 COM7:1,8,M COM8:300,6,s", "S6,4000000,5,1,2 S7,1,8,3 S8,300,6,4", 0},
        {"lpt2 usb16 :8000 host-a.example:23", "P2 U16 :8000 Nhost-a.example:23", 0},
        {"COM3 /run t.seq /result \"a b\\r.txt\" COM4 -RUN b.seq /exit",
         "S3 run t.seq result a b\\r.txt S4 run b.seq /exit", 0},
        {"COM1 /? COM99", "S1 /?", 0},
        {"COM1 COM0", "1", COMMAND_LINE_PORT_NUMBER},
        {"COM1x", "0", COMMAND_LINE_BAD_PORT},
        {"LPT1:9600", "0", COMMAND_LINE_BAD_PORT},
        {"COM1:", "0", COMMAND_LINE_BAD_SPEED},
        {"COM1:9600,4", "0", COMMAND_LINE_BAD_DATA_BITS},
        {"COM1:9600,8,X", "0", COMMAND_LINE_BAD_PARITY},
        {"COM1:9600,8,N,1,1", "0", COMMAND_LINE_BAD_STOP_BITS},
        {"host:65536", "0", COMMAND_LINE_BAD_TCP_PORT},
        {"\x95\x5c:80", "0", COMMAND_LINE_BAD_HOST},
        {repeated("h", 256) + ":80", "0", COMMAND_LINE_BAD_HOST},
        {"COM1 /run a /run b", "3", COMMAND_LINE_NO_PORT},
        {"COM1 /run a /result r /result s", "5", COMMAND_LINE_NO_RUN},
        {"/exit COM1", "0", COMMAND_LINE_NO_RUN},
        {"COM1 /run \"\"", "2", COMMAND_LINE_MISSING_VALUE},
        {"COM1 /x", "1", COMMAND_LINE_UNKNOWN_OPTION},
        {"COM1 /run " + repeated("f", 260), "2", COMMAND_LINE_TOO_LONG},
        {repeated(" :1", 65), "64", COMMAND_LINE_TOO_MANY_PORTS},
    };
    static CommandLine line;
    for (const Case& c : cases) {
        EXPECT_EQ(command_line_parse(("tavex.exe " + c.args).c_str(), &line), c.error == 0) << c.args;
        EXPECT_EQ(line.error, c.error) << c.args;
        EXPECT_EQ(c.error ? std::to_string(line.error_argument) : described(line), c.parsed) << c.args;
    }
    command_line_parse("t COM1 COM1:96o0", &line);
    EXPECT_STREQ(line.error_text, "COM1:96o0");
}

// Another start's line is taken only as one text with its NUL last.
TEST(CommandLine, TakesAHandedOverLineOnlyWithItsTerminatorLast)
{
    const std::string big(COMMAND_LINE_HAND_OVER_SIZE, 'x');
    EXPECT_TRUE(command_line_handed_over("t COM1", 7));
    EXPECT_TRUE(command_line_handed_over(big.c_str() + 1, big.size()));  // the longest, with its NUL
    EXPECT_FALSE(command_line_handed_over(big.c_str(), big.size() + 1));
    EXPECT_FALSE(command_line_handed_over("t COM1", 6));  // no terminator
    EXPECT_FALSE(command_line_handed_over("t\0COM1", 7));  // one inside
    EXPECT_FALSE(command_line_handed_over("", 0));
    EXPECT_FALSE(command_line_handed_over(nullptr, 7));
}

}  // namespace
