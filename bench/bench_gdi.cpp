// Drawing-layer benchmarks on a 1920x1080 surface. Every case is also reported as a ratio to a
// baseline measured in the same run (the full-surface FillRect, or the full-surface copy for
// the transparent blit), printed as a table after the benchmarks.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace {

using namespace ov::gdi;

constexpr int kWidth = 1920, kHeight = 1080;

// A memory DC over a 32-bit surface, released at the end of the benchmark.
class Surface {
public:
    Surface() : dc_(CreateCompatibleDC(0)), bitmap_(CreateDIBSection32(kWidth, kHeight)) {
        original_ = SelectObject(dc_, bitmap_);
    }
    ~Surface() {
        SelectObject(dc_, original_);
        SelectObject(dc_, GetStockObject(BLACK_PEN));
        SelectObject(dc_, GetStockObject(WHITE_BRUSH));
        DeleteDC(dc_);
        DeleteObject(bitmap_);
    }
    HDC dc() const { return dc_; }

private:
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ original_;
};

// Ends a timed iteration: reading a pixel makes everything the drawing layer keeps recorded
// (lines, outlines, blits) land in the bitmap inside the timed loop.
void FinishIteration(HDC dc) {
    benchmark::DoNotOptimize(GetPixel(dc, 0, 0));
    benchmark::ClobberMemory();
}

void FillAll(HDC dc, COLORREF colour) {
    HBRUSH brush = CreateSolidBrush(colour);
    RECT all{0, 0, kWidth, kHeight};
    FillRect(dc, &all, brush);
    DeleteObject(brush);
}

void BM_FillRect(benchmark::State& state) {
    Surface s;
    HBRUSH brush = CreateSolidBrush(0x336699);
    const RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        FillRect(s.dc(), &all, brush);
        FinishIteration(s.dc());
    }
    DeleteObject(brush);
}
BENCHMARK(BM_FillRect)->Unit(benchmark::kMicrosecond);

void BM_VerticalLines(benchmark::State& state) {
    Surface s;
    HPEN pen = CreatePen(PS_SOLID, 1, 0x0000FF);
    HGDIOBJ old = SelectObject(s.dc(), pen);
    for (auto _ : state) {
        for (int x = -1; x <= kWidth; ++x) {  // 1922 lines, the outer two fully clipped
            MoveToEx(s.dc(), x, -5, nullptr);
            LineTo(s.dc(), x, kHeight + 5);
        }
        FinishIteration(s.dc());
    }
    SelectObject(s.dc(), old);
    DeleteObject(pen);
}
BENCHMARK(BM_VerticalLines)->Unit(benchmark::kMicrosecond);

// The gradient's angle-0 sweep: the same lines, each with a pen of its own colour created,
// selected, deselected and deleted around it.
void BM_VerticalLinesPenPerLine(benchmark::State& state) {
    Surface s;
    for (auto _ : state) {
        for (int x = -1; x <= kWidth; ++x) {
            HPEN pen = CreatePen(PS_SOLID, 1, static_cast<COLORREF>(0x010101 * ((x + 1) & 0xFF)));
            HGDIOBJ old = SelectObject(s.dc(), pen);
            MoveToEx(s.dc(), x, kHeight + 5, nullptr);
            LineTo(s.dc(), x, -5);
            SelectObject(s.dc(), old);
            DeleteObject(pen);
        }
        FinishIteration(s.dc());
    }
}
BENCHMARK(BM_VerticalLinesPenPerLine)->Unit(benchmark::kMicrosecond);

void BM_DiagonalLines(benchmark::State& state) {
    Surface s;
    HPEN pen = CreatePen(PS_SOLID, 1, 0x00FF00);
    HGDIOBJ old = SelectObject(s.dc(), pen);
    for (auto _ : state) {
        // 1922 parallel 45-degree lines, 3000 pixels long, swept across the surface so most are
        // clipped at two edges.
        for (int i = 0; i < 1922; ++i) {
            const int x0 = -1500 + 2 * i;
            MoveToEx(s.dc(), x0, -1000, nullptr);
            LineTo(s.dc(), x0 + 3000, 2000);
        }
        FinishIteration(s.dc());
    }
    SelectObject(s.dc(), old);
    DeleteObject(pen);
}
BENCHMARK(BM_DiagonalLines)->Unit(benchmark::kMicrosecond);

