#pragma once
// The control base class: what every control of the library is written against.
//
// A control derives from Control, declares its interface once in a static StaticInfo() that
// Info() returns (type_info.h), registers with one line (class_registry.h: ControlEntry<T>), keeps
// its own state, and overrides the lifecycle handlers it needs. The host drives it through the
// public lifecycle calls, always in this order:
//
//   Initialize(site) -> InitProperties() | ReadProperties(bag) -> Resize ... -> Show/Paint/Hide
//   ... -> WriteProperties(bag) (any number of times) -> Terminate()
//
// Resize is delivered by the host after loading and whenever the extent changes, including
// changes the control makes to its own Width/Height from inside OnResize: SetWidth/SetHeight
// deliver a nested Resize synchronously before they return (an unchanged value delivers none).
//
// The surface members (hWnd, hDC, BackColor, Width/Height in twips, ScaleMode, ScaleX, ...) are
// members of this class; the extender members the host adds to a placed control (Name, Left,
// Top, Visible, and Width/Height) answer late-bound names the control's own table lacks.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gdi/ole_colour.h"
#include "platform/runtime/automation_object.h"
#include "host/contract/constituents.h"
#include "host/contract/text_box.h"
#include "host/contract/font_attributes.h"
#include "host/contract/property_bag.h"
#include "host/contract/visual_changes.h"
#include "platform/scale/scale.h"
#include "platform/gdi/gdi.h"

namespace ov::host {

class Control;

// Resizes a surface window's client area (pixels), new parts in `ole_colour`. False when the
// drawing layer cannot: sizes past ov::limits, or memory that cannot be had (a failed
// allocation counts as a failed call, so callers keep their previous state either way).
bool ResizeClientArea(gdi::HWND window, int width, int height, std::int32_t ole_colour);

// The value `declared` gives for `control`: the table's value, or the site's ambient font (one of
// its attributes), the control's own font or its display name. With no control, what an
// unsited control gets ("MS Sans Serif" 8.25, an empty name): the value designers show.
Variant ResolveValue(const ValueSpec& declared, const Control* control);

// What the host offers a sited control. The reference host implements it; a test may supply
// its own.
class ControlSite {
public:
    virtual ~ControlSite() = default;

    // Ambient values.
    virtual bool AmbientUserMode() const = 0;
    virtual std::shared_ptr<IDispatch> AmbientFont() const = 0;
    virtual std::string AmbientDisplayName(const Control& control) const = 0;

    // The window the control's surface window is a child of (form or container surface).
    virtual gdi::HWND ParentWindow(const Control& control) const = 0;
    // Parent: the form holding the control, however deeply nested (may be null).
    virtual std::shared_ptr<IDispatch> Parent(const Control& control) const = 0;
    // Controls placed inside this control (when it is a container), in z-order.
    virtual std::vector<std::shared_ptr<IDispatch>> ContainedControls(const Control& control) const = 0;

    // Notifications from the control.
    virtual void PropertyChanged(Control& control, std::string_view property_name) = 0;
    // A raised event; handlers may change `args` (all passed by reference).
    virtual void EventRaised(Control& control, const EventDesc& event, std::vector<Variant>& args) = 0;
    // A lifecycle handler skipped a persisted key whose read, conversion or write failed.
    virtual void LifecycleError(Control& control, std::string_view step, std::string_view key,
                                const AutomationError& error) = 0;
    virtual void OLEDragRequested(Control& control) {}
    // A pop-up menu: the menu and any further arguments (flags, position, default item) as the
    // caller passed them, missing ones missing.
    virtual void PopupMenuRequested(Control& control, const std::vector<Variant>& args) {}
    virtual void SurfaceRefreshed(Control& control) {}
    // The text clipboard text boxes copy to and paste from; nullptr when the site has none.
    virtual std::string* ClipboardText() { return nullptr; }
    // Lets the host deliver what is waiting (the platform's pending messages) before returning.
    virtual void ProcessPendingMessages() {}

