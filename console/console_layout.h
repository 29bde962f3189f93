// The console's view arithmetic: laying stored bytes out into display rows, the left
// edge, runs of one colour, scroll ranges and positions, the scroll to the end, the
// LINE input line's rendering, scrolling and caret column, and the hit test of a
// mouse point. Portable and pure apart from the rendered-row fields it fills in the
// Console; the window's thread runs it (painting, mouse and keys), holding
// console_mutex wherever an append could move the text.
#pragma once
#include <cstdint>

#include "console/console.h"
#include "console/console_highlight.h"

constexpr std::int32_t CONSOLE_LEFT_MARGIN = 4;  // pixels, normal background
constexpr std::int32_t CONSOLE_TOP_MARGIN = 2;
// The arrival-time gutter: "hh:mm:ss.mmm" and a blank cell, left of the text. It
// does not scroll sideways, and no byte of the console is in it.
constexpr std::int32_t CONSOLE_STAMP_CELLS = 13;

// Where the text area starts (client pixels): after the margin and, when time
// stamps show, the gutter.
std::int32_t console_text_left(const Console* console);

// Colour classes of rendered cells: class c draws with colours[2c] on colours[2c+1].
enum ConsoleCellClass {
    CELL_NORMAL = 0,
    CELL_HEX = 1,
    CELL_SELECTED = 2,
    // A highlighted keyword of rule k is class CELL_HIGHLIGHT + k: the normal text on
    // the rule's colour.
    CELL_HIGHLIGHT = 3,
};

struct RowLayout {
    std::uint32_t consumed;  // bytes the row shows
    std::int32_t columns;    // cells filled in row_chars and row_classes
};

// Lays out one display row from text offset p with n bytes available (the rest of
// its line) into row_chars and row_classes. lo..hi is the selection range (both -1
// for none); bytes in it get CELL_SELECTED. A row shows at most column bytes, or
// column + 1 when its last byte is the trail of a double-byte character. It also
// ends before a byte whose cells would not all fit into CONSOLE_ROW_CELLS: that byte
// starts the next row, so no byte is ever hidden. A lead byte whose next byte in the
// row is no trail byte gets the cell 0xA5 (a half-width dot), so that drawing it
// never swallows the cell after it. Bytes in a range of marks (the row's logical
// line, or null) that are not selected get the class of the range's rule.
RowLayout console_layout_row(Console* console, std::uint32_t p, std::uint32_t n, std::int32_t lo, std::int32_t hi,
                             const HighlightLine* marks = nullptr);

// What one paint draws in the text area, decided here and drawn by the caller: each
// visible row's runs of one colour class with the point where each starts, and the
// normal background after them. With time stamps shown, each row's gutter comes
// after its text (x to right, one row high, on the normal background): the time of
// the line the row starts, or no text (count 0) for a row that continues a line.
struct ConsolePaintSink {
    void* context;
    void (*run)(void* context, std::int32_t x, std::int32_t y, const char* cells, std::int32_t count, int cls);
    void (*fill)(void* context, std::int32_t x, std::int32_t y, std::int32_t right, std::int32_t bottom);
    void (*gutter)(void* context, std::int32_t x, std::int32_t y, std::int32_t right, const char* text,
                   std::int32_t count);
};

// Lays out the visible rows of the text area, which starts at the margins and ends at
// right and bottom (client pixels; the font is measured): sets the page sizes, the
// visible-row table (grown when more rows show than it holds), last_row and the caret
// position (just after the last byte, or out of sight), and hands each row over to
// the sink. A cell is char_width wide: column c starts at console_text_left +
// (c - hscroll_pos) cells.
// False when the row table cannot be grown or the console has no buffers; nothing is
// handed over then.
bool console_paint_rows(Console* console, std::int32_t right, std::int32_t bottom, const ConsolePaintSink* sink);

// The left-edge rule for a rendered row of `columns` cells shown from hscroll_pos:
// the first column to draw, or -1 when the row lies wholly left of the view. When
// hscroll_pos falls on the trail cell of a double-byte character the result is one
// column earlier and *shifted is set (drawing starts one cell left of the text area).
std::int32_t console_left_edge_column(const Console* console, std::int32_t columns, bool* shifted);

// The cells bytes [from, to) of the text take when `from` starts a display row.
std::int32_t console_cells_between(const Console* console, std::uint32_t from, std::uint32_t to);

// The number of consecutive cells of one class starting at column `from`.
std::int32_t console_run_length(const Console* console, std::int32_t from, std::int32_t columns);

// Ceiling of extent / cell; 0 when cell is not positive.
std::int32_t console_page_count(std::int32_t extent, std::int32_t cell);
// The page sizes of a text area of width x height pixels: page_rows and page_columns
// (a partly shown row or column counts), full_rows and full_columns (it does not).
void console_set_page(Console* console, std::int32_t width, std::int32_t height);

// Scroll ranges: last_line + 8; column * 4 + 8 in hexadecimal mode, else column + 8.
std::int32_t console_vscroll_range(const Console* console);
std::int32_t console_hscroll_range(const Console* console);
// A position clamped to 0 .. range - page when the page is smaller than the range,
// otherwise 0.
std::int32_t console_clamp_scroll(std::int32_t position, std::int32_t range, std::int32_t page);
// The new position a scroll-bar request asks for (SB_ codes 0 to 7; others keep it).
std::int32_t console_scroll_request(int request, std::int32_t position, std::int32_t page, std::int32_t minimum,
                                     std::int32_t maximum, std::int32_t track);
// The wheel: position - (delta / 120) * 2, the division truncating toward zero.
std::int32_t console_wheel_scroll(std::int32_t position, int delta);

// The automatic scroll after an append, from the page sizes of the last paint: which
// positions to ask for (before clamping).
struct ScrollTargets {
    bool set_h;
    std::int32_t h;
    bool set_v;
    std::int32_t v;
};
ScrollTargets console_scroll_to_end_targets(const Console* console);

// The LINE input line. Columns of input_text[0 .. input_cursor - 1] (a TAB advances
// to the next multiple of max(tab_width, 1)).
std::int32_t console_input_columns(const Console* console);
// (columns - input_first_column + 1) * char_width: the 1 is the prompt's cell.
std::int32_t console_input_caret_x(const Console* console);
// Expands input_text into input_render (TABs to the next multiple of tab_width, or of
// 1 below 2; stops at 1055 bytes; NUL-terminated); returns its length.
std::int32_t console_render_input(Console* console);
// Scrolls the line so that the caret stays in view: x1 is the x just after the
// prompt, area_right the right edge of the LINE input area. Updates
// input_first_column, keeping it off trail bytes.
void console_scroll_input(Console* console, std::int32_t x1, std::int32_t area_right);

// The hit test of a client point through the visible-row table.
struct ConsoleHit {
    std::int32_t offset;       // byte under the point, or -1
    std::int32_t row;          // display row used
    std::int32_t column;
    std::int32_t before_mark;  // the row when left of or above the text, else -1
    std::int32_t after_mark;   // the row when beyond a row's text or below the last, else -1
};
ConsoleHit console_hit_test(const Console* console, std::int32_t x, std::int32_t y);
