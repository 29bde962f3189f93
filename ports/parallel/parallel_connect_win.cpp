// Command 102 "接続 - ﾊﾟﾗﾚﾙﾎﾟｰﾄ(&P)": the available LPT ports in dialog 7 when there
// are two or more, the only one without a dialog, nothing with none; then
// create_port. UI thread only.
#include <cstdio>

#include "ports/parallel/parallel_port_win.h"
#include "resources/parallel_ids.h"
#include "terminal/list_dialog_win.h"

void parallel_connect(HWND frame)
{
    ListDialogEntry lines[PARALLEL_PORT_COUNT];
    int count = 0;
    for (int n = 1; n <= PARALLEL_PORT_COUNT; ++n) {
        if (!parallel_port_table[n - 1].available) continue;
        std::snprintf(lines[count].text, sizeof lines[count].text, "ﾊﾟﾗﾚﾙﾎﾟｰﾄ (LPT%d)", n);
        lines[count++].data = n;
    }
    int number = static_cast<int>(list_dialog_choose(frame, IDD_PARALLEL_CONNECT, lines, count));
    if (number > 0) create_port(PORT_PARALLEL, &number);
}