    // Extender members (Name, Left, Top, Width, Height, Visible) for late-bound names the
    // control's own table lacks. Ids are the host's; kDispidUnknown when there is none.
    virtual std::int32_t ExtenderIDOfName(const Control& control, std::string_view name) const = 0;
    virtual Variant ExtenderInvoke(Control& control, std::int32_t dispid, InvokeKind kind,
                                   std::vector<Variant>& args) = 0;

    // The host clock in milliseconds (drives constituent timers).
    virtual std::int64_t ClockMilliseconds() const = 0;
};

enum class LifecycleStage : std::uint8_t { Created, Initialized, PropertiesReady, Terminated };

class Control : public AutomationObject {
public:
    Control();
    ~Control() override;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    // Late-bound calls as the member table says. Any member may change what the control shows
    // (a get included: some lay out on first use), so every call counts as a visual change.
    Variant Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) override;
    // A member-bound put notifies as the table declares.
    void MemberChanged(std::int32_t dispid) override { NotifyChanged(dispid); }

    // --- lifecycle, called by the host ---------------------------------------------------------
    // Creates the surface window under the site's parent window at the current extent and
    // delivers OnInitialize. `site` must outlive the control's use of it (until Terminate).
    void Initialize(ControlSite* site);
    void InitProperties();
    // OnReadProperties; the default reads every persisted key of the table (ReadPersisted).
    void ReadProperties(const PropertyBag& bag);
    // Delivers OnResize (the host's layout pass and every extent change).
    void Resize();
    void Show();
    void Paint();
    void Hide();
    void WriteProperties(PropertyBag& bag);
    // OnTerminate, then releases the surface's DC and window and every constituent.
    void Terminate();
    // The system colours changed (a live host following the desktop's palette): a loaded
    // control redraws what it drew into its surface with them (OnSystemColoursChanged).
    // Constituents and system-colour backgrounds are translated at each composition anyway.
    void SystemColoursChanged();

    LifecycleStage stage() const { return stage_; }
    bool shown() const { return shown_; }
    ControlSite* site() const { return site_; }

    // Host side of the extent: sets Width/Height (twips) and delivers Resize once if either
    // changed and the control is initialised. A negative extent is "Invalid property value"
    // (380) and an extent whose surface the drawing layer cannot have (ov::limits) is
    // "Out of memory" (7); either changes nothing; so is a Resize handler failing, after
    // the previous extent and its layout are put back.
    void SetExtent(double width_twips, double height_twips);
    // Host side of placement: sets the extent without delivering Resize (the host delivers
    // one Resize itself once the control is placed). 7 and no change as for SetExtent.
    void PlaceExtent(double width_twips, double height_twips);
    // Whether a surface of this extent (twips) can be made.
    static bool ExtentFits(double width_twips, double height_twips);

    // --- events the host delivers on the surface or a constituent ------------------------------
    // `args` are the event's parameters in declaration order, by reference.
    void DeliverSurfaceEvent(std::string_view event, std::vector<Variant>& args);
    void DeliverConstituentEvent(Constituent& source, std::string_view event, std::vector<Variant>& args);

    // --- surface members -------------------------------------------------------------------
    gdi::HWND hWnd() const { return window_; }
    gdi::HDC hDC() const { return dc_; }

    double Width() const { return width_; }    // twips
    double Height() const { return height_; }  // twips
    void SetWidth(double twips) { SetExtent(twips, height_); }
    void SetHeight(double twips) { SetExtent(width_, twips); }
    int PixelWidth() const;  // client area in pixels
    int PixelHeight() const;

    int ScaleMode() const { return scale_mode_; }
    void SetScaleMode(int mode);
    double ScaleWidth() const;
    double ScaleHeight() const;
    // Setting a scale extent switches to the user scale (ScaleMode 0).
    void SetScaleWidth(double width);
    void SetScaleHeight(double height);
    // Conversions between scale modes; `from` defaults to HIMETRIC and `to` to the surface's
    // own mode, as the language's ScaleX/ScaleY do. The user scale converts through this
    // surface's extent.
    double ScaleX(double value, int from_mode = kScaleHimetric, int to_mode = -1) const;
    double ScaleY(double value, int from_mode = kScaleHimetric, int to_mode = -1) const;
    // Scale units of this surface to pixels (what the compositor places constituents with).
    int ToPixelsX(double scale_units) const;
    int ToPixelsY(double scale_units) const;