template <bool kEllipse>
void BM_Outlines(benchmark::State& state) {
    Surface s;
    HPEN pen = CreatePen(PS_SOLID, 1, 0xFF0000);
    HGDIOBJ old_pen = SelectObject(s.dc(), pen);
    HGDIOBJ old_brush = SelectObject(s.dc(), GetStockObject(NULL_BRUSH));
    for (auto _ : state) {
        // 1000 concentric outlines; the larger ones reach past the surface and are clipped.
        for (int i = 1; i <= 1000; ++i) {
            if (kEllipse) Ellipse(s.dc(), 960 - i, 540 - i / 2, 960 + i, 540 + i / 2 + 1);
            else Rectangle(s.dc(), 960 - i, 540 - i / 2, 960 + i, 540 + i / 2 + 1);
        }
        FinishIteration(s.dc());
    }
    SelectObject(s.dc(), old_brush);
    SelectObject(s.dc(), old_pen);
    DeleteObject(pen);
}
void BM_EllipseOutlines(benchmark::State& state) { BM_Outlines<true>(state); }
void BM_RectangleOutlines(benchmark::State& state) { BM_Outlines<false>(state); }
BENCHMARK(BM_EllipseOutlines)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RectangleOutlines)->Unit(benchmark::kMicrosecond);

void BM_BitBltCopy(benchmark::State& state) {
    Surface src, dst;
    FillAll(src.dc(), 0x224466);
    for (auto _ : state) {
        BitBlt(dst.dc(), 0, 0, kWidth, kHeight, src.dc(), 0, 0, SRCCOPY);
        FinishIteration(dst.dc());
    }
}
BENCHMARK(BM_BitBltCopy)->Unit(benchmark::kMicrosecond);

// The library's transparent-blit recipe: a mask from the key colour, a copy of the source with
// its key pixels blackened (DSna), the destination's opaque area blackened (SRCAND), then OR.
class TransparentBlitter {
public:
    TransparentBlitter(HDC reference, HDC src) {
        mask_dc_ = CreateCompatibleDC(reference);
        mask_ = CreateBitmap(kWidth, kHeight, 1, 1, nullptr);
        old_mask_ = SelectObject(mask_dc_, mask_);
        work_dc_ = CreateCompatibleDC(reference);
        work_ = CreateCompatibleBitmap(src, kWidth, kHeight);
        old_work_ = SelectObject(work_dc_, work_);
    }
    ~TransparentBlitter() {
        SelectObject(work_dc_, old_work_);
        SelectObject(mask_dc_, old_mask_);
        DeleteObject(work_);
        DeleteObject(mask_);
        DeleteDC(work_dc_);
        DeleteDC(mask_dc_);
    }
    void Draw(HDC dst, HDC src, COLORREF key) {
        for (int step = 0; step < 5; ++step) Step(step, dst, src, key);
    }
    HDC StepTarget(int step, HDC dst) const { return step == 0 ? mask_dc_ : step < 3 ? work_dc_ : dst; }
    void Step(int step, HDC dst, HDC src, COLORREF key) {
        switch (step) {
            case 0:
                SetBkColor(src, key);
                BitBlt(mask_dc_, 0, 0, kWidth, kHeight, src, 0, 0, SRCCOPY);
                break;
            case 1: BitBlt(work_dc_, 0, 0, kWidth, kHeight, src, 0, 0, SRCCOPY); break;
            case 2: BitBlt(work_dc_, 0, 0, kWidth, kHeight, mask_dc_, 0, 0, 0x00220326); break;
            case 3: BitBlt(dst, 0, 0, kWidth, kHeight, mask_dc_, 0, 0, SRCAND); break;
            default: BitBlt(dst, 0, 0, kWidth, kHeight, work_dc_, 0, 0, SRCPAINT); break;
        }
    }

private:
    HDC mask_dc_, work_dc_;
    HBITMAP mask_, work_;
    HGDIOBJ old_mask_, old_work_;
};

