// The check that runs on every keystroke of a date box: IsPartialTextValid for a long date mask
// on a complete text, against a plain copy of the same text as the baseline of this run.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "maskedit/mask_engine.h"
#include "platform/runtime/dates.h"

namespace {

const char* const kMask = "DDDD DD MMMM YYYY HH:MM AMPM";
const char* const kText = "WEDNESDAY 25 SEPTEMBER 2024 11:45 PM";

const ov::maskedit::MaskContext& Context() {
    static const auto context = ov::maskedit::MaskContext::At(*ov::DateFromParts(2024, 6, 1, 13, 5, 9));
    return context;
}

void BM_StringCopyBaseline(benchmark::State& state) {
    const std::string text = kText;
    for (auto _ : state) {
        std::string copy = text;
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_StringCopyBaseline);

void BM_PartialDateCheck(benchmark::State& state) {
    const std::string text = kText;
    const auto& context = Context();
    if (!ov::maskedit::IsPartialTextValid(text, kMask, 2, context)) state.SkipWithError("text not accepted");
    for (auto _ : state) benchmark::DoNotOptimize(ov::maskedit::IsPartialTextValid(text, kMask, 2, context));
}
BENCHMARK(BM_PartialDateCheck);

// Times both in the same process and prints the ratio, so the number is comparable across
// machines.
double NanosecondsPer(auto&& body, int iterations) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < iterations; ++i) body();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / iterations;
}

void BM_PartialDateCheckRatio(benchmark::State& state) {
    const std::string text = kText;
    const auto& context = Context();
    double check_ns = 0, copy_ns = 0;
    for (auto _ : state) {
        check_ns = NanosecondsPer(
            [&] { benchmark::DoNotOptimize(ov::maskedit::IsPartialTextValid(text, kMask, 2, context)); }, 2000);
        copy_ns = NanosecondsPer(
            [&] {
                std::string copy = text;
                benchmark::DoNotOptimize(copy.data());
                benchmark::ClobberMemory();
            },
            2000);
    }
    state.counters["check_us"] = check_ns / 1000.0;
    state.counters["copy_us"] = copy_ns / 1000.0;
    state.counters["check_per_copy"] = check_ns / copy_ns;
}
BENCHMARK(BM_PartialDateCheckRatio)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
