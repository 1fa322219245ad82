#include "maskedit/masked_text_box.h"

#include "host/font_attributes.h"
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
    return {Ref("Data", TypeDesc::Object("DataObject")), Ref("Effect", Long()), Ref("Button", Integer()),
            Ref("Shift", Integer()), Ref("X", Single()), Ref("Y", Single())};
}

}  // namespace

OVMaskedTextBox::OVMaskedTextBox() : txt_(AddTextBox("txt")) {}

const ClassInfo& OVMaskedTextBox::StaticInfo() {
    using C = OVMaskedTextBox;
    static const ClassInfo info = [] {
        ClassBuilder<C> b("OVMaskedTextBox");
        b.Property("Appearance", 1, TypeDesc::Enum("mtbAppearance"), &C::Appearance, &C::SetAppearance)
            .Help("Returns/sets whether or not an object is painted at run time with 3-D effects.")
            .Default(Variant::FromInteger(1))
            .Property("BackColor", 2, TypeDesc::Color(), &C::BackColor, &C::SetBackColor)
            .Help("Returns/sets the background color used to display text and graphics in an object.")
            .Default(Variant::FromLong(gdi::OleSystemColor(gdi::COLOR_WINDOW)))
            .Property("Allignment", 3, TypeDesc::Enum("mbtAllignment"), &C::Allignment, &C::SetAllignment)
            .Help("Returns/sets the alignment of the text.")
            .Default(Variant::FromInteger(0))
            .Property("BorderStyle", 4, TypeDesc::Enum("mtbBorderStyle"), &C::BorderStyle, &C::SetBorderStyle)
            .Help("Returns/sets the border style for an object.")
            .Default(Variant::FromInteger(1))
            .Property("Enabled", 5, Boolean(), &C::Enabled, &C::SetEnabled)
            .Help("Returns/sets a value that determines whether an object can respond to user-generated events.")
            .Default(Variant::FromBoolean(true))
            // The font keys default to the control's own font (PersistedDefault).
            .ObjectProperty("Font", 6, TypeDesc::Object("StdFont"), &C::Font, &C::SetFont)
            .Help("Returns a Font object.")
            .Default(Variant::FromObject(nullptr))
            .Property("FontBold", 7, Boolean(), &C::FontBold, &C::SetFontBold)
            .Help("Returns/sets bold font styles.")
            .Default(Variant::FromBoolean(false))
            .Property("FontItalic", 8, Boolean(), &C::FontItalic, &C::SetFontItalic)
            .Help("Returns/sets italic font styles.")
            .Default(Variant::FromBoolean(false))
            .Property("FontName", 9, String(), &C::FontName, &C::SetFontName)
            .Help("Specifies the name of the font that appears in each row for the given level.")
            .Default(Variant::FromString(""))
            .Property("FontSize", 10, Single(), &C::FontSize, &C::SetFontSize)
            .Help("Specifies the size (in points) of the font that appears in each row for the given level.")
            .Default(Variant::FromSingle(0))
            .Property("FontStrikethru", 11, Boolean(), &C::FontStrikethru, &C::SetFontStrikethru)
            .Help("Returns/sets strikethrough font styles.")
            .Default(Variant::FromBoolean(false))
            .Property("FontUnderline", 12, Boolean(), &C::FontUnderline, &C::SetFontUnderline)
            .Help("Returns/sets underline font styles.")
            .Default(Variant::FromBoolean(false))
            .Property("ForeColor", 13, TypeDesc::Color(), &C::ForeColor, &C::SetForeColor)
            .Help("Returns/sets the foreground color used to display text and graphics in an object.")
            .Default(Variant::FromLong(gdi::OleSystemColor(gdi::COLOR_WINDOWTEXT)))
            .ReadOnly("HideSelection", 14, Boolean(), &C::HideSelection)
            .Help("Specifies whether the selection in a Masked edit control is hidden when the control loses focus.")
            .ReadOnly("hWnd", 15, Long(), &C::TextBoxWindow)
            .Help("Returns a handle to a form or control.")
            .Property("InputFormat", 16, TypeDesc::Enum("mtbInputFormat"), &C::InputFormat, &C::SetInputFormat)
            .Help("Returns/sets the input format of the text.")
            .Default(Variant::FromLong(0))
            .Property("Mask", 17, String(), &C::Mask, &C::SetMask)
            .Help("Returns/sets the input mask.")
            .Default(Variant::FromString(""))
            .Property("MaxLength", 18, Long(), &C::MaxLength, &C::SetMaxLength)
            .Help("Returns/sets the maximum number of characters that can be entered in a control.")
            .Default(Variant::FromLong(0))
            .ObjectProperty("MouseIcon", 19, TypeDesc::Object("StdPicture"), &C::MouseIcon, &C::SetMouseIcon)
            .Help("Sets a custom mouse icon.")
            .Default(Variant::FromObject(nullptr))
            .Property("MousePointer", 20, TypeDesc::Enum("mtbMousePointer"), &C::MousePointer, &C::SetMousePointer)
            .Help("Returns/sets the type of mouse pointer displayed when over part of an object.")
            .Default(Variant::FromInteger(0))
            .ReadOnly("MultiLine", 21, Boolean(), &C::MultiLine)
            .Help("Returns/sets a value that determines whether a control can accept multiple lines of text.")
            .Property("OLEDragMode", 22, TypeDesc::Enum("mtbOLEDragMode"), &C::OLEDragMode, &C::SetOLEDragMode)
            .Help("Returns/Sets whether this control can act as an OLE drag/drop source.")
            .Default(Variant::FromInteger(0))
            .Property("OLEDropMode", 23, TypeDesc::Enum("mtbOLEDropMode"), &C::OLEDropMode, &C::SetOLEDropMode)
            .Help("Returns/Sets whether this control can act as an OLE drop target.")
            .Default(Variant::FromInteger(0))
            .Property("OnInvalidEntry", 24, TypeDesc::Enum("mtbOnInvalidEntry"), &C::OnInvalidEntry,
                      &C::SetOnInvalidEntry)
            .Help("Returns/sets what happens when the focus leaves an invalid text.")
            .Default(Variant::FromLong(kDoNothing))
            .ReadOnly("ScrollBars", 25, Integer(), &C::ScrollBars)
            .Help("Returns/sets a value indicating whether an object has vertical or horizontal scroll bars.")
            .Property("SelLength", 26, Long(), &C::SelLength, &C::SetSelLength)
            .Help("Returns/sets the number of characters selected.")
            .Default(Variant::FromLong(0))
            .Property("SelStart", 27, Long(), &C::SelStart, &C::SetSelStart)
            .Help("Returns/sets the starting point of text selected.")
            .Default(Variant::FromLong(0))
            .Property("SelText", 28, String(), &C::SelText, &C::SetSelText)
            .Help("Returns/sets the string containing the currently selected text.")
            .Default(Variant::FromString(""))
            .PropertyEx(
                "Text", 29, String(), {}, [](C& c, auto&) { return Variant::FromString(c.Text()); },
                [](C& c, auto&, Variant& v) { c.SetText(CStr(v)); })
            .Help("Returns/sets the text contained in the control.")
            .Default(Variant::FromString(""))
            .Property("ToolTipText", 30, String(), &C::ToolTipText, &C::SetToolTipText)
            .Help("Returns/sets the text displayed when the mouse is paused over the control.")
            .Default(Variant::FromString(""))
            .PropertyEx(
                "Value", 31, TypeDesc::AnyVariant(), {Opt("vstrMask", String())},
                [](C& c, std::vector<Variant>& i) { return c.Value(i[0]); },
                [](C& c, std::vector<Variant>& i, Variant& v) { c.SetValue(i[0], v); })
            .Help("Returns/sets the value of the text in its input format, optionally through a mask.")
            .Method("OLEDrag", 32, &C::OLEDragText)
            .Help("Starts an OLE drag/drop event with the given control as the source.")
            .Method("PopupMenu", 33,
                    {In("Menu", TypeDesc::Object("Object")), Opt("Flags", TypeDesc::AnyVariant()),
                     Opt("X", TypeDesc::AnyVariant()), Opt("Y", TypeDesc::AnyVariant()),
                     Opt("DefaultMenu", TypeDesc::AnyVariant())},
                    [](C& c, std::vector<Variant>& args) {
                        c.PopupMenu(args);
                        return Variant();
                    })
            .Help("Displays a pop-up menu on an MDIForm or Form object.")
            .Method("Refresh", 34, &C::RefreshText)
            .Help("Forces a complete repaint of a object.");

        b.Event("Change").Event("DblClick").Event("Hide").Event("InvalidEntry")
            .Event("KeyDown", {Ref("KeyCode", Integer()), Ref("Shift", Integer())})
            .Event("KeyPress", {Ref("KeyAscii", Integer())})
            .Event("KeyUp", {Ref("KeyCode", Integer()), Ref("Shift", Integer())})
            .Event("MouseDown", MouseParams()).Event("MouseMove", MouseParams()).Event("MouseUp", MouseParams())
            .Event("OLECompleteDrag", {Ref("Effect", Long())})
            .Event("OLEDragDrop", DragParams())
            .Event("OLEDragOver", [] { auto p = DragParams(); p.push_back(Ref("State", Integer())); return p; }())
            .Event("OLEGiveFeedback", {Ref("Effect", Long()), Ref("DefaultCursors", Boolean())})
            .Event("OLESetData", {Ref("Data", TypeDesc::Object("DataObject")), Ref("DataFormat", Integer())})
            .Event("OLEStartDrag", {Ref("Data", TypeDesc::Object("DataObject")), Ref("AllowedEffects", Long())})
            .Event("Paint").Event("Resize").Event("Show")
            .Event("Validate", {Ref("Cancel", Boolean())})
            .Event("Z");

        b.Enum("mtbAppearance", {{"mtbFlat", 0}, {"mtb3D", 1}})
            .Enum("mtbBorderStyle", {{"mtbNone", 0}, {"mtbFixedSingle", 1}})
            .Enum("mtbInputFormat", {{"mtbText", 0}, {"mtbNumeric", 1}, {"mtbDate", 2}})
            .Enum("mtbMousePointer", {{"mtbDefault", 0}, {"mtbArrow", 1}, {"mtbCrosshair", 2}, {"mtbIbeam", 3},
                                      {"mtbIconPointer", 4}, {"mtbSizePointer", 5}, {"mtbSizeNESW", 6},
                                      {"mtbSizeNS", 7}, {"mtbSizeNWSE", 8}, {"mtbSizeWE", 9}, {"mtbUpArrow", 10},
                                      {"mtbHourglass", 11}, {"mtbNoDrop", 12}, {"mtbArrowHourglass", 13},
                                      {"mtbArrowQuestion", 14}, {"mtbSizeAll", 15}, {"mtbCustom", 99}})
            .Enum("mtbOLEDragMode", {{"mtbManual", 0}, {"mtbAutomatic", 1}})
            .Enum("mtbOLEDropMode", {{"mtbNone", 0}, {"mtbManual", 1}, {"mtbAutomatic", 2}})
            .Enum("mtbOnInvalidEntry", {{"mtbDoNothing", 0}, {"mtbKeepFocus", 1}, {"mtbFocusSelect", 2}})
            .Enum("mbtAllignment", {{"mtbLeft", 0}, {"mtbRight", 1}, {"mtbCenter", 2}});

        // The 26 keys, read and written in this order. Values read go straight into txt or the
        // held members, without the puts' checks and notifications; txt refuses what it cannot
        // hold with its own error, and the key is skipped.
        const auto integer = Integer();
        const auto font_with = [](auto change) {
            return [change](C& c, const Variant& v) {
                host::FontAttributes f = c.txt_.Font();
                change(f, v);
                c.txt_.SetFont(f);
            };
        };
        b.Persist("Appearance", [](C& c, const Variant& v) { c.txt_.SetAppearance(CInt(v)); },
                  [](C& c) { return Variant::FromInteger(c.Appearance()); }, integer)
            .Persist("BackColor", [](C& c, const Variant& v) { c.txt_.SetBackColor(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.BackColor()); })
            .Persist("BorderStyle", [](C& c, const Variant& v) { c.txt_.SetBorderStyle(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.BorderStyle()); }, integer)
            .Persist("Enabled", [](C& c, const Variant& v) { c.txt_.SetEnabled(CBool(v)); },
                     [](C& c) { return Variant::FromBoolean(c.Enabled()); })
            .Persist("Font", [](C& c, const Variant& v) { c.txt_.SetFont(host::FontFromObject(CObj(v), c.txt_.Font())); },
                     [](C& c) { return Variant::FromObject(c.Font()); })
            .Persist("FontBold", font_with([](host::FontAttributes& f, const Variant& v) { f.bold = CBool(v); }),
                     [](C& c) { return Variant::FromBoolean(c.FontBold()); })
            .Persist("FontItalic", font_with([](host::FontAttributes& f, const Variant& v) { f.italic = CBool(v); }),
                     [](C& c) { return Variant::FromBoolean(c.FontItalic()); })
            .Persist("FontName", font_with([](host::FontAttributes& f, const Variant& v) { f.name = CStr(v); }),
                     [](C& c) { return Variant::FromString(c.FontName()); })
            .Persist("FontSize", font_with([](host::FontAttributes& f, const Variant& v) { f.size = CSng(v); }),
                     [](C& c) { return Variant::FromSingle(c.FontSize()); })
            .Persist("FontStrikethru",
                     font_with([](host::FontAttributes& f, const Variant& v) { f.strikethrough = CBool(v); }),
                     [](C& c) { return Variant::FromBoolean(c.FontStrikethru()); })
            .Persist("FontUnderline",
                     font_with([](host::FontAttributes& f, const Variant& v) { f.underline = CBool(v); }),
                     [](C& c) { return Variant::FromBoolean(c.FontUnderline()); })
            .Persist("ForeColor", [](C& c, const Variant& v) { c.txt_.SetForeColor(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.ForeColor()); })
            .Persist("InputFormat", [](C& c, const Variant& v) { c.input_format_ = CLng(v); },
                     [](C& c) { return Variant::FromLong(c.input_format_); })
            .Persist("Mask", [](C& c, const Variant& v) { c.mask_ = CStr(v); },
                     [](C& c) { return Variant::FromString(c.mask_); })
            .Persist("MaxLength", [](C& c, const Variant& v) { c.txt_.SetMaxLength(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.MaxLength()); })
            .Persist("MouseIcon", [](C& c, const Variant& v) { c.SetMouseIcon(CObj(v)); },
                     [](C& c) { return Variant::FromObject(c.MouseIcon()); })
            .Persist("MousePointer", [](C& c, const Variant& v) { c.txt_.SetMousePointer(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.MousePointer()); }, integer)
            .Persist("OLEDragMode", [](C& c, const Variant& v) { c.txt_.SetOLEDragMode(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.OLEDragMode()); }, integer)
            .Persist("OLEDropMode", [](C& c, const Variant& v) { c.txt_.SetOLEDropMode(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.OLEDropMode()); }, integer)
            .Persist("OnInvalidEntry", [](C& c, const Variant& v) { c.on_invalid_entry_ = CLng(v); },
                     [](C& c) { return Variant::FromLong(c.on_invalid_entry_); })
            .Persist("SelLength", [](C& c, const Variant& v) { c.txt_.SetSelLength(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.SelLength()); })
            .Persist("SelStart", [](C& c, const Variant& v) { c.txt_.SetSelStart(CLng(v)); },
                     [](C& c) { return Variant::FromLong(c.SelStart()); })
            .Persist("SelText", [](C& c, const Variant& v) { c.txt_.SetSelText(CStr(v)); },
                     [](C& c) { return Variant::FromString(c.SelText()); })
            .Persist("Text", [](C& c, const Variant& v) { c.txt_.SetText(CStr(v)); },
                     [](C& c) { return Variant::FromString(c.txt_.Text()); })
            .Persist("ToolTipText", [](C& c, const Variant& v) { c.txt_.SetToolTipText(CStr(v)); },
                     [](C& c) { return Variant::FromString(c.ToolTipText()); })
            .Persist("Allignment", [](C& c, const Variant& v) { c.txt_.SetAlignment(CInt(v)); },
                     [](C& c) { return Variant::FromInteger(c.Allignment()); }, integer);
        return b.Build();
    }();
    return info;
}

