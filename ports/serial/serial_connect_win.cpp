// Command 101 "接続 - ｼﾘｱﾙﾎﾟｰﾄ(&S)": the available COM ports in dialog 6 when there are
// two or more, the only one without a dialog, nothing with none; then create_port.
// UI thread only.
#include <cstdio>

#include "ports/serial/serial_port_win.h"
#include "resources/serial_ids.h"
#include "terminal/list_dialog_win.h"

void serial_connect(HWND frame)
{
    ListDialogEntry lines[SERIAL_PORT_COUNT];
    int count = 0;
    for (int n = 1; n <= SERIAL_PORT_COUNT; ++n) {
        if (!serial_port_table[n - 1].available) continue;
        std::snprintf(lines[count].text, sizeof lines[count].text, "ｼﾘｱﾙﾎﾟｰﾄ (COM%d)", n);
        lines[count++].data = n;
    }
    int number = static_cast<int>(list_dialog_choose(frame, IDD_SERIAL_CONNECT, lines, count));
    if (number > 0) create_port(PORT_SERIAL, &number);
}
