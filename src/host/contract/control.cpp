#include "host/contract/control.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <stdexcept>

#include "platform/gdi/ole_colour.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/gdi/window.h"
#include "platform/limits.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {

namespace {

int PixelsOf(double twips, Axis axis) { return std::max(0, TwipsToPixels(twips, axis)); }

}  // namespace

bool Control::ExtentFits(double width_twips, double height_twips) {
    return limits::SurfaceSizeAllowed(PixelsOf(width_twips, Axis::X), PixelsOf(height_twips, Axis::Y));
}

Control::Control() = default;

Control::~Control() {
    // A control destroyed without Terminate (a test that drops it) still returns its window.
    constituents_.clear();
    if (dc_) gdi::ReleaseDC(window_, dc_);
    if (window_) gdi::DestroyWindowSurface(window_);
}

Variant Control::Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) {
    // What a call changes that the compositor reads counts in the setters it goes through;
    // what it draws the drawing layer notes as damage.
    return AutomationObject::Invoke(dispid, kind, args);
}

// --- lifecycle -------------------------------------------------------------------------------

void Control::Initialize(ControlSite* site) {
    if (stage_ != LifecycleStage::Created) return;
    site_ = site;
    const gdi::HWND parent = site_ ? site_->ParentWindow(*this) : 0;
    window_ = gdi::CreateWindowSurface(parent, PixelWidth(), PixelHeight(), gdi::TranslateOleColorOrBlack(back_color_));
    // Without its window the control has nothing to draw on (and GetDC(0) would hand it the
    // screen's): it stays uninitialised.
    if (!window_) throw AutomationError(error::kOutOfMemory);
    dc_ = gdi::GetDC(window_);
    if (!font_) font_ = AmbientFont();
    // Labels made before the control was sited, and not given a font of their own, take the
    // host's ambient font now, as labels placed at design time do.
    const FontAttributes ambient = FontFromObject(font_);
    for (auto& c : constituents_)
        if (c->kind() == ConstituentKind::Label && static_cast<Label&>(*c).Font() == FontAttributes{})
            static_cast<Label&>(*c).SetFont(ambient);
    // Timers created before the control was sited start their first period now.
    for (auto& c : constituents_)
        if (c->kind() == ConstituentKind::Timer) static_cast<Timer&>(*c).Restart(ClockMilliseconds());
    stage_ = LifecycleStage::Initialized;
    NoteVisualChange();
    current_step_ = "Initialize";
    OnInitialize();
}

void Control::InitProperties() {
    if (stage_ != LifecycleStage::Initialized) return;
    current_step_ = "InitProperties";
    OnInitProperties();
    stage_ = LifecycleStage::PropertiesReady;
}

void Control::ReadProperties(const PropertyBag& bag) {
    if (stage_ != LifecycleStage::Initialized) return;
    current_step_ = "ReadProperties";
    OnReadProperties(bag);
    stage_ = LifecycleStage::PropertiesReady;
}

void Control::Resize() {
    if (stage_ == LifecycleStage::Created || stage_ == LifecycleStage::Terminated) return;
    OnResize();
}

void Control::Show() {
    if (stage_ != LifecycleStage::PropertiesReady) return;
    shown_ = true;
    OnShow();
}

void Control::Paint() {
    if (stage_ != LifecycleStage::PropertiesReady) return;
    OnPaint();
}

void Control::SystemColoursChanged() {
    if (stage_ != LifecycleStage::PropertiesReady) return;
    OnSystemColoursChanged();
    NoteVisualChange();
}

void Control::Hide() {
    if (stage_ != LifecycleStage::PropertiesReady) return;
    shown_ = false;
    OnHide();
}

void Control::WriteProperties(PropertyBag& bag) {
    if (stage_ != LifecycleStage::PropertiesReady) return;
    current_step_ = "WriteProperties";
    OnWriteProperties(bag);
}

