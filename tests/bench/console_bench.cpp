// Appending into the console buffer in its steady state (full, discarding from the
// front), for the kinds of traffic a port delivers: text lines, long lines that only
// wrap, binary noise and Shift-JIS text, into the smallest and the largest buffer.
// The input comes in 4096-byte pieces, as an engine delivers it. The ratio figure
// times both buffer sizes in the same run: the cost of an append must not grow with
// the buffer.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <random>
#include <string>

#include "tests/console/console_invariants.h"

namespace {

const std::uint32_t PIECE = 4096;

std::string make_traffic(const std::string& kind)
{
    std::string out;
    std::mt19937 random(7);
    while (out.size() < (4u << 20)) {
        if (kind == "text") {
            int length = 20 + static_cast<int>(random() % 100);
            for (int i = 0; i < length; ++i) out += static_cast<char>(' ' + random() % 95);
            out += "\r\n";
        } else if (kind == "long_lines") {
            out += static_cast<char>('!' + random() % 94);
        } else if (kind == "binary") {
            out += static_cast<char>(random() & 0xFF);
        } else {  // sjis: hiragana and kanji with a line end now and then
            int length = 10 + static_cast<int>(random() % 40);
            for (int i = 0; i < length; ++i) {
                out += static_cast<char>(0x82 + random() % 8);
                out += static_cast<char>(0x9F + random() % 80);
            }
            out += "\r\n";
        }
    }
    return out;
}

// Appends the traffic once over, a piece a millisecond; returns the bytes appended.
std::size_t append_all(Console* console, const std::string& traffic)
{
    static ConsoleTime time = 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(traffic.data());
    for (std::size_t at = 0; at + PIECE <= traffic.size(); at += PIECE)
        console_append_bytes(console, bytes + at, PIECE, ++time);
    return traffic.size() / PIECE * PIECE;
}

Console* steady_console(std::uint32_t bytes, const std::string& traffic)
{
    Console* console = make_test_console(bytes, 80);
    append_all(console, traffic);  // fill it, so that every later append discards
    return console;
}

void run_append(benchmark::State& state, const std::string& kind, std::uint32_t buffer)
{
    std::string traffic = make_traffic(kind);
    Console* console = steady_console(buffer, traffic);
    std::size_t total = 0;
    for (auto _ : state) {
        total += append_all(console, traffic);
        benchmark::DoNotOptimize(console->buffer.used);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    free_test_console(console);
}

double throughput(const std::string& traffic, std::uint32_t buffer)
{
    Console* console = steady_console(buffer, traffic);
    auto start = std::chrono::steady_clock::now();
    std::size_t total = 0;
    for (int i = 0; i < 8; ++i) total += append_all(console, traffic);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    free_test_console(console);
    return static_cast<double>(total) / seconds;
}

void console_append_ratio_1m_64k(benchmark::State& state)
{
    std::string traffic = make_traffic("text");
    // Interleaved, best of each: a single pair is at the mercy of the machine's noise.
    double small = 0, large = 0;
    for (auto _ : state) {
        small = std::max(small, throughput(traffic, 64 << 10));
        large = std::max(large, throughput(traffic, 1 << 20));
    }
    double ratio = large / small;
    state.counters["figure_x"] = ratio;
}

}  // namespace

#define TAVEX_APPEND_BENCH(kind)                                                               \
    static void console_append_##kind##_64k(benchmark::State& s) { run_append(s, #kind, 64 << 10); } \
    static void console_append_##kind##_1m(benchmark::State& s) { run_append(s, #kind, 1 << 20); }   \
    BENCHMARK(console_append_##kind##_64k)->Unit(benchmark::kMillisecond);                     \
    BENCHMARK(console_append_##kind##_1m)->Unit(benchmark::kMillisecond);

TAVEX_APPEND_BENCH(text)
TAVEX_APPEND_BENCH(long_lines)
TAVEX_APPEND_BENCH(binary)
TAVEX_APPEND_BENCH(sjis)
BENCHMARK(console_append_ratio_1m_64k)->Iterations(4)->Unit(benchmark::kMillisecond);
