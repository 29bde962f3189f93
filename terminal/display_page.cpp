// The display page's model; see display_page.h. The UI thread runs it while the
// terminal settings sheet is open; the DisplayPage belongs to the page's dialog
// procedure and points at the sheet's working copy.
#include "terminal/display_page.h"

#include <cstring>

#include "base/double_byte.h"

const DisplayPageCheck display_page_checks[DISPLAY_PAGE_CHECKS] = {
    {IDC_ECHO_BACK, &DisplaySettings::echo_back},   {IDC_V_SCROLL_BAR, &DisplaySettings::v_scroll_bar},
    {IDC_H_SCROLL_BAR, &DisplaySettings::h_scroll_bar}, {IDC_HEX_MODE, &DisplaySettings::hex_mode},
    {IDC_AUTO_SCROLL, &DisplaySettings::auto_scroll}, {IDC_LINE_MODE_CR, &DisplaySettings::line_mode_cr},
};

const DisplayPageRadios display_page_radios[DISPLAY_PAGE_GROUPS] = {
    {IDC_SEND_CR, 3},
    {IDC_RECEIVE_CR, 3},
    {IDC_TABS_2, 3},
    {IDC_INPUT_CHAR, 2},
};

static const std::int32_t TAB_WIDTHS[3] = {2, 4, 8};

int display_page_group_of(int control)
{
    for (int g = 0; g < DISPLAY_PAGE_GROUPS; ++g) {
        const DisplayPageRadios& r = display_page_radios[g];
        if (control >= r.first && control < r.first + r.count) return g;
    }
    return -1;
}

std::int32_t display_page_number(const char* text, std::int32_t previous, std::int32_t low, std::int32_t high)
{
    if (!text) return previous;
    const int limit = 31;
    int i = 0;
    bool negative = text[0] == '-';
    if (negative) ++i;
    // Held just past the range once larger, so that no number overflows.
    std::int64_t value = 0;
    for (; i < limit && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<std::int64_t>(high) + 1) value = static_cast<std::int64_t>(high) + 1;
    }
    if (negative) value = -value;
    return value >= low && value <= high ? static_cast<std::int32_t>(value) : previous;
}

// A value with a button of its own in the group, or -1.
static int radio_of(std::int32_t value, int count)
{
    return value >= 0 && value < count ? value : -1;
}

static int tabs_radio(std::int32_t tabs)
{
    return tabs == 2 ? 0 : tabs == 8 ? 2 : 1;
}

void display_page_open(DisplayPage* page, DisplaySettings* copy, DisplayPageView* view)
{
    page->copy = copy;
    page->column = copy->column;
    page->buffer_size = copy->buffer_size;
    for (int c = 0; c < DISPLAY_PAGE_CHECKS; ++c) view->checked[c] = copy->*display_page_checks[c].field ? 1 : 0;
    view->radio[GROUP_SEND_CRLF] = radio_of(copy->send_crlf, 3);
    view->radio[GROUP_RECEIVE_CRLF] = radio_of(copy->receive_crlf, 3);
    view->radio[GROUP_TABS] = tabs_radio(copy->tabs);
    view->radio[GROUP_INPUT_MODE] = radio_of(copy->input_mode, 2);
    view->line_mode_cr_enabled = display_page_line_mode_cr_enabled(view->radio[GROUP_INPUT_MODE]);
    view->column = copy->column;
    view->buffer_size = copy->buffer_size;
}

bool display_page_line_mode_cr_enabled(int input_mode_radio)
{
    return input_mode_radio == 1;
}

std::int32_t display_page_leave_number(DisplayPage* page, int control, const char* text)
{
    if (control == IDC_COLUMN) return page->column = display_page_number(text, page->column, COLUMN_MIN, COLUMN_MAX);
    return page->buffer_size = display_page_number(text, page->buffer_size, BUFFER_SIZE_MIN, BUFFER_SIZE_MAX);
}

static void take_radio(std::int32_t* field, int radio)
{
    if (radio >= 0) *field = radio;
}

void display_page_apply(DisplayPage* page, const DisplayPageControls* c)
{
    DisplaySettings* copy = page->copy;
    for (int i = 0; i < DISPLAY_PAGE_CHECKS; ++i) copy->*display_page_checks[i].field = c->checked[i] ? 1 : 0;
    copy->column = display_page_leave_number(page, IDC_COLUMN, c->column_text);
    copy->buffer_size = display_page_leave_number(page, IDC_BUFFER_SIZE, c->buffer_size_text);
    copy->text_font_size = c->size_selected ? c->size : 0;
    if (c->font_name) {
        std::memset(copy->text_font_name, 0, sizeof copy->text_font_name);
        std::strncpy(copy->text_font_name, c->font_name, sizeof copy->text_font_name - 1);
    }
    const int tabs = c->radio[GROUP_TABS];
    copy->tabs = tabs >= 0 && tabs < 3 ? TAB_WIDTHS[tabs] : 4;
    take_radio(&copy->send_crlf, c->radio[GROUP_SEND_CRLF]);
    take_radio(&copy->receive_crlf, c->radio[GROUP_RECEIVE_CRLF]);
    take_radio(&copy->input_mode, c->radio[GROUP_INPUT_MODE]);
}

bool display_font_listed(const char* face, unsigned pitch_and_family)
{
    return face && face[0] != '@' && (pitch_and_family & 1) == 0;
}

static unsigned char fold(unsigned char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Letters compare without regard to case; the two bytes of a double-byte character
// compare as they are (a trail byte in the letters' range is no letter: ア and ビ
// differ only in the case such a byte would have).
static bool same_face(const char* a, const char* b)
{
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    while (*p && *q) {
        if (is_double_byte(p[0], p[1])) {
            if (p[0] != q[0] || p[1] != q[1]) return false;
            p += 2;
            q += 2;
            continue;
        }
        if (fold(*p) != fold(*q)) return false;
        ++p;
        ++q;
    }
    return *p == *q;
}

int display_font_choose(const char* const* names, int count, const char* current)
{
    for (int i = 0; current && i < count; ++i)
        if (names[i] && same_face(names[i], current)) return i;
    return count - 1;
}

void font_sizes_scalable(FontSizeList* list)
{
    static const std::int32_t sizes[10] = {8, 10, 12, 14, 16, 18, 20, 22, 24, 28};
    list->count = 0;
    for (std::int32_t size : sizes) list->values[list->count++] = size;
}

void font_sizes_add_raster(FontSizeList* list, std::int32_t height)
{
    int at = 0;
    while (at < list->count && list->values[at] < height) ++at;
    if ((at < list->count && list->values[at] == height) || list->count == FONT_SIZE_LIST_MAX) return;
    for (int i = list->count; i > at; --i) list->values[i] = list->values[i - 1];
    list->values[at] = height;
    ++list->count;
}

int font_sizes_choose(const FontSizeList* list, std::int32_t wanted)
{
    for (int i = 0; i < list->count; ++i)
        if (list->values[i] >= wanted) return i;
    return list->count - 1;
}
