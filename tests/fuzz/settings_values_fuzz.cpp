// Fuzzes the settings file's values as each consumer converts them: the input is a
// run of 32-bit numbers and a text, as GetPrivateProfileIntA and
// GetPrivateProfileStringA would hand them over. Each consumer must come out with a
// value it can work with: the serial line (a listed speed or the device's own, data
// bits 5 to 8, codes within their tables), the parallel poll (a positive interval,
// never a countdown past it), the network waits (a pause between attempts), the
// display settings (colours without a palette byte) and the console built from them,
// the file types and their patterns, the host history.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "console/console_layout.h"
#include "ports/network/network_history.h"
#include "ports/network/network_page.h"
#include "ports/parallel/parallel_page.h"
#include "ports/parallel/parallel_poll.h"
#include "ports/serial/serial_dcb.h"
#include "ports/serial/serial_page.h"
#include "terminal/display_settings.h"
#include "terminal/pacing.h"
#include "transfer/file_browser.h"

static void check(bool ok)
{
    if (!ok) std::abort();
}

// Numbers taken from the front of the input, 0 once it runs out.
struct Numbers {
    const std::uint8_t* data;
    size_t size;
    std::int32_t next()
    {
        std::uint32_t v = 0;
        for (int i = 0; i < 4; ++i) {
            v = v << 8 | (size ? *data : 0);
            if (size) ++data, --size;
        }
        return static_cast<std::int32_t>(v);
    }
};

static bool listed(const SerialPageList& list, std::int32_t value)
{
    for (int i = 0; i < list.count; ++i)
        if (list.values[i] == value) return true;
    return false;
}

static void serial(Numbers& n)
{
    SerialSettings s = {n.next(), n.next(), n.next(), n.next(), n.next(), n.next(), n.next(), n.next(), n.next()};
    serial_settings_make_usable(&s);
    SerialSettings again = s;
    serial_settings_make_usable(&again);
    check(serial_settings_equal(s, again));
    check(s.baudrate >= SERIAL_SPEED_MIN && s.baudrate <= SERIAL_SPEED_MAX);
    for (int i = 1; i < 5; ++i)
        check(listed(serial_page_lists[i], i == 1 ? s.data_bits
                                           : i == 2 ? s.parity
                                           : i == 3 ? s.stop_bits
                                                    : s.flow_control));
    check(s.parity_check == 0 || s.parity_check == 1);
    check(s.auto_reopen == 0 || s.auto_reopen == 1);

    // The line from those settings, on a driver of any capabilities.
    SerialCaps caps = {static_cast<std::uint32_t>(n.next()), static_cast<std::uint16_t>(n.next()),
                       static_cast<std::uint16_t>(n.next()), static_cast<std::uint32_t>(n.next())};
    const SerialLine device = {1234, 3, 9, 9, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 'a', 'b'};
    SerialLine line = device;
    serial_map_settings(&caps, &s, &line);
    check(line.baud_rate == device.baud_rate || line.baud_rate == static_cast<std::uint32_t>(s.baudrate));
    check(line.byte_size == device.byte_size || (line.byte_size >= 5 && line.byte_size <= 8));
    check(line.parity == device.parity || line.parity <= 4);
    check(line.stop_bits == device.stop_bits || line.stop_bits <= 2);
    check(line.parity_check <= 1 && line.dtr_control <= 2 && line.rts_control <= 2);
    check(s.dtr == 0 || s.dtr == 1);
    check(s.rts == 0 || s.rts == 1);
}

static void parallel(Numbers& n)
{
    ParallelSettings s = {static_cast<std::uint32_t>(n.next()), n.next()};
    parallel_settings_make_usable(&s);
    check(s.receive_interval > 0 && s.receive_interval <= 0x7FFFFFFFu);
    ParallelPoll poll = {s.receive_interval, s.bidirectional, 0};
    for (int i = 0; i < 8; ++i) {
        const std::uint32_t elapsed = static_cast<std::uint32_t>(n.next()) % 200000;
        parallel_poll_step(&poll, elapsed, (elapsed & 1) != 0);
        check(poll.poll_countdown <= parallel_interval(s.receive_interval));
    }
}

static void network(Numbers& n, const std::string& text)
{
    NetworkSettings s = {n.next(), n.next(), n.next()};
    network_settings_make_usable(&s);
    check(s.wait_time >= NET_WAIT_TIME_MIN && s.retry_count >= NET_RETRY_COUNT_MIN);

    // Every kind's pacing: delays in range, and a schedule that covers the bytes in
    // pieces of at least one.
    Pacing pacing = {pacing_usable(n.next()), pacing_usable(n.next())};
    check(pacing.char_delay >= 0 && pacing.char_delay <= PACING_DELAY_MAX);
    check(pacing.line_delay >= 0 && pacing.line_delay <= PACING_DELAY_MAX);
    std::int32_t typed = pacing_field_value(text.c_str(), 0);
    check(typed >= 0 && typed <= PACING_DELAY_MAX);
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    for (size_t at = 0; at < text.size();) {
        PacedPiece piece = pacing_next_piece(pacing, bytes + at, text.size() - at);
        check(piece.length > 0 && piece.length <= text.size() - at);
        check(piece.delay_ms <= 2u * PACING_DELAY_MAX);
        at += piece.length;
    }

    NetworkHistory history;
    net_history_clear(&history);
    const int keys = net_history_keys(n.next());
    check(keys >= 0 && keys <= NET_HISTORY_SIZE);
    // The stored hosts are read into 257-byte buffers: the text, cut as that read cuts.
    std::string stored = text.substr(0, NET_HOST_TEXT_SIZE - 1);
    for (int k = 0; k < keys; ++k) net_history_add_stored(&history, stored.substr(0, stored.size() >> (k % 4)).c_str());
    check(history.count >= 0 && history.count <= keys);
    for (int k = 0; k < history.count; ++k) check(std::memchr(history.hosts[k], '\0', NET_HOST_TEXT_SIZE) != nullptr);
}

