// The byte matcher: compiling a pattern, searching a range both ways, visiting every
// match, and watching a stream of received bytes.
//
// The search is Horspool's: it skips by the byte under the end of the window and
// compares only where that byte fits. Text that defeats the skips (a long run of
// '=' against "=====X=") makes Horspool compare the whole pattern at every byte, so
// the search counts its comparisons and, past a budget, goes on with a prefix-table
// (Knuth-Morris-Pratt) search, linear whatever the text. Both compare the same
// thing: at a character boundary, a window matches the pattern exactly where its
// bytes equal the pattern's with the folded letters in lower case ("folded" bytes);
// Shift-JIS gives the window the same characters as the pattern once their first
// byte sits on a boundary, because folding touches only letters, which are never
// lead bytes and are trail bytes in either case.
//
// Whether a position starts a character is decided from the nearest byte before it
// that is no lead byte: the position after such a byte always starts one (the byte
// was a character of its own or the trail of one), and from there a run of lead
// bytes pairs up two by two. Portable and pure.
#include "console/byte_match.h"

#include <cstring>

#include "base/double_byte.h"

namespace {

bool is_letter(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

unsigned char lower(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// Which positions of bytes[0, length) start a character, given that origin does. It
// remembers the last run of lead bytes it walked, so that queries moving one way
// (forward or backward) read each byte a bounded number of times.
struct Boundaries {
    const unsigned char* bytes;
    std::size_t length;
    std::size_t origin;
    std::size_t run_start;  // starts a character; [run_start, run_end) are lead bytes
    std::size_t run_end;
};

Boundaries boundaries(const unsigned char* bytes, std::size_t length, std::size_t origin)
{
    return Boundaries{bytes, length, origin, origin, origin};
}

// p in [origin, length].
bool starts_character(Boundaries* b, std::size_t p)
{
    if (p > b->run_end) {
        // Lead bytes all the way back to the run: the run goes on.
        std::size_t i = p;
        while (i > b->run_end && is_lead_byte(b->bytes[i - 1]))
            --i;
        if (i > b->run_end) b->run_start = i;
        b->run_end = p;
    } else if (p < b->run_start) {
        std::size_t i = p;
        while (i > b->origin && is_lead_byte(b->bytes[i - 1]))
            --i;
        b->run_start = i;
        b->run_end = p;
    }
    // An even number of lead bytes before p pair up; after an odd number the last one
    // takes p's byte as its trail when it can.
    return (p - b->run_start) % 2 == 0 || p >= b->length || !is_trail_byte(b->bytes[p]);
}

// The byte the search compares at q: folded when it is a letter standing alone.
unsigned char folded_at(const BytePattern* pattern, Boundaries* b, std::size_t q)
{
    unsigned char c = b->bytes[q];
    if (!pattern->fold || !is_letter(c)) return c;
    return starts_character(b, q) ? lower(c) : c;
}

bool fits(const BytePattern* pattern, const unsigned char* bytes)
{
    return pattern && bytes && pattern->length > 0 && pattern->length <= BYTE_PATTERN_MAX;
}

void prefix_table(const unsigned char* folded, int m, bool reversed, std::uint16_t* table)
{
    auto at = [&](int i) { return folded[reversed ? m - 1 - i : i]; };
    table[0] = 0;
    int k = 0;
    for (int i = 1; i < m; ++i) {
        while (k > 0 && at(i) != at(k))
            k = table[k - 1];
        if (at(i) == at(k)) ++k;
        table[i] = static_cast<std::uint16_t>(k);
    }
}

int load(BytePattern* pattern, const unsigned char* bytes, std::size_t length)
{
    pattern->length = 0;
    if (length == 0 || !bytes) return BYTE_MATCH_EMPTY;
    if (length > static_cast<std::size_t>(BYTE_PATTERN_MAX)) return BYTE_MATCH_TOO_LONG;
    std::memcpy(pattern->bytes, bytes, length);
    std::memcpy(pattern->other, bytes, length);
    std::memcpy(pattern->folded, bytes, length);
    pattern->length = static_cast<std::int32_t>(length);
    pattern->text = pattern->fold = 0;
    return BYTE_MATCH_OK;
}

// The tables, once bytes, other and folded are set.
void prepare(BytePattern* pattern)
{
    const int m = pattern->length;
    for (int c = 0; c < 256; ++c)
        pattern->shift_forward[c] = pattern->shift_backward[c] = static_cast<std::uint16_t>(m);
    for (int j = 0; j < m - 1; ++j)
        pattern->shift_forward[pattern->bytes[j]] = pattern->shift_forward[pattern->other[j]] =
            static_cast<std::uint16_t>(m - 1 - j);
    for (int j = m - 1; j >= 1; --j)
        pattern->shift_backward[pattern->bytes[j]] = pattern->shift_backward[pattern->other[j]] =
            static_cast<std::uint16_t>(j);
    prefix_table(pattern->folded, m, false, pattern->prefix_forward);
    prefix_table(pattern->folded, m, true, pattern->prefix_backward);
}

// Whether the window at p holds the pattern's bytes, the last one aside (the caller
// has compared it); adds the comparisons made to *work.
bool window_matches(const BytePattern* pattern, const unsigned char* window, std::size_t* work)
{
    const int last = pattern->length - 1;
    int j = 0;
    while (j < last && (window[j] == pattern->bytes[j] || window[j] == pattern->other[j]))
        ++j;
    *work += static_cast<std::size_t>(j);
    return j == last;
}

// The linear search forward over [from, length): the first match starting at from or
// later. starts has answered for positions up to from going forward.
std::size_t linear_forward(const BytePattern* pattern, Boundaries* starts, std::size_t from)
{
    const std::size_t m = static_cast<std::size_t>(pattern->length);
    Boundaries letters = *starts;  // its own memory: its queries run ahead of the starts'
    std::size_t k = 0;
    for (std::size_t q = from; q < starts->length; ++q) {
        unsigned char c = folded_at(pattern, &letters, q);
        while (k > 0 && pattern->folded[k] != c)
            k = pattern->prefix_forward[k - 1];
        if (pattern->folded[k] == c) ++k;
        if (k == m) {
            std::size_t p = q + 1 - m;
            if (!pattern->text || starts_character(starts, p)) return p;
            k = pattern->prefix_forward[k - 1];
        }
    }
    return BYTE_MATCH_NONE;
}

// The same backward: the last match starting at `last` or earlier.
std::size_t linear_backward(const BytePattern* pattern, Boundaries* starts, std::size_t last)
{
    const std::size_t m = static_cast<std::size_t>(pattern->length);
    std::size_t k = 0;
    for (std::size_t q = last + m; q-- > starts->origin;) {
        unsigned char c = folded_at(pattern, starts, q);
        while (k > 0 && pattern->folded[m - 1 - k] != c)
            k = pattern->prefix_backward[k - 1];
        if (pattern->folded[m - 1 - k] == c) ++k;
        if (k == m) {
            if (!pattern->text || starts_character(starts, q)) return q;
            k = pattern->prefix_backward[k - 1];
        }
    }
    return BYTE_MATCH_NONE;
}

// Comparisons Horspool may spend before the linear search takes over: a few per byte
// it has passed, and enough to start with for a pattern compared whole a few times.
bool over_budget(std::size_t work, std::size_t passed, std::size_t m)
{
    return work > 4 * passed + 8 * m + 256;
}

// Forward from `from` over bytes[origin, length), where origin starts a character.
std::size_t find_forward(const BytePattern* pattern, const unsigned char* bytes, std::size_t length,
                         std::size_t from, std::size_t origin)
{
    const std::size_t m = static_cast<std::size_t>(pattern->length);
    if (from > length || length - from < m) return BYTE_MATCH_NONE;
    Boundaries starts = boundaries(bytes, length, origin);
    const std::size_t last = m - 1;
    std::size_t work = 0;
    for (std::size_t p = from; p <= length - m;) {
        const unsigned char c = bytes[p + last];
        if ((c == pattern->bytes[last] || c == pattern->other[last]) &&
            window_matches(pattern, bytes + p, &work) && (!pattern->text || starts_character(&starts, p)))
            return p;
        p += pattern->shift_forward[c];
        if (over_budget(work, p - from, m)) return linear_forward(pattern, &starts, p);
    }
    return BYTE_MATCH_NONE;
}

}  // namespace

int byte_match_compile_bytes(BytePattern* pattern, const unsigned char* bytes, std::size_t length)
{
    if (!pattern) return BYTE_MATCH_EMPTY;
    int result = load(pattern, bytes, length);
    if (result == BYTE_MATCH_OK) prepare(pattern);
    return result;
}

int byte_match_compile_text(BytePattern* pattern, const char* text, std::size_t length, bool match_case)
{
    if (!pattern) return BYTE_MATCH_EMPTY;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    int result = load(pattern, bytes, length);
    if (result != BYTE_MATCH_OK) return result;
    pattern->text = 1;
    pattern->fold = match_case ? 0 : 1;
    const std::size_t m = length;
    for (std::size_t i = 0; i < m;) {
        if (i + 1 < m && is_double_byte(bytes[i], bytes[i + 1])) {
            i += 2;
            continue;
        }
        // Its trail byte is missing: whether a text matches would depend on the byte
        // after the match.
        if (i + 1 == m && is_lead_byte(bytes[i])) {
            pattern->length = 0;
            return BYTE_MATCH_INCOMPLETE;
        }
        if (!match_case && is_letter(bytes[i])) {
            pattern->other[i] = static_cast<unsigned char>(bytes[i] ^ 0x20);
            pattern->folded[i] = lower(bytes[i]);
        }
        ++i;
    }
    prepare(pattern);
    return BYTE_MATCH_OK;
}

std::size_t byte_match_find(const BytePattern* pattern, const unsigned char* bytes, std::size_t length,
                            std::size_t from)
{
    if (!fits(pattern, bytes)) return BYTE_MATCH_NONE;
    return find_forward(pattern, bytes, length, from, 0);
}

std::size_t byte_match_find_backward(const BytePattern* pattern, const unsigned char* bytes,
                                     std::size_t length, std::size_t before)
{
    if (!fits(pattern, bytes)) return BYTE_MATCH_NONE;
    const std::size_t m = static_cast<std::size_t>(pattern->length);
    if (before == 0 || length < m) return BYTE_MATCH_NONE;
    std::size_t start = before - 1 < length - m ? before - 1 : length - m;
    Boundaries starts = boundaries(bytes, length, 0);
    std::size_t work = 0;
    for (std::size_t p = start;;) {
        const unsigned char c = bytes[p];
        if ((c == pattern->bytes[0] || c == pattern->other[0])) {
            // Compared from the end here, so the first byte is the one already seen.
            std::size_t j = m - 1;
            while (j > 0 && (bytes[p + j] == pattern->bytes[j] || bytes[p + j] == pattern->other[j]))
                --j;
            work += m - 1 - j;
            if (j == 0 && (!pattern->text || starts_character(&starts, p))) return p;
        }
        const std::size_t shift = pattern->shift_backward[c];
        if (p < shift) return BYTE_MATCH_NONE;
        p -= shift;
        if (over_budget(work, start - p, m)) return linear_backward(pattern, &starts, p);
    }
}

std::size_t byte_match_each(const BytePattern* pattern, const unsigned char* bytes, std::size_t length,
                            bool (*visit)(void* context, std::size_t offset), void* context)
{
    if (!fits(pattern, bytes) || !visit) return 0;
    std::size_t count = 0;
    // A text match ends on a boundary, so each search starts from a known one.
    for (std::size_t at = 0;;) {
        std::size_t found = find_forward(pattern, bytes, length, at, at);
        if (found == BYTE_MATCH_NONE) return count;
        ++count;
        if (!visit(context, found)) return count;
        at = found + static_cast<std::size_t>(pattern->length);
    }
}

// The stream keeps the bytes it was fed in keep, which runs from a position known to
// start a character (origin) to the last byte fed; it drops its front half when full.
// Each search covers what the previous one could not have seen whole.

void byte_match_stream_init(ByteMatchStream* stream)
{
    if (!stream) return;
    stream->pattern.length = 0;
    stream->found = 0;
    stream->total = stream->search_from = stream->match_end = 0;
    stream->kept = stream->origin = 0;
}

void byte_match_stream_mark(ByteMatchStream* stream)
{
    if (stream) stream->search_from = stream->total;
}

// Searches the kept bytes for a match starting at `from` (a stream position) or later.
static bool stream_search(ByteMatchStream* stream, std::uint64_t from)
{
    const std::uint64_t base = stream->total - stream->kept;
    std::size_t at = stream->origin;
    if (from > base + at) at = static_cast<std::size_t>(from - base);
    std::size_t found = find_forward(&stream->pattern, stream->keep, stream->kept, at, stream->origin);
    if (found == BYTE_MATCH_NONE) return false;
    stream->found = 1;
    stream->match_end = base + found + static_cast<std::uint64_t>(stream->pattern.length);
    stream->search_from = stream->match_end;
    return true;
}

bool byte_match_stream_expect(ByteMatchStream* stream, const BytePattern* pattern)
{
    if (!stream) return false;
    stream->found = 0;
    if (!pattern || pattern->length <= 0 || pattern->length > BYTE_PATTERN_MAX) {
        stream->pattern.length = 0;
        return false;
    }
    stream->pattern = *pattern;
    return stream_search(stream, stream->search_from);
}

bool byte_match_stream_feed(ByteMatchStream* stream, const unsigned char* bytes, std::size_t length)
{
    if (!stream) return false;
    const std::size_t m = static_cast<std::size_t>(stream->pattern.length);
    while (bytes && length > 0) {
        const std::size_t piece = length < BYTE_MATCH_KEEP ? length : BYTE_MATCH_KEEP;
        if (stream->kept + piece > sizeof stream->keep) {
            // Keep the newest half: more than any pattern needs from before the piece.
            const std::size_t drop = stream->kept - BYTE_MATCH_KEEP;
            if (stream->origin >= drop) {
                stream->origin -= static_cast<std::uint32_t>(drop);
            } else {
                Boundaries b = boundaries(stream->keep, stream->kept, stream->origin);
                stream->origin = starts_character(&b, drop) ? 0 : 1;
            }
            std::memmove(stream->keep, stream->keep + drop, BYTE_MATCH_KEEP);
            stream->kept = BYTE_MATCH_KEEP;
        }
        std::memcpy(stream->keep + stream->kept, bytes, piece);
        const std::uint64_t before = stream->total;
        stream->kept += static_cast<std::uint32_t>(piece);
        stream->total += piece;
        bytes += piece;
        length -= piece;
        // A match ending in the new piece starts at most m - 1 bytes before it.
        if (m > 0 && !stream->found) {
            std::uint64_t from = before >= m - 1 ? before - (m - 1) : 0;
            stream_search(stream, from > stream->search_from ? from : stream->search_from);
        }
    }
    return stream->found != 0;
}

std::size_t byte_match_stream_tail(const ByteMatchStream* stream, unsigned char* out, bool since_mark)
{
    if (!stream || !out) return 0;
    std::size_t count = stream->kept < BYTE_MATCH_TAIL ? stream->kept : BYTE_MATCH_TAIL;
    if (since_mark) {
        const std::uint64_t fresh =
            stream->total > stream->search_from ? stream->total - stream->search_from : 0;
        if (fresh < count) count = static_cast<std::size_t>(fresh);
    }
    std::memcpy(out, stream->keep + stream->kept - count, count);
    return count;
}
