// Text output against the baseline fill: 200 TextOutA calls of a 20-character string with the
// glyphs already cached, compared with one FillRect of a 1920 x 1080 surface in the same run.
// The target is a ratio of at most 2.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"

namespace {

using namespace ov::gdi;

constexpr int kWidth = 1920, kHeight = 1080;
constexpr char kText[] = "The quick brown fox.";  // 20 characters
static_assert(sizeof kText - 1 == 20);

struct Surface {
    HDC dc = CreateCompatibleDC(0);
    HBITMAP bitmap = CreateDIBSection32(kWidth, kHeight);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    ~Surface() {
        SelectObject(dc, previous);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
};

void BM_FillRectBaseline(benchmark::State& state) {
    Surface surface;
    const HBRUSH brush = CreateSolidBrush(RGB(10, 200, 30));
    const RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        FillRect(surface.dc, &all, brush);
        benchmark::ClobberMemory();
    }
    DeleteObject(brush);
}
BENCHMARK(BM_FillRectBaseline)->Unit(benchmark::kMicrosecond);

void TextOut200(benchmark::State& state, bool smoothing, int bk_mode) {
    Screen().font_smoothing = smoothing;
    Surface surface;
    LOGFONTA lf;
    lf.lfHeight = -16;
    std::strncpy(lf.lfFaceName, "Arial", sizeof lf.lfFaceName - 1);
    const HFONT font = CreateFontIndirectA(&lf);
    const HGDIOBJ previous = SelectObject(surface.dc, font);
    SetTextColor(surface.dc, RGB(0, 0, 0));
    SetBkColor(surface.dc, RGB(255, 255, 255));
    SetBkMode(surface.dc, bk_mode);
    TextOutA(surface.dc, 0, 0, kText, 20);  // fills the glyph cache
    for (auto _ : state) {
        for (int i = 0; i < 200; ++i) TextOutA(surface.dc, 10 + (i % 8) * 200, (i * 5) % (kHeight - 20), kText, 20);
        benchmark::ClobberMemory();
    }
    SelectObject(surface.dc, previous);
    DeleteObject(font);
    Screen().font_smoothing = true;
}

void BM_TextOut200Smoothed(benchmark::State& state) { TextOut200(state, true, OPAQUE); }
void BM_TextOut200SmoothedTransparent(benchmark::State& state) { TextOut200(state, true, TRANSPARENT); }
void BM_TextOut200OneBit(benchmark::State& state) { TextOut200(state, false, OPAQUE); }
BENCHMARK(BM_TextOut200Smoothed)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextOut200SmoothedTransparent)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TextOut200OneBit)->Unit(benchmark::kMicrosecond);

// Prints the usual table and remembers each benchmark's time per iteration.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration) times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto baseline = reporter.times.find("BM_FillRectBaseline");
    if (baseline == reporter.times.end() || baseline->second <= 0) return 0;
    std::printf("\nRatios to the full-surface FillRect baseline (target for TextOutA: <= 2.0):\n");
    bool ok = true;
    for (const auto& [name, time] : reporter.times) {
        if (name == baseline->first) continue;
        const double ratio = time / baseline->second;
        std::printf("  %-36s %6.2f\n", name.c_str(), ratio);
        ok = ok && ratio <= 2.0;
    }
    std::printf("%s\n", ok ? "all within target" : "OVER TARGET");
    benchmark::Shutdown();
    return 0;
}