// A sunken entry field holding "#.", the first character red.
host::ToolboxImage OVMaskedTextBox::DrawToolboxImage() {
    return host::ToolboxImageFromArt({"                ",
                                      "                ",
                                      "                ",
                                      "gggggggggggggggg",
                                      "gdddddddddddddwg",
                                      "gdwwwwwwwwwwwwwg",
                                      "gdwrwrwwkwwwkwwg",
                                      "gdwrrrwwkwwwkwwg",
                                      "gdwrwrwwkwwwkwwg",
                                      "gdwrrrwwkwkwkwwg",
                                      "gdwrwrwwkwkwkwwg",
                                      "gdwwwwwwwwwwwwwg",
                                      "gwwwwwwwwwwwwwwg",
                                      "gggggggggggggggg",
                                      "                "},
                                     {{' ', 0xC0C0C0}, {'g', 0x808080}, {'d', 0x404040}, {'w', 0xFFFFFF},
                                      {'r', 0xFF0000}, {'k', 0x000000}});
}

Variant OVMaskedTextBox::PersistedDefault(const PersistDesc& key) const {
    const host::FontAttributes own = host::FontFromObject(Control::Font());
    if (key.key == "Font") return Variant::FromObject(Control::Font());
    if (key.key == "FontBold") return Variant::FromBoolean(own.bold);
    if (key.key == "FontItalic") return Variant::FromBoolean(own.italic);
    if (key.key == "FontName") return Variant::FromString(own.name);
    if (key.key == "FontSize") return Variant::FromSingle(static_cast<float>(own.size));
    if (key.key == "FontStrikethru") return Variant::FromBoolean(own.strikethrough);
    if (key.key == "FontUnderline") return Variant::FromBoolean(own.underline);
    return key.default_value;
}

