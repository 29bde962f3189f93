// The bytes a port received and sent, as status-bar part 4 shows them for the
// active port: "受信 1,234,567 / 送信 890 byte", and the receive rate over the last
// second while data flows. Portable and pure; the Port holds the counts (see
// port_win.h for who writes them) and the caller owns the text buffer.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr std::size_t PORT_COUNTER_TEXT = 128;

// n with a comma every three digits; out holds 27 bytes.
void format_thousands(std::uint64_t n, char* out);

// The status text; rate_valid false leaves the rate out (nothing arrived in the last
// second, or no second has been measured yet). out holds PORT_COUNTER_TEXT bytes.
void port_counter_text(std::uint64_t received, std::uint64_t sent, std::uint64_t rate, bool rate_valid, char* out);
