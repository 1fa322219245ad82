#include "host/reference_host.h"

#include <algorithm>

#include "host/compositor.h"
#include "host/plain_controls.h"
#include "platform/gdi/png_io.h"
#include "platform/runtime/clock.h"

namespace ov::host {

namespace {


// Extender members the host adds to every placed control. Their ids sit in a range no
// control table uses.
constexpr std::int32_t kExtenderBase = 0x60000000;
enum ExtenderMember : std::int32_t { kExtName = 1, kExtLeft, kExtTop, kExtWidth, kExtHeight, kExtVisible, kExtContainer };
struct ExtenderName {
    const char* name;
    std::int32_t id;
};
constexpr ExtenderName kExtenderNames[] = {{"Name", kExtName},     {"Left", kExtLeft},     {"Top", kExtTop},
                                           {"Width", kExtWidth},   {"Height", kExtHeight}, {"Visible", kExtVisible},
                                           {"Container", kExtContainer}};

}  // namespace

struct ReferenceHost::Entry {
    std::string name;
    std::string class_name;
    std::shared_ptr<AutomationObject> object;
    Control* control = nullptr;
    Entry* container = nullptr;
    double left = 0, top = 0;  // twips, in the container
    bool visible = true;
};

gdi::COLORREF ComposedImage::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return gdi::CLR_INVALID;
    return gdi::ColorFromPixelWord(pixels[static_cast<std::size_t>(y) * width + x]);
}

ReferenceHost::ReferenceHost(const ClassRegistry& registry) : registry_(registry), form_(std::make_shared<Form>()) {}

ReferenceHost::~ReferenceHost() {
    while (!entries_.empty()) {
        // Newest first; Terminate takes the contained controls with it.
        Entry* top = entries_.back().get();
        while (top->container) top = top->container;
        Terminate(top->name);
    }
}

// --- environment ---------------------------------------------------------------------------

void ReferenceHost::SetAmbientFont(const FontAttributes& font) {
    ambient_font_attributes_ = font;
    ambient_font_.reset();
}

std::shared_ptr<IDispatch> ReferenceHost::AmbientFont() const {
    // A fresh object each time: a control that changes the font it was given must not change
    // the ambient font of every other control.
    return MakeFontObject(ambient_font_attributes_);
}

void ReferenceHost::SetNow(double date_serial) { SetFixedNow(date_serial); }

void ReferenceHost::Wait(std::int64_t milliseconds) {
    const std::int64_t target = clock_ms_ + std::max<std::int64_t>(0, milliseconds);
    for (;;) {
        Timer* next = nullptr;
        Entry* owner = nullptr;
        std::int64_t due_at = 0;
        for (const auto& entry : entries_) {
            if (!entry->control || entry->control->stage() == LifecycleStage::Terminated) continue;
            for (const auto& c : entry->control->constituents()) {
                if (c->kind() != ConstituentKind::Timer) continue;
                auto& timer = static_cast<Timer&>(*c);
                const std::int64_t due = timer.NextDue();
                if (due < 0 || due > target) continue;
                if (!next || due < due_at) next = &timer, owner = entry.get(), due_at = due;
            }
        }
        if (!next) break;
        AdvanceFixedNow(static_cast<double>(due_at - clock_ms_));
        clock_ms_ = due_at;
        next->Ticked(due_at);
        std::vector<Variant> none;
        owner->control->DeliverConstituentEvent(*next, "Timer", none);
    }
    AdvanceFixedNow(static_cast<double>(target - clock_ms_));
    clock_ms_ = target;
}

// --- objects -------------------------------------------------------------------------------

ReferenceHost::Entry* ReferenceHost::FindEntry(std::string_view name) const {
    for (const auto& e : entries_)
        if (EqualsIgnoreCase(e->name, name)) return e.get();
    return nullptr;
}

ReferenceHost::Entry* ReferenceHost::EntryOf(const IDispatch* object) const {
    for (const auto& e : entries_)
        if (e->object.get() == object) return e.get();
    return nullptr;
}

ReferenceHost::Entry& ReferenceHost::Create(const std::string& name, const std::string& class_name, const Placement& at) {
    if (FindEntry(name) || EqualsIgnoreCase(name, "form"))
        throw AutomationError(error::kInvalidProcedureCall, "Name '" + name + "' is already in use", "ReferenceHost");
    const ClassEntry* cls = registry_.Find(class_name);
    if (!cls) throw AutomationError(error::kCannotCreateObject, "ReferenceHost");
    Entry* container = nullptr;
    if (!at.container.empty()) {
        container = FindEntry(at.container);
        if (!container || !container->control) throw AutomationError(error::kObjectRequired, "ReferenceHost");
    }
    auto entry = std::make_unique<Entry>();
    entry->name = name;
    entry->class_name = cls->name;
    entry->object = cls->create();
    entry->control = cls->is_control ? dynamic_cast<Control*>(entry->object.get()) : nullptr;
    entry->container = container;
    if (entry->control) entry->control->PlaceExtent(cls->default_width, cls->default_height);
    entries_.push_back(std::move(entry));
    return *entries_.back();
}

