// Gradient drawing on a 1920 x 1080 surface: each shape at angles 0, 45 and 137 through
// clsGradient.Draw, against a full-surface FillRect measured in the same run, and cairo's
// linear and radial gradients on a surface of the same size. The summary at the end prints
// every gradient as a ratio to the fill and the two cairo comparisons, with the targets.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cpu_time_summary.h"

#include "gradient/cls_gradient.h"
#include "gradient/draw_gradient.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/window.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"
#include "platform/runtime/variant.h"

#if ORVELLE_HAVE_CAIRO
#include <cairo.h>
#endif

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// A picture surface as Draw reads it: "hWnd" and "hDC" by name, a hollow brush selected.
class BenchSurface : public ov::IDispatch {
public:
    BenchSurface() {
        window_ = ov::gdi::CreateWindowSurface(0, kWidth, kHeight, 0xFFFFFF);
        dc_ = ov::gdi::GetDC(window_);
        ov::gdi::SelectObject(dc_, ov::gdi::GetStockObject(ov::gdi::HOLLOW_BRUSH));
    }
    ~BenchSurface() override {
        ov::gdi::ReleaseDC(window_, dc_);
        ov::gdi::DestroyWindowSurface(window_);
    }
    std::string TypeName() const override { return "PictureBox"; }
    std::int32_t GetIDOfName(std::string_view name) const override {
        if (name == "hWnd") return 1;
        if (name == "hDC") return 2;
        return ov::kDispidUnknown;
    }
    ov::Variant Invoke(std::int32_t dispid, ov::InvokeKind, std::vector<ov::Variant>&) override {
        if (dispid == 1) return ov::Variant::FromLong(static_cast<std::int32_t>(window_));
        if (dispid == 2) return ov::Variant::FromLong(static_cast<std::int32_t>(dc_));
        throw ov::AutomationError(ov::error::kObjectDoesntSupport);
    }
    ov::gdi::HDC dc() const { return dc_; }

private:
    ov::gdi::HWND window_ = 0;
    ov::gdi::HDC dc_ = 0;
};

BenchSurface& Surface() {
    static BenchSurface surface;
    return surface;
}

void BM_FillRect(benchmark::State& state) {
    const ov::gdi::HBRUSH brush = ov::gdi::CreateSolidBrush(0x336699);
    const ov::gdi::RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) benchmark::DoNotOptimize(ov::gdi::FillRect(Surface().dc(), &all, brush));
    ov::gdi::DeleteObject(brush);
}
BENCHMARK(BM_FillRect)->Unit(benchmark::kMillisecond);

void BM_Gradient(benchmark::State& state) {
    ov::gradient::clsGradient gradient;
    gradient.SetGradientType(static_cast<std::int32_t>(state.range(0)));
    gradient.SetAngle(static_cast<double>(state.range(1)));
    for (auto _ : state) {
        if (!gradient.Draw(Surface())) state.SkipWithError("Draw returned False");
    }
}
BENCHMARK(BM_Gradient)
    ->ArgNames({"type", "angle"})
    ->ArgsProduct({{ov::gradient::gtNormal, ov::gradient::gtElliptical, ov::gradient::gtRectangular}, {0, 45, 137}})
    ->Unit(benchmark::kMillisecond);

// An elliptical gradient whose colours repeat often enough that no two neighbouring rings
// share a colour: the drawing layer's worst case, every ring a run of its own.
void BM_EllipticalEveryRingItsOwnColour(benchmark::State& state) {
    ov::gradient::clsGradient gradient;
    gradient.SetGradientType(ov::gradient::gtElliptical);
    gradient.SetRepetitions(40);
    for (auto _ : state) {
        if (!gradient.Draw(Surface())) state.SkipWithError("Draw returned False");
    }
}
BENCHMARK(BM_EllipticalEveryRingItsOwnColour)->Unit(benchmark::kMillisecond);

// The engine's own share of a Draw: the sweep and the colour table, nothing drawn.
void BM_PlanOnly(benchmark::State& state) {
    ov::gradient::GradientSettings settings;
    settings.angle = static_cast<double>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(ov::gradient::PlanGradient(kWidth, kHeight, settings).steps);
}
BENCHMARK(BM_PlanOnly)->ArgName("angle")->Arg(0)->Arg(45)->Arg(137)->Unit(benchmark::kMillisecond);

// The drawing-layer work inside one Draw, primitive by primitive, to show where its time goes:
// the update lock, the per-line pen cycle, and the line, ellipse and rectangle outlines with a
// single pen (the same calls the shapes make at angle 0, without the pen churn).
void BM_PrimitiveLockRelease(benchmark::State& state) {
    const auto window = static_cast<ov::gdi::HWND>(ov::CLng(ov::GetProperty(Surface(), "hWnd")));
    for (auto _ : state) {
        ov::gdi::LockWindowUpdate(window);
        ov::gdi::LockWindowUpdate(0);
    }
}
BENCHMARK(BM_PrimitiveLockRelease)->Unit(benchmark::kMillisecond);