void Control::Terminate() {
    if (stage_ == LifecycleStage::Created || stage_ == LifecycleStage::Terminated) return;
    current_step_ = "Terminate";
    OnTerminate();
    stage_ = LifecycleStage::Terminated;
    NoteVisualChange();
    shown_ = false;
    constituents_.clear();
    if (dc_) gdi::ReleaseDC(window_, dc_);
    if (window_) gdi::DestroyWindowSurface(window_);
    dc_ = 0;
    window_ = 0;
}

void Control::SetExtent(double width_twips, double height_twips) {
    if (width_twips == width_ && height_twips == height_) return;
    const double old_width = width_, old_height = height_;
    PlaceExtent(width_twips, height_twips);
    // Delivered synchronously, also from inside OnResize: a control that corrects its own
    // size sees the corrected size in a nested Resize before its own setter returns.
    try {
        Resize();
    } catch (...) {
        // A layout the new extent cannot have (a constituent picture box too large to make)
        // leaves the control as it was: the old extent, laid out again.
        PlaceExtent(old_width, old_height);
        Resize();
        throw;
    }
}

void Control::PlaceExtent(double width_twips, double height_twips) {
    RequireValidExtent(width_twips, height_twips);
    if (!ExtentFits(width_twips, height_twips)) throw AutomationError(error::kOutOfMemory);
    const double old_width = width_, old_height = height_;
    width_ = width_twips;
    height_ = height_twips;
    NoteVisualChange();
    if (!ResizeWindow()) {
        width_ = old_width;
        height_ = old_height;
        throw AutomationError(error::kOutOfMemory);
    }
}

// A control cannot be given a negative (or not-a-number) width or height: the platform refuses
// it with "Invalid property value" and the control keeps its extent, whichever way the extent
// was set (the extender's Width and Height, the host's layout, a placement on loading).
void Control::RequireValidExtent(double width_twips, double height_twips) {
    if (!(width_twips >= 0) || !(height_twips >= 0)) throw AutomationError(error::kInvalidPropertyValue);
}

bool Control::ResizeWindow() { return !window_ || ResizeClientArea(window_, PixelWidth(), PixelHeight(), back_color_); }

