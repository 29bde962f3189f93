// The terminal window under Wine: the time to paint a full window over a full 1 MB
// buffer against one that holds just a window's worth of the same lines (painting
// must depend only on the visible rows),
// how much received data a window absorbs while it repaints, with the UI thread's
// response to posted messages meanwhile, and the time a confirmed terminal settings
// sheet takes to reach eight windows of 1 MB each (saved, applied, repainted)
// against eight nearly empty ones. A test engine delivers the data.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "base/settings.h"
#include "console/console_view_win.h"
#include "terminal/highlight_settings.h"
#include "terminal/terminal_sheet_win.h"
#include "tests/terminal/port_test_support.h"

namespace {

double now_ms()
{
    LARGE_INTEGER f, t;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(f.QuadPart);
}

// Milliseconds per paint of a 800 x 600 client into a memory bitmap, the port's
// window being the active one (it then has the caret and its scroll bars are shown,
// which a paint updates).
double paint_ms(Port* port)
{
    SendMessageA(app.mdi_client, WM_MDIACTIVATE, reinterpret_cast<WPARAM>(port->console.window), 0);
    pump_messages();
    RECT client = {0, 0, 800, 600};
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    console_paint(&port->console, dc, &client);  // warm up
    const int paints = 40;
    double start = now_ms();
    for (int i = 0; i < paints; ++i) console_paint(&port->console, dc, &client);
    double each = (now_ms() - start) / paints;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return each;
}

void fill_console(Port* port, size_t bytes)
{
    std::string line;
    for (int i = 0; i < 78; ++i) line += static_cast<char>('!' + i % 90);
    line += "\r\n";
    std::string block;
    while (block.size() < 65536) block += line;
    for (size_t done = 0; done < bytes; done += block.size()) {
        size_t n = std::min(block.size(), bytes - done);
        console_append(&port->console, reinterpret_cast<const unsigned char*>(block.data()),
                       static_cast<std::uint32_t>(n), 1);
    }
}

void bench_paint()
{
    display_settings_defaults(&display_settings);
    display_settings.buffer_size = 1024;
    Port* full = create_port(PORT_SERIAL, nullptr);
    Port* empty = create_port(PORT_SERIAL, nullptr);
    if (!full || !empty) return;
    fill_console(full, 2u << 20);
    // The same lines, one window's worth: both paints draw the same rows, so what
    // differs is only what lies out of view.
    fill_console(empty, 80 * 48);
    // The view at the end, as after receiving, for both.
    double full_ms = 1e9, empty_ms = 1e9;
    for (int round = 0; round < 3; ++round) {
        full_ms = std::min(full_ms, paint_ms(full));
        empty_ms = std::min(empty_ms, paint_ms(empty));
    }
    std::printf("terminal_paint_full_1m: %.2f ms\n", full_ms);
    std::printf("terminal_paint_one_window: %.2f ms\n", empty_ms);
    std::printf("terminal_paint_ratio_full_to_one_window: %.2f x\n", full_ms / empty_ms);

    // The same full window with four keywords highlighted on every row (nine runs of
    // colour a row instead of one), against it without.
    HighlightRow rows[HIGHLIGHT_RULE_MAX];
    highlight_rows_defaults(rows);
    const char* const keywords[] = {"012", "+,-", "ABC", "abc"};
    for (int i = 0; i < 4; ++i) highlight_row_take(&rows[i], keywords[i], 0x00FFFF - i * 0x20, 0);
    static ConsoleHighlights rules;
    const ConsoleHighlights* compiled = highlight_rows_compile(rows, &rules);
    double plain_ms = 1e9, marked_ms = 1e9;
    for (int round = 0; round < 3; ++round) {
        full->console.view.highlights = nullptr;
        plain_ms = std::min(plain_ms, paint_ms(full));
        full->console.view.highlights = compiled;
        marked_ms = std::min(marked_ms, paint_ms(full));
    }
    full->console.view.highlights = nullptr;
    std::printf("terminal_paint_highlight: %.2f ms\n", marked_ms);
    std::printf("terminal_paint_highlight_ratio: %.2f x\n", marked_ms / plain_ms);
    close_port(full);
    close_port(empty);
}

const UINT MARKER = WM_APP + 40;

struct Marker {
    DWORD thread;
    LPARAM run;  // a flood's markers only: a late one of the flood before is not timed
    volatile LONG stop;
    double sent[64];
};

DWORD WINAPI post_markers(void* parameter) noexcept
{
    Marker* marker = static_cast<Marker*>(parameter);
    for (WPARAM n = 0; !marker->stop; ++n) {
        marker->sent[n % 64] = now_ms();
        PostThreadMessageA(marker->thread, MARKER, n, marker->run);
        Sleep(20);
    }
    return 0;
}

// Returns the MB/s received; with time_stamps the window shows its gutter. Only the
// flood without the gutter prints its UI response figures, when `report` is set.
double bench_flood(bool time_stamps, bool report)
{
    static LPARAM runs = 0;
    display_settings_defaults(&display_settings);
    display_settings.time_stamp = time_stamps ? 1 : 0;
    Port* port = create_port(PORT_SERIAL, nullptr);
    if (!port) return 0;
    std::string piece;
    while (piece.size() < 4000) piece += "0123456789 abcdefghijklmnopqrstuvwxyz ABCDEFGHIJKLMNOPQRSTUVWXYZ\r\n";
    piece.resize(4000);
    const int pieces = 8000;  // 32 MB
    std::string flood;
    flood.reserve(pieces * piece.size());
    for (int i = 0; i < pieces; ++i) flood += piece;
    // Another thread posts a marker every 20 ms; its latency is the time from
    // posting to this thread taking it, behind whatever the appends queued.
    Marker marker{GetCurrentThreadId(), ++runs, 0, {}};
    HANDLE poster = CreateThread(nullptr, 0, post_markers, &marker, 0, nullptr);
    std::vector<double> latencies;
    // Handed over in one piece once the clock runs: queued piece by piece, the
    // engine took most of the flood while this thread was still queueing, with no
    // window painting meanwhile, and that time was not counted.
    double start = now_ms();
    test_engine_receive(port, flood);
    while (!test_engine_settle(port, 0)) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == MARKER && msg.hwnd == nullptr) {
                if (msg.lParam == marker.run) latencies.push_back(now_ms() - marker.sent[msg.wParam % 64]);
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    InterlockedExchange(&marker.stop, 1);
    WaitForSingleObject(poster, INFINITE);
    CloseHandle(poster);
    double seconds = (now_ms() - start) / 1000.0;
    std::sort(latencies.begin(), latencies.end());
    double worst = latencies.empty() ? 0 : latencies.back();
    double median = latencies.empty() ? 0 : latencies[latencies.size() / 2];
    const double rate = pieces * 4000.0 / seconds / 1e6;
    close_port(port);
    display_settings_defaults(&display_settings);
    if (time_stamps || !report) return rate;
    std::printf("terminal_receive_while_painting: %.1f MB/s\n", rate);
    std::printf("terminal_ui_response_median: %.2f ms\n", median);
    std::printf("terminal_ui_response_worst: %.2f ms\n", worst);
    return rate;
}

// The flood without and with each line's time shown (the counters count in both),
// taken in turns twice and the faster of each kept, as another process's burst on a
// shared machine would otherwise decide the ratio: the receive path's speed with the
// gutter over without.
void bench_floods()
{
    double without = bench_flood(false, true), with = bench_flood(true, false);
    without = std::max(without, bench_flood(false, false));
    with = std::max(with, bench_flood(true, false));
    std::printf("terminal_receive_while_painting_time_stamps: %.1f MB/s\n", with);
    if (without > 0) std::printf("terminal_receive_time_stamps_ratio: %.2f x\n", with / without);
}

// Milliseconds (median of the rounds) from confirming changed settings to eight
// windows repainted: font size, column, hexadecimal display, a colour and the buffer
// size all change, so every buffer is resized too.
double refresh_ms(size_t bytes_each)
{
    Port* ports[8] = {};
    for (Port*& port : ports) {
        port = create_port(PORT_SERIAL, nullptr);
        if (port) fill_console(port, bytes_each);
    }
    pump_messages();
    std::vector<double> times;
    for (int round = 1; round <= 8; ++round) {
        DisplaySettings next = display_settings;
        next.text_font_size = round % 2 ? 16 : 18;
        next.column = round % 2 ? 100 : 80;
        next.hex_mode = round % 2;
        next.colours[1] = round % 2 ? 0xF0F0F0 : 0xFFFFFF;
        next.buffer_size = round % 2 ? 1023 : 1024;
        double start = now_ms();
        terminal_settings_confirm(&next);
        for (Port* port : ports)
            if (port) UpdateWindow(static_cast<HWND>(port->console.window));
        times.push_back(now_ms() - start);
    }
    for (Port* port : ports)
        if (port) close_port(port);
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void bench_display_refresh()
{
    // The settings file and default.tfk, which every confirmation rewrites, in a
    // folder of the benchmark's own.
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder = std::string(temp) + "tavex-bench-display";
    CreateDirectoryA(folder.c_str(), nullptr);
    SetCurrentDirectoryA(folder.c_str());
    settings_path_init();
    lstrcpynA(app.start_directory, folder.c_str(), sizeof app.start_directory);
    display_settings_defaults(&display_settings);
    display_settings.buffer_size = 1024;
    // Taken in turns, the best of three each: other work on the machine shows as
    // slow rounds, not as a difference between the two.
    double full = 1e9, empty = 1e9;
    for (int turn = 0; turn < 3; ++turn) {
        full = std::min(full, refresh_ms(1u << 20));
        empty = std::min(empty, refresh_ms(80));
    }
    std::printf("display_refresh_8_windows_1m: %.1f ms\n", full);
    std::printf("display_refresh_8_windows_empty: %.1f ms\n", empty);
    std::printf("display_refresh_ratio_full_to_empty: %.2f x\n", full / empty);
    DeleteFileA((folder + "\\tavex.ini").c_str());
    DeleteFileA((folder + "\\default.tfk").c_str());
    SetCurrentDirectoryA(temp);
    RemoveDirectoryA(folder.c_str());
    app.start_directory[0] = '\0';
}

}  // namespace

void bench_terminal()
{
    PortKindEntry previous = test_engine_install(PORT_SERIAL);
    {
        TestFrame frame;
        if (frame.made) {
            MoveWindow(app.frame_window, 0, 0, 820, 660, TRUE);
            bench_paint();
            std::fflush(stdout);
            bench_floods();
            std::fflush(stdout);
            bench_display_refresh();
        }
    }
    test_engine_restore(PORT_SERIAL, previous);
}
