// One find over a full 16 MB scrollback, as the find window runs it on the UI
// thread: received log lines mixing ASCII and Shift-JIS, the match near the far end
// (the last line forward, the first backward). Text without case distinction both
// ways, and bytes; each figure is the best of the iterations, in milliseconds.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>

#include "console/byte_match.h"

namespace {

const std::string& scrollback()
{
    static const std::string text = [] {
        // 受信, 送信, データ and 表示 among the ASCII words.
        static const char* const words[] = {"recv ",
                                            "OK ",
                                            "value=",
                                            "ERR? ",
                                            "\x8e\xf3\x90\x4d ",
                                            "\x91\x97\x90\x4d ",
                                            "\x83\x66\x81\x5b\x83\x5e ",
                                            "\x95\x5c\x8e\xa6 ",
                                            "0x5C "};
        std::string out = "12:34:56.789 \x8b\x4e\x93\xae boot=ready\r\n";  // 起動, found backward
        std::mt19937 random(25);
        while (out.size() < (16u << 20) - 4096) {
            out += "12:34:56.789 ";
            for (int n = 3 + static_cast<int>(random() % 12); n > 0; --n)
                out += words[random() % 9];
            out += std::to_string(random() % 100000) + "\r\n";
        }
        out += "12:34:56.789 \x83\x47\x83\x89\x81\x5b code=Timeout\r\n";  // エラー
        out.resize(16u << 20, ' ');
        return out;
    }();
    return text;
}

void run_find(benchmark::State& state, const char* pattern_text, bool text, bool backward)
{
    const std::string& buffer = scrollback();
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(buffer.data());
    static BytePattern pattern;
    const std::string p = pattern_text;
    if (text) {
        byte_match_compile_text(&pattern, p.data(), p.size(), false);
    } else {
        byte_match_compile_bytes(&pattern, reinterpret_cast<const unsigned char*>(p.data()), p.size());
    }
    double best = 1e9;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        std::size_t found = backward ? byte_match_find_backward(&pattern, bytes, buffer.size(), buffer.size())
                                     : byte_match_find(&pattern, bytes, buffer.size(), 0);
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        best = std::min(best, took.count());
        if (found == BYTE_MATCH_NONE) state.SkipWithError("no match");
        benchmark::DoNotOptimize(found);
    }
    state.counters["figure_ms"] = best;
}

void find_16m(benchmark::State& s)
{
    run_find(s, "\x83\x47\x83\x89\x81\x5b code=timeout", true, false);
}
void find_16m_backward(benchmark::State& s)
{
    run_find(s, "\x8b\x4e\x93\xae boot=READY", true, true);
}
void find_16m_hex(benchmark::State& s)
{
    run_find(s, "\x81\x5b code", false, false);
}

}  // namespace

BENCHMARK(find_16m)->Unit(benchmark::kMillisecond);
BENCHMARK(find_16m_backward)->Unit(benchmark::kMillisecond);
BENCHMARK(find_16m_hex)->Unit(benchmark::kMillisecond);
