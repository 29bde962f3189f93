// The console of one port: the text buffer with its line table, the LINE input
// line, and the view state that painting and selection use. Portable record and
// operations; the Win32 side (console_win.cpp) adds the mutex, the window and the
// locked entry points.
//
// Threads: console_append_bytes runs on whatever thread appends (an engine thread, the
// file-send thread or the window's thread) with console_mutex held by the caller;
// everything else runs on the window's thread, and anything that reads or replaces
// the text while an append may run takes console_mutex too (console_win.cpp).
// Ownership: the console owns text, its line table and row_table (console_create /
// console_destroy); window and console_mutex are Win32 handles kept as opaque
// pointers so that this header needs no <windows.h>.
#pragma once
#include <cstdint>

#include "console/console_lines.h"

typedef std::uint32_t ColorRef;  // a Win32 COLORREF, 0x00BBGGRR

struct ConsoleHighlights;  // console_highlight.h

constexpr std::uint32_t CONSOLE_LINE_TABLE_SIZE = 10000;
constexpr int CONSOLE_INPUT_MAX = 256;     // bytes of the LINE input line
constexpr int CONSOLE_ROW_CELLS = 1056;    // one display row as rendered
constexpr int CONSOLE_ROW_TABLE_INITIAL = 100;

// Colour slots of ConsoleSettings.colours and Console.colours.
enum ConsoleColour {
    COLOUR_TEXT = 0,
    COLOUR_BACK = 1,
    COLOUR_HEX_TEXT = 2,
    COLOUR_HEX_BACK = 3,
    COLOUR_SELECTED_TEXT = 4,
    COLOUR_SELECTED_BACK = 5,
};

struct ConsoleSettings {
    std::uint32_t buffer_bytes;
    std::uint32_t line_table_size;
    std::int32_t column;
    std::int32_t show_vscroll;
    std::int32_t show_hscroll;
    std::int32_t keys_disabled;
    std::int32_t line_mode;
    std::int32_t hex_mode;
    std::int32_t tab_width;
    ColorRef colours[6];
    ColorRef input_colours[2];  // LINE input text, background
    std::int32_t font_height;
    char font_face[32];
    // The arrival-time gutter: on in a new window (each window turns it on or off for
    // itself afterwards), and its text colour.
    std::int32_t time_stamps;
    ColorRef stamp_colour;
    const ConsoleHighlights* highlights;  // the keywords drawn highlighted; null for none
};

// A position of the selection: a byte of text, and the display row it was taken on.
struct ConsolePosition {
    std::int32_t offset;
    std::int32_t row_start;
    std::int32_t row_length;
};

struct ConsoleRect {
    std::int32_t left, top, right, bottom;
};

// One entry of the visible-row table: the first byte a row shows (-1 for none) and
// how many bytes it shows.
struct ConsoleRow {
    std::int32_t offset;
    std::int32_t count;
};

struct Console;

// What the buffer asks of its view. The view fills this in; a console without one
// (tests, or before the window exists) simply has nothing redrawn. lines_changed and
// scroll_to_end are called on the appending thread with console_mutex held, so they
// must never wait for the window's thread (post to it, do not send).
struct ConsoleViewHooks {
    void (*invalidate)(Console* console);        // repaint the whole window, no erase
    void (*lines_changed)(Console* console);     // set up the vertical scroll bar again
    void (*scroll_to_end)(Console* console);     // auto scroll, without repainting
    void (*scroll_bars_changed)(Console* console);  // set up both scroll bars again
    // The LINE input cursor moved: the view places the caret, or repaints when the
    // caret would leave the visible part of the line.
    void (*input_caret_moved)(Console* console);
    void (*font_changed)(Console* console);      // measure the font, renew the caret
    // Bytes were appended: repaint soon. Any thread, the mutex released; null: the
    // window is invalidated at once.
    void (*appended)(Console* console);
};

// The stored text and its lines. Bytes 0 .. used - 1 of text are the text; the line
// table (console_lines.h) divides them into lines 0 .. lines.last_line.
struct ConsoleBuffer {
    std::int32_t column;     // wrap width in bytes, for bytes stored from now on
    std::uint32_t capacity;  // bytes of text
    std::uint32_t used;
    unsigned char* text;
    ConsoleLines lines;
    // 1 while the last line is full and ends in the lead byte of a character: the
    // line waits for the trail byte, so that no character is split over two lines.
    std::int32_t wrap_held;
};

// The selection: a state 0 to 3 (none, pressed, dragging, complete) and its two ends,
// byte offsets in the text; the marks tell a press off the text (console_selection.h).
struct ConsoleSelection {
    std::int32_t selection_state;
    ConsolePosition sel_anchor;
    ConsolePosition sel_end;
    std::int32_t press_before_mark;
    std::int32_t press_after_mark;
    // The last match a find made the selection, as byte numbers (see
    // console_first_byte_number), so that it outlives the selection and discards.
    std::int32_t found_valid;
    std::uint64_t found_start;
    std::uint64_t found_end;
};

// The LINE input line the user edits before it is sent (window's thread only).
struct ConsoleInputLine {
    std::int32_t line_mode;      // LINE input mode; the line exists only then
    std::int32_t keys_disabled;  // paste and the Delete key are refused
    std::int32_t input_cursor;
    std::int32_t input_first_column;
    std::int32_t input_length;
    char input_text[CONSOLE_INPUT_MAX + 1];
    ConsoleRect input_area;
    ColorRef input_colours[2];  // text, background
    char input_render[CONSOLE_ROW_CELLS];
};

