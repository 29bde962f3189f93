// Resource identifiers of the network kind: its connect dialog and its page of the
// communication-settings sheet. Plain #defines, read by windres and by the portable
// page model.
#pragma once

#define IDD_NETWORK_CONNECT 8  // "接続 - ﾈｯﾄﾜｰｸ"
#define IDD_NETWORK_PAGE 14    // "ﾈｯﾄﾜｰｸ"

#define IDC_NET_PORT 1001
#define IDC_NET_HOST 1013
#define IDC_NET_PROTOCOL 1014

#define IDC_NET_RECONNECT 1024
#define IDC_NET_WAIT_TIME 1025
#define IDC_NET_RETRY_COUNT 1026
// The up-down controls beside the two number fields.
#define IDC_NET_WAIT_TIME_SPIN 1027
#define IDC_NET_RETRY_COUNT_SPIN 1028
