#pragma once
// The reference host application: one form holding named objects (controls, nested in
// containers, and plain objects such as a gradient renderer), driven through their lifecycle,
// their late-bound interfaces and host events, with a clock for timers and a compositor that
// renders the whole form into one image. The `orvelle` shell and the tests drive controls
// through this class only.
//
// The class sequences the lifecycle and routes events; each other job has its own class: the
// named objects (object_registry.h), the clock and timers (host_clock.h), the extender members
// (extender_members.h), composition and image output (form_composition.h).
//
// Typical use:
//
//   ReferenceHost host(ov::library::Classes());
//   host.SetListener({.on_event = ..., .on_changed = ...});
//   host.New("L", "OV3DLine", {.left = 0, .top = 0, .width = 2000, .height = 600});
//   ov::PutProperty(*host.Find("L"), "Orientation", ov::Variant::FromLong(1));
//   auto changed = host.Fire("T", "lblTabItem(1)", "Click", {});
//   host.Wait(3000);
//   gdi::COLORREF c = host.PixelAt("L", 0, 0);
//
// Positions and sizes given to the host are twips. Errors reach the caller as AutomationError
// (the runtime's numbers; 438 for an unknown member, 450 for a wrong argument count); a name
// the host does not know is error 424 "Object required", an unknown class 429.
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/reference/reference_only.h"
#include "host/reference/class_registry.h"
#include "host/contract/control.h"
#include "host/reference/extender_members.h"
#include "host/contract/font_attributes.h"
#include "host/reference/form.h"
#include "host/reference/form_composition.h"
#include "host/reference/host_clock.h"
#include "host/reference/object_registry.h"
#include "host/contract/property_bag.h"
#include "platform/gdi/gdi.h"

namespace ov::notifyarea {
class CallbackSink;
}

namespace ov::host {

// Where a new object is placed: in the form or a named container control, at a position and
// extent in twips. An absent extent keeps the control's own (the class default, or what it
// set itself while initialising).
struct Placement {
    std::string container;  // empty: the form
    double left = 0;
    double top = 0;
    std::optional<double> width;
    std::optional<double> height;
};

// Callbacks for what the host observes; any may be empty.
struct HostListener {
    // A control raised EVENT with these arguments (as raised, before handlers change them).
    std::function<void(const std::string& object, const std::string& event, const std::vector<Variant>& args)>
        on_event{};
    // A control notified a property change.
    std::function<void(const std::string& object, const std::string& property)> on_changed{};
    // A lifecycle handler skipped a persisted key (the control goes on with the next one), or
    // a step of showing a new control failed and the control stays loaded (`key` empty).
    std::function<void(const std::string& object, const std::string& step, const std::string& key,
                       const AutomationError& error)>
        on_lifecycle_error{};
    // A handler of every event, after on_event and the fixed handlers: it may change the
    // by-reference arguments, which the raising control then reads (a live host's slots, the
    // component server's event sinks).
    std::function<void(const std::string& object, const EventDesc& event, std::vector<Variant>& args)> handle_event{};
    // A control did something to the form's window: "show", "hide", "state N".
    std::function<void(const std::string& operation)> on_form_operation{};
    // A control lets pending messages run (ProcessPendingMessages): a host with a message
    // queue of its own (a live host's window system) delivers what is waiting in it.
    std::function<void()> process_pending_messages{};
    // A control asked for a drag out of it (OLEDrag, or a text box dragging its selection): a
    // host with a window system runs it (host/drag_source.h).
    std::function<void(const std::string& object)> on_drag_requested{};
};

// A by-reference argument an event delivery changed: its declared name and new value.
struct ChangedArgument {
    std::string name;
    Variant value;
};

class ReferenceHost : public ControlSite {
public:
    explicit ReferenceHost(const ClassRegistry& registry);
    ~ReferenceHost() override;  // terminates every live control, innermost and newest first
    ReferenceHost(const ReferenceHost&) = delete;
    ReferenceHost& operator=(const ReferenceHost&) = delete;

