// The receive path without the engine: line-end conversion into chunks and their
// append into a full console, in 4096-byte deliveries as an engine makes them, for
// each "receive crlf" mode.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>

#include "terminal/receive_convert.h"
#include "tests/console/console_invariants.h"

namespace {

std::string lf_text()
{
    std::string out;
    std::mt19937 random(11);
    while (out.size() < (4u << 20)) {
        int length = 20 + static_cast<int>(random() % 100);
        for (int i = 0; i < length; ++i) out += static_cast<char>(' ' + random() % 95);
        out += '\n';
    }
    return out;
}

void run_receive(benchmark::State& state, int mode)
{
    std::string traffic = lf_text();
    Console* console = make_test_console(64 << 10, 80);
    unsigned char chunk[RECEIVE_CHUNK_BUFFER];
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(traffic.data());
    std::size_t total = 0;
    for (auto _ : state) {
        for (std::size_t at = 0; at + 4096 <= traffic.size(); at += 4096) {
            std::uint32_t done = 0;
            while (done < 4096) {
                std::uint32_t consumed = 0;
                std::uint32_t length = receive_convert_chunk(mode, bytes + at + done, 4096 - done, &consumed, chunk);
                console_append_bytes(console, chunk, length, static_cast<ConsoleTime>(at));
                done += consumed;
            }
            total += 4096;
        }
        benchmark::DoNotOptimize(console->buffer.used);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(total));
    free_test_console(console);
}

void receive_path_cr_to_crlf_64k(benchmark::State& s) { run_receive(s, RECEIVE_CR_TO_CRLF); }
void receive_path_lf_to_crlf_64k(benchmark::State& s) { run_receive(s, RECEIVE_LF_TO_CRLF); }
void receive_path_as_is_64k(benchmark::State& s) { run_receive(s, RECEIVE_AS_IS); }

}  // namespace

BENCHMARK(receive_path_cr_to_crlf_64k)->Unit(benchmark::kMillisecond);
BENCHMARK(receive_path_lf_to_crlf_64k)->Unit(benchmark::kMillisecond);
BENCHMARK(receive_path_as_is_64k)->Unit(benchmark::kMillisecond);