static void display(Numbers& n, const std::string& text)
{
    DisplaySettings s;
    display_settings_defaults(&s);
    for (const DisplaySettingsKey& k : display_int_keys) s.*k.field = n.next();
    for (ColorRef& c : s.colours) c = static_cast<ColorRef>(n.next());
    for (ColorRef& c : s.custom_colours) c = static_cast<ColorRef>(n.next());
    display_settings_take_font_name(&s, text.c_str());
    check(std::memchr(s.text_font_name, '\0', sizeof s.text_font_name) != nullptr);
    display_settings_make_usable(&s);
    ConsoleSettings console;
    display_console_settings(&s, &console);
    check(console.column >= 1 && console.column <= 1024);
    check(console.buffer_bytes >= 1024 && console.buffer_bytes <= 16384u * 1024u);
    check(console.line_mode == 0 || console.line_mode == 1);
    check(console.font_height >= 0 && console.font_height <= 256);
    for (ColorRef c : s.colours) check(c <= 0xFFFFFF);
    for (ColorRef c : s.custom_colours) check(c <= 0xFFFFFF);
    check(std::memchr(console.font_face, '\0', sizeof console.font_face) != nullptr);

    // The console a window gets from them (its buffer kept small, for speed): the text
    // appended, the page set, the LINE input line typed with the caret kept in view.
    ConsoleSettings small = console;
    small.buffer_bytes = 4096;
    Console* c = new Console();
    console_take_settings(c, &small);
    check(console_allocate_buffers(c, &small));
    console_input_reset(c);
    c->view.char_width = 1 + (n.next() & 63);
    c->view.line_height = 1 + (n.next() & 63);
    console_append_bytes(c, reinterpret_cast<const unsigned char*>(text.data()),
                         static_cast<std::uint32_t>(text.size()), 0);
    console_set_page(c, n.next() & 0xFFFF, n.next() & 0xFFFF);
    console_scroll_to_end_targets(c);
    console_input_insert(c, text.data(), static_cast<int>(text.size() > 300 ? 300 : text.size()), 1);
    check(console_render_input(c) < CONSOLE_ROW_CELLS);
    console_scroll_input(c, c->view.char_width, n.next() & 0xFFFF);
    console_input_caret_x(c);
    console_hit_test(c, n.next() & 0xFFFF, n.next() & 0xFFFF);
    console_release_buffers(c);
    delete c;
}

static void file_types(Numbers& n, const std::string& text)
{
    const int count = file_types_count(n.next());
    check(count >= 0 && count <= FILE_TYPES_MAX);
    // Titles and filters as 64-byte reads cut them, from pieces of the text.
    FileTypeEntry types[8] = {};
    for (int i = 0; i < 8; ++i) {
        const size_t from = text.empty() ? 0 : static_cast<size_t>(n.next() & 0x7FFF) % text.size();
        std::string piece = text.substr(from, static_cast<size_t>(n.next() & 0xFF) % 64);
        std::memcpy(i % 2 ? types[i].filter : types[i].title, piece.c_str(), piece.size() + 1);
        std::strcpy(i % 2 ? types[i].title : types[i].filter, i % 3 ? "t" : "");
    }
    const int kept = file_types_pack(types, 8);
    check(kept >= 0 && kept <= 8);
    for (int i = 0; i < kept; ++i) {
        check(types[i].title[0] != '\0' && types[i].filter[0] != '\0');
        for (const std::string& pattern : filter_patterns(types[i].filter))
            check(!pattern.empty() && pattern.size() <= FILTER_PATTERN_MAX && pattern.find(';') == std::string::npos);
    }
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    // The first byte picks the consumer; a 0x00 ends the numbers and starts the text.
    if (size < 1) return 0;
    const int consumer = data[0] % 5;
    const std::uint8_t* end = static_cast<const std::uint8_t*>(std::memchr(data + 1, 0, size - 1));
    const size_t numbers = end ? static_cast<size_t>(end - data - 1) : size - 1;
    Numbers n = {data + 1, numbers};
    std::string text = end ? std::string(reinterpret_cast<const char*>(end + 1), size - 2 - numbers) : "";
    text = text.substr(0, text.find('\0'));
    switch (consumer) {
    case 0: serial(n); break;
    case 1: parallel(n); break;
    case 2: network(n, text); break;
    case 3: display(n, text); break;
    default: file_types(n, text);
    }
    return 0;
}
