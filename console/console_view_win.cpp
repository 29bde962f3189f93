// The console view; see console_view_win.h. Painting holds console_mutex for the
// whole paint: it reads the text and the line table, which an append on an engine
// thread may move. The hooks an append calls run on that thread with the mutex held,
// so they must never wait for the window's thread: they set the new scroll positions
// in the record and post one MSG_CONSOLE_VIEW_UPDATE (coalesced), and the window's
// thread then sets the scroll bars. Scroll bar calls on another thread's window can
// send it messages, and that thread may be waiting for the mutex to paint.
// The scroll bars are brought up to date at most once between two paints: see
// request_view_update.
#include "console/console_view_win.h"

#include <imm.h>

#include <cstring>

#include "console/console_clipboard_win.h"
#include "console/console_layout.h"
#include "console/console_selection.h"
#include "console/console_win.h"

void console_logfont(const Console* console, LOGFONTA* font)
{
    std::memset(font, 0, sizeof *font);
    font->lfHeight = console->view.font_height;
    font->lfWeight = 0;
    font->lfCharSet = SHIFTJIS_CHARSET;
    font->lfPitchAndFamily = FIXED_PITCH;
    const auto& face = console->view.font_face;
    const std::size_t size = sizeof font->lfFaceName < sizeof face ? sizeof font->lfFaceName : sizeof face;
    std::memcpy(font->lfFaceName, face, size);
    font->lfFaceName[sizeof font->lfFaceName - 1] = '\0';
}

static HFONT create_font(const Console* console)
{
    LOGFONTA font;
    console_logfont(console, &font);
    return CreateFontIndirectA(&font);
}

static void take_metrics(Console* console, HDC dc)
{
    TEXTMETRICA metrics;
    if (!GetTextMetricsA(dc, &metrics)) return;
    console->view.char_width = metrics.tmAveCharWidth;
    console->view.line_height = metrics.tmHeight + metrics.tmExternalLeading;
}

void console_measure_font(Console* console, HWND window)
{
    HDC dc = GetDC(window);
    HFONT font = create_font(console);
    HGDIOBJ old = SelectObject(dc, font);
    take_metrics(console, dc);
    SelectObject(dc, old);
    DeleteObject(font);
    ReleaseDC(window, dc);
}

static HWND window_of(const Console* console)
{
    return static_cast<HWND>(console->window);
}

// Scroll bars.

void console_setup_scroll_bar(Console* console, bool vertical)
{
    HWND window = window_of(console);
    if (!window) return;
    int range = vertical ? console_vscroll_range(console) : console_hscroll_range(console);
    bool shown = vertical ? console->view.show_vscroll : console->view.show_hscroll;
    if (vertical)
        console->view.vscroll_range = range;
    else
        console->view.hscroll_range = range;
    int bar = vertical ? SB_VERT : SB_HORZ;
    if (shown) {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
        info.nMin = 0;
        info.nMax = range - 1;
        info.nPage = static_cast<UINT>(vertical ? console->view.page_rows : console->view.page_columns);
        info.nPos = vertical ? console->view.vscroll_pos : console->view.hscroll_pos;
        SetScrollInfo(window, bar, &info, TRUE);
    }
    ShowScrollBar(window, bar, shown ? TRUE : FALSE);
}

static void show_position(Console* console, bool vertical)
{
    HWND window = window_of(console);
    if (!window || !(vertical ? console->view.show_vscroll : console->view.show_hscroll)) return;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_POS;
    info.nPos = vertical ? console->view.vscroll_pos : console->view.hscroll_pos;
    SetScrollInfo(window, vertical ? SB_VERT : SB_HORZ, &info, TRUE);
}

static bool store_position(Console* console, bool vertical, int position)
{
    int range = vertical ? console_vscroll_range(console) : console_hscroll_range(console);
    int page = vertical ? console->view.page_rows : console->view.page_columns;
    int clamped = console_clamp_scroll(position, range, page);
    std::int32_t& field = vertical ? console->view.vscroll_pos : console->view.hscroll_pos;
    bool changed = field != clamped;
    field = clamped;
    return changed;
}