void ReferenceHost::Place(Entry& entry, const Placement& at) {
    entry.left = at.left;
    entry.top = at.top;
    Control& c = *entry.control;
    if (at.width || at.height) c.PlaceExtent(at.width.value_or(c.Width()), at.height.value_or(c.Height()));
}

void ReferenceHost::ShowAndPaint(Entry& entry) {
    entry.control->Resize();
    entry.control->Show();
    entry.control->Paint();
}

std::shared_ptr<AutomationObject> ReferenceHost::New(const std::string& name, const std::string& class_name,
                                                     const Placement& at) {
    Entry& entry = Create(name, class_name, at);
    if (!entry.control) return entry.object;
    std::shared_ptr<AutomationObject> keep = entry.object;
    entry.control->Initialize(this);
    entry.control->InitProperties();
    Place(entry, at);
    ShowAndPaint(entry);
    return keep;
}

std::shared_ptr<AutomationObject> ReferenceHost::Load(const std::string& name, const std::string& class_name,
                                                      const PropertyBag& bag, const Placement& at) {
    Entry& entry = Create(name, class_name, at);
    if (!entry.control) return entry.object;
    std::shared_ptr<AutomationObject> keep = entry.object;
    entry.control->Initialize(this);
    entry.control->ReadProperties(bag);
    Place(entry, at);
    ShowAndPaint(entry);
    return keep;
}

namespace {

Control& RequireControl(Control* control) {
    if (!control) throw AutomationError(error::kObjectRequired, "ReferenceHost");
    return *control;
}

}  // namespace

PropertyBag ReferenceHost::Save(const std::string& name) {
    PropertyBag bag;
    RequireControl(FindControl(name)).WriteProperties(bag);
    return bag;
}

void ReferenceHost::Resize(const std::string& name, double width, double height) {
    RequireControl(FindControl(name)).SetExtent(width, height);
}

void ReferenceHost::Move(const std::string& name, double left, double top) {
    Entry* e = FindEntry(name);
    if (!e) throw AutomationError(error::kObjectRequired, "ReferenceHost");
    e->left = left;
    e->top = top;
}

void ReferenceHost::Show(const std::string& name) {
    Entry* e = FindEntry(name);
    RequireControl(e ? e->control : nullptr);
    e->visible = true;
    e->control->Show();
}

void ReferenceHost::Hide(const std::string& name) {
    Entry* e = FindEntry(name);
    RequireControl(e ? e->control : nullptr);
    e->visible = false;
    e->control->Hide();
}

void ReferenceHost::Paint(const std::string& name) { RequireControl(FindControl(name)).Paint(); }

void ReferenceHost::TerminateEntry(Entry& entry) {
    // Contained controls go first, newest first, so no child outlives its container's window.
    for (;;) {
        Entry* child = nullptr;
        for (auto it = entries_.rbegin(); it != entries_.rend() && !child; ++it)
            if ((*it)->container == &entry) child = it->get();
        if (!child) break;
        TerminateEntry(*child);
    }
    if (entry.control) entry.control->Terminate();
    std::erase_if(entries_, [&](const auto& e) { return e.get() == &entry; });
}

void ReferenceHost::Terminate(const std::string& name) {
    Entry* e = FindEntry(name);
    if (!e) throw AutomationError(error::kObjectRequired, "ReferenceHost");
    TerminateEntry(*e);
}

std::shared_ptr<AutomationObject> ReferenceHost::Find(std::string_view name) const {
    if (EqualsIgnoreCase(name, "form")) return form_;
    Entry* e = FindEntry(name);
    return e ? e->object : nullptr;
}

Control* ReferenceHost::FindControl(std::string_view name) const {
    Entry* e = FindEntry(name);
    return e ? e->control : nullptr;
}

std::string ReferenceHost::NameOf(const IDispatch* object) const {
    if (object == form_.get()) return "form";
    Entry* e = EntryOf(object);
    return e ? e->name : std::string();
}

std::vector<std::string> ReferenceHost::Names() const {
    std::vector<std::string> names;
    for (const auto& e : entries_) names.push_back(e->name);
    return names;
}

// --- events --------------------------------------------------------------------------------

