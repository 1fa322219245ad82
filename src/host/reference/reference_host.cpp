#include "host/reference/reference_host.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "host/reference/plain_controls.h"
#include "host/contract/visual_changes.h"
#include "platform/notifyarea/notification_area.h"

namespace ov::host {

namespace {

AutomationError ObjectRequired() { return AutomationError(error::kObjectRequired, "ReferenceHost"); }

Control& RequireControl(Control* control) {
    if (!control) throw ObjectRequired();
    return *control;
}

int SaturatedInt(std::int64_t value) {
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace

ReferenceHost::ReferenceHost(const ClassRegistry& registry)
    : registry_(registry), form_(std::make_shared<Form>()), extender_(form_, objects_), composition_(objects_, *form_) {
    callbacks_ = std::make_unique<notifyarea::CallbackSink>([this](gdi::HWND window) {
        const auto& entries = objects_.entries();
        return std::any_of(entries.begin(), entries.end(),
                           [&](const auto& e) { return e->control && e->control->hWnd() == window; });
    });
    form_->SetOperationObserver([this](const std::string& operation) {
        if (listener_.on_form_operation) listener_.on_form_operation(operation);
    });
}

ReferenceHost::~ReferenceHost() {
    while (!objects_.empty()) {
        // Newest first; Terminate takes the contained controls with it.
        HostEntry* top = objects_.entries().back().get();
        while (top->container) top = top->container;
        try {
            TerminateEntry(*top);
        } catch (...) {
            // A terminate handler that fails cannot stop the host from closing; the entry is
            // forgotten all the same.
        }
    }
    form_->SetOperationObserver(nullptr);
}

// --- environment ---------------------------------------------------------------------------

void ReferenceHost::SetAmbientFont(const FontAttributes& font) { ambient_font_attributes_ = font; }

std::shared_ptr<IDispatch> ReferenceHost::AmbientFont() const {
    // A fresh object each time: a control that changes the font it was given must not change
    // the ambient font of every other control.
    return MakeFontObject(ambient_font_attributes_);
}

void ReferenceHost::SetNow(double date_serial) { clock_.SetNow(date_serial); }

void ReferenceHost::Wait(std::int64_t milliseconds) {
    ProcessMessages();
    clock_.Wait(objects_, milliseconds);
}

void ReferenceHost::SetMessageWakeup(std::function<void()> wakeup) { callbacks_->SetWakeup(std::move(wakeup)); }

bool ReferenceHost::WaitForInput(int input, int timeout_ms, const std::function<void()>& delivered) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(std::max(timeout_ms, 0));
    // What the last statement made the area post (a balloon shown) is delivered before idling.
    ProcessMessages();
    if (delivered) delivered();
    for (;;) {
        int left = -1;
        if (timeout_ms >= 0)
            left = static_cast<int>(std::max<std::int64_t>(
                0, std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count()));
        switch (notifyarea::WaitForInputOrArea(input, left)) {
            case notifyarea::InputWait::Readable: return true;
            case notifyarea::InputWait::TimedOut: return false;
            case notifyarea::InputWait::AreaActive:
                ProcessMessages();
                if (delivered) delivered();
                break;
        }
    }
}

void ReferenceHost::ProcessMessages() {
    for (const notifyarea::CallbackMessage& callback : callbacks_->Take()) {
        for (const std::string& name : Names()) {
            Control* control = FindControl(name);
            if (!control || control->hWnd() != callback.window) continue;
            const double x = control->ScaleX(callback.x_message, kScalePixels);
            Fire(name, "surface", "MouseMove",
                 {Variant::FromInteger(0), Variant::FromInteger(0), Variant::FromDouble(x), Variant::FromDouble(0)});
            break;
        }
    }
}

void ReferenceHost::ProcessPendingMessages() {
    ProcessMessages();
    clock_.Wait(objects_, 0);
    if (listener_.process_pending_messages) listener_.process_pending_messages();
}

// --- objects -------------------------------------------------------------------------------

HostEntry& ReferenceHost::Create(const std::string& name, const std::string& class_name, const Placement& at) {
    if (FindEntry(name) || EqualsIgnoreCase(name, "form"))
        throw AutomationError(error::kInvalidProcedureCall, "Name '" + name + "' is already in use", "ReferenceHost");
    const ClassEntry* cls = registry_.Find(class_name);
    if (!cls) throw AutomationError(error::kCannotCreateObject, "ReferenceHost");
    HostEntry* container = nullptr;
    if (!at.container.empty()) {
        container = FindEntry(at.container);
        if (!container || !container->control) throw ObjectRequired();
    }
    // An extent no surface can have is refused before anything is created.
    if (cls->is_control &&
        !Control::ExtentFits(at.width.value_or(cls->default_width), at.height.value_or(cls->default_height)))
        throw AutomationError(error::kOutOfMemory);
    auto entry = std::make_unique<HostEntry>();
    entry->name = name;
    entry->class_name = cls->name;
    entry->object = cls->create();
    entry->control = cls->is_control ? dynamic_cast<Control*>(entry->object.get()) : nullptr;
    entry->container = container;
    if (entry->control) entry->control->PlaceExtent(cls->default_width, cls->default_height);
    return objects_.Add(std::move(entry));
}

void ReferenceHost::Place(HostEntry& entry, const Placement& at) {
    entry.left = at.left;
    entry.top = at.top;
    Control& c = *entry.control;
    if (at.width || at.height) c.PlaceExtent(at.width.value_or(c.Width()), at.height.value_or(c.Height()));
}

template <class Lifecycle>
void ReferenceHost::RunNewLifecycle(HostEntry& entry, const Placement& at, Lifecycle&& lifecycle) {
    Control& control = *entry.control;
    try {
        control.Initialize(this);
        lifecycle(control);
        Place(entry, at);
    } catch (...) {
        TerminateEntry(entry);
        throw;
    }
    // The control holds what it read: a step that fails to show it (most often a repaint
    // refusing a value from the bag, which every later repaint refuses again) is reported
    // once, and the control stays loaded for the script or form to correct.
    bool reported = false;
    const auto show_step = [&](const char* step, void (Control::*run)()) {
        try {
            (control.*run)();
        } catch (const AutomationError& error) {
            if (!reported) LifecycleError(control, step, {}, error);
            reported = true;
        }
    };
    show_step("Resize", &Control::Resize);
    show_step("Show", &Control::Show);
    show_step("Paint", &Control::Paint);
}

std::shared_ptr<AutomationObject> ReferenceHost::New(const std::string& name, const std::string& class_name,
                                                     const Placement& at) {
    HostEntry& entry = Create(name, class_name, at);
    std::shared_ptr<AutomationObject> keep = entry.object;
    if (entry.control) RunNewLifecycle(entry, at, [](Control& c) { c.InitProperties(); });
    return keep;
}

std::shared_ptr<AutomationObject> ReferenceHost::Load(const std::string& name, const std::string& class_name,
                                                      const PropertyBag& bag, const Placement& at) {
    HostEntry& entry = Create(name, class_name, at);
    std::shared_ptr<AutomationObject> keep = entry.object;
    if (entry.control) RunNewLifecycle(entry, at, [&](Control& c) { c.ReadProperties(bag); });
    return keep;
}

PropertyBag ReferenceHost::Save(const std::string& name) {
    PropertyBag bag;
    RequireControl(FindControl(name)).WriteProperties(bag);
    return bag;
}

void ReferenceHost::Resize(const std::string& name, double width, double height) {
    RequireControl(FindControl(name)).SetExtent(width, height);
}

void ReferenceHost::Move(const std::string& name, double left, double top) {
    HostEntry* e = FindEntry(name);
    if (!e) throw ObjectRequired();
    e->left = left;
    e->top = top;
    NoteVisualChange();
}

void ReferenceHost::Show(const std::string& name) {
    HostEntry* e = FindEntry(name);
    RequireControl(e ? e->control : nullptr);
    e->visible = true;
    NoteVisualChange();
    e->control->Show();
}

void ReferenceHost::Hide(const std::string& name) {
    HostEntry* e = FindEntry(name);
    RequireControl(e ? e->control : nullptr);
    e->visible = false;
    NoteVisualChange();
    e->control->Hide();
}

void ReferenceHost::Paint(const std::string& name) { RequireControl(FindControl(name)).Paint(); }

void ReferenceHost::OLEDragRequested(Control& control) {
    if (listener_.on_drag_requested) listener_.on_drag_requested(NameOf(&control));
}

void ReferenceHost::SystemColoursChanged() {
    for (const auto& entry : objects_.entries())
        if (Control* control = FindControl(entry->name)) control->SystemColoursChanged();
}

void ReferenceHost::TerminateEntry(HostEntry& entry) {
    // Contained controls go first, newest first, so no child outlives its container's window.
    while (HostEntry* child = objects_.NewestChildOf(entry)) TerminateEntry(*child);
    // Forgotten even when its terminate handler fails: every name the host knows belongs to a
    // live object.
    struct Forget {
        ObjectRegistry& objects;
        const HostEntry& entry;
        ~Forget() { objects.Remove(entry); }
    } forget{objects_, entry};
    if (entry.control) entry.control->Terminate();
}

void ReferenceHost::Terminate(const std::string& name) {
    HostEntry* e = FindEntry(name);
    if (!e) throw ObjectRequired();
    TerminateEntry(*e);
}

std::shared_ptr<AutomationObject> ReferenceHost::Find(std::string_view name) const {
    if (EqualsIgnoreCase(name, "form")) return form_;
    HostEntry* e = FindEntry(name);
    return e ? e->object : nullptr;
}

Control* ReferenceHost::FindControl(std::string_view name) const {
    HostEntry* e = FindEntry(name);
    return e ? e->control : nullptr;
}

std::string ReferenceHost::NameOf(const IDispatch* object) const {
    if (object == form_.get()) return "form";
    HostEntry* e = objects_.EntryOf(object);
    return e ? e->name : std::string();
}

std::vector<std::string> ReferenceHost::Names() const {
    std::vector<std::string> names;
    for (const auto& e : objects_.entries()) names.push_back(e->name);
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

    NoteVisualChange();
    if (EqualsIgnoreCase(target, "surface")) {
        control.DeliverSurfaceEvent(desc->name, args);
    } else {
        Constituent* source = control.FindConstituent(target);
        if (!source) throw ObjectRequired();
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
        return EqualsIgnoreCase(h.object, name) && EqualsIgnoreCase(h.event, event) &&
               EqualsIgnoreCase(h.argument, argument);
    });
    handlers_.push_back(Handler{name, event, argument, std::move(value)});
}

// --- inspection and composition ------------------------------------------------------------

std::vector<std::pair<std::string, Variant>> ReferenceHost::Inspect(const std::string& name,
                                                                    const std::string& target) const {
    Control& control = RequireControl(FindControl(name));
    Constituent* c = control.FindConstituent(target);
    if (!c) throw ObjectRequired();
    return c->InspectProperties();
}

const ComposedImage& ReferenceHost::Compose() const { return composition_.Image(); }

gdi::POINT ReferenceHost::OriginOf(const std::string& name) const {
    if (EqualsIgnoreCase(name, "form")) return {0, 0};
    const HostEntry* e = FindEntry(name);
    if (!e) throw ObjectRequired();
    const FormPoint p = FormComposition::OriginOf(e);
    return {SaturatedInt(p.x), SaturatedInt(p.y)};
}

gdi::COLORREF ReferenceHost::PixelAt(const std::string& name, int x, int y) const {
    if (EqualsIgnoreCase(name, "form")) return composition_.PixelAt(nullptr, x, y);
    const HostEntry* e = FindEntry(name);
    if (!e) throw ObjectRequired();
    return composition_.PixelAt(e, x, y);
}

bool ReferenceHost::Snap(const std::string& name, const std::string& png_path) const {
    if (EqualsIgnoreCase(name, "form")) return composition_.WritePng(nullptr, png_path);
    const HostEntry* e = FindEntry(name);
    RequireControl(e ? e->control : nullptr);
    return composition_.WritePng(e, png_path);
}

// --- ControlSite ---------------------------------------------------------------------------

std::string ReferenceHost::AmbientDisplayName(const Control& control) const {
    HostEntry* e = objects_.EntryOf(&control);
    return e ? e->name : std::string();
}

gdi::HWND ReferenceHost::ParentWindow(const Control& control) const {
    HostEntry* e = objects_.EntryOf(&control);
    if (e && e->container && e->container->control) return e->container->control->hWnd();
    return form_->hWnd();
}

// The form, however deeply the control is nested: its scale, window and visibility are what a
// control asks its Parent for. The container a control sits in is its extender's Container.
std::shared_ptr<IDispatch> ReferenceHost::Parent(const Control&) const { return form_; }

std::vector<std::shared_ptr<IDispatch>> ReferenceHost::ContainedControls(const Control& control) const {
    std::vector<std::shared_ptr<IDispatch>> out;
    HostEntry* container = objects_.EntryOf(&control);
    if (!container) return out;
    for (const auto& e : objects_.entries())
        if (e->container == container) out.push_back(e->object);
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
    if (listener_.handle_event) listener_.handle_event(name, event, args);
}

void ReferenceHost::LifecycleError(Control& control, std::string_view step, std::string_view key,
                                   const AutomationError& error) {
    const std::string name = AmbientDisplayName(control);
    lifecycle_errors_.push_back(LifecyclePlace(name, step, key) + ": " + std::to_string(error.number()));
    if (listener_.on_lifecycle_error) listener_.on_lifecycle_error(name, std::string(step), std::string(key), error);
}

std::int32_t ReferenceHost::ExtenderIDOfName(const Control& control, std::string_view name) const {
    if (!objects_.EntryOf(&control)) return kDispidUnknown;
    return extender_.IDOfName(name);
}

Variant ReferenceHost::ExtenderInvoke(Control& control, std::int32_t dispid, InvokeKind kind,
                                      std::vector<Variant>& args) {
    HostEntry* e = objects_.EntryOf(&control);
    if (!e) throw AutomationError(error::kObjectDoesntSupport);
    return extender_.Invoke(*e, dispid, kind, args);
}

std::string LifecyclePlace(std::string_view object, std::string_view step, std::string_view key) {
    std::string place = std::string(object) + "." + std::string(step);
    if (!key.empty()) place += "." + std::string(key);
    return place;
}

}  // namespace ov::host
