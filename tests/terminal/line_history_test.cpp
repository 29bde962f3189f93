// The LINE input's history as the user walks it with Ctrl+Up and Ctrl+Down: what the
// input line shows after each key, the line being typed kept and given back, which
// lines are kept, and the 100-line limit.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "terminal/line_history.h"

namespace {

// One walk: lines sent, the line being typed, then keys: 'U' Ctrl+Up, 'D' Ctrl+Down,
// 'S' Enter (the line shown is sent and the input line empties). After each key, what
// the input line shows ("=" when an Up or Down changes nothing).
struct Walk {
    const char* name;
    std::vector<std::string> sent;
    std::string typing;
    std::string keys;
    std::vector<std::string> shown;
};

std::vector<std::string> walk(LineHistory* history, const Walk& w)
{
    for (const std::string& line : w.sent)
        line_history_add(history, line.data(), static_cast<int>(line.size()));
    std::string line = w.typing;
    std::vector<std::string> shown;
    for (char key : w.keys) {
        const char* text = nullptr;
        int length = 0;
        if (key == 'S') {
            line_history_add(history, line.data(), static_cast<int>(line.size()));
            line.clear();
        } else if (line_history_step(history, key == 'U' ? -1 : 1, line.data(), static_cast<int>(line.size()),
                                     &text, &length)) {
            line.assign(text, static_cast<size_t>(length));
        } else {
            shown.push_back("=");
            continue;
        }
        shown.push_back(line);
    }
    return shown;
}

TEST(LineHistory, RecallWalks)
{
    const std::string kanji = "\x95\x5c\x8e\xa6";  // 表示: a 0x5C trail byte, kept whole
    std::vector<std::string> many, newest_hundred;
    for (int i = 0; i < LINE_HISTORY_MAX + 30; ++i) many.push_back("line " + std::to_string(i));
    for (int i = LINE_HISTORY_MAX + 29; i >= 30; --i) newest_hundred.push_back("line " + std::to_string(i));
    newest_hundred.push_back("=");
    const Walk walks[] = {
        {"nothing sent: nothing to recall", {}, "ab", "UD", {"=", "="}},
        {"newest first, then older, stops at the oldest", {"one", "two", "three"}, "", "UUUU",
         {"three", "two", "one", "="}},
        {"down past the newest gives the typed line back", {"one", "two"}, "draft", "UUDDD",
         {"two", "one", "two", "draft", "="}},
        {"a recalled line sent is the newest; the old draft is gone", {"one", "two"}, "draft", "UUSUD",
         {"two", "one", "", "one", ""}},
        {"an empty line is not kept", {"a", "", "b"}, "", "UUU", {"b", "a", "="}},
        {"the newest repeated is kept once", {"AT", "ATZ", "ATZ"}, "", "UUU", {"ATZ", "AT", "="}},
        {"an older repeat is kept again", {"AT", "ATZ", "AT"}, "", "UUU", {"AT", "ATZ", "AT"}},
        {"escapes as typed, double-byte whole", {"AT\\r", kanji}, "", "UU", {kanji, "AT\\r"}},
        {"a full line whole", {std::string(CONSOLE_INPUT_MAX, 'x')}, "", "U",
         {std::string(CONSOLE_INPUT_MAX, 'x')}},
        {"the newest hundred kept", many, "", std::string(LINE_HISTORY_MAX + 1, 'U'), newest_hundred},
    };
    for (const Walk& w : walks) {
        auto history = std::make_unique<LineHistory>();
        EXPECT_EQ(walk(history.get(), w), w.shown) << w.name;
    }
}

}  // namespace
