// Resource identifiers of the send-bytes window. Plain #defines, read by windres and
// by the code.
#pragma once

#define IDD_SEND_BYTES 60  // "ﾃﾞｰﾀ送信"

#define IDC_SEND_BYTES_DATA 2001      // drop-down combo: the data, the last entries below
#define IDC_SEND_BYTES_HEX 2002       // "16進数"
#define IDC_SEND_BYTES_TEXT 2003      // "文字列"
#define IDC_SEND_BYTES_REPEAT 2004    // edit: times sent
#define IDC_SEND_BYTES_INTERVAL 2005  // edit: ms between the times
#define IDC_SEND_BYTES_SEND 2006      // "送信"
#define IDC_SEND_BYTES_STOP 2007      // "中止"
#define IDC_SEND_BYTES_NOTE 2008      // static: the count, or why nothing was sent