void BM_PrimitivePenCycle1922(benchmark::State& state) {
    const ov::gdi::HDC dc = Surface().dc();
    for (auto _ : state)
        for (int j = 0; j < kWidth + 2; ++j) {
            const ov::gdi::HPEN pen = ov::gdi::CreatePen(ov::gdi::PS_SOLID, 1, static_cast<ov::gdi::COLORREF>(j));
            const ov::gdi::HGDIOBJ old = ov::gdi::SelectObject(dc, pen);
            ov::gdi::SelectObject(dc, old);
            ov::gdi::DeleteObject(pen);
        }
}
BENCHMARK(BM_PrimitivePenCycle1922)->Unit(benchmark::kMillisecond);

// Runs `body` with one pen selected for the whole loop.
template <class Body>
void WithOnePen(benchmark::State& state, Body body) {
    const ov::gdi::HDC dc = Surface().dc();
    const ov::gdi::HPEN pen = ov::gdi::CreatePen(ov::gdi::PS_SOLID, 1, 0x808080);
    const ov::gdi::HGDIOBJ old = ov::gdi::SelectObject(dc, pen);
    for (auto _ : state) {
        body(dc);
        benchmark::DoNotOptimize(ov::gdi::GetPixel(dc, 0, 0));  // recorded lines land inside the loop
    }
    ov::gdi::SelectObject(dc, old);
    ov::gdi::DeleteObject(pen);
}

void BM_PrimitiveVerticalLines(benchmark::State& state) {
    // The angle-0 sweep: 1922 lines from far above to far below the surface.
    WithOnePen(state, [](ov::gdi::HDC dc) {
        for (int x = 0; x < kWidth + 2; ++x) {
            ov::gdi::MoveToEx(dc, x, 1900, nullptr);
            ov::gdi::LineTo(dc, x, -820);
        }
    });
}
BENCHMARK(BM_PrimitiveVerticalLines)->Unit(benchmark::kMillisecond);

void BM_PrimitiveDiagonalLines(benchmark::State& state) {
    // A 45-degree sweep: lines 2 x 1360 pixels long stepped across 1920 + 2 x 1360 columns.
    WithOnePen(state, [](ov::gdi::HDC dc) {
        for (int x = -2720; x < kWidth + 2720; ++x) {
            ov::gdi::MoveToEx(dc, x, kHeight + 1360, nullptr);
            ov::gdi::LineTo(dc, x - 2720, kHeight + 1360 - 2720);
        }
    });
}
BENCHMARK(BM_PrimitiveDiagonalLines)->Unit(benchmark::kMillisecond);

void BM_PrimitiveEllipseRings(benchmark::State& state) {
    // The elliptical shape's 1080 steps of five outlines each.
    WithOnePen(state, [](ov::gdi::HDC dc) {
        const int r = kHeight / 2;
        for (int i = 0; i < kHeight; ++i) {
            const int l = i - r, t = i - r, rt = kWidth + r - i, b = kHeight + r - i;
            ov::gdi::Ellipse(dc, l, t, rt, b);
            ov::gdi::Ellipse(dc, l + 1, t, rt - 1, b);
            ov::gdi::Ellipse(dc, l + 1, t + 1, rt, b);
            ov::gdi::Ellipse(dc, l, t + 1, rt, b - 1);
            ov::gdi::Ellipse(dc, l, t, rt - 1, b - 1);
        }
    });
}
BENCHMARK(BM_PrimitiveEllipseRings)->Unit(benchmark::kMillisecond);

void BM_PrimitiveRectangleRings(benchmark::State& state) {
    // The rectangular shape's 541 outlines.
    WithOnePen(state, [](ov::gdi::HDC dc) {
        for (int i = 0; i <= kHeight / 2; ++i) ov::gdi::Rectangle(dc, i, i, kWidth - i, kHeight - i);
    });
}
BENCHMARK(BM_PrimitiveRectangleRings)->Unit(benchmark::kMillisecond);