static void set_scroll(Console* console, bool vertical, int position, bool repaint)
{
    bool changed = store_position(console, vertical, position);
    show_position(console, vertical);
    if (changed && repaint && console->window) InvalidateRect(window_of(console), nullptr, FALSE);
}

void console_set_hscroll(Console* console, int position, bool repaint)
{
    set_scroll(console, false, position, repaint);
}

void console_set_vscroll(Console* console, int position, bool repaint)
{
    set_scroll(console, true, position, repaint);
}

// The append hooks: console_mutex held, possibly on an engine thread.
// The flag set here is cleared by the next paint, not by the message: under a flood
// an append follows every message at once, and a message posted again each time
// would keep the window's queue from ever running dry. Posted messages come before
// WM_TIMER and WM_PAINT, so the window would then not repaint (nor end the pause of
// hook_appended) until the flood ended. Every append that posts also asks for a
// paint, and the paint sets the scroll bars for whatever came after the message.
static void request_view_update(Console* console)
{
    HWND window = window_of(console);
    if (window && InterlockedExchange(&console->view.view_update_pending, 1) == 0)
        PostMessageA(window, MSG_CONSOLE_VIEW_UPDATE, 0, 0);
}

static void hook_lines_changed(Console* console)
{
    request_view_update(console);
}

static void hook_scroll_to_end(Console* console)
{
    ScrollTargets targets = console_scroll_to_end_targets(console);
    if (targets.set_h) store_position(console, false, targets.h);
    if (targets.set_v) store_position(console, true, targets.v);
    request_view_update(console);
}

static void view_update(Console* console)
{
    console_setup_scroll_bar(console, true);
    console_setup_scroll_bar(console, false);
}

void console_resized(Console* console, int width, int height, bool follow_end)
{
    HWND window = console ? window_of(console) : nullptr;
    if (!window || width <= 0 || height <= 0) return;  // minimized: nothing to show
    const ConsoleViewState& view = console->view;
    if (view.char_width <= 0 || view.line_height <= 0) console_measure_font(console, window);
    if (view.char_width <= 0 || view.line_height <= 0) return;
    int text_height = height - CONSOLE_TOP_MARGIN;
    if (console->input.line_mode) text_height -= console->view.line_height + 4;
    // The page sizes follow the new size now, not at the next paint: an append in
    // between would otherwise scroll for the old size and leave the end out of view.
    console_lock(console);
    console_set_page(console, width - console_text_left(console), text_height);
    if (follow_end) {
        ScrollTargets targets = console_scroll_to_end_targets(console);
        if (targets.set_h) store_position(console, false, targets.h);
        if (targets.set_v) store_position(console, true, targets.v);
    }
    console_unlock(console);
    view_update(console);
    InvalidateRect(window, nullptr, FALSE);
}

// Caret.

static void place_caret(Console* console)
{
    if (!console->has_focus) return;
    if (console->input.line_mode)
        SetCaretPos(console_input_caret_x(console), console->input.input_area.top + 2);
    else
        SetCaretPos(console->view.caret_x, console->view.caret_y);
}

static void make_caret(Console* console, HWND window)
{
    const int width = console->input.line_mode ? 2 : console->view.char_width;
    CreateCaret(window, nullptr, width, console->view.line_height);
    place_caret(console);
    ShowCaret(window);
}

static void hook_invalidate(Console* console)
{
    if (console->window) InvalidateRect(window_of(console), nullptr, FALSE);
}

// Received bytes repaint the window at most once every REPAINT_PAUSE_MS. Under a
// flood the window's thread would otherwise paint back to back, and as a paint holds
// the mutex, the engine thread could append only in the gaps between paints: the
// receive rate would fall with whatever makes a paint dearer (the time-stamp gutter,
// highlighted keywords, a large font). The pause leaves the appends the mutex for
// most of the time, and still shows a flood at 30 or more frames a second. Only a
// paint that follows one made for appended bytes waits: bytes after a quiet spell,
// or after a paint for anything else, invalidate the window at once, as any other
// change does. One request per paint at most: the flag is set by the first append
// after a paint began and cleared by the next paint (console_paint). The paint's two
// fields are read here without the mutex: a stale value only moves the repaint by
// one pause.
constexpr DWORD REPAINT_PAUSE_MS = 30;

