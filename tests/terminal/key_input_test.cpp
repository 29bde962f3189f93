// The terminal window's key rules: what is refused, Enter's bytes, a double-byte
// character's two WM_CHARs taken together, and the line a LINE-mode Enter sends.
#include "terminal/key_input.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string bytes_of(const TypedCharacter& typed)
{
    return (typed.enter ? "<enter>" : "") + std::string(reinterpret_cast<const char*>(typed.bytes), typed.count);
}

TEST(KeyInput, EachReasonRefusesInput)
{
    const KeyGate open = {0, PORT_CONNECTED, 0, 0, 0};
    EXPECT_FALSE(key_input_refused(&open));
    // A device failing its transfers still takes input: the next write may succeed.
    KeyGate failing = open;
    failing.connection_state = PORT_FAILING;
    EXPECT_FALSE(key_input_refused(&failing));
    for (int reason = 0; reason < 5; ++reason) {
        KeyGate gate = open;
        int* fields[] = {&gate.key_disable, &gate.connection_state, &gate.quiet, &gate.file_send, &gate.pasting};
        *fields[reason] = reason == 1 ? PORT_NOT_CONNECTED : 1;
        EXPECT_TRUE(key_input_refused(&gate)) << reason;
    }
}

TEST(KeyInput, EnterSendsTheLineEndOfSendCrlf)
{
    const struct {
        int send_crlf;
        std::string bytes;
    } cases[] = {{0, "\r"}, {1, "\n"}, {2, "\r\n"}, {7, "\r"}, {-1, "\r"}};
    for (const auto& k : cases) {
        unsigned char out[2];
        int n = key_enter_bytes(k.send_crlf, out);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), k.bytes) << k.send_crlf;
    }
}

// Each code typed in turn, and the characters handled after each.
TEST(KeyInput, ADoubleByteCharacterIsHandledWhole)
{
    const struct {
        std::string codes;
        std::vector<std::string> handled;  // per code, the characters joined by '|'
    } cases[] = {
        {"a\r", {"a", "<enter>\r"}},
        {"\x82\xa0", {"", "\x82\xa0"}},
        {"\x95\x5c", {"", "\x95\x5c"}},          // 表: its trail is a backslash
        {"\x82\r", {"", "\x82|<enter>\r"}},      // a lead byte without its trail goes alone
        {"\x82\t", {"", "\x82|\t"}},
        {"\x82\x82\x82", {"", "\x82\x82", ""}},  // the second lead-range byte is the first's trail
    };
    for (const auto& k : cases) {
        unsigned char held = 0;
        for (size_t i = 0; i < k.codes.size(); ++i) {
            TypedCharacter out[2];
            int n = key_take_character(&held, static_cast<unsigned char>(k.codes[i]), 0, out);
            std::string joined;
            for (int c = 0; c < n; ++c) joined += (c ? "|" : "") + bytes_of(out[c]);
            EXPECT_EQ(joined, k.handled[i]) << k.codes << " at " << i;
        }
    }
}

TEST(KeyInput, LineModeEnterSendsTheExpandedLineAndItsLineEnd)
{
    const struct {
        std::string line;
        int line_mode_cr, send_crlf;
        std::string sent;
    } cases[] = {
        {"", 0, 2, ""},                  // an empty line sends nothing
        {"", 1, 2, "\r\n"},              // but its line end, with "line mode cr"
        {"ac\\x41", 0, 0, "acA"},
        {"\x95\x5cn", 1, 0, "\x95\x5cn\r"},
        {std::string(256, 'a'), 1, 2, std::string(256, 'a') + "\r\n"},  // a full line keeps its end
        {"\\x4", 1, 1, "\x04\n"},
    };
    for (const auto& k : cases) {
        unsigned char out[KEY_LINE_BUFFER];
        int n = key_line_to_send(k.line.c_str(), static_cast<int>(k.line.size()), k.line_mode_cr, k.send_crlf, out);
        EXPECT_EQ(std::string(reinterpret_cast<char*>(out), n), k.sent) << k.line;
    }
}

}  // namespace
