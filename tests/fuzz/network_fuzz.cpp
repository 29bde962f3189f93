// Fuzzes the parsers of what the user types or the settings file holds for the
// network kind: the dotted-address test, the number rule of the port and page fields,
// and the host history loaded from arbitrary values and then used with one of them.
// Input: NUL-separated texts. Each result is checked against a plain restatement of
// its rule.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ports/network/net_address.h"
#include "ports/network/network_history.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

// The dotted test restated piece by piece: four runs of digits whose value, leading
// zeros aside, is at most 255.
static bool dotted_by_pieces(const std::string& text, unsigned char out[4])
{
    size_t at = 0;
    for (int n = 0; n < 4; ++n) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
        size_t start = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
        if (at == start) return false;
        std::string digits = text.substr(start, at - start);
        size_t first = digits.find_first_not_of('0');
        std::string significant = first == std::string::npos ? "0" : digits.substr(first);
        if (significant.size() > 3 || std::stoi(significant) > 255) return false;
        out[n] = static_cast<unsigned char>(std::stoi(significant));
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
        if (n < 3) {
            if (at >= text.size() || text[at] != '.') return false;
            ++at;
        }
    }
    return true;
}

static void fuzz_number(const std::string& text)
{
    bool fits = false;
    std::int32_t value = net_read_number(text.c_str(), &fits);
    std::string read = text.substr(0, 14);
    bool negative = !read.empty() && read[0] == '-';
    size_t at = negative ? 1 : 0;
    long long expected = 0;
    for (; at < read.size() && read[at] >= '0' && read[at] <= '9'; ++at)
        expected = expected * 10 + (read[at] - '0');
    if (negative) expected = -expected;
    const bool in_range = expected >= INT32_MIN && expected <= INT32_MAX;
    if (expected > INT32_MAX) expected = INT32_MAX;
    if (expected < INT32_MIN) expected = INT32_MIN;
    check(fits == in_range && value == expected);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> texts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            texts.emplace_back();
        else
            texts.back() += static_cast<char>(data[i]);
    }
    NetworkHistory history;
    net_history_clear(&history);
    int keys = net_history_keys(static_cast<int>(texts.size()));
    std::vector<std::string> kept;
    for (int k = 0; k < keys; ++k) {
        const std::string& text = texts[k];
        unsigned char a[4] = {}, b[4] = {};
        bool dotted = net_parse_dotted(text.c_str(), a);
        check(dotted == dotted_by_pieces(text, b) && is_dotted_address(text.c_str()) == dotted);
        check(!dotted || std::memcmp(a, b, 4) == 0);
        fuzz_number(text);
        net_history_add_stored(&history, text.c_str());
        if (!text.empty()) kept.push_back(text.substr(0, NET_HOST_TEXT_SIZE - 1));
    }
    check(history.count == static_cast<int>(kept.size()));
    for (int i = 0; i < history.count; ++i) check(kept[i] == history.hosts[i]);

    // The last text used: it stands first, the rest keep their order without it, and
    // no more than ten remain.
    const std::string& host = texts.back();
    std::string entry = host.substr(0, NET_HOST_TEXT_SIZE - 1);
    bool used = net_history_use(&history, host.c_str());
    check(used == !host.empty());
    if (!used) return 0;
    std::vector<std::string> expected = {entry};
    bool removed = false;
    for (const std::string& k : kept) {
        if (!removed && k == entry) {
            removed = true;
            continue;
        }
        expected.push_back(k);
    }
    if (expected.size() > NET_HISTORY_SIZE) expected.resize(NET_HISTORY_SIZE);
    check(history.count == static_cast<int>(expected.size()));
    for (int i = 0; i < history.count; ++i) check(expected[i] == history.hosts[i]);
    return 0;
}
