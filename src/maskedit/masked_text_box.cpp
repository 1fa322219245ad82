#include "maskedit/masked_text_box.h"

#include "host/contract/font_attributes.h"
#include "platform/runtime/automation_error.h"
#include "platform/gdi/ole_colour.h"

namespace ov::maskedit {

namespace {

using host::TextBox;

TypeDesc Integer() { return TypeDesc::Of(VarType::Integer); }
TypeDesc Long() { return TypeDesc::Of(VarType::Long); }
TypeDesc Boolean() { return TypeDesc::Of(VarType::Boolean); }
TypeDesc String() { return TypeDesc::Of(VarType::String); }
TypeDesc Single() { return TypeDesc::Of(VarType::Single); }

std::vector<ParamDesc> MouseParams() {
    return {Ref("Button", Integer()), Ref("Shift", Integer()), Ref("X", Single()), Ref("Y", Single())};
}

std::vector<ParamDesc> DragParams() {
    return {Ref("Data", TypeDesc::Object("DataObject")),
            Ref("Effect", Long()),
            Ref("Button", Integer()),
            Ref("Shift", Integer()),
            Ref("X", Single()),
            Ref("Y", Single())};
}

}  // namespace

OVMaskedTextBox::OVMaskedTextBox() : txt_(AddTextBox("txt")) { UseFont(StdFont::Create(txt_.Font())); }

const ClassInfo& OVMaskedTextBox::StaticInfo() {
    using C = OVMaskedTextBox;
    static const ClassInfo info = [] {
        const auto integer = Integer();
        const Category appearance = Category::Appearance, behavior = Category::Behavior, font = Category::Font,
                       text = Category::Text;
        // The 26 keys are read and written in declaration order, Allignment last. Values read go
        // straight into txt or the held members, without the puts' checks and notifications;
        // txt refuses what it cannot hold with its own error, and the key is skipped. The font
        // keys default to the control's own font. A new control is as created: the text box as
        // designed, the held members zero or empty.
        const auto font_with = [](auto change) {
            return [change](C& c, const Variant& v) {
                host::FontAttributes f = c.txt_.Font();
                change(f, v);
                c.ApplyFont(f);
            };
        };
        ClassBuilder<C> b("OVMaskedTextBox");
        b.ClassHelp("A text box that takes its input through a mask and an input format (text, number or date)");
        b.NewInstancesAsCreated();
        b.Property("Appearance", kAppearance, TypeDesc::Enum("mtbAppearance"), &C::Appearance, &C::SetAppearance)
            .Help("Returns/sets whether or not an object is painted at run time with 3-D effects.")
            .InCategory(appearance)
            .Default(Variant::FromInteger(1))
            .Persist([](C& c, const Variant& v) { c.txt_.SetAppearance(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.Appearance()); }, integer)
            .Property("BackColor", kBackColor, TypeDesc::Color(), &C::BackColor, &C::SetBackColor)
            .Help("Returns/sets the background color used to display text and graphics in an object.")
            .InCategory(appearance)
            .Default(Variant::FromLong(gdi::OleSystemColor(gdi::COLOR_WINDOW)))
            .Persist([](C& c, const Variant& v) { c.txt_.SetBackColor(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.BackColor()); })
            .Property("Allignment", kAllignment, TypeDesc::Enum("mbtAllignment"), &C::Allignment, &C::SetAllignment)
            .Help("Returns/sets the alignment of the text.")
            .InCategory(appearance)
            .Notifies("Alignment")
            .Default(Variant::FromInteger(0))
            .Persist([](C& c, const Variant& v) { c.txt_.SetAlignment(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.Allignment()); }, integer)
            .Property("BorderStyle", kBorderStyle, TypeDesc::Enum("mtbBorderStyle"), &C::BorderStyle,
                      &C::SetBorderStyle)
            .Help("Returns/sets the border style for an object.")
            .InCategory(appearance)
            .Default(Variant::FromInteger(1))
            .Persist([](C& c, const Variant& v) { c.txt_.SetBorderStyle(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.BorderStyle()); }, integer)
            .Property("Enabled", kEnabled, Boolean(), &C::Enabled, &C::SetEnabled)
            .Help("Returns/sets a value that determines whether an object can respond to user-generated events.")
            .InCategory(behavior)
            .Default(Variant::FromBoolean(true))
            .Persist([](C& c, const Variant& v) { c.txt_.SetEnabled(CBool(v)); },
                     [](C& c) { return Variant::FromBoolean(c.Enabled()); })
            .ObjectProperty("Font", kFont, TypeDesc::Object("StdFont"), &C::Font, &C::SetFont)
            .Help("Returns a Font object.")
            .InCategory(font)
            .DefaultFrom(ValueSource::ControlFont)
            .Persist([](C& c, const Variant& v) { c.TakeFont(CObj(v)); },
                     [](C& c) { return Variant::FromObject(c.Font()); })
            .Property("FontBold", kFontBold, Boolean(), &C::FontBold, &C::SetFontBold)
            .Help("Returns/sets bold font styles.")
            .InCategory(font)
            .DefaultFrom(ValueSource::ControlFont, "Bold")
            .Persist(font_with([](host::FontAttributes& f, const Variant& v) { f.bold = CBool(v); }),
                     [](C& c) { return Variant::FromBoolean(c.FontBold()); })
            .Property("FontItalic", kFontItalic, Boolean(), &C::FontItalic, &C::SetFontItalic)
            .Help("Returns/sets italic font styles.")
            .InCategory(font)
            .DefaultFrom(ValueSource::ControlFont, "Italic")
            .Persist(font_with([](host::FontAttributes& f, const Variant& v) { f.italic = CBool(v); }),
                     [](C& c) { return Variant::FromBoolean(c.FontItalic()); })
            .Property("FontName", kFontName, String(), &C::FontName, &C::SetFontName)
            .Help("Specifies the name of the font that appears in each row for the given level.")
            .InCategory(font)
            .DefaultFrom(ValueSource::ControlFont, "Name")
            .Persist(font_with([](host::FontAttributes& f, const Variant& v) { f.name = CStr(v); }),
                     [](C& c) { return Variant::FromString(c.FontName()); })
            .Property("FontSize", kFontSize, Single(), &C::FontSize, &C::SetFontSize)
            .Help("Specifies the size (in points) of the font that appears in each row for the given level.")
            .InCategory(font)
            .DefaultFrom(ValueSource::ControlFont, "Size")
            .Persist(font_with([](host::FontAttributes& f, const Variant& v) { f.size = CSng(v); }),
                     [](C& c) { return Variant::FromSingle(c.FontSize()); })
            .Property("FontStrikethru", kFontStrikethru, Boolean(), &C::FontStrikethru, &C::SetFontStrikethru)
            .Help("Returns/sets strikethrough font styles.")
            .InCategory(font)
            .DefaultFrom(ValueSource::ControlFont, "Strikethrough")
            .Persist(font_with([](host::FontAttributes& f, const Variant& v) { f.strikethrough = CBool(v); }),
                     [](C& c) { return Variant::FromBoolean(c.FontStrikethru()); })
            .Property("FontUnderline", kFontUnderline, Boolean(), &C::FontUnderline, &C::SetFontUnderline)
            .Help("Returns/sets underline font styles.")
            .InCategory(font)
            .DefaultFrom(ValueSource::ControlFont, "Underline")
            .Persist(font_with([](host::FontAttributes& f, const Variant& v) { f.underline = CBool(v); }),
                     [](C& c) { return Variant::FromBoolean(c.FontUnderline()); })
            .Property("ForeColor", kForeColor, TypeDesc::Color(), &C::ForeColor, &C::SetForeColor)
            .Help("Returns/sets the foreground color used to display text and graphics in an object.")
            .InCategory(appearance)
            .Default(Variant::FromLong(gdi::OleSystemColor(gdi::COLOR_WINDOWTEXT)))
            .Persist([](C& c, const Variant& v) { c.txt_.SetForeColor(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.ForeColor()); })
            .ReadOnly("HideSelection", kHideSelection, Boolean(), &C::HideSelection)
            .Help("Specifies whether the selection in a Masked edit control is hidden when the control loses focus.")
            .InCategory(behavior)
            .ReadOnly("hWnd", kHWnd, Long(), &C::TextBoxWindow)
            .Help("Returns a handle to a form or control.")
            .Property("InputFormat", kInputFormat, TypeDesc::Enum("mtbInputFormat"), &C::InputFormat,
                      &C::SetInputFormat)
            .Help("Returns/sets the input format of the text.")
            .InCategory(behavior)
            .Default(Variant::FromLong(0))
            .Persist(&C::input_format_)
            .Property("Mask", kMask, String(), &C::Mask, &C::SetMask)
            .Help("Returns/sets the input mask.")
            .InCategory(behavior)
            .Default(Variant::FromString(""))
            .Persist(&C::mask_)
            .Property("MaxLength", kMaxLength, Long(), &C::MaxLength, &C::SetMaxLength)
            .Help("Returns/sets the maximum number of characters that can be entered in a control.")
            .InCategory(behavior)
            .Default(Variant::FromLong(0))
            .Persist([](C& c, const Variant& v) { c.txt_.SetMaxLength(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.MaxLength()); })
            .ObjectProperty("MouseIcon", kMouseIcon, TypeDesc::Object("StdPicture"), &C::MouseIcon, &C::SetMouseIcon)
            .Help("Sets a custom mouse icon.")
            .InCategory(behavior)
            .Default(Variant::FromObject(nullptr))
            .Persist()
            .Property("MousePointer", kMousePointer, TypeDesc::Enum("mtbMousePointer"), &C::MousePointer,
                      &C::SetMousePointer)
            .Help("Returns/sets the type of mouse pointer displayed when over part of an object.")
            .InCategory(behavior)
            .Default(Variant::FromInteger(0))
            .Persist([](C& c, const Variant& v) { c.txt_.SetMousePointer(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.MousePointer()); }, integer)
            .ReadOnly("MultiLine", kMultiLine, Boolean(), &C::MultiLine)
            .Help("Returns/sets a value that determines whether a control can accept multiple lines of text.")
            .InCategory(behavior)
            .Property("OLEDragMode", kOLEDragMode, TypeDesc::Enum("mtbOLEDragMode"), &C::OLEDragMode,
                      &C::SetOLEDragMode)
            .Help("Returns/Sets whether this control can act as an OLE drag/drop source.")
            .InCategory(behavior)
            .Default(Variant::FromInteger(0))
            .Persist([](C& c, const Variant& v) { c.txt_.SetOLEDragMode(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.OLEDragMode()); }, integer)
            .Property("OLEDropMode", kOLEDropMode, TypeDesc::Enum("mtbOLEDropMode"), &C::OLEDropMode,
                      &C::SetOLEDropMode)
            .Help("Returns/Sets whether this control can act as an OLE drop target.")
            .InCategory(behavior)
            .Default(Variant::FromInteger(0))
            .Persist([](C& c, const Variant& v) { c.txt_.SetOLEDropMode(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.OLEDropMode()); }, integer)
            .Field("OnInvalidEntry", kOnInvalidEntry, TypeDesc::Enum("mtbOnInvalidEntry"), &C::on_invalid_entry_)
            .Help("Returns/sets what happens when the focus leaves an invalid text.")
            .InCategory(behavior)
            .Default(Variant::FromLong(kDoNothing))
            .Persist()
            .ReadOnly("ScrollBars", kScrollBars, Integer(), &C::ScrollBars)
            .Help("Returns/sets a value indicating whether an object has vertical or horizontal scroll bars.")
            .InCategory(appearance)
            .Property("SelLength", kSelLength, Long(), &C::SelLength, &C::SetSelLength)
            .Help("Returns/sets the number of characters selected.")
            .InCategory(text)
            .Default(Variant::FromLong(0))
            .Persist([](C& c, const Variant& v) { c.txt_.SetSelLength(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.SelLength()); })
            .Property("SelStart", kSelStart, Long(), &C::SelStart, &C::SetSelStart)
            .Help("Returns/sets the starting point of text selected.")
            .InCategory(text)
            .Default(Variant::FromLong(0))
            .Persist([](C& c, const Variant& v) { c.txt_.SetSelStart(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.SelStart()); })
            .Property("SelText", kSelText, String(), &C::SelText, &C::SetSelText)
            .Help("Returns/sets the string containing the currently selected text.")
            .InCategory(text)
            .Default(Variant::FromString(""))
            .Persist([](C& c, const Variant& v) { c.txt_.SetSelText(CStr(v)); },
                     [](C& c) { return Variant::FromString(c.SelText()); })
            .PropertyEx(
                "Text", kText, String(), {}, [](C& c, auto&) { return Variant::FromString(c.Text()); },
                [](C& c, auto&, Variant& v) { c.SetText(CStr(v)); })
            .Help("Returns/sets the text contained in the control.")
            .InCategory(text)
            .Default(Variant::FromString(""))
            .Persist([](C& c, const Variant& v) { c.txt_.SetText(CStr(v)); },
                     [](C& c) { return Variant::FromString(c.txt_.Text()); })
            .Property("ToolTipText", kToolTipText, String(), &C::ToolTipText, &C::SetToolTipText)
            .Help("Returns/sets the text displayed when the mouse is paused over the control.")
            .InCategory(behavior)
            .Default(Variant::FromString(""))
            .Persist([](C& c, const Variant& v) { c.txt_.SetToolTipText(CStr(v)); },
                     [](C& c) { return Variant::FromString(c.ToolTipText()); })
            // A put goes through the Text put, whose notification is the one it raises.
            .PropertyEx(
                "Value", kValue, TypeDesc::AnyVariant(), {Opt("vstrMask", String())},
                [](C& c, std::vector<Variant>& i) { return c.Value(i[0]); },
                [](C& c, std::vector<Variant>& i, Variant& v) { c.SetValue(i[0], v); })
            .Help("Returns/sets the value of the text in its input format, optionally through a mask.")
            .InCategory(text)
            .Notifies("Text")
            .Method("OLEDrag", kOLEDrag, &C::OLEDragText)
            .Help("Starts an OLE drag/drop event with the given control as the source.")
            .Method("PopupMenu", kPopupMenu,
                    {In("Menu", TypeDesc::Object("Object")), Opt("Flags", TypeDesc::AnyVariant()),
                     Opt("X", TypeDesc::AnyVariant()), Opt("Y", TypeDesc::AnyVariant()),
                     Opt("DefaultMenu", TypeDesc::AnyVariant())},
                    [](C& c, std::vector<Variant>& args) {
                        c.PopupMenu(args);
                        return Variant();
                    })
            .Help("Displays a pop-up menu on an MDIForm or Form object.")
            .Method("Refresh", kRefresh, &C::RefreshText)
            .Help("Forces a complete repaint of a object.");

        b.Event("Change")
            .Event("DblClick")
            .Event("Hide")
            .Event("InvalidEntry")
            .Event("KeyDown", {Ref("KeyCode", Integer()), Ref("Shift", Integer())})
            .Event("KeyPress", {Ref("KeyAscii", Integer())})
            .Event("KeyUp", {Ref("KeyCode", Integer()), Ref("Shift", Integer())})
            .Event("MouseDown", MouseParams())
            .Event("MouseMove", MouseParams())
            .Event("MouseUp", MouseParams())
            .Event("OLECompleteDrag", {Ref("Effect", Long())})
            .Event("OLEDragDrop", DragParams())
            .Event("OLEDragOver",
                   [] {
                       auto p = DragParams();
                       p.push_back(Ref("State", Integer()));
                       return p;
                   }())
            .Event("OLEGiveFeedback", {Ref("Effect", Long()), Ref("DefaultCursors", Boolean())})
            .Event("OLESetData", {Ref("Data", TypeDesc::Object("DataObject")), Ref("DataFormat", Integer())})
            .Event("OLEStartDrag", {Ref("Data", TypeDesc::Object("DataObject")), Ref("AllowedEffects", Long())})
            .Event("Paint")
            .Event("Resize")
            .Event("Show")
            .Event("Validate", {Ref("Cancel", Boolean())})
            .Event("Z");

        b.Enum("mtbAppearance", {{"mtbFlat", 0}, {"mtb3D", 1}})
            .Enum("mtbBorderStyle", {{"mtbNone", 0}, {"mtbFixedSingle", 1}})
            .Enum("mtbInputFormat", {{"mtbText", 0}, {"mtbNumeric", 1}, {"mtbDate", 2}})
            .Enum("mtbMousePointer", {{"mtbDefault", 0},
                                      {"mtbArrow", 1},
                                      {"mtbCrosshair", 2},
                                      {"mtbIbeam", 3},
                                      {"mtbIconPointer", 4},
                                      {"mtbSizePointer", 5},
                                      {"mtbSizeNESW", 6},
                                      {"mtbSizeNS", 7},
                                      {"mtbSizeNWSE", 8},
                                      {"mtbSizeWE", 9},
                                      {"mtbUpArrow", 10},
                                      {"mtbHourglass", 11},
                                      {"mtbNoDrop", 12},
                                      {"mtbArrowHourglass", 13},
                                      {"mtbArrowQuestion", 14},
                                      {"mtbSizeAll", 15},
                                      {"mtbCustom", 99}})
            .Enum("mtbOLEDragMode", {{"mtbManual", 0}, {"mtbAutomatic", 1}})
            .Enum("mtbOLEDropMode", {{"mtbNone", 0}, {"mtbManual", 1}, {"mtbAutomatic", 2}})
            .Enum("mtbOnInvalidEntry", {{"mtbDoNothing", 0}, {"mtbKeepFocus", 1}, {"mtbFocusSelect", 2}})
            .Enum("mbtAllignment", {{"mtbLeft", 0}, {"mtbRight", 1}, {"mtbCenter", 2}});
        b.PersistOrder({"Appearance",    "BackColor",    "BorderStyle", "Enabled",     "Font",
                        "FontBold",      "FontItalic",   "FontName",    "FontSize",    "FontStrikethru",
                        "FontUnderline", "ForeColor",    "InputFormat", "Mask",        "MaxLength",
                        "MouseIcon",     "MousePointer", "OLEDragMode", "OLEDropMode", "OnInvalidEntry",
                        "SelLength",     "SelStart",     "SelText",     "Text",        "ToolTipText",
                        "Allignment"});
        return b.Build();
    }();
    return info;
}

// A sunken entry field holding "#.", the first character red.
host::ToolboxImage OVMaskedTextBox::DrawToolboxImage() {
    return host::ToolboxImageFromArt(
        {"                ", "                ", "                ", "gggggggggggggggg", "gdddddddddddddwg",
         "gdwwwwwwwwwwwwwg", "gdwrwrwwkwwwkwwg", "gdwrrrwwkwwwkwwg", "gdwrwrwwkwwwkwwg", "gdwrrrwwkwkwkwwg",
         "gdwrwrwwkwkwkwwg", "gdwwwwwwwwwwwwwg", "gwwwwwwwwwwwwwwg", "gggggggggggggggg", "                "},
        {{' ', 0xC0C0C0}, {'g', 0x808080}, {'d', 0x404040}, {'w', 0xFFFFFF}, {'r', 0xFF0000}, {'k', 0x000000}});
}

// --- lifecycle ---------------------------------------------------------------------------------

void OVMaskedTextBox::OnInitialize() {
    // The text box as designed: at the top-left corner in the control's font, 1215 x 315 twips.
    ApplyFont(host::FontFromObject(Control::Font(), txt_.Font()));
}

void OVMaskedTextBox::OnResize() {
    // A one-line box keeps the height of its font: the control takes whatever height and width
    // txt took. The extent changes deliver nested resizes; only the outermost raises Resize.
    // Errors in any step are ignored.
    ++resize_depth_;
    const auto attempt = [](auto&& step) {
        try {
            step();
        } catch (const AutomationError&) {}
    };
    attempt([&] { txt_.SetHeight(ScaleY(Height(), kScaleTwips, ScaleMode())); });
    attempt([&] { SetHeight(ScaleY(txt_.Height(), ScaleMode(), kScaleTwips)); });
    attempt([&] { txt_.SetWidth(ScaleX(Width(), kScaleTwips, ScaleMode())); });
    attempt([&] { SetWidth(ScaleX(txt_.Width(), ScaleMode(), kScaleTwips)); });
    if (resize_depth_ == 1) attempt([&] { RaiseEvent("Resize"); });
    --resize_depth_;
}

void OVMaskedTextBox::OnShow() { RaiseEvent("Show"); }
void OVMaskedTextBox::OnPaint() { RaiseEvent("Paint"); }
void OVMaskedTextBox::OnHide() { RaiseEvent("Hide"); }

void OVMaskedTextBox::OnConstituentEvent(host::Constituent& source, std::string_view event,
                                         std::vector<Variant>& args) {
    if (&source != &txt_) return;
    if (event == "KeyDown") return OnKeyDown(args);
    if (event == "KeyPress") return OnKeyPress(args);
    if (event == "Change") {
        Recolour();
        return RaiseEvent("Change");
    }
    if (event == "LostFocus") return ReactToLostFocus();
    if (event == "GotFocus") return;
    // Everything else the text box raises is raised again under the same name, its arguments
    // by reference.
    if (StaticInfo().FindEvent(event)) RaiseEvent(event, args);
}

// --- pass-through members -----------------------------------------------------------------------

void OVMaskedTextBox::FollowTextBoxHeight() {
    // As in the resize handler, a height the control cannot take is left alone.
    try {
        SetHeight(ScaleY(txt_.Height(), ScaleMode(), kScaleTwips));
    } catch (const AutomationError&) {}
}

void OVMaskedTextBox::SetAppearance(std::int16_t v) {
    txt_.SetAppearance(v);
    FollowTextBoxHeight();
    NotifyChanged(kAppearance);
}
void OVMaskedTextBox::SetBackColor(std::int32_t v) {
    txt_.SetBackColor(v);
    NotifyChanged(kBackColor);
}
void OVMaskedTextBox::SetAllignment(std::int16_t v) {
    txt_.SetAlignment(v);
    NotifyChanged(kAllignment);
}
void OVMaskedTextBox::SetBorderStyle(std::int16_t v) {
    txt_.SetBorderStyle(v);
    FollowTextBoxHeight();
    NotifyChanged(kBorderStyle);
}
void OVMaskedTextBox::SetEnabled(bool v) {
    txt_.SetEnabled(v);
    NotifyChanged(kEnabled);
}
void OVMaskedTextBox::SetForeColor(std::int32_t v) {
    txt_.SetForeColor(v);
    NotifyChanged(kForeColor);
}
void OVMaskedTextBox::SetMaxLength(std::int32_t v) {
    txt_.SetMaxLength(v);
    NotifyChanged(kMaxLength);
}
void OVMaskedTextBox::SetMouseIcon(std::shared_ptr<IDispatch> icon) {
    txt_.SetMouseIcon(std::move(icon));
    NotifyChanged(kMouseIcon);
}
void OVMaskedTextBox::SetMousePointer(std::int16_t v) {
    txt_.SetMousePointer(v);
    NotifyChanged(kMousePointer);
}
void OVMaskedTextBox::SetOLEDragMode(std::int16_t v) {
    txt_.SetOLEDragMode(v);
    NotifyChanged(kOLEDragMode);
}
void OVMaskedTextBox::SetOLEDropMode(std::int16_t v) {
    txt_.SetOLEDropMode(v);
    NotifyChanged(kOLEDropMode);
}
void OVMaskedTextBox::SetSelLength(std::int32_t v) {
    txt_.SetSelLength(v);
    NotifyChanged(kSelLength);
}
void OVMaskedTextBox::SetSelStart(std::int32_t v) {
    txt_.SetSelStart(v);
    NotifyChanged(kSelStart);
}
void OVMaskedTextBox::SetSelText(std::string v) {
    txt_.SetSelText(v);
    NotifyChanged(kSelText);
}
void OVMaskedTextBox::SetToolTipText(std::string v) {
    txt_.SetToolTipText(std::move(v));
    NotifyChanged(kToolTipText);
}

std::shared_ptr<IDispatch> OVMaskedTextBox::Font() const { return font_; }

void OVMaskedTextBox::UseFont(std::shared_ptr<StdFont> font) {
    font_ = std::move(font);
    txt_.SetFont(font_->desc());
    // What a program writes through the object (`M.Font.Bold = True`) reaches txt at once.
    font_listening_ = font_->OnChange([this] {
        txt_.SetFont(font_->desc());
        FollowTextBoxHeight();
    });
}

void OVMaskedTextBox::ApplyFont(const host::FontAttributes& font) {
    txt_.SetFont(font);
    font_->set_desc(txt_.Font());
}

void OVMaskedTextBox::TakeFont(const std::shared_ptr<IDispatch>& font) {
    // A font object of the platform becomes the box's own, shared with the caller as an object
    // assignment shares it; any other font object lends its attributes.
    if (auto std_font = std::dynamic_pointer_cast<StdFont>(font)) UseFont(std::move(std_font));
    else ApplyFont(host::FontFromObject(font, txt_.Font()));
}

void OVMaskedTextBox::SetFont(std::shared_ptr<IDispatch> font) {
    TakeFont(font);
    FollowTextBoxHeight();
    NotifyChanged(kFont);
}

template <class F>
void OVMaskedTextBox::ChangeFont(std::int32_t property, F&& change) {
    host::FontAttributes f = txt_.Font();
    change(f);
    ApplyFont(f);
    FollowTextBoxHeight();
    NotifyChanged(property);
}

void OVMaskedTextBox::SetFontBold(bool v) {
    ChangeFont(kFontBold, [&](auto& f) { f.bold = v; });
}
void OVMaskedTextBox::SetFontItalic(bool v) {
    ChangeFont(kFontItalic, [&](auto& f) { f.italic = v; });
}
void OVMaskedTextBox::SetFontName(std::string v) {
    RequireValidFontName(v);
    ChangeFont(kFontName, [&](auto& f) { f.name = v; });
}
void OVMaskedTextBox::SetFontSize(float v) {
    RequireValidFontSize(v);
    ChangeFont(kFontSize, [&](auto& f) { f.size = v; });
}
void OVMaskedTextBox::SetFontStrikethru(bool v) {
    ChangeFont(kFontStrikethru, [&](auto& f) { f.strikethrough = v; });
}
void OVMaskedTextBox::SetFontUnderline(bool v) {
    ChangeFont(kFontUnderline, [&](auto& f) { f.underline = v; });
}

}  // namespace ov::maskedit
