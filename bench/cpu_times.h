#pragma once
// A console reporter that also keeps each benchmark's CPU time per iteration (in the unit the
// benchmark reports), by name: other processes on a shared machine add to the wall time only.
#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

class CpuTimes : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (!run.error_occurred && run.run_type == Run::RT_Iteration) us[run.benchmark_name()] = run.GetAdjustedCPUTime();
    }
    std::map<std::string, double> us;
};