// --- lifecycle ---------------------------------------------------------------------------------

void OVMaskedTextBox::OnInitialize() {
    // The text box as designed: at the top-left corner in the control's font, 1215 x 315 twips.
    txt_.SetFont(host::FontFromObject(Control::Font(), txt_.Font()));
}

void OVMaskedTextBox::OnResize() {
    // A one-line box keeps the height of its font: the control takes whatever height and width
    // txt took. The extent changes deliver nested resizes; only the outermost raises Resize.
    // Errors in any step are ignored.
    ++resize_depth_;
    const auto attempt = [](auto&& step) {
        try {
            step();
        } catch (const AutomationError&) {
        }
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

void OVMaskedTextBox::OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>& args) {
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

void OVMaskedTextBox::SetAppearance(std::int16_t v) { txt_.SetAppearance(v); PropertyChanged("Appearance"); }
void OVMaskedTextBox::SetBackColor(std::int32_t v) { txt_.SetBackColor(v); PropertyChanged("BackColor"); }
void OVMaskedTextBox::SetAllignment(std::int16_t v) { txt_.SetAlignment(v); PropertyChanged("Alignment"); }
void OVMaskedTextBox::SetBorderStyle(std::int16_t v) { txt_.SetBorderStyle(v); PropertyChanged("BorderStyle"); }
void OVMaskedTextBox::SetEnabled(bool v) { txt_.SetEnabled(v); PropertyChanged("Enabled"); }
void OVMaskedTextBox::SetForeColor(std::int32_t v) { txt_.SetForeColor(v); PropertyChanged("ForeColor"); }
void OVMaskedTextBox::SetMaxLength(std::int32_t v) { txt_.SetMaxLength(v); PropertyChanged("MaxLength"); }
void OVMaskedTextBox::SetMouseIcon(std::shared_ptr<IDispatch> icon) { txt_.SetMouseIcon(std::move(icon)); PropertyChanged("MouseIcon"); }
void OVMaskedTextBox::SetMousePointer(std::int16_t v) { txt_.SetMousePointer(v); PropertyChanged("MousePointer"); }
void OVMaskedTextBox::SetOLEDragMode(std::int16_t v) { txt_.SetOLEDragMode(v); PropertyChanged("OLEDragMode"); }
void OVMaskedTextBox::SetOLEDropMode(std::int16_t v) { txt_.SetOLEDropMode(v); PropertyChanged("OLEDropMode"); }
void OVMaskedTextBox::SetSelLength(std::int32_t v) { txt_.SetSelLength(v); PropertyChanged("SelLength"); }
void OVMaskedTextBox::SetSelStart(std::int32_t v) { txt_.SetSelStart(v); PropertyChanged("SelStart"); }
void OVMaskedTextBox::SetSelText(std::string v) { txt_.SetSelText(v); PropertyChanged("SelText"); }
void OVMaskedTextBox::SetToolTipText(std::string v) { txt_.SetToolTipText(std::move(v)); PropertyChanged("ToolTipText"); }
void OVMaskedTextBox::SetOnInvalidEntry(std::int32_t reaction) { on_invalid_entry_ = reaction; PropertyChanged("OnInvalidEntry"); }

std::shared_ptr<IDispatch> OVMaskedTextBox::Font() const { return host::MakeFontObject(txt_.Font()); }

void OVMaskedTextBox::SetFont(std::shared_ptr<IDispatch> font) {
    txt_.SetFont(host::FontFromObject(font, txt_.Font()));
    PropertyChanged("Font");
}

template <class F>
void OVMaskedTextBox::ChangeFont(std::string_view name, F&& change) {
    host::FontAttributes f = txt_.Font();
    change(f);
    txt_.SetFont(f);
    PropertyChanged(name);
}

void OVMaskedTextBox::SetFontBold(bool v) { ChangeFont("FontBold", [&](auto& f) { f.bold = v; }); }
void OVMaskedTextBox::SetFontItalic(bool v) { ChangeFont("FontItalic", [&](auto& f) { f.italic = v; }); }
void OVMaskedTextBox::SetFontName(std::string v) { ChangeFont("FontName", [&](auto& f) { f.name = v; }); }
void OVMaskedTextBox::SetFontSize(float v) { ChangeFont("FontSize", [&](auto& f) { f.size = v; }); }
void OVMaskedTextBox::SetFontStrikethru(bool v) { ChangeFont("FontStrikethru", [&](auto& f) { f.strikethrough = v; }); }
void OVMaskedTextBox::SetFontUnderline(bool v) { ChangeFont("FontUnderline", [&](auto& f) { f.underline = v; }); }

}  // namespace ov::maskedit
