// OVGradientPanel's repaints on a 1920 x 1080 panel in the reference host, against a
// full-surface FillRect on the panel's own surface and the gradient renderer's Draw alone, both
// measured in the same run. The summary prints the three targets:
//   RedrawQuick, gradient panel with a shaded 3-D frame and a caption   <= 3 x fill
//   RedrawQuick, the same panel with a bevel of width 20                 <= 4 x fill
//   RedrawFull, linear gradient panel                                    <= Draw + 3 x fill
// and, without targets, the copy every repaint ends with and a caption put and a frame put. A
// repeated full repaint renders what its cache already holds and copies nothing into it; the
// gradient colour put beside it, a full repaint of a changed gradient, copies the new one too
// and is printed against the same target.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cpu_time_summary.h"

#include "gradient/cls_gradient.h"
#include "host/reference/reference_host.h"
#include "library/classes.h"
#include "panel/gradient_panel.h"
#include "platform/gdi/gdi.h"
#include "platform/picturebox/picture_box.h"
#include "platform/picturebox/picture_box_object.h"
#include "platform/runtime/dispatch.h"

namespace {

using ov::Variant;
using ov::panel::OVGradientPanel;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr double kTwipsPerPixel = 15;

// One host holding one panel of the benchmark's size, set up as `setup` says.
class PanelBench {
public:
    explicit PanelBench(std::int32_t appearance, std::int32_t bevel_width = 3)
        : host_(std::make_unique<ov::host::ReferenceHost>(ov::library::Classes())) {
        host_->form().SetWidth(kWidth * kTwipsPerPixel);
        host_->form().SetHeight(kHeight * kTwipsPerPixel);
        ov::host::Placement at;
        at.width = kWidth * kTwipsPerPixel;
        at.height = kHeight * kTwipsPerPixel;
        host_->New("P", "OVGradientPanel", at);
        ov::IDispatch& p = *host_->Find("P");
        ov::PutProperty(p, "GradientColor1", Variant::FromLong(0xFFFFFF));
        ov::PutProperty(p, "GradientColor2", Variant::FromLong(0x800000));
        ov::PutProperty(p, "Caption", Variant::FromString("Quarterly figures"));
        ov::PutProperty(p, "FontSize", Variant::FromSingle(14));
        ov::PutProperty(p, "Appearance", Variant::FromLong(appearance));
        ov::PutProperty(p, "BevelWidth", Variant::FromLong(bevel_width));
        ov::PutProperty(p, "Style", Variant::FromLong(ov::panel::gpsGradient));
    }
    OVGradientPanel& panel() { return *dynamic_cast<OVGradientPanel*>(host_->FindControl("P")); }

private:
    std::unique_ptr<ov::host::ReferenceHost> host_;
};

// Reading a pixel makes whatever the drawing layer keeps recorded land inside the iteration.
void FinishIteration(ov::gdi::HDC dc) {
    benchmark::DoNotOptimize(ov::gdi::GetPixel(dc, kWidth - 1, kHeight - 1));
    benchmark::ClobberMemory();
}

void BM_FillRect(benchmark::State& state) {
    PanelBench bench(ov::panel::gpaNone);
    const ov::gdi::HDC dc = bench.panel().hDC();
    const ov::gdi::HBRUSH brush = ov::gdi::CreateSolidBrush(0x336699);
    const ov::gdi::RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        ov::gdi::FillRect(dc, &all, brush);
        FinishIteration(dc);
    }
    ov::gdi::DeleteObject(brush);
}
BENCHMARK(BM_FillRect)->Unit(benchmark::kMillisecond);

// The one copy every repaint ends with (PresentDrawing): the drawing area onto the panel's own
// surface. It is the floor of any repaint, and shows what a full-surface copy between window
// surfaces costs against the fill on this machine.
void BM_PresentCopy(benchmark::State& state) {
    PanelBench bench(ov::panel::gpaNone);
    const ov::gdi::HDC panel = bench.panel().hDC();
    const ov::gdi::HDC area = bench.panel().DrawingArea().hDC();
    for (auto _ : state) {
        ov::gdi::BitBlt(panel, 0, 0, kWidth, kHeight, area, 0, 0, ov::gdi::SRCCOPY);
        FinishIteration(panel);
    }
}
BENCHMARK(BM_PresentCopy)->Unit(benchmark::kMillisecond);

// The renderer by itself on a hidden picture box of the panel's size, as the panel calls it.
void BM_GradientDraw(benchmark::State& state) {
    auto box = std::make_shared<ov::PictureBox>(0, 0, 0, kWidth * kTwipsPerPixel, kHeight * kTwipsPerPixel);
    box->SetBorderStyle(0);
    box->SetAutoRedraw(true);
    const auto surface = ov::PictureBoxObject::Create(box);
    ov::gradient::clsGradient gradient;
    gradient.SetColor1(0xFFFFFF);
    gradient.SetColor2(0x800000);
    for (auto _ : state) {
        benchmark::DoNotOptimize(gradient.Draw(*surface));
        FinishIteration(box->hDC());
    }
}
BENCHMARK(BM_GradientDraw)->Unit(benchmark::kMillisecond);