std::vector<ChangedArgument> ReferenceHost::Fire(const std::string& name, const std::string& target,
                                                 const std::string& event, std::vector<Variant> args) {
    Control& control = RequireControl(FindControl(name));
    const EventDesc* desc = FindStandardEvent(event);
    if (!desc) throw AutomationError(error::kObjectDoesntSupport);
    if (args.size() != desc->params.size()) throw AutomationError(error::kWrongArgumentCount);
    for (std::size_t i = 0; i < args.size(); ++i) args[i] = desc->params[i].type.Coerce(args[i]);
    const std::vector<Variant> before = args;

    if (EqualsIgnoreCase(target, "surface")) {
        control.DeliverSurfaceEvent(desc->name, args);
    } else {
        Constituent* source = control.FindConstituent(target);
        if (!source) throw AutomationError(error::kObjectRequired, "ReferenceHost");
        control.DeliverConstituentEvent(*source, desc->name, args);
    }

    std::vector<ChangedArgument> changed;
    for (std::size_t i = 0; i < args.size(); ++i)
        if (desc->params[i].by_ref && !(args[i] == before[i])) changed.push_back({desc->params[i].name, args[i]});
    return changed;
}

void ReferenceHost::SetEventHandler(const std::string& name, const std::string& event, const std::string& argument,
                                    Variant value) {
    // A later handler for the same argument replaces the earlier one.
    std::erase_if(handlers_, [&](const Handler& h) {
        return EqualsIgnoreCase(h.object, name) && EqualsIgnoreCase(h.event, event) && EqualsIgnoreCase(h.argument, argument);
    });
    handlers_.push_back(Handler{name, event, argument, std::move(value)});
}

// --- inspection and composition ------------------------------------------------------------

std::vector<std::pair<std::string, Variant>> ReferenceHost::Inspect(const std::string& name,
                                                                    const std::string& target) const {
    Control& control = RequireControl(FindControl(name));
    Constituent* c = control.FindConstituent(target);
    if (!c) throw AutomationError(error::kObjectRequired, "ReferenceHost");
    return c->InspectProperties();
}

void ReferenceHost::ComposeChildren(const Entry* container, std::vector<std::uint32_t>& pixels, int width, int height,
                                    const gdi::RECT& clip, gdi::POINT origin) const {
    Canvas canvas{width, height, pixels};
    for (const auto& e : entries_) {
        if (e->container != container || !e->control || !e->visible) continue;
        if (e->control->stage() == LifecycleStage::Terminated) continue;
        const gdi::POINT at{origin.x + TwipsToPixels(e->left, Axis::X), origin.y + TwipsToPixels(e->top, Axis::Y)};
        ComposeControl(*e->control, canvas, at, clip);
        // Contained controls are clipped to their container's client area.
        const gdi::RECT inner{std::max(clip.left, at.x), std::max(clip.top, at.y),
                              std::min(clip.right, at.x + e->control->PixelWidth()),
                              std::min(clip.bottom, at.y + e->control->PixelHeight())};
        if (inner.right > inner.left && inner.bottom > inner.top) ComposeChildren(e.get(), pixels, width, height, inner, at);
    }
}

ComposedImage ReferenceHost::Compose() const {
    ComposedImage image;
    image.width = std::max(0, TwipsToPixels(form_->Width(), Axis::X));
    image.height = std::max(0, TwipsToPixels(form_->Height(), Axis::Y));
    image.pixels.assign(static_cast<std::size_t>(image.width) * image.height, 0);
    Canvas canvas{image.width, image.height, image.pixels};
    const gdi::RECT all{0, 0, image.width, image.height};
    FillCanvas(canvas, all, form_->BackColor());
    ComposeChildren(nullptr, image.pixels, image.width, image.height, all, gdi::POINT{0, 0});
    return image;
}

gdi::POINT ReferenceHost::OriginOf(const std::string& name) const {
    if (EqualsIgnoreCase(name, "form")) return {0, 0};
    const Entry* e = FindEntry(name);
    if (!e) throw AutomationError(error::kObjectRequired, "ReferenceHost");
    gdi::POINT p{0, 0};
    for (; e; e = e->container) {
        p.x += TwipsToPixels(e->left, Axis::X);
        p.y += TwipsToPixels(e->top, Axis::Y);
    }
    return p;
}

gdi::COLORREF ReferenceHost::PixelAt(const std::string& name, int x, int y) const {
    const gdi::POINT origin = OriginOf(name);
    return Compose().At(origin.x + x, origin.y + y);
}

