// The class registry; the type library text is compared with typelib.expected by a CTest
// script, the component server is tested through its C interface (component_server_test.cpp).
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "host/reference/pointer_target.h"
#include "host/reference/reference_host.h"
#include "library/classes.h"
#include "platform/runtime/dispatch.h"

namespace ov::library {
namespace {

// A control the metadata calls invisible at run time (the tray icon) shows nothing on a running
// form and takes no pointer there, while at design time it shows and is hit like any other;
// every other control shows in both modes.
TEST(LibraryClasses, InvisibleAtRunTimeShowsOnlyAtDesignTime) {
    int invisible_seen = 0;
    for (const host::ClassEntry& entry : Classes().entries()) {
        if (!entry.is_control || !InTypeLibrary(entry)) continue;
        const bool invisible = entry.info->invisible_at_run_time;
        invisible_seen += invisible ? 1 : 0;
        for (const bool user_mode : {true, false}) {
            host::ReferenceHost host(Classes());
            host.SetUserMode(user_mode);
            host.form().SetBackColor(0x00123456);  // a colour no control draws by default
            host.New("C", entry.name, host::Placement{.left = 150, .top = 150});
            const host::Control& control = *host.FindControl("C");
            const host::ComposedImage& image = host.Compose();
            int drawn = 0;
            for (int y = 0; y < control.PixelHeight(); ++y)
                for (int x = 0; x < control.PixelWidth(); ++x)
                    drawn += image.At(10 + x, 10 + y) != gdi::RGB(0x56, 0x34, 0x12) ? 1 : 0;
            const bool hidden = invisible && user_mode;
            EXPECT_EQ(drawn == 0, hidden) << entry.name << (user_mode ? " at run time" : " at design time");
            EXPECT_EQ(!host::FindPointerTarget(host, 10 + control.PixelWidth() / 2, 10 + control.PixelHeight() / 2),
                      hidden)
                << entry.name << (user_mode ? " at run time" : " at design time");
        }
    }
    EXPECT_EQ(invisible_seen, 1);  // OVTrayIcon
}

TEST(LibraryClasses, CreatableByNameAndProgId) {
    const auto& classes = Classes();
    ASSERT_NE(classes.Find("OrvelleControls.OV3DLine"), nullptr);
    EXPECT_TRUE(classes.Find("ov3dline")->is_control);
    EXPECT_EQ(classes.Create("OrvelleControls.OV3DLine")->TypeName(), "OV3DLine");
    // Host classes are creatable by a host but not part of the type library.
    ASSERT_NE(classes.Find("Box"), nullptr);
    EXPECT_FALSE(InTypeLibrary(*classes.Find("Box")));
    EXPECT_EQ(classes.Find("OrvelleControls.Box"), nullptr);
}

// Every control with a Font hands out its own font object: the same object on every read, and
// a write through it reaches the control, which shows the text in the changed font.
TEST(LibraryClasses, EveryFontIsTheControlsOwnObjectByReference) {
    const struct {
        const char* class_name;
        const char* text_property;  // something to draw in the font
    } with_text[] = {
        {"OVGradientPanel", "Caption"},
        {"OVMaskedTextBox", "Text"},
        {"OVHotLabel", "ControlString"},
        {"OVSideLogo", "Caption"},
    };
    int fonts_seen = 0;
    for (const host::ClassEntry& entry : Classes().entries()) {
        if (!entry.is_control || !InTypeLibrary(entry) || !entry.info->FindMember("Font")) continue;
        ++fonts_seen;
        const auto listed = std::ranges::find_if(with_text, [&](const auto& c) { return entry.name == c.class_name; });
        ASSERT_NE(listed, std::end(with_text)) << entry.name << " has a Font this test does not know";

        host::ReferenceHost host(Classes());
        host::Placement at;
        at.width = 3600;
        at.height = 1500;
        host.New("C", entry.name, at);
        IDispatch& control = *host.Find("C");
        PutProperty(control, listed->text_property, Variant::FromString("Font"));
        const std::vector<std::uint32_t> before = host.Compose().pixels;

        const std::shared_ptr<IDispatch> font = CObj(GetProperty(control, "Font"));
        ASSERT_NE(font, nullptr) << entry.name;
        EXPECT_EQ(CObj(GetProperty(control, "Font")), font) << entry.name << ": a second read gives another object";
        PutProperty(*font, "Size", Variant::FromDouble(20));
        PutProperty(*font, "Italic", Variant::FromBoolean(true));
        EXPECT_EQ(CDbl(GetProperty(*CObj(GetProperty(control, "Font")), "Size")), 20) << entry.name;
        if (control.GetIDOfName("FontItalic") != kDispidUnknown)
            EXPECT_TRUE(CBool(GetProperty(control, "FontItalic"))) << entry.name;
        EXPECT_NE(host.Compose().pixels, before) << entry.name << ": the change does not show";
    }
    EXPECT_EQ(fonts_seen, static_cast<int>(std::size(with_text)));
}

}  // namespace
}  // namespace ov::library