void PaintSprite(HDC src) {
    FillAll(src, 0xFF00FF);
    for (int i = 0; i < 200; ++i) {
        HBRUSH brush = CreateSolidBrush(static_cast<COLORREF>(0x010203 * i));
        RECT r{i * 9, i * 5, i * 9 + 300, i * 5 + 200};
        FillRect(src, &r, brush);
        DeleteObject(brush);
    }
}

// The five blits with the mask and work bitmaps already made.
void BM_TransparentBlit(benchmark::State& state) {
    Surface src, dst;
    PaintSprite(src.dc());
    TransparentBlitter blitter(dst.dc(), src.dc());
    for (auto _ : state) {
        blitter.Draw(dst.dc(), src.dc(), 0xFF00FF);
        FinishIteration(dst.dc());
    }
}

// The same including creating and releasing the two full-surface scratch bitmaps per draw.
void BM_TransparentBlitWithObjects(benchmark::State& state) {
    Surface src, dst;
    PaintSprite(src.dc());
    for (auto _ : state) {
        TransparentBlitter blitter(dst.dc(), src.dc());
        blitter.Draw(dst.dc(), src.dc(), 0xFF00FF);
        FinishIteration(dst.dc());
    }
}
BENCHMARK(BM_TransparentBlitWithObjects)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TransparentBlit)->Unit(benchmark::kMicrosecond);

// Each of the five blits alone: the mask, the copy, DSna, SRCAND, SRCPAINT.
void BM_TransparentBlitStep(benchmark::State& state) {
    Surface src, dst;
    PaintSprite(src.dc());
    TransparentBlitter blitter(dst.dc(), src.dc());
    blitter.Draw(dst.dc(), src.dc(), 0xFF00FF);
    for (auto _ : state) {
        blitter.Step(static_cast<int>(state.range(0)), dst.dc(), src.dc(), 0xFF00FF);
        FinishIteration(blitter.StepTarget(static_cast<int>(state.range(0)), dst.dc()));
    }
}
BENCHMARK(BM_TransparentBlitStep)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

// Keeps the console output and remembers each benchmark's CPU time per iteration (CPU rather
// than wall-clock time, so that other work on a shared machine distorts the ratios less).
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && run.iterations > 0)
                times[run.benchmark_name()] = run.cpu_accumulated_time / static_cast<double>(run.iterations);
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    auto& t = reporter.times;
    const double fill = t.count("BM_FillRect") ? t["BM_FillRect"] : 0.0;
    const double copy = t.count("BM_BitBltCopy") ? t["BM_BitBltCopy"] : 0.0;
    struct Row {
        const char* name;
        const char* baseline;
        double base;
        double target;
    };
    const Row rows[] = {
        {"BM_VerticalLines", "FillRect", fill, 4.0},      {"BM_VerticalLinesPenPerLine", "FillRect", fill, 4.0},
        {"BM_DiagonalLines", "FillRect", fill, 10.0},     {"BM_EllipseOutlines", "FillRect", fill, 0},
        {"BM_RectangleOutlines", "FillRect", fill, 0},    {"BM_BitBltCopy", "FillRect", fill, 0},
        {"BM_TransparentBlit", "BitBlt copy", copy, 8.0}, {"BM_TransparentBlitWithObjects", "BitBlt copy", copy, 0},
    };
    std::printf("\n%-30s %12s %-12s %8s %8s\n", "benchmark", "cpu (us)", "baseline", "ratio", "target");
    for (const Row& row : rows) {
        if (!t.count(row.name) || row.base <= 0) continue;
        const double ratio = t[row.name] / row.base;
        char target[16] = "-";
        if (row.target > 0)
            std::snprintf(target, sizeof target, "%s%.0fx", ratio <= row.target ? "<=" : "MISS ", row.target);
        std::printf("%-30s %12.1f %-12s %7.2fx %8s\n", row.name, t[row.name] * 1e6, row.baseline, ratio, target);
    }
    return 0;
}