static void hook_appended(Console* console)
{
    HWND window = window_of(console);
    if (!window || InterlockedExchange(&console->view.repaint_pending, 1) != 0) return;
    const ConsoleViewState& view = console->view;
    if (!view.last_paint_for_appends || GetTickCount() - view.last_paint_end >= REPAINT_PAUSE_MS)
        InvalidateRect(window, nullptr, FALSE);
    else
        PostMessageA(window, MSG_CONSOLE_REPAINT, 0, 0);
}

// The timer's end, or at once when the pause is already over (or no timer is had).
static bool wait_for_pause(Console* console, HWND window)
{
    const DWORD since = GetTickCount() - console->view.last_paint_end;
    return since < REPAINT_PAUSE_MS && SetTimer(window, CONSOLE_REPAINT_TIMER, REPAINT_PAUSE_MS - since, nullptr);
}

static void pause_over(HWND window)
{
    KillTimer(window, CONSOLE_REPAINT_TIMER);
    InvalidateRect(window, nullptr, FALSE);
}

static void hook_scroll_bars_changed(Console* console)
{
    view_update(console);
}

static void hook_input_caret_moved(Console* console)
{
    int x = console_input_caret_x(console);
    int right = console->input.input_area.right - 4 * console->view.char_width;
    if (x < console->view.char_width || x > right)
        hook_invalidate(console);  // the paint scrolls the line
    else
        place_caret(console);
}

static void hook_font_changed(Console* console)
{
    HWND window = window_of(console);
    if (!window) return;
    DestroyCaret();
    console_measure_font(console, window);
    make_caret(console, window);
}

static const ConsoleViewHooks window_view = {
    hook_invalidate, hook_lines_changed, hook_scroll_to_end, hook_scroll_bars_changed, hook_input_caret_moved,
    hook_font_changed, hook_appended,
};

void console_attach_window(Console* console, HWND window)
{
    if (!console) return;
    console->window = window;
    console->hooks = &window_view;
    console_setup_scroll_bar(console, true);
    console_setup_scroll_bar(console, false);
}

// Painting.

struct PaintColours {
    HDC dc;
    COLORREF text, back;
};

static void use_colours(PaintColours* current, COLORREF text, COLORREF back)
{
    if (current->text != text) SetTextColor(current->dc, current->text = text);
    if (current->back != back) SetBkColor(current->dc, current->back = back);
}

static void fill(HDC dc, int left, int top, int right, int bottom, COLORREF colour)
{
    if (right <= left || bottom <= top) return;
    RECT r = {left, top, right, bottom};
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}

static int draw_text(HDC dc, int x, int y, const char* text, int count)
{
    if (count <= 0) return x;
    TextOutA(dc, x, y, text, count);
    SIZE size = {};
    GetTextExtentPoint32A(dc, text, count, &size);
    return x + size.cx;
}

// The LINE input area at the bottom; returns the top of it.
static int paint_input_area(Console* console, HDC dc, const RECT* client, PaintColours* colours)
{
    ConsoleInputLine& line = console->input;
    int height = console->view.line_height + 4;
    line.input_area = ConsoleRect{client->left, client->bottom - height, client->right, client->bottom};
    int y = client->bottom - console->view.line_height - 2;
    use_colours(colours, line.input_colours[0], line.input_colours[1]);
    int x1 = draw_text(dc, client->left, y, ">", 1);
    int length = console_render_input(console);
    console_scroll_input(console, x1, line.input_area.right);
    int first = line.input_first_column;
    int x2 = x1;
    if (first >= 0 && first < length) x2 = draw_text(dc, x1, y, line.input_render + first, length - first);
    COLORREF back = line.input_colours[1];
    const ConsoleRect& area = line.input_area;
    fill(dc, client->left, area.top, client->right, area.top + 2, back);
    fill(dc, client->left, client->bottom - 2, client->right, client->bottom, back);
    fill(dc, x2, area.top, client->right, client->bottom, back);
    if (console->has_focus) SetCaretPos(console_input_caret_x(console), area.top + 2);
    ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
    return area.top;
}