#if ORVELLE_HAVE_CAIRO
// cairo's gradients filling the whole of an image surface of the same size, white to black:
// radial from the centre, or linear along `angle` degrees (anticlockwise from the x axis, as
// the gradient's angle) from one corner's projection to the opposite one's.
void CairoGradient(benchmark::State& state, bool radial, double angle = 0) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, kWidth, kHeight);
    cairo_t* cr = cairo_create(surface);
    const double radians = angle * 3.14159265358979323846 / 180, ux = std::cos(radians), uy = -std::sin(radians);
    const double reach = (std::abs(ux) * kWidth + std::abs(uy) * kHeight) / 2;
    const double cx = kWidth / 2.0, cy = kHeight / 2.0;
    cairo_pattern_t* pattern =
        radial ? cairo_pattern_create_radial(cx, cy, 0, cx, cy, kWidth / 2.0)
               : cairo_pattern_create_linear(cx - ux * reach, cy - uy * reach, cx + ux * reach, cy + uy * reach);
    cairo_pattern_add_color_stop_rgb(pattern, 0, 1, 1, 1);
    cairo_pattern_add_color_stop_rgb(pattern, 1, 0, 0, 0);
    for (auto _ : state) {
        cairo_set_source(cr, pattern);
        cairo_paint(cr);
        cairo_surface_flush(surface);
        benchmark::DoNotOptimize(cairo_image_surface_get_data(surface));
    }
    cairo_pattern_destroy(pattern);
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}
void BM_CairoLinear(benchmark::State& state) { CairoGradient(state, false, static_cast<double>(state.range(0))); }
void BM_CairoRadial(benchmark::State& state) { CairoGradient(state, true); }
BENCHMARK(BM_CairoLinear)->ArgName("angle")->Arg(0)->Arg(45)->Arg(137)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CairoRadial)->Unit(benchmark::kMillisecond);
#endif

// All times below are CPU time per iteration, in milliseconds.
void PrintSummary(const ov::bench::CpuTimes& t) {
    auto find = [&](const std::string& name) { return ov::bench::TimeOf(t, name); };
    const double fill = find("BM_FillRect");
    if (fill <= 0) return;
    std::printf("\nRatios to a full-surface FillRect (%.3f ms CPU; all times below are CPU time):\n", fill);
    const char* types[] = {"linear", "elliptical", "rectangular"};
    for (int type = 0; type < 3; ++type)
        for (int angle : {0, 45, 137}) {
            const double ms = find("BM_Gradient/type:" + std::to_string(type) + "/angle:" + std::to_string(angle));
            if (ms < 0) continue;
            const double target = type == 1 || (type == 0 && angle != 0) ? 10 : 4;
            std::printf("  %-11s %3d deg: %8.3f ms  %7.2fx fill  (target <= %g)%s\n", types[type], angle, ms, ms / fill,
                        target, ms / fill > target ? "  MISS" : "");
        }
    const double every_ring = find("BM_EllipticalEveryRingItsOwnColour");
    if (every_ring >= 0)
        std::printf("  elliptical, every ring its own colour: %8.3f ms  %7.2fx fill\n", every_ring, every_ring / fill);
    // Each linear Draw against cairo's linear gradient at the same angle. At 0 degrees every
    // row of cairo's gradient is the same, which it draws as copies of one row, so only the
    // slanted angles carry a target; 0 degrees is measured against the fill above.
    for (int angle : {0, 45, 137}) {
        const double cairo_linear = find("BM_CairoLinear/angle:" + std::to_string(angle));
        const double linear = find("BM_Gradient/type:0/angle:" + std::to_string(angle));
        if (cairo_linear <= 0 || linear <= 0) continue;
        const double speedup = cairo_linear / linear;
        if (angle == 0)
            std::printf(
                "cairo linear %3d deg %8.3f ms: linear Draw is %.2fx faster (no target: cairo copies one row)\n", angle,
                cairo_linear, speedup);
        else
            std::printf("cairo linear %3d deg %8.3f ms: linear Draw is %.2fx faster (target >= 3)%s\n", angle,
                        cairo_linear, speedup, speedup < 3 ? "  MISS" : "");
    }
    const double cairo_radial = find("BM_CairoRadial");
    const double elliptical = find("BM_Gradient/type:1/angle:0");
    if (cairo_radial > 0 && elliptical > 0)
        std::printf("cairo radial %.3f ms: elliptical Draw takes %.2fx its time (target <= 1)\n", cairo_radial,
                    elliptical / cairo_radial);
    std::printf("Drawing-layer primitives behind one Draw (ratio to the fill):\n");
    for (const char* name : {"BM_PlanOnly/angle:0", "BM_PlanOnly/angle:45", "BM_PlanOnly/angle:137",
                             "BM_PrimitiveLockRelease", "BM_PrimitivePenCycle1922", "BM_PrimitiveVerticalLines",
                             "BM_PrimitiveDiagonalLines", "BM_PrimitiveEllipseRings", "BM_PrimitiveRectangleRings"}) {
        const double ms = find(name);
        if (ms >= 0) std::printf("  %-28s %8.3f ms  %7.2fx fill\n", name + 3, ms, ms / fill);
    }
}

}  // namespace

int main(int argc, char** argv) { return ov::bench::RunWithSummary(argc, argv, PrintSummary); }
