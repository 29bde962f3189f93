// Resource identifiers of the console's own windows: the find window. Plain
// #defines, read by windres and by the code.
#pragma once

#define IDD_FIND 40  // "検索"

#define IDC_FIND_TEXT 1801        // edit: what to find
#define IDC_FIND_MATCH_CASE 1802  // "大文字と小文字を区別"
#define IDC_FIND_HEX 1803         // "16進数"
#define IDC_FIND_NEXT 1804        // "次を検索"
#define IDC_FIND_PREVIOUS 1805    // "前を検索"
#define IDC_FIND_NOTE 1806        // static: the last find's note