    // --- environment ---------------------------------------------------------------------------
    // What the form shows depends on it (a class invisible at run time shows at design time).
    void SetUserMode(bool user_mode) { StoreVisual(user_mode_, user_mode); }
    bool UserMode() const { return user_mode_; }
    void SetAmbientFont(const FontAttributes& font);
    const FontAttributes& AmbientFontAttributes() const { return ambient_font_attributes_; }
    // Fixes the runtime clock (Now) at a date serial; Wait moves it forward.
    void SetNow(double date_serial);
    // Advances the host clock by `milliseconds`, delivering every timer tick that falls due,
    // in time order (ties: creation order of the controls, then of their timers).
    // Runs the message loop first (ProcessMessages).
    void Wait(std::int64_t milliseconds);
    // The message loop: delivers every callback the notification area sent to a window of this
    // host's controls since the last call, as that control's surface MouseMove with X the
    // callback's message in the control's scale unit (pixels converted), Y 0. Each host has
    // its own sink: another host's callbacks stay for that host. Callbacks for windows no
    // control owns any more are dropped.
    void ProcessMessages();
    // Idles until `input` is readable (true) or `timeout_ms` passed (false; -1: no limit),
    // running the message loop whenever the notification area has something, so the desktop
    // gets its answers while the host waits for its user. `delivered` runs after each round.
    bool WaitForInput(int input, int timeout_ms, const std::function<void()>& delivered = {});
    // Runs whenever a callback for this host is read, wherever the area was polled: a live
    // host schedules its message loop there (it must not call into the area itself).
    void SetMessageWakeup(std::function<void()> wakeup);
    // What a control gets when it lets pending messages run: the message loop above, the
    // timer ticks already due, then the listener's own queue (process_pending_messages).
    void ProcessPendingMessages() override;
    std::int64_t ClockMilliseconds() const override { return clock_.milliseconds(); }

    Form& form() { return *form_; }
    std::shared_ptr<Form> form_object() const { return form_; }
    const ClassRegistry& registry() const { return registry_; }

    // --- objects -------------------------------------------------------------------------------
    // A new instance. A control goes through Initialize, InitProperties (ambient DisplayName =
    // name), placement, Resize, Show and Paint; another class is only created. Throws 429 for an
    // unknown class, 424 for an unknown container, 5 for a name already in use, 7 for an
    // extent no surface can have. A control whose lifecycle fails before its properties are in
    // place and it is placed is terminated and forgotten before the error reaches the caller.
    // Once it has its properties it stays: a first Resize, Show or Paint that fails (a repaint
    // refusing a picture the bag held) is reported once as a lifecycle error with an empty key,
    // and the remaining steps still run.
    std::shared_ptr<AutomationObject> New(const std::string& name, const std::string& class_name,
                                          const Placement& at = {});
    // As New, with ReadProperties(bag) instead of InitProperties.
    std::shared_ptr<AutomationObject> Load(const std::string& name, const std::string& class_name,
                                           const PropertyBag& bag, const Placement& at = {});
    // WriteProperties into a new bag.
    PropertyBag Save(const std::string& name);
    // Host-side layout changes: the extent (twips) with the Resize it causes (7 and no change
    // for an extent no surface can have); show/hide/paint.
    void Resize(const std::string& name, double width, double height);
    void Move(const std::string& name, double left, double top);
    void Show(const std::string& name);
    void Hide(const std::string& name);
    void Paint(const std::string& name);
    // Tells every loaded control that the system colours changed (Control::SystemColoursChanged),
    // in creation order, so the next composition shows the new colours everywhere.
    void SystemColoursChanged();
    // Terminate (also every control it contains, innermost first) and forget the names.
    void Terminate(const std::string& name);

    // Named objects; nullptr when unknown. Name lookups are case-insensitive.
    std::shared_ptr<AutomationObject> Find(std::string_view name) const;
    Control* FindControl(std::string_view name) const;
    // The name the host knows an object by, "" for none (the form is "form").
    std::string NameOf(const IDispatch* object) const;
    std::vector<std::string> Names() const;  // creation order
    // The named objects with their placement (containers, positions, visibility).
    const ObjectRegistry& objects() const { return objects_; }

    // --- events --------------------------------------------------------------------------------
    void SetListener(HostListener listener) { listener_ = std::move(listener); }
    // Delivers EVENT of the control's own surface (target "surface") or of a constituent
    // ("Line1", "lblTabItem(3)"), with `args` converted to the event's declared parameter
    // types. Returns the by-reference arguments whose value the control changed.
    std::vector<ChangedArgument> Fire(const std::string& name, const std::string& target, const std::string& event,
                                      std::vector<Variant> args);
    // From now on, a handler of NAME.EVENT sets by-reference argument ARG to `value` before
    // returning (the raising control sees the value after RaiseEvent).
    void SetEventHandler(const std::string& name, const std::string& event, const std::string& argument, Variant value);

