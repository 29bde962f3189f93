// The console's line table: where each stored line starts in the text, and what is
// known of each line beside its bytes (when its first byte arrived, how it ended).
// Portable. The text buffer (console_buffer.cpp) is its only writer and runs with
// console_mutex held; readers hold it too or run where no append can interleave.
//
// The table is a ring of line_table_size slots: discarding lines from the front
// only moves first_slot, so neither the starts nor the facts of the lines that stay
// are copied. A start is kept as an absolute offset (bytes ever discarded plus the
// offset in the text, modulo 2^32), so moving the text down leaves the table alone.
// The absolute counts of discarded lines and bytes also give the readers positions
// that stay valid while old lines go: line number lines_discarded + i is line i now.
#pragma once
#include <cstdint>

// Local wall-clock time in milliseconds since 1601-01-01 (the Win32 file-time
// epoch). The console never reads a clock: whoever appends passes the time along.
typedef std::int64_t ConsoleTime;
constexpr ConsoleTime CONSOLE_TIME_NONE = INT64_MIN;

// How a line ended. Only the last line is open.
enum ConsoleLineEnd : unsigned char {
    LINE_OPEN = 0,
    LINE_ENDED = 1,    // after a CR or LF (or the pair CR LF / LF CR)
    LINE_WRAPPED = 2,  // it reached the wrap width; the next line continues it
};

// The facts kept for each line. New facts go here; console_lines_begin sets them
// when a line starts.
struct ConsoleLineInfo {
    // When the line's first byte arrived. A line without bytes (only the last one
    // can be) holds a passing time, which the next append replaces with its own
    // (CONSOLE_TIME_NONE before any append).
    ConsoleTime first_byte_time;
    unsigned char end;        // ConsoleLineEnd
    unsigned char continues;  // 1 when the line before it wrapped (kept after that one is discarded)
};

struct ConsoleLines {
    std::uint32_t line_table_size;  // slots in the ring
    std::uint32_t last_line;        // lines 0 .. last_line exist; the last may be empty
    std::uint32_t first_slot;       // slot of line 0
    std::uint32_t last_slot;        // slot of the last line
    std::uint32_t last_start;       // text offset of the last line (the append's hot value)
    std::uint32_t* line_starts;     // per slot: absolute start, modulo 2^32
    ConsoleLineInfo* line_info;     // per slot
    std::uint64_t lines_discarded;  // lines gone from the front since the table was made
    std::uint64_t bytes_discarded;  // bytes gone from the front since the table was made
};

// Allocates a table of `size` slots (at least 2) holding one empty line; false (and
// nothing held) when memory is short.
bool console_lines_allocate(ConsoleLines* lines, std::uint32_t size);
void console_lines_release(ConsoleLines* lines);
// Everything goes: `bytes` bytes of text and every line. One empty line remains,
// starting at 0, stamped with `time`.
void console_lines_clear(ConsoleLines* lines, std::uint32_t bytes, ConsoleTime time);
// The first `count` lines go (count <= last_line), `cut` bytes of text with them:
// every start that stays is cut bytes lower afterwards.
void console_lines_drop_front(ConsoleLines* lines, std::uint32_t count, std::uint32_t cut);
// The first line among 0 .. last_line - 1 that starts beyond `threshold`, or
// last_line when there is none.
std::uint32_t console_lines_first_beyond(const ConsoleLines* lines, std::uint32_t threshold);

inline bool console_lines_full(const ConsoleLines* lines)
{
    return lines->last_line >= lines->line_table_size - 1;
}

inline std::uint32_t console_lines_slot(const ConsoleLines* lines, std::uint32_t line)
{
    std::uint32_t slot = lines->first_slot + line;
    return slot >= lines->line_table_size ? slot - lines->line_table_size : slot;
}

// Text offset where line `line` (at most last_line) starts.
inline std::uint32_t console_lines_start(const ConsoleLines* lines, std::uint32_t line)
{
    return lines->line_starts[console_lines_slot(lines, line)] - static_cast<std::uint32_t>(lines->bytes_discarded);
}

inline const ConsoleLineInfo& console_lines_info(const ConsoleLines* lines, std::uint32_t line)
{
    return lines->line_info[console_lines_slot(lines, line)];
}

// Ends the last line (`how`: LINE_ENDED or LINE_WRAPPED) and starts a new, empty
// one at text offset `at`, stamped with `time`. The table must not be full.
inline void console_lines_begin(ConsoleLines* lines, std::uint32_t at, ConsoleLineEnd how, ConsoleTime time)
{
    lines->line_info[lines->last_slot].end = how;
    std::uint32_t slot = lines->last_slot + 1;
    if (slot == lines->line_table_size) slot = 0;
    lines->last_slot = slot;
    lines->last_line += 1;
    lines->last_start = at;
    lines->line_starts[slot] = at + static_cast<std::uint32_t>(lines->bytes_discarded);
    lines->line_info[slot] = ConsoleLineInfo{time, LINE_OPEN, how == LINE_WRAPPED};
}

// The empty last line starts one byte later: the byte before it joined the line
// before (the second byte of a CR LF or LF CR pair).
inline void console_lines_move_last_start(ConsoleLines* lines, std::uint32_t at)
{
    lines->last_start = at;
    lines->line_starts[lines->last_slot] = at + static_cast<std::uint32_t>(lines->bytes_discarded);
}

// An append is about to store bytes with this time: an empty last line takes it as
// the time of its first byte.
inline void console_lines_stamp_empty_last(ConsoleLines* lines, std::uint32_t used, ConsoleTime time)
{
    if (lines->last_start == used) lines->line_info[lines->last_slot].first_byte_time = time;
}