void BM_RedrawQuickShaded3D(benchmark::State& state) {
    PanelBench bench(ov::panel::gpa3DRaised);
    for (auto _ : state) {
        bench.panel().RedrawQuick();
        FinishIteration(bench.panel().hDC());
    }
}
BENCHMARK(BM_RedrawQuickShaded3D)->Unit(benchmark::kMillisecond);

void BM_RedrawQuickBevel20(benchmark::State& state) {
    PanelBench bench(ov::panel::gpaBevelRaised, 20);
    for (auto _ : state) {
        bench.panel().RedrawQuick();
        FinishIteration(bench.panel().hDC());
    }
}
BENCHMARK(BM_RedrawQuickBevel20)->Unit(benchmark::kMillisecond);

// The quick repaints above find the frame they drew last time and restore only under the
// caption; these puts show the other two cases: a caption that changes (restored under the old
// one, drawn anew) and a frame that changes (its bands restored, every frame pixel shifted
// again through GetPixel and SetPixelV), on the bevel panel.
void BM_CaptionPut(benchmark::State& state) {
    PanelBench bench(ov::panel::gpaBevelRaised, 20);
    int i = 0;
    for (auto _ : state) {
        bench.panel().SetCaption(++i % 2 ? "Quarterly figures" : "Yearly figures");
        FinishIteration(bench.panel().hDC());
    }
}
BENCHMARK(BM_CaptionPut)->Unit(benchmark::kMillisecond);

void BM_BevelWidthPut(benchmark::State& state) {
    PanelBench bench(ov::panel::gpaBevelRaised, 20);
    int i = 0;
    for (auto _ : state) {
        bench.panel().SetBevelWidth(++i % 2 ? 19 : 20);
        FinishIteration(bench.panel().hDC());
    }
}
BENCHMARK(BM_BevelWidthPut)->Unit(benchmark::kMillisecond);

void BM_RedrawFullLinear(benchmark::State& state) {
    PanelBench bench(ov::panel::gpa3DRaised);
    for (auto _ : state) {
        bench.panel().RedrawFull();
        FinishIteration(bench.panel().hDC());
    }
}
BENCHMARK(BM_RedrawFullLinear)->Unit(benchmark::kMillisecond);

// A full repaint of a gradient that changed, which copies the new render into the cache.
void BM_GradientColorPut(benchmark::State& state) {
    PanelBench bench(ov::panel::gpa3DRaised);
    int i = 0;
    for (auto _ : state) {
        bench.panel().SetGradientColor2(++i % 2 ? 0x800000 : 0x800080);
        FinishIteration(bench.panel().hDC());
    }
}
BENCHMARK(BM_GradientColorPut)->Unit(benchmark::kMillisecond);

// Times are CPU time per iteration, in milliseconds.
void PrintSummary(const ov::bench::CpuTimes& t) {
    auto find = [&](const char* name) { return ov::bench::TimeOf(t, name); };
    const double fill = find("BM_FillRect"), draw = find("BM_GradientDraw"), present = find("BM_PresentCopy");
    if (fill <= 0) return;
    std::printf(
        "\nRatios to a full-surface FillRect (%.3f ms CPU); the gradient Draw alone takes %.3f ms (%.2fx),\n"
        "the copy onto the panel every repaint ends with %.3f ms (%.2fx):\n",
        fill, draw, draw / fill, present, present / fill);
    const auto row = [&](const char* label, const char* name, double extra, double target) {
        const double ms = find(name);
        if (ms < 0) return;
        const double ratio = (ms - extra) / fill;
        std::printf("  %-48s %8.3f ms  %6.2fx  %s %.0fx\n", label, ms, ratio, ratio <= target ? "<=" : "MISS", target);
    };
    row("RedrawQuick, shaded 3-D frame and caption", "BM_RedrawQuickShaded3D", 0, 3);
    row("RedrawQuick, bevel of width 20", "BM_RedrawQuickBevel20", 0, 4);
    if (draw > 0) {
        row("RedrawFull, linear gradient, less the Draw alone", "BM_RedrawFullLinear", draw, 3);
        row("GradientColor2 put (a new render), less the Draw", "BM_GradientColorPut", draw, 3);
    }
    for (const auto& [label, name] : {std::pair{"Caption put (bevel panel)", "BM_CaptionPut"},
                                      std::pair{"BevelWidth put 19 <-> 20", "BM_BevelWidthPut"}}) {
        const double ms = find(name);
        if (ms >= 0) std::printf("  %-48s %8.3f ms  %6.2fx  (no target)\n", label, ms, ms / fill);
    }
}

}  // namespace

int main(int argc, char** argv) { return ov::bench::RunWithSummary(argc, argv, PrintSummary); }
