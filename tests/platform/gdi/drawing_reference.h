#pragma once
// What the drawing layer's randomized tests compare against, in one place: pen lines drawn on a
// canvas and, beside it, into a plain array by the line rule's slow reference; and a scene run
// once with lines recorded for a later write-out and once with every line written at once,
// whose reads and final pixels must agree.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/internal/line_raster.h"
#include "platform/gdi/internal/pending_lines.h"
#include "support/canvas.h"

namespace ov::gdi::testing {

using testing_support::Canvas;

inline void DrawWithPen(HDC dc, COLORREF colour, int x0, int y0, int x1, int y1) {
    HPEN pen = CreatePen(PS_SOLID, 1, colour);
    HGDIOBJ old = SelectObject(dc, pen);
    MoveToEx(dc, x0, y0, nullptr);
    LineTo(dc, x1, y1);
    SelectObject(dc, old);
    DeleteObject(pen);
}

// A canvas and the pixels the line rule says it must hold.
class LineModel {
public:
    LineModel(int width, int height, COLORREF background = 0xFFFFFF)
        : canvas_(width, height, background), expected_(static_cast<std::size_t>(width) * height, background) {}

    void Line(COLORREF colour, int x0, int y0, int x1, int y1) {
        DrawWithPen(canvas_.dc(), colour, x0, y0, x1, y1);
        const detail::PixelRect clip{0, 0, canvas_.width(), canvas_.height()};
        for (const POINT& p : detail::LineReferencePixels(x0, y0, x1, y1, clip))
            expected_[static_cast<std::size_t>(p.y) * canvas_.width() + p.x] = colour;
    }
    const Canvas& canvas() const { return canvas_; }
    COLORREF Expected(int x, int y) const { return expected_[static_cast<std::size_t>(y) * canvas_.width() + x]; }
    const std::vector<COLORREF>& expected() const { return expected_; }

private:
    Canvas canvas_;
    std::vector<COLORREF> expected_;
};

// Restores deferral however a test ends.
struct DeferralSwitch {
    explicit DeferralSwitch(bool enabled) { detail::SetLineDeferral(enabled); }
    ~DeferralSwitch() { detail::SetLineDeferral(true); }
};

// `scene()` draws and returns everything it read (pixels, results); recording lines for a later
// write-out must be invisible to it.
template <class Scene>
void ExpectDeferralInvisible(Scene scene, const std::string& label) {
    std::vector<COLORREF> deferred, direct;
    {
        DeferralSwitch on(true);
        deferred = scene();
    }
    {
        DeferralSwitch off(false);
        direct = scene();
    }
    ASSERT_EQ(deferred.size(), direct.size()) << label;
    for (std::size_t i = 0; i < deferred.size(); ++i)
        ASSERT_EQ(deferred[i], direct[i]) << label << ", value " << i << " of " << deferred.size();
}

}  // namespace ov::gdi::testing
