// The sequence file: every step as it is written and what it becomes, and every
// refusal with the line it names.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "transfer/sequence_file.h"

namespace {

// A step as "op number bytes", jumps apart.
std::string describe(const Sequence& s, const SequenceStep& step)
{
    std::string text = sequence_op_name(step.op);
    text += " " + std::to_string(step.number);
    if (step.length) text += " " + std::string(s.bytes.begin() + step.offset, s.bytes.begin() + step.offset + step.length);
    return text;
}

TEST(SequenceFile, EveryStepParses)
{
    struct Case {
        const char* text;
        const char* step;
    } const cases[] = {
        {"send AT\\r", "send 0 AT\r"},
        {"SEND  AT  ", "send 0 AT"},  // either case; blanks round the text dropped
        {"send \"  a \" \"b\"", "send 0   a \" \"b"},  // quoted: the last quote closes
        {"send \x95\x5c\\n", "send 0 \x95\x5c\n"},     // a 0x5C trail byte is no backslash
        {"sendhex 02 41 03", "send 0 \x02" "A\x03"},
        {"sendfile \"C:\\data\\a b.bin\"", "sendfile 0 C:\\data\\a b.bin"},
        {"sendfile C:\\data\\a.bin", "sendfile 0 C:\\data\\a.bin"},
        {"expect OK 200", "expect 5000 OK 200"},  // bare: all of it is the text
        {"expect \"OK\" 200", "expect 200 OK"},
        {"expect \"\\r\\n> \"", "expect 5000 \r\n> "},
        {"timeout 750\nexpect x", "expect 750 x"},
        {"expecthex 4F 4B", "expecthex 5000 OK"},
        {"expecthex \"4F4B\" 10", "expecthex 10 OK"},
        {"wait 86400000", "wait 86400000"},
        {"onfail continue", "onfail 1"},
        {"log C:\\logs\\rx.log", "log 0 C:\\logs\\rx.log"},
        {"log off", "log off 0"},
        {"log \"off\"", "log 0 off"},  // quoted, a file called off
        {"mark \x8a\x4a\x8e\x6e \\r", "mark 0 \x8a\x4a\x8e\x6e \\r"},  // a mark's text is as written
        {"  # comment\n\n\t\r\nsend x", "send 0 x"},
    };
    for (const Case& c : cases) {
        Sequence s;
        SequenceParse p = sequence_parse(c.text, std::string(c.text).size(), &s);
        ASSERT_EQ(p.error, SEQUENCE_OK) << c.text;
        ASSERT_EQ(s.steps.size(), 1u) << c.text;
        EXPECT_EQ(describe(s, s.steps[0]), c.step) << c.text;
    }
}

TEST(SequenceFile, EveryFaultNamesItsLine)
{
    std::string long_text(1025, 'a');
    std::string long_line(SEQUENCE_MAX_LINE + 1, 'a');
    std::string deep, too_deep;
    for (int i = 0; i < SEQUENCE_MAX_DEPTH; ++i) deep += "repeat 2\n";
    for (int i = 0; i < SEQUENCE_MAX_DEPTH; ++i) deep += "end\n";
    too_deep = "repeat 1\n" + deep;
    struct Case {
        std::string text;
        int error;
        int line;
    } const cases[] = {
        {"send a\nsned b", SEQUENCE_UNKNOWN_STEP, 2},
        {"send", SEQUENCE_NO_TEXT, 1},
        {"mark", SEQUENCE_NO_TEXT, 1},
        {"sendhex , ,", SEQUENCE_NO_TEXT, 1},
        {"send a\\q", SEQUENCE_BAD_ESCAPE, 1},
        {std::string("send a\0b", 8), SEQUENCE_BAD_ESCAPE, 1},
        {"sendhex 4G", SEQUENCE_BAD_HEX, 1},
        {"expecthex 4F 4B 100", SEQUENCE_BAD_HEX, 1},  // bare: 100 is an odd group
        {"wait", SEQUENCE_BAD_NUMBER, 1},
        {"wait 86400001", SEQUENCE_BAD_NUMBER, 1},
        {"repeat 1000000001", SEQUENCE_BAD_NUMBER, 1},
        {"send \"abc", SEQUENCE_UNCLOSED_QUOTE, 1},
        {"expect \"OK\" 2s", SEQUENCE_AFTER_QUOTE, 1},
        {"onfail retry", SEQUENCE_BAD_ONFAIL, 1},
        {"expect " + long_text, SEQUENCE_TOO_LONG, 1},
        {"mark " + long_line, SEQUENCE_TOO_LONG, 1},
        {too_deep, SEQUENCE_TOO_DEEP, SEQUENCE_MAX_DEPTH + 1},
        {"repeat 2\nend\nend", SEQUENCE_END_WITHOUT_REPEAT, 3},
        {"repeat 2\nrepeat 3\nend\n", SEQUENCE_REPEAT_WITHOUT_END, 1},
        {"expect a\x82", SEQUENCE_LONE_LEAD, 1},
        {"repeat 2\nend x", SEQUENCE_EXTRA, 2},
    };
    for (const Case& c : cases) {
        Sequence s;
        SequenceParse p = sequence_parse(c.text.data(), c.text.size(), &s);
        EXPECT_EQ(p.error, c.error) << c.text.substr(0, 40);
        EXPECT_EQ(p.line, c.line) << c.text.substr(0, 40);
        EXPECT_TRUE(s.steps.empty() && s.bytes.empty()) << c.text.substr(0, 40);
    }
    Sequence s;
    EXPECT_EQ(sequence_parse(deep.data(), deep.size(), &s).error, SEQUENCE_OK);

    std::string many;
    for (std::size_t i = 0; i <= SEQUENCE_MAX_STEPS; ++i) many += "wait 1\n";
    SequenceParse p = sequence_parse(many.data(), many.size(), &s);
    EXPECT_EQ(p.error, SEQUENCE_TOO_MANY_STEPS);
    EXPECT_EQ(p.line, static_cast<int>(SEQUENCE_MAX_STEPS) + 1);
}

TEST(SequenceFile, TheShippedExamplesParse)
{
    for (const char* name : {"modem.seq", "echo.seq"}) {
        std::ifstream in(std::string(TAVEX_SOURCE_DIR) + "/packaging/samples/" + name, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        Sequence s;
        EXPECT_EQ(sequence_parse(text.str().data(), text.str().size(), &s).error, SEQUENCE_OK) << name;
        EXPECT_GT(s.steps.size(), 5u) << name;
    }
}

}  // namespace
