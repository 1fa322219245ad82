#include "platform/picturebox/picture_box_object.h"

#include <algorithm>
#include <cctype>

#include "platform/runtime/automation_error.h"

namespace ov {
namespace {

using Args = std::vector<Variant>;

bool Given(const Args& args, std::size_t i) { return i < args.size() && !args[i].IsMissing() && !args[i].IsEmpty(); }

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

// Builds the member table over the box a PictureBoxObject wraps: every accessor reaches the
// box through the object.
class Members {
public:
    explicit Members(ClassBuilder<PictureBoxObject>& builder) : b_(builder) {}

    // A property read and written as `type` through a getter and setter on the box.
    template <typename Get, typename Put>
    void Property(const char* name, TypeDesc type, Get get, Put put) {
        b_.PropertyEx(
            name, next_id_++, std::move(type), {}, [get](PictureBoxObject& o, Args&) { return get(o.box()); },
            [put](PictureBoxObject& o, Args&, Variant& v) { put(o.box(), v); });
    }
    // An object property: read, and set by reference (Set).
    template <typename Get, typename Put>
    void ObjectProperty(const char* name, TypeDesc type, Get get, Put put) {
        b_.PropertyEx(
            name, next_id_++, std::move(type), {}, [get](PictureBoxObject& o, Args&) { return get(o.box()); }, nullptr,
            [put](PictureBoxObject& o, Args&, Variant& v) { put(o.box(), v); });
    }
    template <typename Get>
    void ReadOnly(const char* name, TypeDesc type, Get get) {
        b_.PropertyEx(
            name, next_id_++, std::move(type), {}, [get](PictureBoxObject& o, Args&) { return get(o.box()); }, nullptr);
    }
    template <typename Body>
    void Method(const char* name, std::vector<ParamDesc> params, Body body, TypeDesc returns = TypeDesc::Void()) {
        b_.Method(
            name, next_id_++, std::move(params), [body](PictureBoxObject& o, Args& a) { return body(o.box(), a); },
            std::move(returns));
    }

private:
    ClassBuilder<PictureBoxObject>& b_;
    std::int32_t next_id_ = 1;
};

Variant SingleValue(double value) { return Variant::FromSingle(static_cast<float>(value)); }

}  // namespace

const ClassInfo& PictureBoxObject::StaticInfo() {
    static const ClassInfo info = [] {
        ClassBuilder<PictureBoxObject> builder("PictureBox", false);
        builder.Source(std::string(error::kRuntimeSource));
        builder.Container();
        Members t(builder);
        const TypeDesc single = TypeDesc::Of(VarType::Single);
        const TypeDesc boolean = TypeDesc::Of(VarType::Boolean);
        const TypeDesc integer = TypeDesc::Of(VarType::Integer);
        const TypeDesc picture = TypeDesc::Object("StdPicture");
        t.ReadOnly("hWnd", TypeDesc::Of(VarType::Long),
                   [](PictureBox& b) { return Variant::FromLong(static_cast<std::int32_t>(b.hWnd())); });
        t.ReadOnly("hDC", TypeDesc::Of(VarType::Long),
                   [](PictureBox& b) { return Variant::FromLong(static_cast<std::int32_t>(b.hDC())); });
        t.Property(
            "BackColor", TypeDesc::Color(), [](PictureBox& b) { return ColourValue(b.BackColor()); },
            [](PictureBox& b, const Variant& v) { b.SetBackColor(ColourOf(v)); });
        t.Property(
            "ForeColor", TypeDesc::Color(), [](PictureBox& b) { return ColourValue(b.ForeColor()); },
            [](PictureBox& b, const Variant& v) { b.SetForeColor(ColourOf(v)); });
        t.ObjectProperty(
            "Font", TypeDesc::Object("StdFont"), [](PictureBox& b) { return Variant::FromObject(b.Font()); },
            [](PictureBox& b, const Variant& v) {
                auto font = std::dynamic_pointer_cast<StdFont>(CObj(v));
                if (!font) throw AutomationError(error::kTypeMismatch);
                b.SetFont(font);
            });
        t.Property(
            "FontName", TypeDesc::Of(VarType::String),
            [](PictureBox& b) { return Variant::FromString(b.Font()->desc().name); },
            [](PictureBox& b, const Variant& v) {
                std::string name = CStr(v);
                RequireValidFontName(name);
                SetFontField(b, &FontDesc::name, std::move(name));
            });
        t.Property(
            "FontSize", single, [](PictureBox& b) { return Variant::FromDouble(b.Font()->desc().size); },
            [](PictureBox& b, const Variant& v) {
                const double size = CDbl(v);
                RequireValidFontSize(size);
                SetFontField(b, &FontDesc::size, size);
            });
        const std::pair<const char*, bool FontDesc::*> flags[] = {{"FontBold", &FontDesc::bold},
                                                                  {"FontItalic", &FontDesc::italic},
                                                                  {"FontUnderline", &FontDesc::underline},
                                                                  {"FontStrikethru", &FontDesc::strikethrough}};
        for (const auto& [name, member] : flags) {
            // Captured by copy: clang before 16 cannot capture a structured binding.
            t.Property(
                name, boolean,
                [field = member](PictureBox& b) { return Variant::FromBoolean(b.Font()->desc().*field); },
                [field = member](PictureBox& b, const Variant& v) { SetFontField(b, field, CBool(v)); });
        }
        t.Property(
            "BorderStyle", integer,
            [](PictureBox& b) { return Variant::FromInteger(static_cast<std::int16_t>(b.BorderStyle())); },
            [](PictureBox& b, const Variant& v) { b.SetBorderStyle(CInt(v)); });
        t.Property(
            "AutoRedraw", boolean, [](PictureBox& b) { return Variant::FromBoolean(b.AutoRedraw()); },
            [](PictureBox& b, const Variant& v) { b.SetAutoRedraw(CBool(v)); });
        t.Property(
            "AutoSize", boolean, [](PictureBox& b) { return Variant::FromBoolean(b.AutoSize()); },
            [](PictureBox& b, const Variant& v) { b.SetAutoSize(CBool(v)); });
        t.Property(
            "MousePointer", integer,
            [](PictureBox& b) { return Variant::FromInteger(static_cast<std::int16_t>(b.MousePointer())); },
            [](PictureBox& b, const Variant& v) { b.SetMousePointer(CInt(v)); });
        t.ObjectProperty(
            "MouseIcon", picture, [](PictureBox& b) { return PictureValue(b.MouseIcon()); },
            [](PictureBox& b, const Variant& v) { b.SetMouseIcon(PictureOf(v)); });
        t.Method("Cls", {}, [](PictureBox& b, Args&) {
            b.Cls();
            return Variant();
        });
        t.Method("Refresh", {}, [](PictureBox& b, Args&) {
            b.Refresh();
            return Variant();
        });
        t.Method("Line",
                 {In("X1", single), In("Y1", single), In("X2", single), In("Y2", single),
                  Opt("Color", TypeDesc::Color()), Opt("Flags", TypeDesc::Of(VarType::String))},
                 [](PictureBox& b, Args& a) {
                     std::optional<OleColor> colour;
                     if (Given(a, 4)) colour = ColourOf(a[4]);
                     LineForm form = LineForm::Line;
                     if (Given(a, 5)) {
                         std::string flags = CStr(a[5]);
                         std::transform(flags.begin(), flags.end(), flags.begin(),
                                        [](unsigned char c) { return std::toupper(c); });
                         if (flags == "B") form = LineForm::Box;
                         else if (flags == "BF") form = LineForm::FilledBox;
                         else if (!flags.empty()) throw AutomationError(error::kInvalidProcedureCall);
                     }
                     b.Line(CDbl(a[0]), CDbl(a[1]), CDbl(a[2]), CDbl(a[3]), colour, form);
                     return Variant();
                 });
        t.Property(
            "CurrentX", single, [](PictureBox& b) { return SingleValue(b.CurrentX()); },
            [](PictureBox& b, const Variant& v) { b.SetCurrentX(CDbl(v)); });
        t.Property(
            "CurrentY", single, [](PictureBox& b) { return SingleValue(b.CurrentY()); },
            [](PictureBox& b, const Variant& v) { b.SetCurrentY(CDbl(v)); });
        t.Method("Print", {Opt("Text", TypeDesc::Of(VarType::String)), Opt("NewLine", boolean)},
                 [](PictureBox& b, Args& a) {
                     b.Print(Given(a, 0) ? CStr(a[0]) : std::string(), Given(a, 1) ? CBool(a[1]) : true);
                     return Variant();
                 });
        t.Method(
            "TextWidth", {In("Str", TypeDesc::Of(VarType::String))},
            [](PictureBox& b, Args& a) { return SingleValue(b.TextWidth(CStr(a[0]))); }, single);
        t.Method(
            "TextHeight", {In("Str", TypeDesc::Of(VarType::String))},
            [](PictureBox& b, Args& a) { return SingleValue(b.TextHeight(CStr(a[0]))); }, single);
        t.Property(
            "ScaleMode", integer,
            [](PictureBox& b) { return Variant::FromInteger(static_cast<std::int16_t>(b.ScaleMode())); },
            [](PictureBox& b, const Variant& v) { b.SetScaleMode(CInt(v)); });
        t.Property(
            "ScaleWidth", single, [](PictureBox& b) { return SingleValue(b.ScaleWidth()); },
            [](PictureBox& b, const Variant& v) { b.SetScaleWidth(CDbl(v)); });
        t.Property(
            "ScaleHeight", single, [](PictureBox& b) { return SingleValue(b.ScaleHeight()); },
            [](PictureBox& b, const Variant& v) { b.SetScaleHeight(CDbl(v)); });
        t.Property(
            "ScaleLeft", single, [](PictureBox& b) { return SingleValue(b.ScaleLeft()); },
            [](PictureBox& b, const Variant& v) { b.SetScaleLeft(CDbl(v)); });
        t.Property(
            "ScaleTop", single, [](PictureBox& b) { return SingleValue(b.ScaleTop()); },
            [](PictureBox& b, const Variant& v) { b.SetScaleTop(CDbl(v)); });
        for (const bool x : {true, false}) {
            t.Method(
                x ? "ScaleX" : "ScaleY",
                {In(x ? "Width" : "Height", single), Opt("FromScale", TypeDesc::AnyVariant()),
                 Opt("ToScale", TypeDesc::AnyVariant())},
                [x](PictureBox& b, Args& a) {
                    const int from = Given(a, 1) ? CInt(a[1]) : static_cast<int>(kScaleHimetric);
                    const int to = Given(a, 2) ? CInt(a[2]) : b.ScaleMode();
                    const double value = CDbl(a[0]);
                    return SingleValue(x ? b.ScaleX(value, from, to) : b.ScaleY(value, from, to));
                },
                single);
        }
        t.Property(
            "Left", single, [](PictureBox& b) { return SingleValue(b.Left()); },
            [](PictureBox& b, const Variant& v) { b.SetLeft(CDbl(v)); });
        t.Property(
            "Top", single, [](PictureBox& b) { return SingleValue(b.Top()); },
            [](PictureBox& b, const Variant& v) { b.SetTop(CDbl(v)); });
        t.Property(
            "Width", single, [](PictureBox& b) { return SingleValue(b.Width()); },
            [](PictureBox& b, const Variant& v) { b.SetWidth(CDbl(v)); });
        t.Property(
            "Height", single, [](PictureBox& b) { return SingleValue(b.Height()); },
            [](PictureBox& b, const Variant& v) { b.SetHeight(CDbl(v)); });
        t.Method("Move",
                 {In("Left", single), Opt("Top", TypeDesc::AnyVariant()), Opt("Width", TypeDesc::AnyVariant()),
                  Opt("Height", TypeDesc::AnyVariant())},
                 [](PictureBox& b, Args& a) {
                     b.Move(CDbl(a[0]), Given(a, 1) ? CDbl(a[1]) : b.Top(), Given(a, 2) ? CDbl(a[2]) : b.Width(),
                            Given(a, 3) ? CDbl(a[3]) : b.Height());
                     return Variant();
                 });
        t.ReadOnly("Image", picture, [](PictureBox& b) { return PictureValue(b.Image()); });
        t.ObjectProperty(
            "Picture", picture, [](PictureBox& b) { return PictureValue(b.Picture()); },
            [](PictureBox& b, const Variant& v) { b.SetPicture(PictureOf(v)); });
        return builder.Build();
    }();
    return info;
}

}  // namespace ov
