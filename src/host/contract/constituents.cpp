#include "host/contract/constituents.h"

#include "host/contract/control.h"

namespace ov::host {

namespace {

Variant Long(std::int32_t v) { return Variant::FromLong(v); }
Variant Single(double v) { return Variant::FromSingle(static_cast<float>(v)); }
Variant Bool(bool v) { return Variant::FromBoolean(v); }

std::vector<EventDesc> MakeStandardEvents() {
    const TypeDesc integer = TypeDesc::Of(VarType::Integer);
    const TypeDesc single = TypeDesc::Of(VarType::Single);
    const std::vector<ParamDesc> mouse = {Ref("Button", integer), Ref("Shift", integer), Ref("X", single),
                                          Ref("Y", single)};
    const std::vector<ParamDesc> drag = {Ref("Data", TypeDesc::Object("DataObject")),
                                         Ref("Effect", TypeDesc::Of(VarType::Long)),
                                         Ref("Button", integer),
                                         Ref("Shift", integer),
                                         Ref("X", single),
                                         Ref("Y", single)};
    std::vector<EventDesc> events = {
        {"Click", 0, {}, {}},
        {"DblClick", 0, {}, {}},
        {"MouseDown", 0, mouse, {}},
        {"MouseMove", 0, mouse, {}},
        {"MouseUp", 0, mouse, {}},
        {"KeyDown", 0, {Ref("KeyCode", integer), Ref("Shift", integer)}, {}},
        {"KeyPress", 0, {Ref("KeyAscii", integer)}, {}},
        {"KeyUp", 0, {Ref("KeyCode", integer), Ref("Shift", integer)}, {}},
        {"GotFocus", 0, {}, {}},
        {"LostFocus", 0, {}, {}},
        {"Change", 0, {}, {}},
        {"Paint", 0, {}, {}},
        {"Resize", 0, {}, {}},
        {"Timer", 0, {}, {}},
        {"OLEStartDrag",
         0,
         {Ref("Data", TypeDesc::Object("DataObject")), Ref("AllowedEffects", TypeDesc::Of(VarType::Long))},
         {}},
        {"OLESetData", 0, {Ref("Data", TypeDesc::Object("DataObject")), Ref("DataFormat", integer)}, {}},
        {"OLEGiveFeedback",
         0,
         {Ref("Effect", TypeDesc::Of(VarType::Long)), Ref("DefaultCursors", TypeDesc::Of(VarType::Boolean))},
         {}},
        {"OLEDragOver",
         0,
         [&] {
             auto p = drag;
             p.push_back(Ref("State", integer));
             return p;
         }(),
         {}},
        {"OLEDragDrop", 0, drag, {}},
        {"OLECompleteDrag", 0, {Ref("Effect", TypeDesc::Of(VarType::Long))}, {}},
    };
    return events;
}

}  // namespace

const EventDesc* FindStandardEvent(std::string_view event_name) {
    static const std::vector<EventDesc> events = MakeStandardEvents();
    for (const EventDesc& e : events)
        if (EqualsIgnoreCase(e.name, event_name)) return &e;
    return nullptr;
}

const EnumDesc* FindStandardEnum(std::string_view enum_name) {
    static const std::vector<EnumDesc> enums = {
        {"MousePointerConstants",
         {{"mpDefault", 0},
          {"mpArrow", 1},
          {"mpCrosshair", 2},
          {"mpIbeam", 3},
          {"mpIconPointer", 4},
          {"mpSizePointer", 5},
          {"mpSizeNESW", 6},
          {"mpSizeNS", 7},
          {"mpSizeNWSE", 8},
          {"mpSizeWE", 9},
          {"mpUpArrow", 10},
          {"mpHourglass", 11},
          {"mpNoDrop", 12},
          {"mpArrowHourglass", 13},
          {"mpArrowQuestion", 14},
          {"mpSizeAll", 15},
          {"mpCustom", kMousePointerCustom}}},
        {"OLEDropConstants", {{"oleDropNone", 0}, {"oleDropManual", 1}, {"oleDropAutomatic", 2}}},
    };
    for (const EnumDesc& e : enums)
        if (EqualsIgnoreCase(e.name, enum_name)) return &e;
    return nullptr;
}

Constituent::Constituent(Control& owner, ConstituentKind kind, std::string name, int index)
    : owner_(owner), kind_(kind), name_(std::move(name)), index_(index) {}

std::string Constituent::QualifiedName() const {
    return index_ < 0 ? name_ : name_ + "(" + std::to_string(index_) + ")";
}

void Constituent::Move(double left, double top, double width, double height) {
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    NoteVisualChange();
}

std::vector<std::pair<std::string, Variant>> Constituent::InspectProperties() const {
    return {{"Left", Single(left_)},
            {"Top", Single(top_)},
            {"Width", Single(width_)},
            {"Height", Single(height_)},
            {"Visible", Bool(visible_)}};
}

Label::Label(Control& owner, std::string name, int index)
    : Constituent(owner, ConstituentKind::Label, std::move(name), index) {
    // A label made on a sited control takes the ambient font at once; one made earlier gets it
    // when the control is sited (Control::Initialize).
    if (owner.site()) font_ = FontFromObject(owner.AmbientFont(), font_);
    width_ = 1215;
    height_ = 255;
}

std::vector<std::pair<std::string, Variant>> Label::InspectProperties() const {
    auto props = Constituent::InspectProperties();
    props.emplace_back("Caption", Variant::FromString(caption_));
    props.emplace_back("ForeColor", Long(fore_color_));
    props.emplace_back("BackColor", Long(back_color_));
    props.emplace_back("FontBold", Bool(font_.bold));
    props.emplace_back("FontUnderline", Bool(font_.underline));
    props.emplace_back("Enabled", Bool(enabled_));
    return props;
}

Line::Line(Control& owner, std::string name, int index)
    : Constituent(owner, ConstituentKind::Line, std::move(name), index) {}

std::vector<std::pair<std::string, Variant>> Line::InspectProperties() const {
    return {{"Visible", Bool(visible_)}, {"X1", Single(x1_)}, {"Y1", Single(y1_)},
            {"X2", Single(x2_)},         {"Y2", Single(y2_)}, {"BorderColor", Long(border_color_)}};
}

Shape::Shape(Control& owner, std::string name, int index)
    : Constituent(owner, ConstituentKind::Shape, std::move(name), index) {
    width_ = 1215;
    height_ = 615;
}

std::vector<std::pair<std::string, Variant>> Shape::InspectProperties() const {
    auto props = Constituent::InspectProperties();
    props.emplace_back("BackColor", Long(back_color_));
    props.emplace_back("BorderColor", Long(border_color_));
    props.emplace_back("FillColor", Long(fill_color_));
    return props;
}

Image::Image(Control& owner, std::string name, int index)
    : Constituent(owner, ConstituentKind::Image, std::move(name), index) {}

Timer::Timer(Control& owner, std::string name, int index)
    : Constituent(owner, ConstituentKind::Timer, std::move(name), index) {
    period_start_ = owner.ClockMilliseconds();
}

void Timer::SetInterval(std::int32_t milliseconds) {
    if (milliseconds == interval_) return;
    interval_ = milliseconds;
    period_start_ = owner().ClockMilliseconds();
}

void Timer::SetEnabled(bool enabled) {
    if (enabled && !enabled_) period_start_ = owner().ClockMilliseconds();
    enabled_ = enabled;
}

std::int64_t Timer::NextDue() const {
    if (!enabled_ || interval_ <= 0) return -1;
    return period_start_ + interval_;
}

void Timer::Ticked(std::int64_t at) { period_start_ = at; }

void Timer::Restart(std::int64_t now) { period_start_ = now; }

std::vector<std::pair<std::string, Variant>> Timer::InspectProperties() const {
    return {{"Enabled", Bool(enabled_)}, {"Interval", Long(interval_)}, {"Tag", Variant::FromString(tag_)}};
}

}  // namespace ov::host
