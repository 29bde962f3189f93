// Resource identifiers of the parallel kind: its connect dialog and its page of the
// communication-settings sheet. Plain #defines, read by windres and by the portable
// page model.
#pragma once

#define IDD_PARALLEL_CONNECT 7  // "接続 - ﾊﾟﾗﾚﾙﾎﾟｰﾄ"; its list is IDC_PORT_LIST
#define IDD_PARALLEL_PAGE 12    // "ﾊﾟﾗﾚﾙﾎﾟｰﾄ"

#define IDC_PARALLEL_PORT 1001
#define IDC_PARALLEL_DEFAULTS 1008
#define IDC_PARALLEL_BIDI 1011
#define IDC_PARALLEL_INTERVAL 1012
