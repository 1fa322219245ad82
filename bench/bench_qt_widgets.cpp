// The Qt widgets under Qt's offscreen platform, against a full-surface FillRect of the same size
// on the panel's own surface, measured in the same run. The summary prints the targets:
//   a property put on a 400 x 300 panel widget to its finished repaint     <= 3 x fill
// (the repaint the event loop carries out next, of the part the put changed; the same put with
// the whole widget painted again is printed beside it)
//   a hover onto a hot spot of the showcase to the repainted window        <= 2 ms
// and the heap each widget class holds at its default size (aim: under 150 KB).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <QApplication>
#include <QMouseEvent>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "cpu_time_summary.h"
#include "forms/form_document.h"
#include "host/contract/control.h"
#include "host/reference/reference_host.h"
#include "library/classes.h"
#include "orvelle/qt/controls.h"
#include "platform/gdi/gdi.h"
#include "qt/orvelle_widget.h"

namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 300;

void BM_FillRect400x300(benchmark::State& state) {
    ov::host::ReferenceHost host(ov::library::Classes());
    ov::host::Placement at;
    at.width = kWidth * 15.0;
    at.height = kHeight * 15.0;
    host.New("P", "OVGradientPanel", at);
    const ov::gdi::HDC dc = static_cast<ov::gdi::HDC>(ov::CLng(ov::GetProperty(*host.Find("P"), "hDC")));
    const ov::gdi::HBRUSH brush = ov::gdi::CreateSolidBrush(0x336699);
    const ov::gdi::RECT all{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        ov::gdi::FillRect(dc, &all, brush);
        benchmark::DoNotOptimize(ov::gdi::GetPixel(dc, kWidth - 1, kHeight - 1));
    }
    ov::gdi::DeleteObject(brush);
}
BENCHMARK(BM_FillRect400x300)->Unit(benchmark::kMillisecond);

// A caption put on a 400 x 300 gradient panel widget, then the widget repainted: either the
// update the put asks for, carried out as the event loop does next (the control's repaint, the
// composition of what changed, and Qt's paint of that part into the window's backing store),
// or the whole widget painted again at once (repaint(), as an expose does).
enum class Repaint { Update, Whole };

void PutCaptions(benchmark::State& state, Repaint repaint) {
    ov::qt::OVGradientPanel panel;
    panel.resize(kWidth, kHeight);
    panel.setStyle(ov::qt::OVGradientPanel::gpsGradient);
    panel.show();
    QCoreApplication::processEvents();
    int round = 0;
    for (auto _ : state) {
        panel.setCaption(round++ % 2 ? "Quarterly figures" : "Annual figures");
        if (repaint == Repaint::Update) QCoreApplication::sendPostedEvents();
        else panel.repaint();
    }
}

void BM_PanelPutToRepaint(benchmark::State& state) { PutCaptions(state, Repaint::Update); }
BENCHMARK(BM_PanelPutToRepaint)->Unit(benchmark::kMillisecond);

void BM_PanelPutToFullRepaint(benchmark::State& state) { PutCaptions(state, Repaint::Whole); }
BENCHMARK(BM_PanelPutToFullRepaint)->Unit(benchmark::kMillisecond);

// The showcase in a live host window; the pointer moves onto a hot spot of its hot label and off
// it again, each move followed by the repaint it causes. Reported per move.
void BM_HotSpotHover(benchmark::State& state) {
    ov::qt::OrvelleWidget window(ov::library::Classes());
    window.LoadForm(ov::forms::LoadFormFile(ORVELLE_SOURCE_ROOT "/examples/showcase.json"));
    window.show();
    QCoreApplication::processEvents();
    auto move = [&](QPoint at) {
        QMouseEvent event(QEvent::MouseMove, at, window.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&window, &event);
        window.repaint();
    };
    // A hot spot: the first point of the hot label where a move changes what the window shows.
    const ov::gdi::POINT origin = window.host().OriginOf("hotHelp");
    const ov::host::Control& label = *window.host().FindControl("hotHelp");
    const QPoint away(1, 1);
    std::optional<QPoint> hot;
    for (int y = 2; y < label.PixelHeight() && !hot; y += 2)
        for (int x = 2; x < label.PixelWidth() && !hot; x += 2) {
            move(away);
            const int before = window.framesComposed();
            move(QPoint(origin.x + x, origin.y + y));
            if (window.framesComposed() != before) hot = QPoint(origin.x + x, origin.y + y);
        }
    if (!hot) {
        state.SkipWithError("no hot spot found in the showcase's hot label");
        return;
    }
    for (auto _ : state) {
        move(*hot);
        move(away);
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_HotSpotHover)->Unit(benchmark::kMillisecond);

// The heap in use (allocated chunks, mapped ones included): what widgets hold, whether malloc
// took it from pages it already had or from new ones.
double HeapKilobytes() {
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd) / 1024;
}

// The heap 40 shown widgets of a class hold, per widget (their controls' surfaces, the live
// host, the composed frame, Qt's own widget data).
template <class Widget>
double KilobytesPerWidget() {
    constexpr int kCount = 40;
    std::vector<std::unique_ptr<Widget>> widgets;
    {
        Widget warm;
        warm.show();
        QCoreApplication::processEvents();
    }  // first-use caches (fonts, classes)
    const double before = HeapKilobytes();
    for (int i = 0; i < kCount; ++i) {
        widgets.push_back(std::make_unique<Widget>());
        widgets.back()->show();
    }
    QCoreApplication::processEvents();
    return (HeapKilobytes() - before) / kCount;
}

void PrintSummary(const ov::bench::CpuTimes& t) {
    const double fill = ov::bench::TimeOf(t, "BM_FillRect400x300");
    const double put = ov::bench::TimeOf(t, "BM_PanelPutToRepaint");
    const double full = ov::bench::TimeOf(t, "BM_PanelPutToFullRepaint");
    const double hover = ov::bench::TimeOf(t, "BM_HotSpotHover") / 2;
    if (fill > 0 && put > 0)
        std::printf(
            "\nCaption put to the repainted 400 x 300 panel widget: %.3f ms, %.2fx a FillRect of that size "
            "(%.3f ms)  %s 3x\n",
            put, put / fill, fill, put / fill <= 3 ? "<=" : "MISS");
    if (fill > 0 && full > 0)
        std::printf("The same put with the whole widget painted again: %.3f ms, %.2fx the FillRect\n", full,
                    full / fill);
    if (hover > 0)
        std::printf("Hover onto a hot spot of the showcase to the repainted window: %.3f ms  %s 2 ms\n", hover,
                    hover <= 2 ? "<=" : "MISS");
    std::printf("Heap per widget at its default size (aim: under 150 KB):\n");
    const auto row = [](const char* name, double kb) { std::printf("  %-16s %7.1f KB\n", name, kb); };
    row("OV3DLine", KilobytesPerWidget<ov::qt::OV3DLine>());
    row("OVGradientPanel", KilobytesPerWidget<ov::qt::OVGradientPanel>());
    row("OVHotLabel", KilobytesPerWidget<ov::qt::OVHotLabel>());
    row("OVTrayIcon", KilobytesPerWidget<ov::qt::OVTrayIcon>());
    row("OVTabHead", KilobytesPerWidget<ov::qt::OVTabHead>());
    row("OVMaskedTextBox", KilobytesPerWidget<ov::qt::OVMaskedTextBox>());
    row("OVSideLogo", KilobytesPerWidget<ov::qt::OVSideLogo>());
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    return ov::bench::RunWithSummary(argc, argv, PrintSummary);
}
