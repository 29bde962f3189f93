// The LINE input's history as the user walks it with Ctrl+Up and Ctrl+Down: what the
// input line shows after each key, the line being typed kept and given back, which
// lines are kept, and the 100-line limit.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "terminal/line_history.h"

namespace {

// One case: lines sent, the line being typed, then keys ('U' Ctrl+Up, 'D' Ctrl+Down);
// after each key what the input line shows ("=" when the key changes nothing).
struct Walk {
    const char* name;
    std::vector<std::string> sent;
    std::string typing;
    std::string keys;
    std::vector<std::string> shown;
};

std::vector<std::string> walk(LineHistory* history, const Walk& w)
{
    for (const std::string& line : w.sent) line_history_add(history, line.data(), static_cast<int>(line.size()));
    std::string line = w.typing;
    std::vector<std::string> shown;
    for (char key : w.keys) {
        const char* text = nullptr;
        int length = 0;
        if (line_history_step(history, key == 'U' ? -1 : 1, line.data(), static_cast<int>(line.size()), &text,
                              &length)) {
            line.assign(text, static_cast<size_t>(length));
            shown.push_back(line);
        } else {
            shown.push_back("=");
        }
    }
    return shown;
}

TEST(LineHistory, RecallWalks)
{
    const std::string kanji = "\x95\x5c\x8e\xa6";  // 表示: a 0x5C trail byte, kept whole
    const Walk walks[] = {
        {"nothing sent: nothing to recall", {}, "ab", "UD", {"=", "="}},
        {"newest first, then older, stops at the oldest", {"one", "two", "three"}, "", "UUUU",
         {"three", "two", "one", "="}},
        {"down past the newest gives the typed line back", {"one", "two"}, "draft", "UUDDD",
         {"two", "one", "two", "draft", "="}},
        {"an empty line is not kept", {"a", "", "b"}, "", "UUU", {"b", "a", "="}},
        {"the newest repeated is kept once", {"AT", "ATZ", "ATZ"}, "", "UUU", {"ATZ", "AT", "="}},
        {"an older repeat is kept again", {"AT", "ATZ", "AT"}, "", "UUU", {"AT", "ATZ", "AT"}},
        {"escapes as typed, double-byte whole", {"AT\\r", kanji}, "", "UU", {kanji, "AT\\r"}},
        {"a full line whole", {std::string(CONSOLE_INPUT_MAX, 'x')}, "", "U", {std::string(CONSOLE_INPUT_MAX, 'x')}},
    };
    for (const Walk& w : walks) {
        auto history = std::make_unique<LineHistory>();
        EXPECT_EQ(walk(history.get(), w), w.shown) << w.name;
    }
}

TEST(LineHistory, SendingStartsTheWalkAgainFromTheTypedLine)
{
    auto history = std::make_unique<LineHistory>();
    walk(history.get(), {"", {"one", "two"}, "draft", "UU", {}});
    // "one" recalled and sent: the next Up starts at it, and the old draft is gone.
    EXPECT_EQ(walk(history.get(), {"", {"one"}, "new", "UD", {}}), (std::vector<std::string>{"one", "new"}));
}

TEST(LineHistory, KeepsTheNewestHundred)
{
    auto history = std::make_unique<LineHistory>();
    Walk w{"", {}, "", std::string(LINE_HISTORY_MAX + 1, 'U'), {}};
    for (int i = 0; i < LINE_HISTORY_MAX + 30; ++i) w.sent.push_back("line " + std::to_string(i));
    std::vector<std::string> shown = walk(history.get(), w);
    EXPECT_EQ(shown.front(), "line 129");
    EXPECT_EQ(shown[LINE_HISTORY_MAX - 1], "line 30");
    EXPECT_EQ(shown.back(), "=");
}

}  // namespace
