// The one byte matcher of the program: find in the scrollback, keyword highlighting
// and the sequences' expect steps all compile their pattern here and search with it.
// A text pattern obeys Shift-JIS (a match starts on a character boundary and never
// ends inside a double-byte character; without case distinction only ASCII letters
// fold); a byte pattern matches at any offset, byte for byte.
// Portable and pure: the caller owns every record and buffer, and serialises the use
// of one ByteMatchStream (it is fed on a receiving thread and read on another).
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int BYTE_PATTERN_MAX = 1024;  // longest pattern, in bytes
constexpr std::size_t BYTE_MATCH_NONE = static_cast<std::size_t>(-1);

// What compiling a pattern gives.
enum ByteMatchCompile {
    BYTE_MATCH_OK = 0,
    BYTE_MATCH_EMPTY = 1,       // no bytes
    BYTE_MATCH_TOO_LONG = 2,    // more than BYTE_PATTERN_MAX bytes
    BYTE_MATCH_INCOMPLETE = 3,  // a text ending in the lead byte of a double-byte character
};

// A compiled pattern: a plain record, copied freely; compiled once, read by any
// number of searches at a time.
struct BytePattern {
    std::int32_t length;
    std::int32_t text;  // 1: Shift-JIS boundaries apply; 0: a byte pattern
    std::int32_t fold;  // 1: single-byte ASCII letters match either case
    unsigned char bytes[BYTE_PATTERN_MAX];
    unsigned char other[BYTE_PATTERN_MAX];   // the other case of a folded letter, else bytes[i]
    unsigned char folded[BYTE_PATTERN_MAX];  // bytes with the folded letters in lower case
    // Horspool shifts by the last byte of a window going forward, by its first byte
    // going backward; and the prefix tables of the linear search that takes over when
    // the text defeats the shifts (long runs of one byte, say).
    std::uint16_t shift_forward[256];
    std::uint16_t shift_backward[256];
    std::uint16_t prefix_forward[BYTE_PATTERN_MAX];
    std::uint16_t prefix_backward[BYTE_PATTERN_MAX];
};

// Text in Shift-JIS, length bytes (no terminator needed). Without match_case an ASCII
// letter that stands as a character of its own matches either case; the trail byte of
// a double-byte character never folds. On failure the pattern is left empty (length
// 0), and every search with it finds nothing.
int byte_match_compile_text(BytePattern* pattern, const char* text, std::size_t length, bool match_case);
// Bytes (from hexadecimal), matched exactly at any offset.
int byte_match_compile_bytes(BytePattern* pattern, const unsigned char* bytes, std::size_t length);

// Searches bytes[0, length), whose first byte starts a character (a line start, say).
// Forward: the first match starting at from or later. Backward: the last match
// starting before `before`. Returns the match's offset or BYTE_MATCH_NONE. Either
// takes time linear in the bytes it passes over, whatever the text holds.
std::size_t byte_match_find(const BytePattern* pattern, const unsigned char* bytes, std::size_t length,
                            std::size_t from);
std::size_t byte_match_find_backward(const BytePattern* pattern, const unsigned char* bytes,
                                     std::size_t length, std::size_t before);
// Every non-overlapping match in bytes[0, length), first to last (each search goes on
// after the previous match's end), handed to visit with its offset; visit returns
// false to stop. Returns how many were handed over. For a wrapped line, pass the whole
// logical line: a keyword cut by the wrap is one match over both rows.
std::size_t byte_match_each(const BytePattern* pattern, const unsigned char* bytes, std::size_t length,
                            bool (*visit)(void* context, std::size_t offset), void* context);

// Watching received bytes for a pattern (expect). The bytes are fed in order as they
// arrive, in chunks of any size; a pattern split over chunks is found, and the
// character boundaries are carried from one chunk to the next. The stream keeps at
// least the last BYTE_MATCH_KEEP bytes it was fed: an expect started after its answer
// arrived still finds it, and a failed expect can show what came.
constexpr std::size_t BYTE_MATCH_KEEP = 4096;
constexpr std::size_t BYTE_MATCH_TAIL = 256;

struct ByteMatchStream {
    BytePattern pattern;        // the expected bytes; length 0 while nothing is expected
    std::int32_t found;         // 1 once the pattern arrived (until the next expect)
    std::uint64_t total;        // bytes fed since init
    std::uint64_t search_from;  // matches start here or later (the mark, or the last match's end)
    std::uint64_t match_end;    // where the last match ended
    std::uint32_t kept;         // bytes held in keep (the last ones fed)
    std::uint32_t origin;       // index in keep of the first byte known to start a character
    unsigned char keep[2 * BYTE_MATCH_KEEP];
};

// Empty: nothing fed, nothing expected, the next byte starts a character.
void byte_match_stream_init(ByteMatchStream* stream);
// Only bytes fed from now on answer the next expect (call it before sending what
// the answer is to).
void byte_match_stream_mark(ByteMatchStream* stream);
// Starts waiting for pattern (copied) among the bytes since the mark or since the end
// of the previous match, whichever is later; those already fed are searched at once
// (as far as the last BYTE_MATCH_KEEP bytes reach). Returns true when it has already
// arrived. A pattern of length 0 expects nothing.
bool byte_match_stream_expect(ByteMatchStream* stream, const BytePattern* pattern);
// Feeds received bytes. Returns true when the expected pattern has arrived (now or
// before, until the next expect); then the next expect searches after its end.
bool byte_match_stream_feed(ByteMatchStream* stream, const unsigned char* bytes, std::size_t length);
// The last bytes fed, at most BYTE_MATCH_TAIL of them, oldest first, into out;
// returns how many. With since_mark, only those fed after the mark or the last match.
std::size_t byte_match_stream_tail(const ByteMatchStream* stream, unsigned char* out, bool since_mark);
