// OVGradientPanel driven by random property writes, resizes and pictures on a reference host.
// Input: one operation after another, each a byte choosing what to do followed by the bytes
// it reads: a property write takes the property (any of the class's, by position), a value
// kind and the value's bytes (Long, Integer, Single, Double of any bits, text, Boolean, Empty,
// Null, a picture or Nothing); a resize takes two bytes; Refresh none. After every operation
// each property must still read back, and a read must never fail but with an automation error.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "byte_reader.h"
#include "host/reference/reference_host.h"
#include "panel/gradient_panel.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"
#include "single_control_host.h"

namespace {

ov::Variant ReadValue(ByteReader& in) {
    switch (in.Byte() % 10) {
        case 0: return ov::Variant::FromLong(in.Raw<std::int32_t>());
        case 1: return ov::Variant::FromInteger(in.Raw<std::int16_t>());
        case 2: return ov::Variant::FromSingle(in.Raw<float>());
        case 3: return ov::Variant::FromDouble(in.Raw<double>());
        case 4: {
            std::string text(in.Byte(), '\0');
            for (char& c : text) c = static_cast<char>(in.Byte());
            return ov::Variant::FromString(std::move(text));
        }
        case 5: return ov::Variant::FromBoolean(in.Byte() & 1);
        case 6: return ov::Variant();
        case 7: return ov::Variant::Null();
        case 8: {
            const int width = 1 + in.Byte(), height = 1 + in.Byte();
            const std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width * height), in.Raw<std::uint32_t>());
            return ov::Variant::FromObject(ov::Picture::FromPixels(width, height, pixels.data()));
        }
        default: return ov::Variant::FromObject(nullptr);
    }
}

ov::host::ReferenceHost& Host() {
    return SingleControlHost<ov::panel::OVGradientPanel>("OVGradientPanel", ov::panel::kNewPanelWidth,
                                                         ov::panel::kNewPanelHeight);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    WarmUpOutsideLeakCheck([] {
        Host().New("P", "OVGradientPanel");
        ov::PutProperty(*Host().Find("P"), "Caption", ov::Variant::FromString("Caption"));
        Host().Terminate("P");
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 512) return 0;
    ov::host::ReferenceHost& host = Host();
    static const std::vector<const ov::MemberDesc*> properties = [] {
        std::vector<const ov::MemberDesc*> found;
        for (const ov::MemberDesc& m : ov::panel::OVGradientPanel::StaticInfo().members)
            if (m.kind == ov::MemberKind::Property && (m.put || m.put_ref)) found.push_back(&m);
        return found;
    }();
    host.New("P", "OVGradientPanel");
    struct Unload {
        ~Unload() { Host().Terminate("P"); }
    } unload;
    ByteReader in{data, size};
    for (int op = 0; op < 32 && !in.done(); ++op) {
        const std::uint8_t what = in.Byte();
        try {
            if (what < 200) {
                const ov::MemberDesc& property = *properties[what % properties.size()];
                ov::Variant value = ReadValue(in);
                if (value.type() == ov::VarType::Object && property.put_ref)
                    ov::PutPropertyRef(*host.Find("P"), property.name, std::move(value));
                else ov::PutProperty(*host.Find("P"), property.name, std::move(value));
            } else if (what < 240) {
                // Up to 4,095 twips: 273 pixels a side.
                const double width = in.Byte() * 16.0 + in.Byte() % 16, height = in.Byte() * 16.0 + in.Byte() % 16;
                host.Resize("P", width, height);
            } else {
                std::vector<ov::Variant> none;
                ov::CallMethod(*host.Find("P"), "Refresh", none);
            }
        } catch (const ov::AutomationError&) {}
        for (const ov::MemberDesc* property : properties) {
            if (!property->get) continue;
            try {
                (void)ov::GetProperty(*host.Find("P"), property->name);
            } catch (const ov::AutomationError&) {}
        }
    }
    (void)host.Compose();
    return 0;
}
