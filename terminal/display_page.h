// The model behind the display page "表示" of the terminal settings sheet: what the
// controls show when the page opens, the number fields' rule, the radio groups, the
// font and size lists' choices, and what OK stores into the sheet's working copy.
// Portable; the UI thread runs it while the sheet is open. The page's dialog
// procedure (display_page_win.cpp) owns a DisplayPage and only moves values between
// it and the controls; the working copy is the sheet's.
#pragma once
#include <cstdint>

#include "resources/terminal_ids.h"
#include "terminal/display_settings.h"

// The check boxes 1100 to 1105 (there is no 1104) and 1119, and the field each shows.
struct DisplayPageCheck {
    int control;
    std::int32_t DisplaySettings::*field;
};
constexpr int DISPLAY_PAGE_CHECKS = 6;
extern const DisplayPageCheck display_page_checks[DISPLAY_PAGE_CHECKS];

// The radio groups, in this order; a group's buttons are numbered from its first.
enum DisplayPageGroup { GROUP_SEND_CRLF, GROUP_RECEIVE_CRLF, GROUP_TABS, GROUP_INPUT_MODE, DISPLAY_PAGE_GROUPS };
struct DisplayPageRadios {
    int first;
    int count;
};
extern const DisplayPageRadios display_page_radios[DISPLAY_PAGE_GROUPS];
// The group a radio button belongs to, or -1.
int display_page_group_of(int control);

// The number fields: column 40 to 256, buffer size 64 to 1024 (KB).
constexpr std::int32_t COLUMN_MIN = 40, COLUMN_MAX = 256;
constexpr std::int32_t BUFFER_SIZE_MIN = 64, BUFFER_SIZE_MAX = 1024;
// The text (up to its first 31 bytes) read as a decimal number with an optional
// leading minus sign, up to the first byte that is not a digit: the number when it
// lies within low to high, otherwise previous.
std::int32_t display_page_number(const char* text, std::int32_t previous, std::int32_t low, std::int32_t high);

struct DisplayPage {
    DisplaySettings* copy;  // the sheet's working copy
    // What the number fields stand for: the working values, then each valid number
    // the user leaves behind.
    std::int32_t column;
    std::int32_t buffer_size;
};

// What the controls show. A radio group whose value has no button (a "send crlf" of
// 5 edited into the settings file) shows none checked: -1.
struct DisplayPageView {
    int checked[DISPLAY_PAGE_CHECKS];
    int radio[DISPLAY_PAGE_GROUPS];
    bool line_mode_cr_enabled;
    std::int32_t column;
    std::int32_t buffer_size;
};
void display_page_open(DisplayPage* page, DisplaySettings* copy, DisplayPageView* view);
// "[Enter]ｷｰで改行を送信する" is enabled only while "LINE" is chosen.
bool display_page_line_mode_cr_enabled(int input_mode_radio);
// EN_KILLFOCUS of 1120 or 1122: the value the field holds from now on (the field is
// rewritten with it).
std::int32_t display_page_leave_number(DisplayPage* page, int control, const char* text);

// What the controls hold on OK. font_name null: no font selected; size_selected
// false: no size selected.
struct DisplayPageControls {
    int checked[DISPLAY_PAGE_CHECKS];
    int radio[DISPLAY_PAGE_GROUPS];
    const char* column_text;
    const char* buffer_size_text;
    const char* font_name;
    bool size_selected;
    std::int32_t size;
};
// PSN_APPLY: stores the controls into the working copy. Tabs with no button chosen
// are 4; another group with none chosen keeps its working value.
void display_page_apply(DisplayPage* page, const DisplayPageControls* controls);

// The font list: fixed-pitch families only (the low bit of the pitch-and-family byte
// clear), and no vertical-writing names (starting with @).
bool display_font_listed(const char* face, unsigned pitch_and_family);
// The entry to select: the one equal to the current name (face names are compared
// without regard to case, as the system compares them), else the last one; -1 for an
// empty list.
int display_font_choose(const char* const* names, int count, const char* current);

// The size list of one face, ascending, each value once.
constexpr int FONT_SIZE_LIST_MAX = 64;
struct FontSizeList {
    std::int32_t values[FONT_SIZE_LIST_MAX];
    int count;
};
// A scalable face: the ten sizes 8 to 28.
void font_sizes_scalable(FontSizeList* list);
// A raster face: one height (text-metric height plus external leading) as it is
// enumerated, unless the list holds it already.
void font_sizes_add_raster(FontSizeList* list, std::int32_t height);
// The entry to select: the first at least as large as wanted, else the last one;
// -1 for an empty list.
int font_sizes_choose(const FontSizeList* list, std::int32_t wanted);
