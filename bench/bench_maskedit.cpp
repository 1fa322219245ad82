// The masked text box on every keystroke checks the candidate text, applies the edit,
// validates and recolours the whole text, raises Change and repaints the box. Measured here: a
// keystroke into a date box with the mask 'DDDD DD MMMM YYYY HH:MM AMPM' with the repaint of
// the box, and a 5,000-character context-menu paste into a text box with its repaint, against
// one FillRect of the box in the same run. Targets: the keystroke <= 20 us, the paste <= 2 ms.
#include <benchmark/benchmark.h>

#include "cpu_time_summary.h"

#include <cstdio>
#include <string>
#include <vector>

#include "host/reference/reference_host.h"
#include "host/contract/text_box_painter.h"
#include "library/classes.h"
#include "maskedit/masked_text_box.h"
#include "platform/gdi/gdi.h"
#include "platform/runtime/dates.h"
#include "platform/runtime/dispatch.h"

namespace {

constexpr int kBoxWidth = 300, kBoxHeight = 21;  // pixels

// A 32-bit drawing buffer the size of the box, as the compositor paints it.
class BoxBuffer {
public:
    BoxBuffer() {
        dc_ = ov::gdi::CreateCompatibleDC(0);
        bitmap_ = ov::gdi::CreateDIBSection32(kBoxWidth, kBoxHeight);
        old_ = ov::gdi::SelectObject(dc_, bitmap_);
    }
    ~BoxBuffer() {
        ov::gdi::SelectObject(dc_, old_);
        ov::gdi::DeleteObject(bitmap_);
        ov::gdi::DeleteDC(dc_);
    }
    ov::gdi::HDC dc() const { return dc_; }

private:
    ov::gdi::HDC dc_ = 0;
    ov::gdi::HBITMAP bitmap_ = 0;
    ov::gdi::HGDIOBJ old_ = 0;
};

struct HostedBox {
    ov::host::ReferenceHost host{ov::library::Classes()};
    ov::maskedit::OVMaskedTextBox* box = nullptr;
    HostedBox(int format, const char* mask) {
        host.SetNow(ov::DateSerial(2024, 6, 15) + ov::TimeSerial(10, 30, 0));
        ov::host::Placement at;
        at.width = kBoxWidth * 15.0;
        host.New("M", "OVMaskedTextBox", at);
        box = dynamic_cast<ov::maskedit::OVMaskedTextBox*>(host.FindControl("M"));
        ov::PutProperty(*host.Find("M"), "InputFormat", ov::Variant::FromLong(format));
        ov::PutProperty(*host.Find("M"), "Mask", ov::Variant::FromString(mask));
    }
};

void BM_FillBox(benchmark::State& state) {
    BoxBuffer buffer;
    const ov::gdi::HBRUSH brush = ov::gdi::CreateSolidBrush(0xFFFFFF);
    const ov::gdi::RECT all{0, 0, kBoxWidth, kBoxHeight};
    for (auto _ : state) {
        ov::gdi::FillRect(buffer.dc(), &all, brush);
        benchmark::DoNotOptimize(ov::gdi::GetPixel(buffer.dc(), 10, 10));
    }
    ov::gdi::DeleteObject(brush);
}
BENCHMARK(BM_FillBox)->Unit(benchmark::kMicrosecond);

// Two keystrokes per iteration (a digit typed, then Backspace), each with the repaint; the
// report halves the time.
void BM_DateKeystrokePair(benchmark::State& state) {
    HostedBox hosted(2, "DDDD DD MMMM YYYY HH:MM AMPM");
    ov::host::TextBox& txt = hosted.box->txt();
    txt.SetText("SATURDAY 15 JUNE 2024 10:3");
    txt.SetSelStart(static_cast<int>(txt.Text().size()));
    txt.SetFocus();
    BoxBuffer buffer;
    for (auto _ : state) {
        txt.TypeCharacter('0');
        ov::host::PaintTextBox(buffer.dc(), 0, 0, kBoxWidth, kBoxHeight, txt);
        txt.Keystroke(ov::host::keys::kBackspace, 0, ov::host::keys::kBackspace);
        ov::host::PaintTextBox(buffer.dc(), 0, 0, kBoxWidth, kBoxHeight, txt);
    }
    if (txt.Text() != "SATURDAY 15 JUNE 2024 10:3") state.SkipWithError("the keystrokes were not applied");
}
BENCHMARK(BM_DateKeystrokePair)->Unit(benchmark::kMicrosecond);

void BM_Paste5000(benchmark::State& state) {
    HostedBox hosted(0, "");
    ov::host::TextBox& txt = hosted.box->txt();
    std::string text;
    while (text.size() < 5000) text += "paste me ";
    text.resize(5000);
    BoxBuffer buffer;
    for (auto _ : state) {
        txt.MenuPaste(text);
        ov::host::PaintTextBox(buffer.dc(), 0, 0, kBoxWidth, kBoxHeight, txt);
        state.PauseTiming();
        txt.SetText("");
        state.ResumeTiming();
    }
}
BENCHMARK(BM_Paste5000)->Unit(benchmark::kMicrosecond);

void PrintSummary(const ov::bench::CpuTimes& times) {
    const double fill = ov::bench::TimeOf(times, "BM_FillBox");
    const double keystroke = ov::bench::TimeOf(times, "BM_DateKeystrokePair") / 2;
    const double paste = ov::bench::TimeOf(times, "BM_Paste5000");
    if (fill > 0 && keystroke > 0 && paste > 0) {
        std::printf("\nbox FillRect %.2f us CPU\n", fill);
        std::printf("date keystroke with repaint %.1f us (target <= 20 us), %.1fx the fill: %s\n", keystroke,
                    keystroke / fill, keystroke <= 20 ? "within target" : "OVER TARGET");
        std::printf("5,000-character paste with repaint %.3f ms (target <= 2 ms), %.1fx the fill: %s\n", paste / 1000,
                    paste / fill, paste <= 2000 ? "within target" : "OVER TARGET");
    }
}

}  // namespace

int main(int argc, char** argv) { return ov::bench::RunWithSummary(argc, argv, PrintSummary); }