    // --- inspection and composition ------------------------------------------------------------
    // Every property of a constituent (Left, Top, ... as apply), in a fixed order.
    std::vector<std::pair<std::string, Variant>> Inspect(const std::string& name, const std::string& target) const;
    // Renders the form: background, then each visible control in z-order with its surface,
    // constituents and contained controls (clipped to the container). The image is kept until
    // something on the form changes; the reference stays valid for the host's lifetime.
    const ComposedImage& Compose() const;
    // Whether Compose() would return the kept image unchanged: a live host repaints its window
    // only when this turns false.
    bool CompositionIsCurrent() const { return composition_.IsCurrent(); }
    // The form composed afresh over a background of `ole_colour` in place of its own (the
    // kept image is untouched): comparing the two shows where the background shows through.
    ComposedImage ComposeOver(std::int32_t ole_colour) const { return composition_.ImageOver(ole_colour); }
    ComposedImage ComposeOver(std::int32_t ole_colour, const gdi::RECT& part) const {
        return composition_.ImageOver(ole_colour, part);
    }
    // The part of Compose()'s image that changed after it was at `version` (its `version` then);
    // null when that is no longer known.
    std::optional<gdi::RECT> CompositionChangedSince(std::uint64_t version) const {
        return composition_.ChangedSince(version);
    }
    // The control's top-left corner in form pixels (saturated to the range of int).
    gdi::POINT OriginOf(const std::string& name) const;
    // The composed pixel at (x, y) pixels from the control's top-left ("form" for the form);
    // CLR_INVALID outside the form, however far.
    gdi::COLORREF PixelAt(const std::string& name, int x, int y) const;
    // Writes the composed form, or one control's whole image (its full extent, whatever the
    // size of the form or of its containers), as PNG.
    bool Snap(const std::string& name, const std::string& png_path) const;

    // Lifecycle errors seen so far (for tests): "NAME.step.key: number".
    const std::vector<std::string>& lifecycle_errors() const { return lifecycle_errors_; }

    // --- ControlSite -------------------------------------------------------------------------
    bool AmbientUserMode() const override { return user_mode_; }
    std::shared_ptr<IDispatch> AmbientFont() const override;
    std::string AmbientDisplayName(const Control& control) const override;
    gdi::HWND ParentWindow(const Control& control) const override;
    std::shared_ptr<IDispatch> Parent(const Control& control) const override;
    std::vector<std::shared_ptr<IDispatch>> ContainedControls(const Control& control) const override;
    void PropertyChanged(Control& control, std::string_view property_name) override;
    void EventRaised(Control& control, const EventDesc& event, std::vector<Variant>& args) override;
    void LifecycleError(Control& control, std::string_view step, std::string_view key,
                        const AutomationError& error) override;
    std::string* ClipboardText() override { return &clipboard_; }
    void OLEDragRequested(Control& control) override;
    std::int32_t ExtenderIDOfName(const Control& control, std::string_view name) const override;
    Variant ExtenderInvoke(Control& control, std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) override;

private:
    HostEntry* FindEntry(std::string_view name) const { return objects_.Find(name); }
    HostEntry& Create(const std::string& name, const std::string& class_name, const Placement& at);
    // Runs `lifecycle` on a new entry's control; if it throws, the control is terminated and
    // forgotten before the error goes on to the caller.
    template <class Lifecycle>
    void RunNewLifecycle(HostEntry& entry, const Placement& at, Lifecycle&& lifecycle);
    void Place(HostEntry& entry, const Placement& at);
    void TerminateEntry(HostEntry& entry);

    const ClassRegistry& registry_;
    std::shared_ptr<Form> form_;
    ObjectRegistry objects_;
    HostClock clock_;
    ExtenderMembers extender_;
    FormComposition composition_;
    bool user_mode_ = true;
    FontAttributes ambient_font_attributes_;
    HostListener listener_;
    std::vector<std::string> lifecycle_errors_;
    std::string clipboard_;                                // what text boxes copy and paste
    std::unique_ptr<notifyarea::CallbackSink> callbacks_;  // the notification area's messages for this host
    struct Handler {
        std::string object, event, argument;
        Variant value;
    };
    std::vector<Handler> handlers_;
};

// Where a lifecycle error happened, as "OBJECT.STEP.KEY" ("OBJECT.STEP" without a key).
std::string LifecyclePlace(std::string_view object, std::string_view step, std::string_view key);

// Registers the plain host controls: "PictureBox" (a picture box on the form) and "Box" (an
// opaque rectangle in its BackColor, for contained content).
void RegisterHostClasses(ClassRegistry& registry);

}  // namespace ov::host