bool ReferenceHost::Snap(const std::string& name, const std::string& png_path) const {
    const ComposedImage image = Compose();
    if (EqualsIgnoreCase(name, "form")) return gdi::WritePng(png_path, image.width, image.height, image.pixels.data());
    const Control& control = RequireControl(FindControl(name));
    const gdi::POINT origin = OriginOf(name);
    const int width = control.PixelWidth(), height = control.PixelHeight();
    std::vector<std::uint32_t> part(static_cast<std::size_t>(std::max(width, 0)) * std::max(height, 0), 0);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int sx = origin.x + x, sy = origin.y + y;
            if (sx >= 0 && sy >= 0 && sx < image.width && sy < image.height)
                part[static_cast<std::size_t>(y) * width + x] = image.pixels[static_cast<std::size_t>(sy) * image.width + sx];
        }
    return gdi::WritePng(png_path, width, height, part.data());
}

// --- ControlSite ---------------------------------------------------------------------------

std::string ReferenceHost::AmbientDisplayName(const Control& control) const {
    Entry* e = EntryOf(&control);
    return e ? e->name : std::string();
}

gdi::HWND ReferenceHost::ParentWindow(const Control& control) const {
    Entry* e = EntryOf(&control);
    if (e && e->container && e->container->control) return e->container->control->hWnd();
    return form_->hWnd();
}

std::shared_ptr<IDispatch> ReferenceHost::Parent(const Control& control) const {
    Entry* e = EntryOf(&control);
    if (e && e->container) return e->container->object;
    return form_;
}

std::vector<std::shared_ptr<IDispatch>> ReferenceHost::ContainedControls(const Control& control) const {
    std::vector<std::shared_ptr<IDispatch>> out;
    Entry* container = EntryOf(&control);
    for (const auto& e : entries_)
        if (container && e->container == container) out.push_back(e->object);
    return out;
}

void ReferenceHost::PropertyChanged(Control& control, std::string_view property_name) {
    if (listener_.on_changed) listener_.on_changed(AmbientDisplayName(control), std::string(property_name));
}

void ReferenceHost::EventRaised(Control& control, const EventDesc& event, std::vector<Variant>& args) {
    const std::string name = AmbientDisplayName(control);
    if (listener_.on_event) listener_.on_event(name, event.name, args);
    for (const Handler& h : handlers_) {
        if (!EqualsIgnoreCase(h.object, name) || !EqualsIgnoreCase(h.event, event.name)) continue;
        for (std::size_t i = 0; i < event.params.size() && i < args.size(); ++i)
            if (EqualsIgnoreCase(event.params[i].name, h.argument)) args[i] = event.params[i].type.Coerce(h.value);
    }
}

void ReferenceHost::LifecycleError(Control& control, std::string_view step, std::string_view key,
                                   const AutomationError& error) {
    const std::string name = AmbientDisplayName(control);
    lifecycle_errors_.push_back(name + "." + std::string(step) + "." + std::string(key) + ": " +
                                std::to_string(error.number()));
    if (listener_.on_lifecycle_error) listener_.on_lifecycle_error(name, std::string(step), std::string(key), error);
}

std::int32_t ReferenceHost::ExtenderIDOfName(const Control& control, std::string_view name) const {
    if (!EntryOf(&control)) return kDispidUnknown;
    for (const ExtenderName& n : kExtenderNames)
        if (EqualsIgnoreCase(n.name, name)) return kExtenderBase + n.id;
    return kDispidUnknown;
}

Variant ReferenceHost::ExtenderInvoke(Control& control, std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) {
    Entry* e = EntryOf(&control);
    if (!e) throw AutomationError(error::kObjectDoesntSupport);
    const bool put = kind == InvokeKind::PropertyPut || kind == InvokeKind::PropertyPutRef;
    if (put ? args.size() != 1 : !args.empty()) throw AutomationError(error::kWrongArgumentCount);
    const auto single = [](double v) { return Variant::FromSingle(static_cast<float>(v)); };
    switch (dispid - kExtenderBase) {
        case kExtName:
            if (put) throw AutomationError(error::kWrongArgumentCount);
            return Variant::FromString(e->name);
        case kExtLeft:
            if (put) e->left = CSng(args[0]);
            return put ? Variant() : single(e->left);
        case kExtTop:
            if (put) e->top = CSng(args[0]);
            return put ? Variant() : single(e->top);
        case kExtWidth:
            if (put) control.SetExtent(CSng(args[0]), control.Height());
            return put ? Variant() : single(control.Width());
        case kExtHeight:
            if (put) control.SetExtent(control.Width(), CSng(args[0]));
            return put ? Variant() : single(control.Height());
        case kExtVisible:
            if (put) e->visible = CBool(args[0]);
            return put ? Variant() : Variant::FromBoolean(e->visible);
        case kExtContainer:
            if (put) throw AutomationError(error::kWrongArgumentCount);
            return Variant::FromObject(e->container ? std::shared_ptr<IDispatch>(e->container->object)
                                                    : std::shared_ptr<IDispatch>(form_));
        default:
            throw AutomationError(error::kObjectDoesntSupport);
    }
}

}  // namespace ov::host