static void update_page(Console* console, bool vertical)
{
    HWND window = window_of(console);
    if (!window || !(vertical ? console->view.show_vscroll : console->view.show_hscroll)) return;
    int bar = vertical ? SB_VERT : SB_HORZ;
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(window, bar, &info)) return;
    UINT page = static_cast<UINT>(vertical ? console->view.page_rows : console->view.page_columns);
    if (info.nPage == page) return;
    if (static_cast<int>(info.nPage) > info.nMax && static_cast<int>(page) > info.nMax) return;
    info.fMask = SIF_PAGE | SIF_DISABLENOSCROLL;
    info.nPage = page;
    SetScrollInfo(window, bar, &info, TRUE);
}

// The portable layout decides what each row shows; these only draw it.
struct RowPainter {
    Console* console;
    PaintColours* colours;
};

static void paint_run(void* context, std::int32_t x, std::int32_t y, const char* cells, std::int32_t count, int cls)
{
    RowPainter* p = static_cast<RowPainter*>(context);
    const ConsoleViewState& view = p->console->view;
    if (cls >= CELL_HIGHLIGHT && view.highlights)
        use_colours(p->colours, view.colours[COLOUR_TEXT], view.highlights->colours[cls - CELL_HIGHLIGHT]);
    else
        use_colours(p->colours, view.colours[2 * cls], view.colours[2 * cls + 1]);
    TextOutA(p->colours->dc, x, y, cells, count);
}

static void paint_fill(void* context, std::int32_t x, std::int32_t y, std::int32_t right, std::int32_t bottom)
{
    RowPainter* p = static_cast<RowPainter*>(context);
    fill(p->colours->dc, x, y, right, bottom, p->console->view.colours[COLOUR_BACK]);
}

// One call a row: the stamp (or blanks) drawn opaque over the whole gutter, so that
// the gutter costs no brush of its own (it is drawn on every row of every paint).
static void paint_gutter(void* context, std::int32_t x, std::int32_t y, std::int32_t right, const char* text,
                         std::int32_t count)
{
    RowPainter* p = static_cast<RowPainter*>(context);
    const ConsoleViewState& view = p->console->view;
    char cells[CONSOLE_STAMP_CELLS];
    for (std::int32_t i = 0; i < CONSOLE_STAMP_CELLS; ++i) cells[i] = i < count ? text[i] : ' ';
    use_colours(p->colours, view.stamp_colour, view.colours[COLOUR_BACK]);
    RECT area = {x, y, right, y + view.line_height};
    ExtTextOutA(p->colours->dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &area, cells, CONSOLE_STAMP_CELLS, nullptr);
}

static void paint_rows(Console* console, int right, int bottom, PaintColours* colours)
{
    RowPainter painter = {console, colours};
    const ConsolePaintSink sink = {&painter, paint_run, paint_fill, paint_gutter};
    if (!console_paint_rows(console, right, bottom, &sink)) return;
    if (console->has_focus && !console->input.line_mode)
        SetCaretPos(console->view.caret_x, console->view.caret_y);
    update_page(console, false);
    update_page(console, true);
}

void console_paint(Console* console, HDC dc, const RECT* client)
{
    if (!console || !dc || !client) return;
    // Before the text is read: an append that ends after this asks for a paint again.
    console->view.last_paint_for_appends = InterlockedExchange(&console->view.repaint_pending, 0) != 0;
    // Likewise: an append after this posts the scroll bars' update again.
    if (InterlockedExchange(&console->view.view_update_pending, 0) != 0) view_update(console);
    console_lock(console);
    HFONT font = create_font(console);
    HGDIOBJ old_font = SelectObject(dc, font);
    take_metrics(console, dc);
    if (console->view.char_width <= 0 || console->view.line_height <= 0) {
        SelectObject(dc, old_font);
        DeleteObject(font);
        console_unlock(console);
        return;
    }
    SetBkMode(dc, OPAQUE);
    PaintColours colours = {dc, GetTextColor(dc), GetBkColor(dc)};
    int bottom = client->bottom;
    if (console->input.line_mode) bottom = paint_input_area(console, dc, client, &colours);
    COLORREF back = console->view.colours[COLOUR_BACK];
    fill(dc, client->left, client->top, CONSOLE_LEFT_MARGIN, bottom, back);
    ExcludeClipRect(dc, client->left, client->top, CONSOLE_LEFT_MARGIN, bottom);
    fill(dc, client->left, client->top, client->right, CONSOLE_TOP_MARGIN, back);
    ExcludeClipRect(dc, client->left, client->top, client->right, CONSOLE_TOP_MARGIN);
    paint_rows(console, client->right, bottom, &colours);
    SelectObject(dc, old_font);
    DeleteObject(font);
    console_unlock(console);
    console->view.last_paint_end = GetTickCount();
}

