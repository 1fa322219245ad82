#pragma once
// The common frame of the benchmark programs that print a summary of ratios after the usual
// table: each run's CPU time per iteration is kept by name (on a shared machine the wall time
// also counts other processes), and the summary is printed once every case has run.
#include <benchmark/benchmark.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace ov::bench {

// CPU time per iteration by benchmark name, in each case's own unit.
using CpuTimes = std::map<std::string, double>;

class CollectingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration)
                times[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    CpuTimes times;
};

// The time of a case, or -1 when it did not run (filtered out, or not built).
inline double TimeOf(const CpuTimes& times, const std::string& name) {
    const auto it = times.find(name);
    return it == times.end() ? -1.0 : it->second;
}

// A benchmark program's main: runs the registered cases, then `summary` with their times.
inline int RunWithSummary(int argc, char** argv, const std::function<void(const CpuTimes&)>& summary) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    CollectingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    summary(reporter.times);
    return 0;
}

}  // namespace ov::bench
