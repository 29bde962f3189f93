// Appending into the console buffer in its steady state (full, discarding from the
// front), for the kinds of traffic a port delivers: text lines, long lines that only
// wrap, binary noise and Shift-JIS text, into the smallest and the largest buffer.
// The input comes in 4096-byte pieces, as an engine delivers it, each with its time.
// console_append_ratio_1m_64k times both buffer sizes in the same run: the cost of an
// append must not grow with the buffer. The _vs_before figures time the append
// against the one it replaced (console_append_before.h), interleaved in the same run:
// keeping facts per line must not slow it down.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdint>
#include <random>
#include <string>

#include "tests/bench/console_append_before.h"
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

// What is appended into: the console's buffer, or the one it replaced.
struct Subject {
    void* (*make)(std::uint32_t bytes);
    void (*append)(void* buffer, const unsigned char* bytes, std::uint32_t length, ConsoleTime time);
    void (*release)(void* buffer);
};

const Subject CONSOLE = {
    [](std::uint32_t bytes) -> void* { return make_test_console(bytes, 80); },
    [](void* buffer, const unsigned char* bytes, std::uint32_t length, ConsoleTime time) {
        console_append_bytes(static_cast<Console*>(buffer), bytes, length, time);
    },
    [](void* buffer) { free_test_console(static_cast<Console*>(buffer)); },
};

const Subject BEFORE = {
    [](std::uint32_t bytes) -> void* { return before::make_buffer(bytes, 80); },
    [](void* buffer, const unsigned char* bytes, std::uint32_t length, ConsoleTime) {
        before::append_bytes(static_cast<before::Buffer*>(buffer), bytes, length);
    },
    [](void* buffer) { before::free_buffer(static_cast<before::Buffer*>(buffer)); },
};

// Appends the traffic once over, a piece a millisecond; returns the bytes appended.
std::size_t append_all(const Subject& subject, void* buffer, const std::string& traffic)
{
    static ConsoleTime time = 0;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(traffic.data());
    for (std::size_t at = 0; at + PIECE <= traffic.size(); at += PIECE)
        subject.append(buffer, bytes + at, PIECE, ++time);
    return traffic.size() / PIECE * PIECE;
}

void* steady_buffer(const Subject& subject, std::uint32_t bytes, const std::string& traffic)
{
    void* buffer = subject.make(bytes);
    append_all(subject, buffer, traffic);  // fill it, so that every later append discards
    return buffer;
}

void run_append(benchmark::State& state, const std::string& kind, std::uint32_t size)
{
    std::string traffic = make_traffic(kind);
    void* buffer = steady_buffer(CONSOLE, size, traffic);
    std::size_t total = 0;
    for (auto _ : state) {
        total += append_all(CONSOLE, buffer, traffic);
        benchmark::DoNotOptimize(static_cast<Console*>(buffer)->buffer.used);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    CONSOLE.release(buffer);
}

// Processor seconds to append the traffic once over. Processor time, not wall time:
// on a machine busy with other work the wall clock counts that work too.
double pass_seconds(const Subject& subject, void* buffer, const std::string& traffic)
{
    const std::clock_t start = std::clock();
    append_all(subject, buffer, traffic);
    return static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
}

double throughput(const Subject& subject, const std::string& traffic, std::uint32_t size)
{
    void* buffer = steady_buffer(subject, size, traffic);
    double seconds = 0;
    for (int i = 0; i < 8; ++i) seconds += pass_seconds(subject, buffer, traffic);
    subject.release(buffer);
    return static_cast<double>(traffic.size() / PIECE * PIECE) * 8 / seconds;
}

void console_append_ratio_1m_64k(benchmark::State& state)
{
    std::string traffic = make_traffic("text");
    // Interleaved, best of each: a single pair is at the mercy of the machine's noise.
    double small = 0, large = 0;
    for (auto _ : state) {
        small = std::max(small, throughput(CONSOLE, traffic, 64 << 10));
        large = std::max(large, throughput(CONSOLE, traffic, 1 << 20));
    }
    double ratio = large / small;
    state.counters["figure_x"] = ratio;
}

// This append's speed over the one before: many short passes of each in turn, the
// best of each, so that a pass slowed by the rest of the machine counts for neither.
void run_vs_before(benchmark::State& state, const std::string& kind, std::uint32_t size)
{
    std::string traffic = make_traffic(kind);
    void* now = steady_buffer(CONSOLE, size, traffic);
    void* then = steady_buffer(BEFORE, size, traffic);
    double best_now = 1e9, best_then = 1e9;
    for (auto _ : state) {
        for (int round = 0; round < 10; ++round) {
            best_now = std::min(best_now, pass_seconds(CONSOLE, now, traffic));
            best_then = std::min(best_then, pass_seconds(BEFORE, then, traffic));
        }
    }
    CONSOLE.release(now);
    BEFORE.release(then);
    state.counters["figure_x"] = best_then / best_now;
}

}  // namespace

#define TAVEX_APPEND_BENCH(kind, size, bytes)                                                          \
    static void console_append_##kind##_##size(benchmark::State& s)                                      \
    {                                                                                                    \
        run_append(s, #kind, bytes);                                                                     \
    }                                                                                                    \
    static void console_append_##kind##_##size##_vs_before(benchmark::State& s)                          \
    {                                                                                                    \
        run_vs_before(s, #kind, bytes);                                                                  \
    }                                                                                                    \
    BENCHMARK(console_append_##kind##_##size)->Unit(benchmark::kMillisecond);                            \
    BENCHMARK(console_append_##kind##_##size##_vs_before)->Iterations(5)->Unit(benchmark::kMillisecond);

TAVEX_APPEND_BENCH(text, 64k, 64 << 10)
TAVEX_APPEND_BENCH(text, 1m, 1 << 20)
TAVEX_APPEND_BENCH(long_lines, 64k, 64 << 10)
TAVEX_APPEND_BENCH(long_lines, 1m, 1 << 20)
TAVEX_APPEND_BENCH(binary, 64k, 64 << 10)
TAVEX_APPEND_BENCH(binary, 1m, 1 << 20)
TAVEX_APPEND_BENCH(sjis, 64k, 64 << 10)
TAVEX_APPEND_BENCH(sjis, 1m, 1 << 20)
BENCHMARK(console_append_ratio_1m_64k)->Iterations(4)->Unit(benchmark::kMillisecond);