bool ResizeClientArea(gdi::HWND window, int width, int height, std::int32_t ole_colour) {
    try {
        return gdi::SetWindowClientSize(window, width, height, gdi::TranslateOleColorOrBlack(ole_colour));
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// --- events delivered by the host ------------------------------------------------------------

void Control::DeliverSurfaceEvent(std::string_view event, std::vector<Variant>& args) {
    if (stage_ == LifecycleStage::Terminated) return;
    OnSurfaceEvent(event, args);
}

void Control::DeliverConstituentEvent(Constituent& source, std::string_view event, std::vector<Variant>& args) {
    if (stage_ == LifecycleStage::Terminated) return;
    OnConstituentEvent(source, event, args);
}

// --- surface ---------------------------------------------------------------------------------

int Control::PixelWidth() const { return PixelsOf(width_, Axis::X); }
int Control::PixelHeight() const { return PixelsOf(height_, Axis::Y); }

void Control::SetScaleMode(int mode) {
    if (!IsSurfaceScaleMode(mode)) throw AutomationError(error::kInvalidPropertyValue);
    if (mode == kScaleUser) {
        if (user_scale_width_ == 0) user_scale_width_ = ScaleWidth();
        if (user_scale_height_ == 0) user_scale_height_ = ScaleHeight();
    }
    scale_mode_ = mode;
    NoteVisualChange();
}

double Control::ScaleWidth() const {
    if (scale_mode_ == kScaleUser) return user_scale_width_;
    // The client area is whole pixels; the scale extent measures those pixels.
    return ConvertUnits(PixelWidth(), kScalePixels, scale_mode_, Axis::X);
}

double Control::ScaleHeight() const {
    if (scale_mode_ == kScaleUser) return user_scale_height_;
    return ConvertUnits(PixelHeight(), kScalePixels, scale_mode_, Axis::Y);
}

void Control::SetScaleWidth(double width) {
    if (scale_mode_ != kScaleUser) user_scale_height_ = ScaleHeight();
    user_scale_width_ = width;
    scale_mode_ = kScaleUser;
    NoteVisualChange();
}

void Control::SetScaleHeight(double height) {
    if (scale_mode_ != kScaleUser) user_scale_width_ = ScaleWidth();
    user_scale_height_ = height;
    scale_mode_ = kScaleUser;
    NoteVisualChange();
}

namespace {

// Twips per unit of `mode` on a surface, the user scale measured by the surface's extent.
double SurfaceTwipsPerUnit(int mode, Axis axis, double user_extent, int pixel_extent) {
    const double user = user_extent == 0 ? 1.0 : PixelsToTwips(pixel_extent, axis) / user_extent;
    return TwipsPerUnit(mode, axis, user);
}

}  // namespace

double Control::ScaleX(double value, int from_mode, int to_mode) const {
    if (to_mode < 0) to_mode = scale_mode_;
    const double from = SurfaceTwipsPerUnit(from_mode, Axis::X, user_scale_width_, PixelWidth());
    const double to = SurfaceTwipsPerUnit(to_mode, Axis::X, user_scale_width_, PixelWidth());
    return value * from / to;
}

double Control::ScaleY(double value, int from_mode, int to_mode) const {
    if (to_mode < 0) to_mode = scale_mode_;
    const double from = SurfaceTwipsPerUnit(from_mode, Axis::Y, user_scale_height_, PixelHeight());
    const double to = SurfaceTwipsPerUnit(to_mode, Axis::Y, user_scale_height_, PixelHeight());
    return value * from / to;
}

int Control::ToPixelsX(double scale_units) const {
    return RoundToPixels(ScaleX(scale_units, scale_mode_, kScalePixels));
}

int Control::ToPixelsY(double scale_units) const {
    return RoundToPixels(ScaleY(scale_units, scale_mode_, kScalePixels));
}

void Control::SetBackColor(std::int32_t colour) {
    back_color_ = colour;
    ClearSurface();
}

void Control::ClearSurface() {
    if (!dc_) return;
    gdi::FillSolidRect(dc_, gdi::RECT{0, 0, PixelWidth(), PixelHeight()}, gdi::TranslateOleColorOrBlack(back_color_));
}

void Control::Refresh() {
    if (site_) site_->SurfaceRefreshed(*this);
}

void Control::OLEDrag() {
    if (site_) site_->OLEDragRequested(*this);
}

void Control::PopupMenu(const Variant& menu) { PopupMenu(std::vector<Variant>{menu}); }

void Control::PopupMenu(const std::vector<Variant>& args) {
    if (site_) site_->PopupMenuRequested(*this, args);
}

std::shared_ptr<IDispatch> Control::Parent() const { return site_ ? site_->Parent(*this) : nullptr; }

std::vector<std::shared_ptr<IDispatch>> Control::ContainedControls() const {
    return site_ ? site_->ContainedControls(*this) : std::vector<std::shared_ptr<IDispatch>>{};
}

bool Control::AmbientUserMode() const { return site_ ? site_->AmbientUserMode() : true; }

std::shared_ptr<IDispatch> Control::AmbientFont() const {
    if (site_) return site_->AmbientFont();
    return MakeFontObject(FontAttributes{});
}

std::string Control::AmbientDisplayName() const { return site_ ? site_->AmbientDisplayName(*this) : std::string(); }

std::int64_t Control::ClockMilliseconds() const { return site_ ? site_->ClockMilliseconds() : 0; }

// --- notification and events -----------------------------------------------------------------

void Control::PropertyChanged(std::string_view property_name) {
    if (site_) site_->PropertyChanged(*this, property_name);
}

void Control::NotifyChanged(std::int32_t dispid) {
    if (!site_) return;
    const MemberDesc* member = Info().FindMember(dispid);
    if (member && member->notification) site_->PropertyChanged(*this, *member->notification);
}

void Control::RaiseEvent(std::int32_t dispid, std::vector<Variant>& args) {
    const EventDesc* event = Info().FindEvent(dispid);
    if (!event) throw AutomationError(error::kObjectDoesntSupport);
    if (args.size() != event->params.size()) throw AutomationError(error::kWrongArgumentCount);
    if (site_) site_->EventRaised(*this, *event, args);
}

void Control::RaiseEvent(std::string_view event_name, std::vector<Variant>& args) {
    const EventDesc* event = Info().FindEvent(event_name);
    if (!event) throw AutomationError(error::kObjectDoesntSupport);
    RaiseEvent(event->dispid, args);
}

void Control::RaiseEvent(std::string_view event_name) {
    std::vector<Variant> none;
    RaiseEvent(event_name, none);
}

// --- persistence -----------------------------------------------------------------------------

void Control::OnReadProperties(const PropertyBag& bag) { ReadPersisted(bag); }

void Control::OnWriteProperties(PropertyBag& bag) { WritePersisted(bag); }

void Control::OnInitProperties() { InitPersisted(); }

void Control::ReadPersisted(const PropertyBag& bag) {
    const ClassInfo& info = Info();
    for (std::size_t i = 0; i < info.persisted.size(); ++i) {
        const MemberDesc& m = info.PersistedMember(i);
        ReadKey(bag, m.name, PersistedDefault(m), m.persist->type,
                [&](const Variant& v) { m.persist->load(*this, v); });
    }
}

void Control::WritePersisted(PropertyBag& bag) {
    const ClassInfo& info = Info();
    for (std::size_t i = 0; i < info.persisted.size(); ++i) {
        const MemberDesc& m = info.PersistedMember(i);
        WriteKey(bag, m.name, PersistedDefault(m), [&] { return m.persist->save(*this); });
    }
}

void Control::InitPersisted() {
    const ClassInfo& info = Info();
    for (std::size_t i = 0; i < info.persisted.size(); ++i) {
        const MemberDesc& m = info.PersistedMember(i);
        if (m.initial_applied) m.persist->load(*this, KeyValue(m, *m.initial));
    }
}

Variant Control::PersistedDefault(const MemberDesc& member) const { return KeyValue(member, *member.default_value); }

Variant Control::ResetValue(const MemberDesc& member) const {
    if (!member.default_value) return Variant();
    const Variant value = ResolveValue(*member.default_value, this);
    return member.default_value->font_attribute.empty() ? value : member.type.Coerce(value);
}

Variant Control::KeyValue(const MemberDesc& member, const ValueSpec& declared) const {
    // A font attribute takes the key's type (a Single size for a Single key, as a saved value
    // has it); table values and font objects are used as they are.
    Variant value = ResolveValue(declared, this);
    return declared.font_attribute.empty() ? value : member.persist->type.Coerce(value);
}

Variant ResolveValue(const ValueSpec& declared, const Control* control) {
    std::shared_ptr<IDispatch> font;
    switch (declared.source) {
        case ValueSource::Table: return declared.value;
        case ValueSource::AmbientDisplayName:
            return Variant::FromString(control ? control->AmbientDisplayName() : std::string());
        case ValueSource::AmbientFont:
            font = control ? control->AmbientFont() : MakeFontObject(FontAttributes{});
            break;
        case ValueSource::ControlFont: font = control ? control->Font() : MakeFontObject(FontAttributes{}); break;
    }
    const std::string& attribute = declared.font_attribute;
    if (attribute.empty()) return Variant::FromObject(font);
    const FontAttributes f = FontFromObject(font);
    if (attribute == "Name") return Variant::FromString(f.name);
    if (attribute == "Size") return Variant::FromDouble(f.size);
    if (attribute == "Bold") return Variant::FromBoolean(f.bold);
    if (attribute == "Italic") return Variant::FromBoolean(f.italic);
    if (attribute == "Underline") return Variant::FromBoolean(f.underline);
    if (attribute == "Strikethrough") return Variant::FromBoolean(f.strikethrough);
    throw std::logic_error("no such font attribute: " + attribute);
}

bool Control::ReadKey(const PropertyBag& bag, std::string_view key, const Variant& default_value, const TypeDesc& type,
                      const std::function<void(const Variant&)>& load) {
    try {
        load(type.Coerce(bag.ReadProperty(key, default_value)));
        return true;
    } catch (const AutomationError& e) {
        ReportLifecycleError(current_step_, key, e);
        return false;
    }
}

void Control::WriteKey(PropertyBag& bag, std::string_view key, const Variant& default_value,
                       const std::function<Variant()>& save) {
    try {
        bag.WriteProperty(key, save(), default_value);
    } catch (const AutomationError& e) {
        ReportLifecycleError(current_step_, key, e);
    }
}

void Control::ReportLifecycleError(std::string_view step, std::string_view key, const AutomationError& error) {
    if (site_) site_->LifecycleError(*this, step, key, error);
}

// --- extender --------------------------------------------------------------------------------

std::int32_t Control::FallbackIDOfName(std::string_view name) const {
    return site_ ? site_->ExtenderIDOfName(*this, name) : kDispidUnknown;
}

Variant Control::FallbackInvoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) {
    if (!site_) throw AutomationError(error::kObjectDoesntSupport);
    return site_->ExtenderInvoke(*this, dispid, kind, args);
}

// --- constituents ----------------------------------------------------------------------------

template <class C>
C& Control::AddConstituent(std::unique_ptr<C> constituent) {
    C& ref = *constituent;
    constituents_.push_back(std::move(constituent));
    NoteVisualChange();
    return ref;
}

Label& Control::AddLabel(std::string name) {
    return AddConstituent(std::make_unique<Label>(*this, std::move(name), -1));
}

std::vector<Label*> Control::AddLabelArray(std::string name, int count) {
    std::vector<Label*> labels;
    for (int i = 0; i < count; ++i) labels.push_back(&AddConstituent(std::make_unique<Label>(*this, name, i)));
    return labels;
}

Line& Control::AddLine(std::string name) { return AddConstituent(std::make_unique<Line>(*this, std::move(name), -1)); }

Shape& Control::AddShape(std::string name) {
    return AddConstituent(std::make_unique<Shape>(*this, std::move(name), -1));
}

Image& Control::AddImage(std::string name) {
    return AddConstituent(std::make_unique<Image>(*this, std::move(name), -1));
}

Timer& Control::AddTimer(std::string name) {
    return AddConstituent(std::make_unique<Timer>(*this, std::move(name), -1));
}

ConstituentPictureBox& Control::AddPictureBox(std::string name) {
    return AddConstituent(std::make_unique<ConstituentPictureBox>(*this, std::move(name), -1));
}

TextBox& Control::AddTextBox(std::string name) {
    return AddConstituent(std::make_unique<TextBox>(*this, std::move(name), -1));
}

Constituent* Control::FindConstituent(std::string_view name, int index) const {
    for (const auto& c : constituents_)
        if (c->index() == index && EqualsIgnoreCase(c->name(), name)) return c.get();
    return nullptr;
}

Constituent* Control::FindConstituent(std::string_view qualified_name) const {
    const auto open = qualified_name.find('(');
    if (open == std::string_view::npos || qualified_name.back() != ')') return FindConstituent(qualified_name, -1);
    const std::string number(qualified_name.substr(open + 1, qualified_name.size() - open - 2));
    char* end = nullptr;
    const long index = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0') return nullptr;
    return FindConstituent(qualified_name.substr(0, open), static_cast<int>(index));
}

}  // namespace ov::host
