#include "gradient/cls_gradient.h"

#include <cmath>

#include "gradient/colour_model.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/ole_colour.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"
#include "platform/runtime/variant.h"

namespace ov::gradient {
namespace {

// Holds the platform's update lock on one window and releases it on every way out, an
// automation error from a property read included. A lock that could not be taken (another
// window holds the only one) is not ours to release.
class WindowUpdateLock {
public:
    explicit WindowUpdateLock(gdi::HWND window) : held_(gdi::LockWindowUpdate(window)) {}
    ~WindowUpdateLock() {
        if (held_) gdi::LockWindowUpdate(0);
    }
    WindowUpdateLock(const WindowUpdateLock&) = delete;
    WindowUpdateLock& operator=(const WindowUpdateLock&) = delete;

private:
    bool held_;
};

}  // namespace

// Later changes of the system colours do not reach a stored colour.
void clsGradient::SetColor1(std::int32_t colour) { settings_.colour1 = gdi::ResolveSystemColorUpToIndex24(colour); }
void clsGradient::SetColor2(std::int32_t colour) { settings_.colour2 = gdi::ResolveSystemColorUpToIndex24(colour); }

void clsGradient::SetAngle(double degrees) {
    const double rounded = RoundHalfEven(degrees);
    if (!(rounded >= INT32_MIN && rounded <= INT32_MAX)) throw AutomationError(error::kOverflow);
    settings_.angle = static_cast<double>(static_cast<std::int32_t>(rounded) % 360);
}

void clsGradient::SetRepetitions(double repetitions) {
    const double magnitude = std::fabs(repetitions);
    settings_.repetitions = magnitude == 0 ? 1 : magnitude;
}

std::int32_t clsGradient::HUEtoRGB(const double& fa, const double& fb, double h) const {
    return gradient::HUEtoRGB(fa, fb, h);
}

bool clsGradient::Draw(IDispatch& surface) {
    const auto window = static_cast<gdi::HWND>(CLng(GetProperty(surface, "hWnd")));
    WindowUpdateLock lock(window);
    gdi::RECT client;
    if (!gdi::GetClientRect(window, &client) || client.right <= 1 || client.bottom <= 1) return false;
    const auto dc = static_cast<gdi::HDC>(CLng(GetProperty(surface, "hDC")));
    return DrawGradient(dc, client.right, client.bottom, settings_) >= 1;
}

}  // namespace ov::gradient
