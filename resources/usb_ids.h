// Resource identifiers of the USB kind: its connect dialog and its page of the
// communication-settings sheet. Plain #defines, read by windres and by the code.
#pragma once

#define IDD_USB_CONNECT 9  // "接続 - USBﾎﾟｰﾄ"; its list is IDC_PORT_LIST
#define IDD_USB_PAGE 15    // "USBﾎﾟｰﾄ"

#define IDC_USB_LIST 1015
#define IDC_USB_NAME 1016
#define IDC_USB_ADD 1017
#define IDC_USB_MODIFY 1018
#define IDC_USB_DELETE 1019
#define IDC_USB_GUID 1021
#define IDC_USB_INPUT_PIPE 1022
#define IDC_USB_OUTPUT_PIPE 1023
#define IDC_USB_AUTO_REOPEN 1030
