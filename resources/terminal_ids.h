// Resource identifiers of the terminal settings sheet "端末の設定" (command 107): its
// display, colour and function-key pages. Plain #defines, read by windres and by the
// portable page models.
#pragma once

#define IDD_DISPLAY_PAGE 16       // "表示"
#define IDD_COLOUR_PAGE 17        // "ｶﾗｰ"
#define IDD_FUNCTION_KEY_PAGE 18  // "ﾌｧﾝｸｼｮﾝｷｰ"
#define IDD_HIGHLIGHT_PAGE 42     // "強調表示"

// Display page.
#define IDC_ECHO_BACK 1100
#define IDC_V_SCROLL_BAR 1101
#define IDC_H_SCROLL_BAR 1102
#define IDC_HEX_MODE 1103
#define IDC_AUTO_SCROLL 1105
#define IDC_SEND_CR 1106          // "CR", "LF", "CR+LF": 1106 to 1108
#define IDC_SEND_CRLF 1108
#define IDC_RECEIVE_CR 1109       // "CR→CR+LF", "LF→CR+LF", "無変換": 1109 to 1111
#define IDC_RECEIVE_AS_IS 1111
#define IDC_TABS_2 1112           // "2", "4", "8": 1112 to 1114
#define IDC_TABS_8 1114
#define IDC_FONT_LIST 1115
#define IDC_SIZE_LIST 1116
#define IDC_INPUT_CHAR 1117       // "CHAR", "LINE"
#define IDC_INPUT_LINE 1118
#define IDC_LINE_MODE_CR 1119
#define IDC_COLUMN 1120
#define IDC_COLUMN_UPDOWN 1121
#define IDC_BUFFER_SIZE 1122
#define IDC_BUFFER_SIZE_UPDOWN 1123

// Colour page: 1140 + k shows colour k (text 1, back 1, ... text 4, back 4).
#define IDC_COLOUR_FIRST 1140
#define IDC_COLOUR_LAST 1147

// Function-key page: the fields of F1 to F12 are 1180 to 1191.
#define IDC_FUNCTION_KEY_FIRST 1180
#define IDC_FUNCTION_KEY_LAST 1191
#define IDC_FUNCTION_KEY_SAVE 1192
#define IDC_FUNCTION_KEY_LOAD 1193
#define IDC_FUNCTION_KEY_CLEAR 1194
// The bank the twelve fields show: "F1～F12" or "Shift+F1～F12".
#define IDC_FUNCTION_KEY_BANK_1 1195
#define IDC_FUNCTION_KEY_BANK_2 1196

// Highlight page: row k's keyword, match case, hexadecimal and colour button.
#define IDC_HIGHLIGHT_KEYWORD 1200
#define IDC_HIGHLIGHT_CASE 1220
#define IDC_HIGHLIGHT_HEX 1240
#define IDC_HIGHLIGHT_COLOUR 1260

// Every kind's communication-settings page: the pacing of what is sent (ms).
#define IDC_PACING_CHAR_DELAY 1095
#define IDC_PACING_LINE_DELAY 1096