    std::int32_t BackColor() const { return back_color_; }
    // Stores the colour and clears the surface to it (translated now).
    void SetBackColor(std::int32_t colour);
    std::int32_t ForeColor() const { return fore_color_; }
    void SetForeColor(std::int32_t colour) { fore_color_ = colour; }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    std::shared_ptr<IDispatch> Font() const { return font_; }
    void SetFont(std::shared_ptr<IDispatch> font) { font_ = std::move(font); }
    std::int16_t MousePointer() const { return mouse_pointer_; }
    void SetMousePointer(std::int16_t pointer) { mouse_pointer_ = pointer; }
    std::shared_ptr<IDispatch> MouseIcon() const { return mouse_icon_; }
    void SetMouseIcon(std::shared_ptr<IDispatch> icon) { mouse_icon_ = std::move(icon); }
    std::int16_t OLEDropMode() const { return ole_drop_mode_; }
    void SetOLEDropMode(std::int16_t mode) { ole_drop_mode_ = mode; }
    void OLEDrag();
    void PopupMenu(const Variant& menu);
    void PopupMenu(const std::vector<Variant>& args);
    // Fills the surface with the translated BackColor (what the platform's Cls does).
    void ClearSurface();
    // Tells the host the surface changed (the compositor reads it at the next composition).
    void Refresh();

    // See-through drawing: with BackStyle 0 (transparent) the compositor lets the parent show
    // through every MaskPicture pixel equal to MaskColor; with no mask picture the whole
    // surface is transparent and only the constituents are drawn.
    int BackStyle() const { return back_style_; }
    void SetBackStyle(int style) { StoreVisual(back_style_, style); }
    std::int32_t MaskColor() const { return mask_color_; }
    void SetMaskColor(std::int32_t colour) { StoreVisual(mask_color_, colour); }
    std::shared_ptr<IDispatch> MaskPicture() const { return mask_picture_; }
    void SetMaskPicture(std::shared_ptr<IDispatch> picture) { StoreVisual(mask_picture_, std::move(picture)); }

    // The form holding this control, also inside containers; null when not sited.
    std::shared_ptr<IDispatch> Parent() const;
    std::vector<std::shared_ptr<IDispatch>> ContainedControls() const;

    // Ambient values (defaults when not sited: run mode, "MS Sans Serif" 8.25, empty name).
    bool AmbientUserMode() const;
    std::shared_ptr<IDispatch> AmbientFont() const;
    std::string AmbientDisplayName() const;

    // --- notification and events -----------------------------------------------------------
    // Tells the host that `property_name` changed.
    void PropertyChanged(std::string_view property_name);
    // Raises event `dispid` of the event interface; `args` by reference: a handler may change
    // them and the control reads the changed values after the call. A wrong argument count
    // throws 450; an unknown id 438.
    void RaiseEvent(std::int32_t dispid, std::vector<Variant>& args);
    void RaiseEvent(std::string_view event_name, std::vector<Variant>& args);
    void RaiseEvent(std::string_view event_name);

    // --- constituents --------------------------------------------------------------------------
    Label& AddLabel(std::string name);
    std::vector<Label*> AddLabelArray(std::string name, int count);  // indices 0..count-1
    Line& AddLine(std::string name);
    Shape& AddShape(std::string name);
    Image& AddImage(std::string name);
    Timer& AddTimer(std::string name);
    ConstituentPictureBox& AddPictureBox(std::string name);
    TextBox& AddTextBox(std::string name);

    // In z-order (creation order). Find takes "name" or "name(i)", case-insensitive.
    const std::vector<std::unique_ptr<Constituent>>& constituents() const { return constituents_; }
    Constituent* FindConstituent(std::string_view qualified_name) const;
    Constituent* FindConstituent(std::string_view name, int index) const;

    // The host clock in milliseconds (0 when not sited).
    std::int64_t ClockMilliseconds() const;

