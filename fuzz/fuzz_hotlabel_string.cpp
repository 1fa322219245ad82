// OVHotLabel's control string: any bytes, rendered on a label of a size, font size and picture
// the input chooses, then the pointer swept over it. Input: byte 0 the label's width, byte 1
// its height, byte 2 the font size, byte 3 the inline picture's side (0 none), the rest the
// control string. The hot spot table must count the string's tildes, and the spot under the
// pointer must be one of them.
#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "host/reference/reference_host.h"
#include "hotlabel/hot_label.h"
#include "single_control_host.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"

namespace {

ov::host::ReferenceHost& Host() {
    return SingleControlHost<ov::hotlabel::OVHotLabel>("OVHotLabel", ov::hotlabel::kNewInstanceWidth,
                                                       ov::hotlabel::kNewInstanceHeight);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    WarmUpOutsideLeakCheck([] {
        Host().New("L", "OVHotLabel");
        Host().Terminate("L");
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4 || size > 4 + 4096) return 0;
    ov::host::ReferenceHost& host = Host();
    // A label from 15 to 3,840 twips a side: 1 to 256 pixels.
    const double width = 15.0 * (1 + data[0]), height = 15.0 * (1 + data[1]);
    host.New("L", "OVHotLabel", {.left = 0, .top = 0, .width = width, .height = height});
    struct Unload {
        ~Unload() { Host().Terminate("L"); }
    } unload;
    auto& label = dynamic_cast<ov::hotlabel::OVHotLabel&>(*host.FindControl("L"));
    const std::string text(reinterpret_cast<const char*>(data) + 4, size - 4);
    try {
        ov::PutProperty(*host.Find("L"), "FontSize", ov::Variant::FromSingle(1 + data[2] % 72));
    } catch (const ov::AutomationError&) {}
    if (data[3]) {
        const int side = 1 + data[3] % 64;
        const std::vector<std::uint32_t> pixels(static_cast<std::size_t>(side * side), 0x00336699u);
        label.SetPicture(ov::Picture::FromPixels(side, side, pixels.data()));
    }
    try {
        ov::PutProperty(*host.Find("L"), "ControlString", ov::Variant::FromString(text));
    } catch (const ov::AutomationError&) {
        // A position past 32 bits is the overflow error; the label must still be usable.
    }
    const auto tildes = static_cast<std::int32_t>(std::count(text.begin(), text.end(), '~'));
    const ov::hotlabel::HotSpotTable& spots = label.HotSpots();
    if (spots.count != tildes / 2) std::abort();
    if (static_cast<std::int32_t>(spots.records.size()) < spots.count) std::abort();
    // Sweep the pointer over the label and press where a hot spot lights up.
    const int columns = 1 + data[0], rows = 1 + data[1];
    for (int y = 0; y < rows; y += std::max(1, rows / 4)) {
        for (int x = 0; x < columns; x += std::max(1, columns / 4)) {
            const std::vector<ov::Variant> at{ov::Variant::FromInteger(0), ov::Variant::FromInteger(0),
                                              ov::Variant::FromSingle(static_cast<float>(x)),
                                              ov::Variant::FromSingle(static_cast<float>(y))};
            try {
                host.Fire("L", "picMain", "MouseMove", at);
                if (label.OverHotSpot()) {
                    if (label.HoverIndex() < 1 || label.HoverIndex() > spots.count) std::abort();
                    host.Fire("L", "picMain", "MouseDown", at);
                }
            } catch (const ov::AutomationError&) {}
        }
    }
    try {
        (void)ov::GetProperty(*host.Find("L"), "ControlString");  // renders again
    } catch (const ov::AutomationError&) {}
    return 0;
}
