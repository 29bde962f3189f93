// The command line at work; see command_line_win.h. UI thread only: the handed-over
// lines wait in a list of this file until the frame's own message opens them.
#include "app/command_line_win.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/app_record_win.h"
#include "terminal/port_kind_registry_win.h"

namespace {

const char SYNTAX_CAPTION[] = "ｺﾏﾝﾄﾞﾗｲﾝ";

const char SYNTAX_LEGEND[] =
    "\n"
    "COMn\tｼﾘｱﾙﾎﾟｰﾄ (例: COM3)\n"
    "COMn:速度,ﾃﾞｰﾀ長,ﾊﾟﾘﾃｨ,ｽﾄｯﾌﾟﾋﾞｯﾄ\n"
    "\tこの起動の間だけの通信条件 (例: COM3:115200,8,N,1)\n"
    "LPTn\tﾊﾟﾗﾚﾙﾎﾟｰﾄ\n"
    "USBn\tUSBﾃﾞﾊﾞｲｽ一覧の n 番目\n"
    "ﾎｽﾄ:ﾎﾟｰﾄ\tﾈｯﾄﾜｰｸ (ｸﾗｲｱﾝﾄ)\n"
    ":ﾎﾟｰﾄ\tﾈｯﾄﾜｰｸ (ｻｰﾊﾞｰ)\n"
    "\n"
    "既に起動している時は、起動しているｳｲﾝﾄﾞｳでﾎﾟｰﾄを開きます。";

// Why an argument was refused, by CommandLineError.
const char* const REFUSALS[] = {
    "",
    "長すぎます",
    "不明なｵﾌﾟｼｮﾝです",
    "ﾎﾟｰﾄ名ではありません",
    "ﾎﾟｰﾄ番号は 1-16 です",
    "速度は 1-4000000 です",
    "ﾃﾞｰﾀ長は 5-8 です",
    "ﾊﾟﾘﾃｨは N,E,O,M,S のどれかです",
    "ｽﾄｯﾌﾟﾋﾞｯﾄは 1,1.5,2 のどれかです",
    "ﾎｽﾄ名が正しくありません",
    "ﾎﾟｰﾄ番号は 1-65535 です",
    "ﾎﾟｰﾄが多すぎます",
    "ﾌｧｲﾙ名がありません",
    "/run の前にﾎﾟｰﾄがありません",
    "/run の後にありません",
};

// Lines taken from other starts, oldest first, until the frame's message opens them.
std::vector<std::string> handed_over;

PortRequest request_of(const CommandLinePort& port)
{
    return PortRequest{port.kind,     port.number,   port.host,     port.tcp_port, port.network_mode,
                       port.baudrate, port.data_bits, port.parity, port.stop_bits};
}

}  // namespace

void command_line_show_syntax()
{
    std::string text = std::string(COMMAND_LINE_SYNTAX) + SYNTAX_LEGEND;
    MessageBoxA(app.frame_window, text.c_str(), SYNTAX_CAPTION, MB_OK | MB_ICONINFORMATION);
}

void command_line_show_refusal(const CommandLine* line)
{
    const int error = line->error;
    const char* why = error > 0 && error < static_cast<int>(sizeof REFUSALS / sizeof REFUSALS[0]) ? REFUSALS[error] : "";
    std::string text = "\"" + std::string(line->error_text) + "\" は使えません (" + why + ")\n\n" + COMMAND_LINE_SYNTAX;
    MessageBoxA(app.frame_window, text.c_str(), SYNTAX_CAPTION, MB_OK | MB_ICONEXCLAMATION);
}

int command_line_open_ports(const CommandLine* line, Port** opened)
{
    int count = 0;
    for (int i = 0; i < line->port_count; ++i) {
        Port* port = port_kinds_open(request_of(line->ports[i]));
        if (opened) opened[i] = port;
        if (port) ++count;
    }
    return count;
}

bool command_line_hand_over(HWND other, const char* command_line)
{
    const std::size_t size = std::strlen(command_line) + 1;
    if (size > COMMAND_LINE_HAND_OVER_SIZE) return false;
    COPYDATASTRUCT data = {COPYDATA_COMMAND_LINE, static_cast<DWORD>(size), const_cast<char*>(command_line)};
    // An instance that hangs must not hang this start too.
    DWORD_PTR taken = 0;
    return SendMessageTimeoutA(other, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 5000,
                               &taken) &&
           taken == TRUE;
}

bool command_line_take_handed_over(HWND frame, const COPYDATASTRUCT* data)
{
    if (!data || data->dwData != COPYDATA_COMMAND_LINE || !command_line_handed_over(data->lpData, data->cbData))
        return false;
    // One posted message serves every line that arrives before it is handled.
    if (handed_over.empty() && !PostMessageA(frame, MSG_OPEN_HANDED_OVER, 0, 0)) return false;
    handed_over.emplace_back(static_cast<const char*>(data->lpData));
    return true;
}

void command_line_open_handed_over()
{
    std::vector<std::string> lines;
    lines.swap(handed_over);
    // The record is large (64 ports with their paths): not on the stack. One for
    // each call, as a warning's message box may let the next lines in meanwhile.
    std::unique_ptr<CommandLine> line(new (std::nothrow) CommandLine);
    if (!line) return;
    for (const std::string& text : lines) {
        if (!command_line_parse(text.c_str(), line.get()) || line->help || command_line_runs_sequences(line.get())) {
            MessageBeep(MB_ICONEXCLAMATION);
            continue;
        }
        command_line_open_ports(line.get(), nullptr);
    }
}