    // What a designer resets a property to: the default its table states, resolved for this
    // control as its persisted key's default is (the ambient font for a font); Empty for a
    // property whose table states none.
    Variant ResetValue(const MemberDesc& member) const;

protected:
    // Lifecycle handlers. The defaults of Read/WriteProperties go through the table's
    // persisted keys (ReadPersisted/WritePersisted); the others do nothing.
    virtual void OnInitialize() {}
    // The default applies the table's new-instance values (InitPersisted).
    virtual void OnInitProperties();
    virtual void OnReadProperties(const PropertyBag& bag);
    virtual void OnResize() {}
    virtual void OnShow() {}
    virtual void OnPaint() {}
    virtual void OnHide() {}
    virtual void OnWriteProperties(PropertyBag& bag);
    virtual void OnTerminate() {}
    // Redraws what the control drew with system colours; the default draws nothing.
    virtual void OnSystemColoursChanged() {}

    // Events of the surface (Click, MouseMove, ...) and of constituents (source.name(),
    // source.index() for arrays). Defaults ignore them.
    virtual void OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) {}
    virtual void OnConstituentEvent(Constituent& source, std::string_view event, std::vector<Variant>& args) {}

    // Tells the host that property `dispid` of the table changed, under the name its
    // declaration gives; nothing for a property declared not to notify.
    void NotifyChanged(std::int32_t dispid);

    // Reads/writes every persisted key of the table in order, each with PersistedDefault; a
    // key whose value fails to convert or load is reported to the site and skipped, and the
    // next key is processed.
    void ReadPersisted(const PropertyBag& bag);
    void WritePersisted(PropertyBag& bag);
    // Sets every persisted property the table gives a new-instance value through its key's
    // load, in key order, as loading would set it.
    void InitPersisted();
    // The default a persisted key is read and written with, converted to the key's type (a
    // site's value resolved for this control: a Font key defaulting to the ambient font).
    Variant PersistedDefault(const MemberDesc& member) const;
    // Reads one key with its default and hands the value, converted to `type`, to `load`;
    // a failure is reported to the site and swallowed. Returns whether the load ran.
    bool ReadKey(const PropertyBag& bag, std::string_view key, const Variant& default_value, const TypeDesc& type,
                 const std::function<void(const Variant&)>& load);
    // Writes one key from `save`; a failure is reported and swallowed.
    void WriteKey(PropertyBag& bag, std::string_view key, const Variant& default_value,
                  const std::function<Variant()>& save);

    std::int32_t FallbackIDOfName(std::string_view name) const override;
    Variant FallbackInvoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) override;

private:
    template <class C>
    C& AddConstituent(std::unique_ptr<C> constituent);
    static void RequireValidExtent(double width_twips, double height_twips);
    bool ResizeWindow();
    void ReportLifecycleError(std::string_view step, std::string_view key, const AutomationError& error);
    // `declared` resolved for this control, as persisted property `member`'s key uses it.
    Variant KeyValue(const MemberDesc& member, const ValueSpec& declared) const;

    ControlSite* site_ = nullptr;
    LifecycleStage stage_ = LifecycleStage::Created;
    bool shown_ = false;
    gdi::HWND window_ = 0;
    gdi::HDC dc_ = 0;
    double width_ = 2400, height_ = 1200;  // twips
    int scale_mode_ = kScaleTwips;
    double user_scale_width_ = 0, user_scale_height_ = 0;
    std::int32_t back_color_ = gdi::OleSystemColor(gdi::COLOR_BTNFACE);
    std::int32_t fore_color_ = gdi::OleSystemColor(gdi::COLOR_BTNTEXT);
    bool enabled_ = true;
    std::shared_ptr<IDispatch> font_;
    std::int16_t mouse_pointer_ = 0;
    std::shared_ptr<IDispatch> mouse_icon_;
    std::int16_t ole_drop_mode_ = 0;
    int back_style_ = 1;
    std::int32_t mask_color_ = gdi::OleSystemColor(gdi::COLOR_BTNFACE);
    std::shared_ptr<IDispatch> mask_picture_;
    std::vector<std::unique_ptr<Constituent>> constituents_;
    std::string current_step_;
};

}  // namespace ov::host
