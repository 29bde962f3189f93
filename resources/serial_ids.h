// Resource identifiers of the serial kind: its connect dialog and its page of the
// communication-settings sheet. Plain #defines, read by windres and by the portable
// page model.
#pragma once

#define IDD_SERIAL_CONNECT 6  // "接続 - ｼﾘｱﾙﾎﾟｰﾄ"; its list is IDC_PORT_LIST
#define IDD_SERIAL_PAGE 11    // "ｼﾘｱﾙﾎﾟｰﾄ"

#define IDC_SERIAL_PORT 1001
#define IDC_SERIAL_BAUD 1002
#define IDC_SERIAL_DATA_BITS 1003
#define IDC_SERIAL_PARITY 1004
#define IDC_SERIAL_STOP_BITS 1005
#define IDC_SERIAL_FLOW 1006
#define IDC_SERIAL_PARITY_CHECK 1007
#define IDC_SERIAL_DEFAULTS 1008
#define IDC_SERIAL_AUTO_REOPEN 1030
#define IDC_SERIAL_DTR 1031
#define IDC_SERIAL_RTS 1032