// How the text is shown: display settings, font metrics, the visible-row table and
// the rendered row, scroll positions and ranges, the caret (console_layout.h and
// console_view_win.cpp).
struct ConsoleViewState {
    std::int32_t char_width;
    std::int32_t line_height;
    std::int32_t tab_width;
    std::int32_t show_vscroll;
    std::int32_t show_hscroll;
    std::int32_t hex_mode;
    ColorRef colours[6];
    std::int32_t font_height;
    char font_face[32];
    std::int32_t time_stamps;  // 1: each line's arrival time shows in a gutter on the left
    ColorRef stamp_colour;
    const ConsoleHighlights* highlights;  // not owned (the settings' compiled keywords)
    std::int32_t row_table_size;
    ConsoleRow* row_table;
    std::int32_t last_row;
    unsigned char row_chars[CONSOLE_ROW_CELLS];
    unsigned char row_classes[CONSOLE_ROW_CELLS];
    std::int32_t hscroll_range;
    std::int32_t vscroll_range;
    std::int32_t page_columns;
    std::int32_t page_rows;
    std::int32_t hscroll_pos;
    std::int32_t vscroll_pos;
    std::int32_t caret_x;
    std::int32_t caret_y;
    // Rows and columns wholly inside the text area (page_rows and page_columns count
    // a partly shown one too); the scroll to the end keeps the last line in them.
    std::int32_t full_rows;
    std::int32_t full_columns;
    // Set by an append that changed what the scroll bars show; cleared by the next
    // paint, which brings them up to date (see console_view_win.cpp).
    volatile long view_update_pending;
    // Set by an append that asked for a repaint; cleared when a paint begins, so an
    // append that lands after the paint has read the text asks again.
    volatile long repaint_pending;
    std::uint32_t last_paint_end;  // GetTickCount when the last paint ended
    bool last_paint_for_appends;   // that paint showed appended bytes
};

struct Console {
    void* window;          // HWND of the terminal window; null when not attached
    void* console_mutex;   // HANDLE; serialises appends with readers of the text
    std::int32_t has_focus;
    ConsoleBuffer buffer;
    ConsoleSelection selection;
    ConsoleInputLine input;
    ConsoleViewState view;
    const ConsoleViewHooks* hooks;  // null: nothing to redraw
};

// Buffer operations. The caller holds console_mutex where an append may run.

// Appends length bytes that arrived at `time` (BS, CR/LF pairing, wrap at column,
// discarding whole lines from the front when full): a line that gets its first byte
// from them takes that time. Returns true when anything was discarded. Does nothing
// for a console without buffers.
bool console_append_bytes(Console* console, const unsigned char* bytes, std::uint32_t length,
                          ConsoleTime time);
// Removes whole lines from the front so that at least need bytes (and at least a
// sixteenth of the buffer) are freed; clears everything when only the last line
// would stay.
void console_discard_front(Console* console, std::uint32_t need);
// Empties the text, the line table and the selection.
void console_clear_buffer(Console* console);
// Replaces the text buffer by one of new_capacity bytes, keeping the newest whole
// lines that fit. Keeps the old buffer when allocation fails. A selection that
// could refer to discarded text is emptied.
void console_resize_buffer(Console* console, std::uint32_t new_capacity);
// Sets the wrap width for bytes stored from now on (non-zero values only).
void console_set_column(Console* console, std::int32_t column);

// Allocates text (buffer_bytes) and the line table, zero-filled, and the visible-row
// table; on any failure releases all and the console keeps no buffers. Returns true
// when the buffers exist.
bool console_allocate_buffers(Console* console, const ConsoleSettings* settings);
void console_release_buffers(Console* console);
bool console_has_buffers(const Console* console);

// The value-taking part of applying settings: resets the LINE input when the input
// mode changes, takes the display values, resizes the buffer and sets the column.
void console_take_settings(Console* console, const ConsoleSettings* settings);

// Queries (0 or null for a missing console or an index past the last line).
std::uint32_t console_text_length(const Console* console);
const unsigned char* console_text_at(const Console* console, std::uint32_t offset);
std::uint32_t console_line_start(const Console* console, std::uint32_t line);
std::uint32_t console_line_end(const Console* console, std::uint32_t line);
std::uint32_t console_last_line_length(const Console* console);
std::uint32_t console_last_line(const Console* console);
// When a line's first byte arrived and how it ended (LINE_OPEN and no time past the
// last line). A line that continues a wrapped one shares its text line.
ConsoleLineInfo console_line_info(const Console* console, std::uint32_t line);
// Positions that stay valid while lines are discarded from the front: line i is line
// number console_first_line_number + i, text offset k is byte number
// console_first_byte_number + k; both only grow (clearing counts as discarding all).
std::uint64_t console_first_line_number(const Console* console);
std::uint64_t console_first_byte_number(const Console* console);

// Empties the selection (state 0, both positions zero).
void console_clear_selection(Console* console);

// The LINE input line; window's thread only. Each operation that changes the line
// or moves its cursor asks the view to redraw.
int console_input_insert(Console* console, const char* bytes, int length, int at_cursor);
void console_input_delete(Console* console);
void console_input_move_cursor(Console* console, int step);
const char* console_input_text(const Console* console);
int console_input_length(const Console* console);
void console_input_reset(Console* console);
// Replaces the line by length bytes (a recalled line; at most CONSOLE_INPUT_MAX are
// taken), the cursor after them.
void console_input_set(Console* console, const char* bytes, int length);
// The trail-byte rule: whether position p of the input line is the trail byte of a
// double-byte character, scanning from the start of the line.
bool console_input_on_trail_byte(const Console* console, int position);
