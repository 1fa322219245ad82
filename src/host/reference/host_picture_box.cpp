// The plain "PictureBox" host control: a picture box placed on the form, its members those of
// the drawing layer's ov::PictureBox.
#include "host/contract/constituents.h"
#include "host/contract/control.h"
#include "host/reference/class_registry.h"
#include "host/reference/plain_controls.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"
#include "platform/picturebox/picture_box_object.h"

namespace ov::host {

namespace {

constexpr std::int32_t kAdapterBase = 0x50000000;

Variant Single(double v) { return Variant::FromSingle(static_cast<float>(v)); }

}  // namespace

namespace {

class HostPictureBox : public Control {
public:
    // A plain picture box starts without a border: it serves scripts and forms as a drawing
    // surface, so pixel (0, 0) of the control is pixel (0, 0) of what is drawn on it.
    // `BorderStyle = 1` gives the fixed single frame.
    HostPictureBox() : box_(AddPictureBox("Box")) { box_.box().SetBorderStyle(0); }

    static const ClassInfo& StaticInfo() {
        static const ClassInfo info = [] {
            const TypeDesc single = TypeDesc::Of(VarType::Single);
            const TypeDesc integer = TypeDesc::Of(VarType::Integer);
            const TypeDesc boolean = TypeDesc::Of(VarType::Boolean);
            return ClassBuilder<HostPictureBox>("PictureBox")
                .Container()
                .SilentPuts()
                .NewInstancesAsCreated()
                .PropertyEx(
                    "BackColor", 1, TypeDesc::Color(), {},
                    [](HostPictureBox& p, auto&) {
                        return Variant::FromLong(static_cast<std::int32_t>(p.box().BackColor()));
                    },
                    [](HostPictureBox& p, auto&, Variant& v) { p.box().SetBackColor(static_cast<OleColor>(CLng(v))); })
                .PropertyEx(
                    "ForeColor", 2, TypeDesc::Color(), {},
                    [](HostPictureBox& p, auto&) {
                        return Variant::FromLong(static_cast<std::int32_t>(p.box().ForeColor()));
                    },
                    [](HostPictureBox& p, auto&, Variant& v) { p.box().SetForeColor(static_cast<OleColor>(CLng(v))); })
                .PropertyEx(
                    "BorderStyle", 3, integer, {},
                    [](HostPictureBox& p, auto&) {
                        return Variant::FromInteger(static_cast<std::int16_t>(p.box().BorderStyle()));
                    },
                    [](HostPictureBox& p, auto&, Variant& v) { p.box().SetBorderStyle(CInt(v)); })
                .PropertyEx(
                    "ScaleMode", 4, integer, {},
                    [](HostPictureBox& p, auto&) {
                        return Variant::FromInteger(static_cast<std::int16_t>(p.box().ScaleMode()));
                    },
                    [](HostPictureBox& p, auto&, Variant& v) { p.box().SetScaleMode(CInt(v)); })
                .PropertyEx(
                    "ScaleWidth", 5, single, {}, [](HostPictureBox& p, auto&) { return Single(p.box().ScaleWidth()); },
                    [](HostPictureBox& p, auto&, Variant& v) { p.box().SetScaleWidth(CSng(v)); })
                .PropertyEx(
                    "ScaleHeight", 6, single, {},
                    [](HostPictureBox& p, auto&) { return Single(p.box().ScaleHeight()); },
                    [](HostPictureBox& p, auto&, Variant& v) { p.box().SetScaleHeight(CSng(v)); })
                .PropertyEx(
                    "AutoRedraw", 7, boolean, {},
                    [](HostPictureBox& p, auto&) { return Variant::FromBoolean(p.box().AutoRedraw()); },
                    [](HostPictureBox& p, auto&, Variant& v) { p.box().SetAutoRedraw(CBool(v)); })
                .PropertyEx(
                    "Picture", 8, TypeDesc::Object("StdPicture"), {},
                    [](HostPictureBox& p, auto&) { return Variant::FromObject(p.box().Picture()); }, nullptr,
                    [](HostPictureBox& p, auto&, Variant& v) {
                        auto object = CObj(v);
                        auto picture = std::dynamic_pointer_cast<ov::Picture>(object);
                        if (object && !picture) throw AutomationError(error::kTypeMismatch);
                        p.box().SetPicture(picture);
                    })
                .PropertyEx(
                    "hWnd", 9, TypeDesc::Of(VarType::Long), {},
                    [](HostPictureBox& p, auto&) {
                        return Variant::FromLong(static_cast<std::int32_t>(p.box().hWnd()));
                    },
                    nullptr)
                .PropertyEx(
                    "hDC", 10, TypeDesc::Of(VarType::Long), {},
                    [](HostPictureBox& p, auto&) {
                        return Variant::FromLong(static_cast<std::int32_t>(p.box().hDC()));
                    },
                    nullptr)
                .PropertyEx(
                    "Image", 11, TypeDesc::Object("StdPicture"), {},
                    [](HostPictureBox& p, auto&) { return Variant::FromObject(p.box().Image()); }, nullptr)
                .Method("Cls", 12, {},
                        [](HostPictureBox& p, auto&) {
                            p.box().Cls();
                            return Variant();
                        })
                .Method("Refresh", 13, {},
                        [](HostPictureBox& p, auto&) {
                            p.box().Refresh();
                            return Variant();
                        })
                .Build();
        }();
        return info;
    }
    const ClassInfo& Info() const override { return StaticInfo(); }

    ov::PictureBox& box() { return box_.box(); }

protected:
    // Every other member of the drawing layer's picture box (Line, Print, CurrentX, TextWidth,
    // ...) answers through its late-bound adapter; the extender comes after it.
    std::int32_t FallbackIDOfName(std::string_view name) const override {
        const std::int32_t id = box_.Object()->GetIDOfName(name);
        if (id != kDispidUnknown) return id + kAdapterBase;
        return Control::FallbackIDOfName(name);
    }
    Variant FallbackInvoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) override {
        if (dispid >= kAdapterBase && dispid < kAdapterBase + 0x1000000)
            return box_.Object()->Invoke(dispid - kAdapterBase, kind, args);
        return Control::FallbackInvoke(dispid, kind, args);
    }

    // The box covers the whole surface.
    void OnResize() override { box_.Move(0, 0, ScaleWidth(), ScaleHeight()); }

private:
    ConstituentPictureBox& box_;
};

}  // namespace

void RegisterHostPictureBox(ClassRegistry& registry) {
    ClassEntry entry = ControlEntry<HostPictureBox>("PictureBox", 2400, 1800);
    entry.prog_id.clear();
    registry.Add(std::move(entry));
}

}  // namespace ov::host
