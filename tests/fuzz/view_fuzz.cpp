// Fuzzes the view over arbitrary stored bytes: every line laid out into rows the way
// a paint does (any column, tab width, hexadecimal mode and scroll position), each
// row within its cell capacity and consuming at least one byte, the left edge and
// runs inside the row, and hit tests and selection drags at arbitrary points never
// reaching outside the text.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "console/console_layout.h"
#include "console/console_selection.h"
#include "tests/console/console_invariants.h"

#include <cstdio>

static void check_at(bool ok, int line)
{
    if (ok) return;
    std::fprintf(stderr, "check failed at line %d\n", line);
    std::abort();
}
#define check(ok) check_at((ok), __LINE__)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 6) return 0;
    Console* c = make_test_console(4096, 1 + data[0] % 80);
    c->view.hex_mode = data[1] & 1;
    c->view.tab_width = data[1] >> 1;  // 0 to 127: below 1 acts as 1
    c->view.hscroll_pos = data[2] % 64;
    c->view.char_width = 1 + data[3] % 12;
    c->view.line_height = 1 + data[4] % 20;
    console_append_bytes(c, data + 6, static_cast<std::uint32_t>(size - 6), 0);
    console_set_column(c, 1 + data[5] % 300);  // rows wrap at the column in force now
    // As a paint leaves it: rows without text are marked so.
    for (int i = 0; i < c->view.row_table_size; ++i) c->view.row_table[i] = ConsoleRow{-1, 0};
    int rows = 0;
    for (std::uint32_t line = 0; line <= console_last_line(c) && rows < CONSOLE_ROW_TABLE_INITIAL; ++line) {
        std::uint32_t g = console_line_start(c, line), e = console_line_end(c, line);
        while (g < e && rows < CONSOLE_ROW_TABLE_INITIAL) {
            RowLayout row = console_layout_row(c, g, e - g, -1, -1);
            check(row.consumed >= 1 && row.consumed <= e - g);
            check(row.columns >= 0 && row.columns <= CONSOLE_ROW_CELLS);
            bool shifted = false;
            std::int32_t first = console_left_edge_column(c, row.columns, &shifted);
            check(first >= -1 && first < row.columns);
            for (std::int32_t col = first < 0 ? row.columns : first; col < row.columns;) {
                std::int32_t run = console_run_length(c, col, row.columns);
                check(run >= 1 && col + run <= row.columns);
                col += run;
            }
            c->view.row_table[rows] =
                ConsoleRow{static_cast<std::int32_t>(g), static_cast<std::int32_t>(row.consumed)};
            c->view.last_row = rows++;
            g += row.consumed;
        }
    }
    c->view.page_columns = 40;
    // Points from the input, some off the text, then a drag between two of them.
    for (size_t i = 6; i + 3 < size && i < 6 + 64; i += 4) {
        int x = static_cast<int8_t>(data[i]) * 4, y = static_cast<int8_t>(data[i + 1]) * 4;
        ConsoleHit hit = console_hit_test(c, x, y);
        check(hit.offset < static_cast<std::int32_t>(c->buffer.used));
        if (rows > 0) {
            console_selection_press(c, x, y);
            console_selection_move(c, static_cast<int8_t>(data[i + 2]) * 4, static_cast<int8_t>(data[i + 3]) * 4);
            console_selection_release(c);
            SelectionRange range = console_selection_range(c);
            if (c->selection.selection_state == 3)
                check(range.lo >= 0 && range.lo <= range.hi &&
                      range.hi < static_cast<std::int32_t>(c->buffer.used));
        }
    }
    std::string fault = console_invariant_fault(c, false);
    check(fault.empty());
    free_test_console(c);
    return 0;
}
