// The native benchmarks' entry point: Google Benchmark with a reporter that prints
// each figure on a line of its own as "name: value unit".
//   - a benchmark that sets bytes processed prints its throughput in MB/s;
//   - a counter named "figure_<unit>" prints as that unit (used for ratios, which a
//     benchmark computes from two measurements taken in the same run);
//   - anything else prints its time per iteration in ns.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

class FigureReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context&) override { return true; }

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                std::printf("%s: failed (%s)\n", run.benchmark_name().c_str(), run.error_message.c_str());
                continue;
            }
            std::string name = run.benchmark_name();
            bool printed = false;
            for (const auto& counter : run.counters) {
                const std::string& key = counter.first;
                if (key == "bytes_per_second") {
                    std::printf("%s: %.0f MB/s\n", name.c_str(), counter.second.value / 1e6);
                    printed = true;
                } else if (key.rfind("figure_", 0) == 0) {
                    std::printf("%s: %.2f %s\n", name.c_str(), counter.second.value, key.substr(7).c_str());
                    printed = true;
                }
            }
            if (!printed) {
                double ns = run.GetAdjustedRealTime();
                std::printf("%s: %.1f ns\n", name.c_str(), ns);
            }
            std::fflush(stdout);
        }
    }
};

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    FigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
