// make bench: the catalogue benchmarks (Google Benchmark) and the dialog's
// start-up runs, printed as one table of ratios against floors measured in
// the same run, each with its goal.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "BenchTable.h"

using namespace voicememo::bench;

namespace {

// Keeps the median of each benchmark's repetitions, by name ("Load/1000").
class MedianCollector : public benchmark::BenchmarkReporter {
public:
    std::map<std::string, double> seconds;

    bool ReportContext(const Context&) override { return true; }
    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs) {
            if (run.error_occurred) {
                std::fprintf(stderr, "%s: %s\n", run.benchmark_name().c_str(), run.error_message.c_str());
                failed = true;
                continue;
            }
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
            const double value = run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
            const std::string name = run.run_name.function_name + "/" + run.run_name.args;
            seconds[name] = value;
            std::fprintf(stderr, "  %-26s %10.3f ms\n", name.c_str(), value * 1e3);
        }
    }
    bool failed = false;
};

struct Size {
    int count;
    const char* text;
};
constexpr Size kCatalogueSizes[] = {{1000, "1,000"}, {10000, "10,000"}, {100000, "100,000"}};

void PrintTable(const std::vector<Figure>& figures)
{
    std::printf("\n%-84s %12s %12s %8s %6s  %s\n", "figure", "measured", "floor", "ratio", "goal", "met");
    for (const Figure& figure : figures) {
        const double ratio = figure.ratio > 0 ? figure.ratio : figure.floor > 0 ? figure.measured / figure.floor : 0;
        const std::string what =
            figure.floorWhat.empty() ? figure.what : figure.what + " [floor: " + figure.floorWhat + "]";
        std::printf("%-84s %9.2f %-2s %9.2f %-2s %7.2fx", what.c_str(), figure.measured, figure.unit.c_str(),
                    figure.floor, figure.unit.c_str(), ratio);
        if (figure.goal > 0)
            std::printf(" %5.2fx  %s\n", figure.goal, ratio <= figure.goal ? "yes" : "NO");
        else
            std::printf(" %6s  %s\n", "-", "-");
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // First of all, while this process is still small: a process's peak
    // memory counts that of the one it was started from.
    StartProbeSpawner();
    // A start's ratio moved by up to 0.03 between two runs of 21 rounds on a
    // machine of two cores; 61 rounds keep it within about 0.02.
    int dialogRuns = 61;
    if (const char* runs = std::getenv("VOICEMEMO_BENCH_RUNS"))
        dialogRuns = std::max(0, std::atoi(runs));  // 0: the catalogue benchmarks only
    benchmark::Initialize(&argc, argv);
    RegisterCatalogueBenchmarks();
    std::fprintf(stderr, "catalogue benchmarks (median of 5 repetitions)\n");
    MedianCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);

    std::vector<Figure> figures;
    auto pair = [&](const std::string& what, const std::string& name, int arg, double goal,
                    const std::string& floorWhat, const std::string& floorName = "") {
        const std::string suffix = "/" + std::to_string(arg);
        auto measured = collector.seconds.find(name + suffix);
        auto floor = collector.seconds.find((floorName.empty() ? name + "Floor" : floorName) + suffix);
        if (measured != collector.seconds.end() && floor != collector.seconds.end())
            figures.push_back({what, measured->second * 1e3, floor->second * 1e3, "ms", goal, floorWhat});
    };
    for (const Size& size : kCatalogueSizes)
        pair("load, " + std::string(size.text) + " memos", "Load", size.count, 2.0, "read + split lines");
    for (const Size& size : kCatalogueSizes)
        pair("save, " + std::string(size.text) + " memos", "Save", size.count, 1.5, "write + fsync + rename");
    pair("save with a merge, 100,000 memos (the file changed meanwhile)", "SaveMerged", 100000, 2.0, "plain save",
         "Save");
    pair("unused search, 10,000 files / 10,000 + 10,000 texts", "UnusedSearch", 10000, 3.0, "list + read");

    if (dialogRuns > 0) {
        std::fprintf(stderr, "dialog probes, %d runs of each\n", dialogRuns);
        for (Figure& figure : RunDialogBenchmarks(dialogRuns))
            figures.push_back(std::move(figure));
    }
    PrintTable(figures);
    return collector.failed ? 1 : 0;
}