// Messages.

static void scroll_message(Console* console, HWND window, bool vertical, WPARAM wparam)
{
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(window, vertical ? SB_VERT : SB_HORZ, &info)) return;
    int position = console_scroll_request(LOWORD(wparam), info.nPos, static_cast<int>(info.nPage), info.nMin,
                                           info.nMax, info.nTrackPos);
    set_scroll(console, vertical, position, true);
}

static void key_down(Console* console, WPARAM key)
{
    switch (key) {
    case VK_LEFT:
        if (console->input.line_mode)
            console_input_move_cursor(console, -1);
        else
            console_set_hscroll(console, console->view.hscroll_pos - 2, true);
        break;
    case VK_RIGHT:
        if (console->input.line_mode)
            console_input_move_cursor(console, 1);
        else
            console_set_hscroll(console, console->view.hscroll_pos + 2, true);
        break;
    case VK_UP:
        console_set_vscroll(console, console->view.vscroll_pos - 2, true);
        break;
    case VK_DOWN:
        console_set_vscroll(console, console->view.vscroll_pos + 2, true);
        break;
    case VK_DELETE:
        if (console->input.line_mode && !console->input.keys_disabled) console_input_delete(console);
        break;
    }
}

static void place_composition(Console* console, HWND window)
{
    HIMC context = ImmGetContext(window);
    if (!context) return;
    COMPOSITIONFORM form = {};
    form.dwStyle = CFS_POINT;
    if (console->input.line_mode) {
        form.ptCurrentPos.x = console_input_caret_x(console);
        form.ptCurrentPos.y = console->input.input_area.top + 2;
    } else {
        form.ptCurrentPos.x = console->view.caret_x > 4 ? console->view.caret_x : 4;
        form.ptCurrentPos.y = console->view.caret_y > 2 ? console->view.caret_y : 2;
    }
    ImmSetCompositionWindow(context, &form);
    LOGFONTA font;
    console_logfont(console, &font);
    ImmSetCompositionFontA(context, &font);
    ImmReleaseContext(window, context);
}

int console_handle_message(Console* console, HWND window, UINT message, WPARAM wparam, LPARAM lparam)
{
    if (!console) return 0;
    switch (message) {
    case WM_SETFOCUS:
        console->has_focus = 1;
        if (console->view.char_width == 0 || console->view.line_height == 0)
            console_measure_font(console, window);
        make_caret(console, window);
        return 1;
    case WM_KILLFOCUS:
        console->has_focus = 0;
        DestroyCaret();
        return 1;
    case WM_KEYDOWN:
        key_down(console, wparam);
        return 1;
    case WM_IME_STARTCOMPOSITION:
        place_composition(console, window);
        return 1;
    case WM_HSCROLL:
        scroll_message(console, window, false, wparam);
        return 1;
    case WM_VSCROLL:
        scroll_message(console, window, true, wparam);
        return 1;
    case WM_MOUSEWHEEL: {
        const int delta = static_cast<short>(HIWORD(wparam));
        console_set_vscroll(console, console_wheel_scroll(console->view.vscroll_pos, delta), true);
        return 1;
    }
    case WM_MOUSEMOVE:
        console_mouse_move(console, static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam)));
        return 1;
    case MSG_CONSOLE_VIEW_UPDATE:
        view_update(console);
        return 1;
    case MSG_CONSOLE_REPAINT:
        if (!wait_for_pause(console, window)) pause_over(window);
        return 1;
    case WM_TIMER:
        if (wparam != CONSOLE_REPAINT_TIMER) return 0;
        pause_over(window);
        return 1;
    }
    return 0;
}
