// Fuzzes the byte matcher against a plain search: the text's characters walked from
// its start, the pattern compared where one starts and ends. Both directions, every
// match, and the stream fed in pieces must agree with it, for text with and without
// case and for bytes. Input: mode, pattern length, position, piece size, pattern,
// text. A mode bit draws the bytes from a few that matter (letters, lead bytes, 0x5C),
// and now and then the text is repeated past 8 KB to reach the linear search and the
// stream's dropping of old bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "console/byte_match.h"
#include "base/double_byte.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

using Bytes = std::vector<unsigned char>;

// Which positions (0 to size) start a character.
static std::vector<char> character_starts(const Bytes& t)
{
    std::vector<char> starts(t.size() + 1, 0);
    for (size_t i = 0; i < t.size(); i += i + 1 < t.size() && is_double_byte(t[i], t[i + 1]) ? 2 : 1)
        starts[i] = 1;
    starts[t.size()] = 1;
    return starts;
}

static bool matches_at(const Bytes& p, const Bytes& t, const std::vector<char>& starts, size_t at, int mode)
{
    if (at + p.size() > t.size() || (mode != 2 && (!starts[at] || !starts[at + p.size()]))) return false;
    for (size_t j = 0; j < p.size(); ++j) {
        unsigned char a = t[at + j] | 0x20, b = p[j] | 0x20;  // a letter folds where it stands alone
        bool alone = starts[at + j] && starts[at + j + 1];
        if (t[at + j] != p[j] && !(mode == 1 && alone && a == b && a >= 'a' && a <= 'z')) return false;
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 5) return 0;
    const int flags = data[0], mode = flags % 3;  // text with case, without, bytes
    const size_t m = 1 + data[1] % 12, position = data[2] * 7u, piece = 1 + data[3] % 64;
    if (size - 4 < m) return 0;
    static const unsigned char few[] = {'A', 'a', 'b', 0x82, 0x5C, 0x41, 0x9F, 0xE0};
    Bytes p, t;
    for (size_t i = 4; i < size; ++i)
        (i < 4 + m ? p : t).push_back((flags & 4) ? few[data[i] % 8] : data[i]);
    const size_t given = t.size();
    if ((flags & 0x38) == 0x38)
        while (given > 0 && t.size() < 9000)
            t.push_back(t[t.size() % given]);

    static BytePattern pattern;
    int compiled =
        mode == 2 ? byte_match_compile_bytes(&pattern, p.data(), m)
                  : byte_match_compile_text(&pattern, reinterpret_cast<const char*>(p.data()), m, mode == 0);
    const bool lone_lead = character_starts(p)[m - 1] && is_lead_byte(p[m - 1]);
    check((compiled == BYTE_MATCH_OK) == (mode == 2 || !lone_lead));
    if (compiled != BYTE_MATCH_OK) return 0;

    const std::vector<char> starts = character_starts(t);
    std::vector<size_t> greedy;  // every match, without overlaps
    size_t from = position % (t.size() + 2), first = BYTE_MATCH_NONE, last = BYTE_MATCH_NONE;
    for (size_t at = 0; at < t.size(); ++at) {
        if (!matches_at(p, t, starts, at, mode)) continue;
        if (at >= from && first == BYTE_MATCH_NONE) first = at;
        if (at < from) last = at;
        if (greedy.empty() || at >= greedy.back() + m) greedy.push_back(at);
    }
    check(byte_match_find(&pattern, t.data(), t.size(), from) == first);
    check(byte_match_find_backward(&pattern, t.data(), t.size(), from) == last);
    std::vector<size_t> visited;
    auto visit = [](void* found, size_t offset) {
        static_cast<std::vector<size_t>*>(found)->push_back(offset);
        return true;
    };
    byte_match_each(&pattern, t.data(), t.size(), visit, &visited);
    check(visited == greedy);

    // The stream, expecting from the start; while the text fits what it keeps, each
    // later expect finds the next match.
    static ByteMatchStream stream;
    byte_match_stream_init(&stream);
    byte_match_stream_expect(&stream, &pattern);
    size_t next = 0;
    for (size_t at = 0; at < t.size(); at += piece) {
        byte_match_stream_feed(&stream, t.data() + at, t.size() - at < piece ? t.size() - at : piece);
        for (; stream.found && t.size() <= BYTE_MATCH_KEEP; byte_match_stream_expect(&stream, &pattern))
            check(next < greedy.size() && stream.match_end == greedy[next++] + m);
    }
    check(t.size() <= BYTE_MATCH_KEEP
              ? next == greedy.size()
              : stream.found == !greedy.empty() && (!stream.found || stream.match_end == greedy[0] + m));
    unsigned char tail[BYTE_MATCH_TAIL];
    const size_t kept = byte_match_stream_tail(&stream, tail, false);
    check(kept == (t.size() < BYTE_MATCH_TAIL ? t.size() : BYTE_MATCH_TAIL));
    check(Bytes(tail, tail + kept) == Bytes(t.end() - static_cast<long>(kept), t.end()));
    return 0;
}
