#include "tabhead/tab_head.h"

#include "platform/gdi/icon.h"
#include "platform/gdi/ole_colour.h"
#include "platform/gdi/screen.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/value_ops.h"
#include "host/contract/hand_cursor.h"
#include "tabhead/selected_tab.h"

namespace ov::tabhead {

namespace {

constexpr double kHeadingHeight = 255;
// Captions and widths a heading has before any list reached it; only hidden headings beyond the
// list keep them, and they matter only for where the plate of such an index lands.
constexpr double kInitialHeadingWidth = 615;

std::shared_ptr<IDispatch> MakeHandPointer() { return host::CursorPicture(host::PointingHandCursor()); }

}  // namespace

OVTabHead::OVTabHead() = default;
OVTabHead::~OVTabHead() = default;

const ClassInfo& OVTabHead::StaticInfo() {
    // Loading sets members directly: no parsing until SelectedTab, no layout at all until the
    // host's first resize; a new instance takes its defaults the same way. The heading list
    // and the selection are written without telling the host.
    const TypeDesc text = TypeDesc::Of(VarType::String), boolean = TypeDesc::Of(VarType::Boolean);
    static const ClassInfo info =
        ClassBuilder<OVTabHead>("OVTabHead")
            .ClassHelp("A row of tabs from a comma-separated list, one of them selected")
            .Property("TabString", kTabString, text, &OVTabHead::TabString, &OVTabHead::SetTabString)
            .PutByRef()
            .Silent()
            .InCategory(Category::Text)
            .Default(Variant::FromString("Tab1,Tab2"))
            .Persist(&OVTabHead::tab_string_)
            .Property("SelectedTab", kSelectedTab, text, &OVTabHead::SelectedTab, &OVTabHead::SetSelectedTab)
            .Silent()
            .InCategory(Category::Behavior)
            .Default(Variant::FromString("0"))
            .Persist([](OVTabHead& c, const Variant& v) { c.LoadSelectedTab(v); },
                     [](OVTabHead& c) { return Variant::FromString(c.SelectedTab()); })
            .Method("Refresh", kRefresh, &OVTabHead::RefreshLayout)
            .Property("SelectedBold", kSelectedBold, boolean, &OVTabHead::SelectedBold, &OVTabHead::SetSelectedBold)
            .InCategory(Category::Font)
            .Default(Variant::FromBoolean(false))
            .Persist(&OVTabHead::selected_bold_)
            .Property("SelectedColor", kSelectedColor, TypeDesc::Color(), &OVTabHead::SelectedColor,
                      &OVTabHead::SetSelectedColor)
            .InCategory(Category::Appearance)
            .Default(Variant::FromLong(kDefaultSelectedColor))
            .Persist(&OVTabHead::selected_color_)
            .Property("InactiveBold", kInactiveBold, boolean, &OVTabHead::InactiveBold, &OVTabHead::SetInactiveBold)
            .InCategory(Category::Font)
            .Default(Variant::FromBoolean(false))
            .Persist(&OVTabHead::inactive_bold_)
            .Property("InactiveColor", kInactiveColor, TypeDesc::Color(), &OVTabHead::InactiveColor,
                      &OVTabHead::SetInactiveColor)
            .InCategory(Category::Appearance)
            .Default(Variant::FromLong(kDefaultInactiveColor))
            .Persist(&OVTabHead::inactive_color_)
            .Property("BackColor", kBackColor, TypeDesc::Color(), &OVTabHead::TabBackColor, &OVTabHead::SetTabBackColor)
            .Help("Returns/sets the background color used to display text and graphics in an object.")
            .InCategory(Category::Appearance)
            .Default(Variant::FromLong(kDefaultBackColor))
            // Initialisation already gave the surface this colour, for new and loaded instances.
            .Persist([](OVTabHead& c, const Variant& v) { c.SetBackColor(CLng(v)); },
                     [](OVTabHead& c) { return Variant::FromLong(c.BackColor()); })
            .AsCreated()
            .Event("TabSelected",
                   {Ref("Index", TypeDesc::Of(VarType::Integer)), Ref("TabName", TypeDesc::Of(VarType::String))})
            .Event("Click")
            .Event("DblClick")
            .Build();
    return info;
}

// --- lifecycle -----------------------------------------------------------------------------

void OVTabHead::OnInitialize() {
    SetBackColor(CLng(Info().DefaultOf("BackColor")));
    CreateConstituents();
}

void OVTabHead::CreateConstituents() {
    // Creation order is the drawing order: the plate first so the lines and headings lie on it.
    plate_ = &AddShape("shpBack");
    plate_->SetFillStyle(host::Shape::kFillSolid);
    plate_->SetFillColor(gdi::OleSystemColor(gdi::COLOR_BTNFACE));
    plate_->SetBorderColor(gdi::OleSystemColor(gdi::COLOR_3DHIGHLIGHT));

    left_line_ = &AddLine("lnLeft");
    left_line_->SetBorderColor(gdi::OleSystemColor(gdi::COLOR_3DHIGHLIGHT));
    right_line_ = &AddLine("lnRight");
    right_line_->SetBorderColor(gdi::OleSystemColor(gdi::COLOR_3DHIGHLIGHT));
    shadow_line_ = &AddLine("lnTabShadow");
    shadow_line_->SetBorderColor(gdi::OleSystemColor(gdi::COLOR_BTNSHADOW));

    hand_pointer_ = MakeHandPointer();
    headings_ = AddLabelArray("lblTabItem", kHeadingCount);
    for (host::Label* heading : headings_) {
        heading->SetBackStyle(0);
        heading->SetAlignment(host::Label::kCenter);
        heading->Move(0, 0, kInitialHeadingWidth, kHeadingHeight);
        heading->SetMousePointer(host::kMousePointerCustom);
        heading->SetMouseIcon(hand_pointer_);
    }

    // Enabled from the start with an empty tag: its first tick clears heading 0's underline.
    mouse_over_timer_ = &AddTimer("tmrMouseOver");
    mouse_over_timer_->SetInterval(kMouseOverInterval);
    mouse_over_timer_->SetEnabled(true);
    mouse_over_timer_->SetTag("");
}

void OVTabHead::LoadSelectedTab(const Variant& stored) {
    // The list is parsed after this key whether or not its number could be read: a failing key
    // is skipped, the next statement still runs.
    try {
        selected_tab_ = ParseSelectedTab(CStr(stored));
    } catch (const AutomationError&) {
        ParseTabString();
        throw;
    }
    ParseTabString();
}

void OVTabHead::OnResize() { LayoutTabs(); }

// --- properties ----------------------------------------------------------------------------

void OVTabHead::SetTabString(std::string list) {
    tab_string_ = std::move(list);
    ParseTabString();
    LayoutTabs();
}

std::string OVTabHead::SelectedTab() const { return SelectedTabText(selected_tab_); }

void OVTabHead::SetSelectedTab(std::string text) {
    selected_tab_ = ParseSelectedTab(text);  // an overflow leaves the index as it was
    LayoutTabs();
}

void OVTabHead::SetSelectedBold(bool bold) {
    selected_bold_ = bold;
    NotifyChanged(kSelectedBold);
    LayoutTabs();
}

void OVTabHead::SetSelectedColor(std::int32_t colour) {
    selected_color_ = colour;
    NotifyChanged(kSelectedColor);
    LayoutTabs();
}

void OVTabHead::SetInactiveBold(bool bold) {
    inactive_bold_ = bold;
    NotifyChanged(kInactiveBold);
    LayoutTabs();
}

void OVTabHead::SetInactiveColor(std::int32_t colour) {
    inactive_color_ = colour;
    NotifyChanged(kInactiveColor);
    LayoutTabs();
}

void OVTabHead::SetTabBackColor(std::int32_t colour) {
    SetBackColor(colour);
    NotifyChanged(kBackColor);
    LayoutTabs();
}

// --- list and layout -----------------------------------------------------------------------

void OVTabHead::ParseTabString() {
    HeadingTexts texts;
    for (int i = 0; i < kHeadingCount; ++i) {
        const host::Label& label = *headings_[static_cast<std::size_t>(i)];
        texts[static_cast<std::size_t>(i)] = HeadingText{label.Caption(), label.Width(), label.Visible()};
    }
    tabhead::ParseTabString(tab_string_, texts);
    for (int i = 0; i < kHeadingCount; ++i) {
        host::Label& label = *headings_[static_cast<std::size_t>(i)];
        const HeadingText& text = texts[static_cast<std::size_t>(i)];
        label.SetCaption(text.caption);
        label.SetWidth(text.width);
        label.SetVisible(text.visible);
    }
}

void OVTabHead::LayoutTabs() {
    TabRowGeometry row;
    for (int i = 0; i < kHeadingCount; ++i) {
        const host::Label& label = *headings_[static_cast<std::size_t>(i)];
        row.headings[static_cast<std::size_t>(i)] = Box{label.Left(), label.Top(), label.Width(), label.Height()};
    }
    row.plate = Box{plate_->Left(), plate_->Top(), plate_->Width(), plate_->Height()};
    row.plate_visible = plate_->Visible();
    row.left_line = Segment{left_line_->X1(), left_line_->Y1(), left_line_->X2(), left_line_->Y2()};
    row.right_line = Segment{right_line_->X1(), right_line_->Y1(), right_line_->X2(), right_line_->Y2()};
    row.shadow = Segment{shadow_line_->X1(), shadow_line_->Y1(), shadow_line_->X2(), shadow_line_->Y2()};

    const TabRowMetrics metrics{ScaleWidth(), ScaleHeight(), gdi::Screen().twips_per_pixel_x,
                                gdi::Screen().twips_per_pixel_y};
    bool completed = false;
    // Whatever the layout reached is applied, also when the running position overflowed.
    struct ApplyOnExit {
        OVTabHead& control;
        const TabRowGeometry& row;
        const bool& completed;
        ~ApplyOnExit() {
            for (int i = 0; i < kHeadingCount; ++i) {
                host::Label& label = *control.headings_[static_cast<std::size_t>(i)];
                const Box& box = row.headings[static_cast<std::size_t>(i)];
                label.Move(box.left, box.top, box.width, box.height);
                if (i < row.styled_count) {
                    const bool selected = row.selected_style[static_cast<std::size_t>(i)];
                    label.SetForeColor(selected ? control.selected_color_ : control.inactive_color_);
                    label.SetFontBold(selected ? control.selected_bold_ : control.inactive_bold_);
                }
            }
            control.plate_->Move(row.plate.left, row.plate.top, row.plate.width, row.plate.height);
            if (!completed) return;
            control.plate_->SetVisible(row.plate_visible);
            control.left_line_->SetPoints(row.left_line.x1, row.left_line.y1, row.left_line.x2, row.left_line.y2);
            control.right_line_->SetPoints(row.right_line.x1, row.right_line.y1, row.right_line.x2, row.right_line.y2);
            control.shadow_line_->SetPoints(row.shadow.x1, row.shadow.y1, row.shadow.x2, row.shadow.y2);
            control.shadow_line_->SetBorderColor(gdi::OleSystemColor(gdi::COLOR_BTNSHADOW));
        }
    } apply{*this, row, completed};
    tabhead::LayoutTabs(metrics, selected_tab_, !tab_string_.empty(), row);
    completed = true;
}

// --- interaction ---------------------------------------------------------------------------

void OVTabHead::OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) {
    // Only the control's own surface raises Click and DblClick; the headings never do.
    if (event == "Click") RaiseEvent(kEventClick, args);
    else if (event == "DblClick") RaiseEvent(kEventDblClick, args);
}

