#include "platform/picturebox/picture_box_object.h"

#include <algorithm>
#include <cctype>

#include "platform/picture/member_table.h"
#include "platform/runtime/automation_error.h"

namespace ov {
namespace {

using Args = std::vector<Variant>;

bool Given(const Args& args, std::size_t i) { return i < args.size() && !args[i].IsMissing() && !args[i].IsEmpty(); }

void RequireArgs(const Args& args, std::size_t minimum, std::size_t maximum) {
    if (args.size() < minimum || args.size() > maximum) throw AutomationError(error::kWrongArgumentCount);
}

// Colours travel as Longs; the high bit marks a system colour.
Variant ColourValue(OleColor colour) { return Variant::FromLong(static_cast<std::int32_t>(colour)); }
OleColor ColourOf(const Variant& v) { return static_cast<OleColor>(CLng(v)); }

std::shared_ptr<Picture> PictureOf(const Variant& v) {
    const std::shared_ptr<IDispatch> object = CObj(v);
    if (!object) return nullptr;
    auto picture = std::dynamic_pointer_cast<Picture>(object);
    if (!picture) throw AutomationError(error::kTypeMismatch);
    return picture;
}

Variant PictureValue(const std::shared_ptr<Picture>& picture) {
    return Variant::FromObject(picture ? picture : Picture::Empty());
}

// Font attributes by name change a copy of the font description and hand it back, so the
// shared font object sees the change as its own property write would.
template <typename Field>
void SetFontField(PictureBox& box, Field FontDesc::*field, Field value) {
    FontDesc desc = box.Font()->desc();
    desc.*field = value;
    box.Font()->set_desc(desc);
}

const MemberTable<PictureBox>& Members() {
    static const MemberTable<PictureBox> table = [] {
        MemberTable<PictureBox> t;
        std::int32_t id = 1;
        t.Property("hWnd", id++, [](PictureBox& b, Args&) { return Variant::FromLong(static_cast<std::int32_t>(b.hWnd())); });
        t.Property("hDC", id++, [](PictureBox& b, Args&) { return Variant::FromLong(static_cast<std::int32_t>(b.hDC())); });
        t.Property(
            "BackColor", id++, [](PictureBox& b, Args&) { return ColourValue(b.BackColor()); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetBackColor(ColourOf(v)); });
        t.Property(
            "ForeColor", id++, [](PictureBox& b, Args&) { return ColourValue(b.ForeColor()); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetForeColor(ColourOf(v)); });
        t.Property(
            "Font", id++, [](PictureBox& b, Args&) { return Variant::FromObject(b.Font()); },
            [](PictureBox& b, const Variant& v, Args&) {
                auto font = std::dynamic_pointer_cast<StdFont>(CObj(v));
                if (!font) throw AutomationError(error::kTypeMismatch);
                b.SetFont(font);
            });
        t.Property(
            "FontName", id++, [](PictureBox& b, Args&) { return Variant::FromString(b.Font()->desc().name); },
            [](PictureBox& b, const Variant& v, Args&) { SetFontField(b, &FontDesc::name, CStr(v)); });
        t.Property(
            "FontSize", id++, [](PictureBox& b, Args&) { return Variant::FromDouble(b.Font()->desc().size); },
            [](PictureBox& b, const Variant& v, Args&) {
                const double size = CDbl(v);
                if (!(size > 0)) throw AutomationError(error::kInvalidPropertyValue);
                SetFontField(b, &FontDesc::size, size);
            });
        const std::pair<const char*, bool FontDesc::*> flags[] = {
            {"FontBold", &FontDesc::bold}, {"FontItalic", &FontDesc::italic},
            {"FontUnderline", &FontDesc::underline}, {"FontStrikethru", &FontDesc::strikethrough}};
        for (const auto& [name, member] : flags) {
            // Captured by copy: clang before 16 cannot capture a structured binding.
            t.Property(
                name, id++, [field = member](PictureBox& b, Args&) { return Variant::FromBoolean(b.Font()->desc().*field); },
                [field = member](PictureBox& b, const Variant& v, Args&) { SetFontField(b, field, CBool(v)); });
        }
        t.Property(
            "BorderStyle", id++, [](PictureBox& b, Args&) { return Variant::FromInteger(static_cast<std::int16_t>(b.BorderStyle())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetBorderStyle(CInt(v)); });
        t.Property(
            "AutoRedraw", id++, [](PictureBox& b, Args&) { return Variant::FromBoolean(b.AutoRedraw()); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetAutoRedraw(CBool(v)); });
        t.Property(
            "AutoSize", id++, [](PictureBox& b, Args&) { return Variant::FromBoolean(b.AutoSize()); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetAutoSize(CBool(v)); });
        t.Property(
            "MousePointer", id++, [](PictureBox& b, Args&) { return Variant::FromInteger(static_cast<std::int16_t>(b.MousePointer())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetMousePointer(CInt(v)); });
        t.Property(
            "MouseIcon", id++, [](PictureBox& b, Args&) { return PictureValue(b.MouseIcon()); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetMouseIcon(PictureOf(v)); });
        t.Method("Cls", id++, [](PictureBox& b, Args& a) {
            RequireArgs(a, 0, 0);
            b.Cls();
            return Variant();
        });
        t.Method("Refresh", id++, [](PictureBox& b, Args& a) {
            RequireArgs(a, 0, 0);
            b.Refresh();
            return Variant();
        });
        t.Method("Line", id++, [](PictureBox& b, Args& a) {
            RequireArgs(a, 4, 6);
            std::optional<OleColor> colour;
            if (Given(a, 4)) colour = ColourOf(a[4]);
            LineForm form = LineForm::Line;
            if (Given(a, 5)) {
                std::string flags = CStr(a[5]);
                std::transform(flags.begin(), flags.end(), flags.begin(), [](unsigned char c) { return std::toupper(c); });
                if (flags == "B") form = LineForm::Box;
                else if (flags == "BF") form = LineForm::FilledBox;
                else if (!flags.empty()) throw AutomationError(error::kInvalidProcedureCall);
            }
            b.Line(CDbl(a[0]), CDbl(a[1]), CDbl(a[2]), CDbl(a[3]), colour, form);
            return Variant();
        });
        t.Property(
            "CurrentX", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.CurrentX())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetCurrentX(CDbl(v)); });
        t.Property(
            "CurrentY", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.CurrentY())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetCurrentY(CDbl(v)); });
        t.Method("Print", id++, [](PictureBox& b, Args& a) {
            RequireArgs(a, 0, 2);
            b.Print(Given(a, 0) ? CStr(a[0]) : std::string(), Given(a, 1) ? CBool(a[1]) : true);
            return Variant();
        });
        t.Method("TextWidth", id++, [](PictureBox& b, Args& a) {
            RequireArgs(a, 1, 1);
            return Variant::FromSingle(static_cast<float>(b.TextWidth(CStr(a[0]))));
        });
        t.Method("TextHeight", id++, [](PictureBox& b, Args& a) {
            RequireArgs(a, 1, 1);
            return Variant::FromSingle(static_cast<float>(b.TextHeight(CStr(a[0]))));
        });
        t.Property(
            "ScaleMode", id++, [](PictureBox& b, Args&) { return Variant::FromInteger(static_cast<std::int16_t>(b.ScaleMode())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetScaleMode(CInt(v)); });
        t.Property(
            "ScaleWidth", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.ScaleWidth())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetScaleWidth(CDbl(v)); });
        t.Property(
            "ScaleHeight", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.ScaleHeight())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetScaleHeight(CDbl(v)); });
        t.Property(
            "ScaleLeft", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.ScaleLeft())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetScaleLeft(CDbl(v)); });
        t.Property(
            "ScaleTop", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.ScaleTop())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetScaleTop(CDbl(v)); });
        const auto scale = [](bool x) {
            return [x](PictureBox& b, Args& a) {
                RequireArgs(a, 1, 3);
                const int from = Given(a, 1) ? CInt(a[1]) : static_cast<int>(ScaleMode::Himetric);
                const int to = Given(a, 2) ? CInt(a[2]) : b.ScaleMode();
                const double value = CDbl(a[0]);
                return Variant::FromSingle(static_cast<float>(x ? b.ScaleX(value, from, to) : b.ScaleY(value, from, to)));
            };
        };
        t.Method("ScaleX", id++, scale(true));
        t.Method("ScaleY", id++, scale(false));
        t.Property(
            "Left", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.Left())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetLeft(CDbl(v)); });
        t.Property(
            "Top", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.Top())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetTop(CDbl(v)); });
        t.Property(
            "Width", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.Width())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetWidth(CDbl(v)); });
        t.Property(
            "Height", id++, [](PictureBox& b, Args&) { return Variant::FromSingle(static_cast<float>(b.Height())); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetHeight(CDbl(v)); });
        t.Method("Move", id++, [](PictureBox& b, Args& a) {
            RequireArgs(a, 1, 4);
            b.Move(CDbl(a[0]), Given(a, 1) ? CDbl(a[1]) : b.Top(), Given(a, 2) ? CDbl(a[2]) : b.Width(),
                   Given(a, 3) ? CDbl(a[3]) : b.Height());
            return Variant();
        });
        t.Property("Image", id++, [](PictureBox& b, Args&) { return PictureValue(b.Image()); });
        t.Property(
            "Picture", id++, [](PictureBox& b, Args&) { return PictureValue(b.Picture()); },
            [](PictureBox& b, const Variant& v, Args&) { b.SetPicture(PictureOf(v)); });
        return t;
    }();
    return table;
}

}  // namespace

std::int32_t PictureBoxObject::GetIDOfName(std::string_view name) const { return Members().IdOf(name); }

Variant PictureBoxObject::Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) {
    return Members().Invoke(*box_, dispid, kind, args);
}

}  // namespace ov
