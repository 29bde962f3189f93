// Settings files as a careless hand or a broken disk leaves them: every key of every
// section the program reads, with random numbers, texts and bytes, hand-picked
// extremes, lines without "=", sections given twice, a lone Shift-JIS lead byte at
// the end of a value. Deterministic: file n is the same in every run. Shared by the
// in-process start-up test and the end-to-end one; plain C++.
#pragma once
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

namespace settings_files {

struct Section {
    std::string name;
    std::vector<std::string> keys;
};

inline std::vector<std::string> numbered(const char* format, int first, int last)
{
    std::vector<std::string> keys;
    char key[64];
    for (int n = first; n <= last; ++n) {
        std::snprintf(key, sizeof key, format, n);
        keys.push_back(key);
    }
    return keys;
}

inline std::vector<std::string> joined(std::vector<std::string> a, const std::vector<std::string>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// The sections and keys the program reads at start-up and when its dialogs open
// (the host history), a few numbers past each list's end included.
inline std::vector<Section> program_sections()
{
    std::vector<Section> sections = {
        {"console",
         {"buffer size", "column", "echo back", "v scroll bar", "h scroll bar", "send crlf", "receive crlf",
          "hex mode", "auto scroll", "tabs", "input mode", "line mode cr", "key disable", "text font size",
          "text font name", "time stamp"}},
        {"console color", joined(joined(joined(numbered("console text %d", 1, 4), numbered("console back %d", 1, 4)),
                                        numbered("custom %d", 0, 16)),
                                 {"time stamp"})},
        {"console highlight",
         joined(joined(numbered("keyword %d", 0, 17), numbered("colour %d", 0, 17)), numbered("flags %d", 0, 17))},
        {"system", {"tool bar", "status bar"}},
        {"network config", {"re-connect", "wait time", "connect retry"}},
        {"network", {"char delay", "line delay"}},
        {"network history", joined({"list entry", "ports", "protcol"}, numbered("host list %d", 0, 12))},
        {"usb", joined(joined(joined(joined({"entry", "auto reopen"}, numbered("device name %d", 1, 17)), numbered("guid %d", 1, 17)),
                              numbered("input pipe %d", 1, 17)),
                       joined(numbered("output pipe %d", 1, 17), {"char delay", "line delay"}))},
        {"file config", joined(joined({"buffer size", "file type size"}, numbered("file type title %d", 1, 12)),
                               numbered("file type filter %d", 1, 12))},
    };
    sections.push_back({"velkaro", joined(joined(joined({"reopen ports", "session ports", "session active"},
                                                        numbered("session port %d", 0, 65)),
                                                 numbered("session listen %d", 0, 4)),
                                          numbered("session place %d", 0, 65))});
    for (int n = 1; n <= 17; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "com%d", n);
        sections.push_back({name, {"valid", "baudrate", "data bits", "parity bits", "stop bits", "flow control",
                                   "parity check", "auto reopen", "dtr", "rts", "char delay", "line delay"}});
        std::snprintf(name, sizeof name, "lpt%d", n);
        sections.push_back({name, {"valid", "receive times", "bidi", "char delay", "line delay"}});
    }
    return sections;
}

// Numbers no hand would type but a file may hold, and texts past every buffer.
inline const std::vector<std::string>& extremes()
{
    static const std::vector<std::string> values = {
        "-1", "0", "1", "2147483647", "-2147483648", "2147483648", "4294967295", "4294967296",
        "99999999999999999999", "-99999999999999999999", "0x7FFFFFFF", "0xFFFFFFFF", "-0", "+5", " 12 ",
        "12abc", "1e9", "", "=", "\x81", "\x82\xA0\x82", std::string(300, '9'), std::string(5000, 'x'),
        std::string(1000, '\x82') + "\xA0", "{00000000-0000-0000-0000-000000000000}", "..\\..\\..\\x",
        "\\\\.\\COM1", "*.*;*.txt;;*.log", "110", "76800", "60000", "65536", "300", "256", "1024", "16384",
    };
    return values;
}

class Maker {
public:
    explicit Maker(std::uint32_t seed) : rng_(seed) {}

    int below(int n) { return static_cast<int>(rng_() % static_cast<std::uint32_t>(n)); }

    // Bytes for a value: anything but the line ends and NUL, which end the value.
    std::string bytes(int length)
    {
        std::string text;
        for (int i = 0; i < length; ++i) {
            char c = static_cast<char>(1 + below(255));
            text += (c == '\r' || c == '\n') ? ' ' : c;
        }
        return text;
    }

    // A value of at most a few hundred bytes: the long ones are the uniform files' and
    // one key's in each file (Wine reads the whole file again for every key, so a file
    // of long values in every key would only make the run slow).
    std::string value()
    {
        switch (below(16)) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4: return std::to_string(below(400) - 50);
        case 5:
        case 6: return std::to_string(static_cast<std::int32_t>(rng_()));
        case 7:
        case 8:
        case 9: {
            const std::string& e = extremes()[static_cast<size_t>(below(static_cast<int>(extremes().size())))];
            return e.size() > 300 ? e.substr(0, 300) : e;
        }
        case 10:
        case 11:
        case 12: return bytes(below(40));
        case 13: return bytes(below(300));
        default: {
            // Shift-JIS pairs, possibly ending on a lead byte alone.
            std::string text;
            for (int i = below(40); i > 0; --i) text += std::string("\x82\xA0\x83\x5C", 4).substr(below(2) * 2, 2);
            if (below(2)) text += '\x83';
            return text;
        }
        }
    }

    // One settings file: each section (some twice, some not at all) with most of its
    // keys, and now and then a line that is no key at all.
    std::string file()
    {
        const std::vector<Section> sections = program_sections();
        std::string text;
        const char* end = below(2) ? "\r\n" : "\n";
        if (below(10) == 0) text += "\xEF\xBB\xBF";
        for (const Section& s : sections) {
            for (int copy = below(8) == 0 ? 2 : 1; copy > 0; --copy) {
                if (below(10) == 0) continue;
                text += "[" + s.name + "]" + end;
                for (const std::string& key : s.keys) {
                    if (below(5) == 0) continue;
                    switch (below(40)) {
                    case 0: text += key + end; break;                // no "=" at all
                    case 1: text += "=" + value() + end; break;      // no key
                    case 2: text += "[" + bytes(below(20)) + end; break;
                    case 3: text += ";" + key + "=" + value() + end; break;
                    case 4: text += key + "=" + (below(12) ? value() : bytes(3000 + below(3000))) + end; break;
                    default: text += key + "=" + value() + end;
                    }
                }
            }
        }
        return text;
    }

    // A function-key file of random lines, as "default.tfk" might be found.
    std::string function_keys()
    {
        std::string text;
        for (int i = below(20); i > 0; --i) text += std::to_string(below(16) - 2) + "," + value() + "\n";
        return text;
    }

private:
    std::mt19937 rng_;
};

// Files every key of which holds the same extreme value: the first files of a run.
inline std::string uniform_file(const std::string& value)
{
    std::string text;
    for (const Section& s : program_sections()) {
        text += "[" + s.name + "]\r\n";
        for (const std::string& key : s.keys) text += key + "=" + value + "\r\n";
    }
    return text;
}

}  // namespace settings_files