void OVTabHead::OnConstituentEvent(host::Constituent& source, std::string_view event, std::vector<Variant>& args) {
    if (&source == mouse_over_timer_) {
        if (event == "Timer") MouseOverTimerTicked();
        return;
    }
    if (source.kind() != host::ConstituentKind::Label || source.name() != "lblTabItem") return;
    if (event == "Click") HeadingClicked(source.index());
    else if (event == "MouseMove") HeadingHovered(source.index());
}

void OVTabHead::HeadingClicked(int index) {
    // Index goes by reference: the handler's value is the one selected. TabName is a copy of
    // the caption, so changing it changes nothing.
    std::vector<Variant> args{Variant::FromInteger(static_cast<std::int16_t>(index)),
                              Variant::FromString(headings_[static_cast<std::size_t>(index)]->Caption())};
    RaiseEvent(kEventTabSelected, args);
    selected_tab_ = CInt(args[0]);
    LayoutTabs();
}

void OVTabHead::HeadingHovered(int index) {
    for (int i = 0; i < kHeadingCount; ++i) {
        host::Label& heading = *headings_[static_cast<std::size_t>(i)];
        if (i != index && heading.FontUnderline()) heading.SetFontUnderline(false);
    }
    host::Label& hovered = *headings_[static_cast<std::size_t>(index)];
    if (!hovered.FontUnderline()) hovered.SetFontUnderline(true);
    // A running timer keeps its period: continuous movement does not postpone the tick.
    mouse_over_timer_->SetEnabled(true);
    mouse_over_timer_->SetTag(std::to_string(index));
}

void OVTabHead::MouseOverTimerTicked() {
    // The tick does not look at the pointer: the underline goes even if the mouse still rests
    // on the heading, and the next movement brings it back.
    const std::int16_t index = CInt(Variant::FromDouble(Val(mouse_over_timer_->Tag())));
    if (index >= 0 && index < kHeadingCount) {
        host::Label& heading = *headings_[static_cast<std::size_t>(index)];
        if (heading.FontUnderline()) heading.SetFontUnderline(false);
    }
    mouse_over_timer_->SetEnabled(false);
}

}  // namespace ov::tabhead
