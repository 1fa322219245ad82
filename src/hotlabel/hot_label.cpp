#include "hotlabel/hot_label.h"

#include "host/contract/font_attributes.h"
#include "host/contract/hand_cursor.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"

namespace ov::hotlabel {

namespace {

OleColor AsOleColor(std::int32_t colour) { return static_cast<OleColor>(colour); }

}  // namespace

OVHotLabel::OVHotLabel() = default;
OVHotLabel::~OVHotLabel() = default;

const ClassInfo& OVHotLabel::StaticInfo() {
    static const ClassInfo info = [] {
        const TypeDesc integer = TypeDesc::Of(VarType::Integer);
        const TypeDesc single = TypeDesc::Of(VarType::Single);
        const Category appearance = Category::Appearance, behavior = Category::Behavior;
        // Read in declaration order. BackColor and Picture go through their writes (both
        // boxes, change notices); the rest set members or boxes directly, and the string is not
        // counted: the first render does that. A new label sets the members the same way and
        // leaves the boxes (white, the box's font and border) as created.
        return ClassBuilder<OVHotLabel>("OVHotLabel")
            .ClassHelp("Text with hot spots that underline under the pointer and raise an event when clicked, beside an optional picture")
            .Property("BackColor", kBackColor, TypeDesc::Color(), &OVHotLabel::LabelBackColor,
                      &OVHotLabel::SetLabelBackColor)
            .Help("Returns/sets the background color used to display text and graphics in an object.")
            .InCategory(appearance)
            .Default(Variant::FromLong(kBagBackColor))
            .Initially(Variant::FromLong(kInitialBackColor))
            .Persist()
            .AsCreated()
            .Field("Enabled", kEnabled, TypeDesc::Of(VarType::Boolean), &OVHotLabel::enabled_)
            .Help("Returns/sets a value that determines whether an object can respond to user-generated events.")
            .InCategory(behavior)
            .Default(Variant::FromBoolean(true))
            .Persist()
            .ObjectProperty("Font", kDispidFont, TypeDesc::Object("StdFont"), &OVHotLabel::LabelFont,
                            &OVHotLabel::SetLabelFont)
            .Help("Returns a Font object.")
            .InCategory(Category::Font)
            .DefaultFrom(ValueSource::AmbientFont)
            .Persist(
                [](OVHotLabel& c, const Variant& v) {
                    PictureBox& box = c.main_->box();
                    box.SetFont(StdFont::Create(host::FontFromObject(CObj(v), box.Font()->desc())));
                },
                [](OVHotLabel& c) { return Variant::FromObject(c.main_->box().Font()); })
            .AsCreated()
            .Method("Refresh", kRefresh, &OVHotLabel::RefreshLabel)
            .Help("Forces a complete repaint of a object.")
            .PropertyEx(
                "ControlString", kControlString, TypeDesc::Of(VarType::String), {},
                [](OVHotLabel& c, auto&) { return Variant::FromString(c.ControlString()); },
                [](OVHotLabel& c, auto&, Variant& v) { c.SetControlString(CStr(v)); })
            .Help(
                "Specifies the text in the control, and where the hotspot region and pictures go. "
                "~ - Hotspotstart ` - Hotspot end * - picture ")
            .InCategory(Category::Text)
            .Default(Variant::FromString(kDefaultControlString))
            .Persist(&OVHotLabel::control_string_)
            .ObjectProperty("Picture", kPicture, TypeDesc::Object("StdPicture"), &OVHotLabel::Picture,
                            &OVHotLabel::SetPicture)
            .Help("Returns/sets a graphic to be displayed in a control.")
            .InCategory(appearance)
            .Default(Variant::FromObject(nullptr))
            .Initially(Variant::FromObject(ov::Picture::Empty()))
            .Persist([](OVHotLabel& c, const Variant& v) { c.SetPicture(CObj(v)); },
                     [](OVHotLabel& c) { return Variant::FromObject(c.picture_->box().Picture()); })
            .AsCreated()
            .Field("HotspotColor", kHotspotColor, TypeDesc::Color(), &OVHotLabel::hotspot_color_)
            .Help("Set/return the hotspot color")
            .InCategory(appearance)
            .Default(Variant::FromLong(kDefaultHotspotColor))
            .Persist()
            .Field("ForeColor", kForeColor, TypeDesc::Color(), &OVHotLabel::fore_color_)
            .Help("Returns/sets the foreground color used to display text and graphics in an object.")
            .InCategory(appearance)
            .Default(Variant::FromLong(0))
            .Persist()
            .Property("BorderStyle", kBorderStyle, integer, &OVHotLabel::BorderStyle, &OVHotLabel::SetBorderStyle)
            .Help("Returns/sets the border style for an object.")
            .InCategory(appearance)
            .Default(Variant::FromInteger(1))
            .Persist([](OVHotLabel& c, const Variant& v) { c.main_->box().SetBorderStyle(CInt(v)); },
                     [](OVHotLabel& c) { return Variant::FromInteger(c.BorderStyle()); })
            .AsCreated()
            .Field("Highlight", kHighlight, TypeDesc::Of(VarType::Boolean), &OVHotLabel::highlight_)
            .Help("Sets whether the hot spot lights up when the  mouse is over it.")
            .InCategory(behavior)
            // The integer 1, not True: a stored True differs from it, so the key is always written.
            .Default(Variant::FromInteger(1))
            .Persist()
            .Field("HighlightColor", kHighlightColor, TypeDesc::Color(), &OVHotLabel::highlight_color_)
            .InCategory(appearance)
            .Default(Variant::FromLong(kDefaultHighlightColor))
            .Persist()
            .Event("Click")
            .Help("Click event on the label")
            .Event("DblClick")
            .Help("Double click event on the label")
            .Event("MouseDown", {Ref("Button", integer), Ref("Shift", integer), Ref("X", single), Ref("Y", single)})
            .Event("MouseMove", {Ref("Button", integer), Ref("Shift", integer), Ref("X", single), Ref("Y", single)})
            .Event("MouseUp", {Ref("Button", integer), Ref("Shift", integer), Ref("X", single), Ref("Y", single)})
            .Event("HotSpotClick", {Ref("Index", TypeDesc::Of(VarType::Long))})
            .Help("Set the event when there was a click on a hotspot")
            .Build();
    }();
    return info;
}

// --- lifecycle -----------------------------------------------------------------------------

void OVHotLabel::OnInitialize() {
    // Pixels throughout: the boxes' widths, the drawing positions and the recorded hot spots.
    SetScaleMode(kScalePixels);

    main_ = &AddPictureBox("picMain");
    PictureBox& main = main_->box();
    main.SetScaleMode(kScalePixels);
    main.SetBackColor(kInitialBackColor);
    // Font hands out this box's font object: a write made through it shows at once.
    main.SetFontListener([this] { RenderControlString(); });

    // The picture holder is never shown: its persistent image is what every "*" copies.
    picture_ = &AddPictureBox("picPicture");
    picture_->SetVisible(false);
    PictureBox& holder = picture_->box();
    holder.SetScaleMode(kScalePixels);
    holder.SetBorderStyle(0);
    holder.SetAutoRedraw(true);
    holder.SetAutoSize(true);
    // Sized before it is cleared, so the whole image takes the background: a box grown from
    // nothing keeps the one stale pixel its empty image had.
    picture_->Move(0, 0, kInitialPictureSize, kInitialPictureSize);
    holder.SetBackColor(kInitialBackColor);

    cursor_ = &AddImage("imgCursor");
    cursor_->SetVisible(false);
    hand_ = host::CursorPicture(host::PointingHandColourCursor());
    cursor_->SetPicture(hand_);

    hot_spots_.count = 0;
    CountHotSpots(control_string_, hot_spots_);
}

void OVHotLabel::OnResize() {
    main_->Move(0, 0, ScaleWidth(), ScaleHeight());
    RenderControlString();
}

void OVHotLabel::OnPaint() { RenderControlString(); }

void OVHotLabel::RenderControlString() {
    const ControlStringColours colours{AsOleColor(fore_color_), AsOleColor(hotspot_color_),
                                       AsOleColor(highlight_color_)};
    hotlabel::RenderControlString(main_->box(), picture_->box(), control_string_, colours, hover_, hot_spots_);
}

// --- properties ----------------------------------------------------------------------------

std::int32_t OVHotLabel::LabelBackColor() const { return static_cast<std::int32_t>(picture_->box().BackColor()); }

void OVHotLabel::SetLabelBackColor(std::int32_t colour) {
    // Both boxes erase their drawing; the text comes back at the next render.
    picture_->box().SetBackColor(AsOleColor(colour));
    main_->box().SetBackColor(picture_->box().BackColor());
    NotifyChanged(kBackColor);
}

std::shared_ptr<IDispatch> OVHotLabel::LabelFont() const { return main_->box().Font(); }

void OVHotLabel::SetLabelFont(std::shared_ptr<IDispatch> font) {
    // The box takes the attributes into a font object of its own, whose underline the renderer
    // then sets character by character; the caller's object is left alone.
    PictureBox& box = main_->box();
    box.SetFont(StdFont::Create(host::FontFromObject(font, box.Font()->desc())));
    NotifyChanged(kDispidFont);
}

std::string OVHotLabel::ControlString() {
    std::string text = control_string_;
    RenderControlString();
    return text;
}

void OVHotLabel::SetControlString(std::string text) {
    control_string_ = std::move(text);
    NotifyChanged(kControlString);
    CountHotSpots(control_string_, hot_spots_);
    RenderControlString();
}

std::shared_ptr<IDispatch> OVHotLabel::Picture() const {
    const std::shared_ptr<ov::Picture>& picture = picture_->box().Picture();
    return picture ? picture : ov::Picture::Empty();
}

void OVHotLabel::SetPicture(std::shared_ptr<IDispatch> object) {
    auto picture = std::dynamic_pointer_cast<ov::Picture>(object);
    if (object && !picture) throw AutomationError(error::kTypeMismatch);
    PictureBox& holder = picture_->box();
    holder.SetPicture(std::move(picture));
    // The holder has sized itself to the picture; its constituent takes that extent too, so
    // the size the host reports is the size every "*" copies.
    picture_->Move(picture_->Left(), picture_->Top(), ScaleX(holder.Width(), kScaleTwips, ScaleMode()),
                   ScaleY(holder.Height(), kScaleTwips, ScaleMode()));
    NotifyChanged(kPicture);
}

std::int16_t OVHotLabel::BorderStyle() const { return static_cast<std::int16_t>(main_->box().BorderStyle()); }

void OVHotLabel::SetBorderStyle(std::int16_t style) {
    main_->box().SetBorderStyle(style);  // 0 none, 1 fixed single; anything else is 380
    NotifyChanged(kBorderStyle);
}

// --- pointer -------------------------------------------------------------------------------

void OVHotLabel::OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>& args) {
    if (&source != main_) return;
    if (event == "Click") {
        RaiseEvent(kEventClick, args);
    } else if (event == "DblClick") {
        RaiseEvent(kEventDblClick, args);
    } else if (event == "MouseDown") {
        RaiseEvent(kEventMouseDown, args);
        // A press uses what the last move found; it does not search again. The handler gets
        // HoverIndex itself: what it writes into Index is the hot spot the label keeps.
        if (hover_.over) RaiseHotSpotClick(hover_.index);
    } else if (event == "MouseMove") {
        RaiseEvent(kEventMouseMove, args);
        SearchHotSpot(CSng(args[2]), CSng(args[3]));
    } else if (event == "MouseUp") {
        RaiseEvent(kEventMouseUp, args);
    }
}

void OVHotLabel::RaiseHotSpotClick(std::int32_t number) {
    std::vector<Variant> index{Variant::FromLong(number)};
    RaiseEvent(kEventHotSpotClick, index);
    hover_.index = CLng(index[0]);
}

void OVHotLabel::PressHotSpot(std::int32_t number) {
    if (number >= 1 && number <= hot_spots_.count) RaiseHotSpotClick(number);
}

void OVHotLabel::SearchHotSpot(float x, float y) {
    if (hot_spots_.count == 0) return;  // no pointer change, no redraw
    PictureBox& main = main_->box();
    main.SetMousePointer(kMousePointerArrow);
    hover_.over = false;
    // Leaving every hot spot keeps HoverIndex; only OverHotSpot goes.
    const float line_height = static_cast<float>(main.TextHeight("A"));
    if (const std::int32_t found = FindHotSpot(hot_spots_, x, y, line_height); found > 0) {
        main.SetMouseIcon(hand_);
        main.SetMousePointer(host::kMousePointerCustom);
        hover_.index = found;
        hover_.over = true;
    }
    RenderControlString();
}

}  // namespace ov::hotlabel
