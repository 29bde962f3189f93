// Resource identifiers of the file transfer: the file send dialog and the receive
// log dialog. Plain #defines, read by windres and by the code.
#pragma once

#define IDD_FILE_SEND 19    // "ﾌｧｲﾙ送信"
#define IDD_RECEIVE_LOG 20  // "受信ﾃﾞｰﾀをﾌｧｲﾙに保存"

// The file send dialog.
#define IDC_SEND_PORT 1401         // drop-down list: connected, idle ports
#define IDC_SEND_FILES 1402        // list box: the files of the folder
#define IDC_SEND_FILE_TYPE 1403    // drop-down list: the file types
#define IDC_SEND_FOLDER_LABEL 1404 // static text: the folder
#define IDC_SEND_FOLDERS 1405      // list box: the sub-folders
#define IDC_SEND_DRIVE 1406        // drop-down list: the drives
#define IDC_SEND_ADD 1407
#define IDC_SEND_INSERT 1408
#define IDC_SEND_DELETE 1409
#define IDC_SEND_CLEAR 1410
#define IDC_SEND_LIST 1411         // list box: the send list
#define IDC_SEND_SAVE 1412
#define IDC_SEND_LOAD 1413
#define IDC_SEND_OK 1414
#define IDC_SEND_CANCEL 1415

// The receive log dialog.
#define IDC_LOG_PORT 1401          // drop-down list: connected ports not logging
#define IDC_LOG_FILE 1402          // edit: the file name
#define IDC_LOG_BROWSE 1411        // "参照"
#define IDC_LOG_CONSOLE_TEXT 1416  // check box: the console's text first
#define IDC_LOG_TIME_STAMPS 1417   // check box: "時刻を付ける"

// The dialog "表示内容をﾌｧｲﾙに保存" (command 815).
#define IDD_SAVE_SHOWN 41
#define IDC_SAVE_FILE 1420         // edit: the file name
#define IDC_SAVE_BROWSE 1421       // "参照"
#define IDC_SAVE_SELECTION 1422    // check box: the selection only
#define IDC_SAVE_TIME_STAMPS 1423  // check box: "時刻を付ける"
