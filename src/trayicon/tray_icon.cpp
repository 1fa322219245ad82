#include "trayicon/tray_icon.h"

#include <algorithm>

#include "platform/gdi/screen.h"
#include "platform/notifyarea/notification_area.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/value_ops.h"
#include "trayicon/tray_notification.h"

namespace ov::trayicon {

namespace {

using notifyarea::NotifyIconDataA;

constexpr std::uint32_t kUpdateFlags = notifyarea::kNifMessage | notifyarea::kNifIcon | notifyarea::kNifTip;
constexpr std::uint32_t kBalloonTimeout = 1;

const char kNul = '\0';

AutomationError TrayError(std::int32_t number, const char* description) {
    return AutomationError(number, description, kErrorSource);
}

// The area's answer changes nothing here: a failed add leaves SetSysTray as written. What the
// desktop could not carry out (a balloon no notification server took, an icon with nowhere to
// be shown) is returned, so the caller raises it once its own state is settled.
std::string Send(std::uint32_t message, const NotifyIconDataA& record) {
    if (notifyarea::Shell_NotifyIconA(message, &record)) return {};
    return notifyarea::LastNotifyIconFailure();
}

void RaiseFailure(const std::string& failure) {
    if (!failure.empty()) throw TrayError(error::kInvalidProcedureCall, failure.c_str());
}

gdi::HWND WindowOf(IDispatch& parent) { return static_cast<gdi::HWND>(CLng(GetProperty(parent, "hWnd"))); }

}  // namespace

OVTrayIcon::OVTrayIcon() = default;
OVTrayIcon::~OVTrayIcon() = default;

const ClassInfo& OVTrayIcon::StaticInfo() {
    const TypeDesc integer = TypeDesc::Of(VarType::Integer);
    const TypeDesc single = TypeDesc::Of(VarType::Single);
    const TypeDesc string = TypeDesc::Of(VarType::String);
    // The three properties are hidden, tell the host nothing and persist nothing: the
    // application sets them at run time, when the control itself shows nothing on its form.
    static const ClassInfo info =
        ClassBuilder<OVTrayIcon>("OVTrayIcon")
            .ClassHelp("An icon in the desktop's notification area with a tool tip, balloon messages and mouse events; invisible at run time")
            .InvisibleAtRunTime()
            .Property("SetSysTray", 1, TypeDesc::Of(VarType::Boolean), &OVTrayIcon::SysTray, &OVTrayIcon::SetSysTray)
            .Hidden()
            .Silent()
            .InCategory(Category::Behavior)
            .Initially(Variant::FromBoolean(false))
            .Help("Sets whether the icon in the systray should be visible or not.")
            .Property("InfoTip", 2, string, &OVTrayIcon::InfoTip, &OVTrayIcon::SetInfoTip)
            .Hidden()
            .Silent()
            .InCategory(Category::Behavior)
            .Initially(Variant::FromString(""))
            .Help("Sets the infotip for the icon in the systray")
            .Property("TrayIcon", 3, TypeDesc::Of(VarType::Long), &OVTrayIcon::TrayIcon, &OVTrayIcon::SetTrayIcon)
            .Hidden()
            .Silent()
            .InCategory(Category::Appearance)
            .Initially(Variant::FromLong(0))
            .Help("Sets the handle for the icon that should appear in the systray.")
            .Method("Refresh", 4, &OVTrayIcon::RefreshTray)
            .Method("AddForm", 5, &OVTrayIcon::AddForm)
            .Method("RestoreForm", 6, &OVTrayIcon::RestoreForm)
            // The arguments are by reference and left as they came.
            .Method("PopupBalloon", 7,
                    {Ref("sMessage", string), Ref("sTitle", string), Ref("bStyle", TypeDesc::Enum("BalloonStyle"))},
                    [](OVTrayIcon& c, std::vector<Variant>& args) {
                        c.PopupBalloon(CStr(args[0]), CStr(args[1]), CLng(args[2]));
                        return Variant();
                    })
            .Event("MouseMove", {Ref("Button", integer), Ref("Shift", integer), Ref("X", single), Ref("Y", single)})
            .Event("MouseUp", {Ref("Button", integer), Ref("X", single), Ref("Y", single)})
            .Event("MouseDown", {Ref("Button", integer), Ref("X", single), Ref("Y", single)})
            .Event("MouseDblClick", {Ref("Button", integer), Ref("X", single), Ref("Y", single)})
            .Event("BalloonShow")
            .Event("BalloonTimeoutOrHide")
            .Event("BalloonClick")
            .Enum("BalloonStyle", {{"bsIconNone", bsIconNone},
                                   {"bsIconExclamation", bsIconExclamation},
                                   {"bsIconCritical", bsIconCritical},
                                   {"bsIconInformation", bsIconInformation},
                                   {"bsNoSound", bsNoSound}})
            .Build();
    return info;
}

// --- lifecycle -----------------------------------------------------------------------------

void OVTrayIcon::OnInitialize() {
    caption_ = &AddLabel("lblCaption");
    caption_->SetCaption(kCaption);
    caption_->SetAlignment(host::Label::kCenter);
    caption_->SetBackStyle(0);
}

void OVTrayIcon::OnResize() {
    const gdi::ScreenSettings& screen = gdi::Screen();
    const double width = kPixelWidth * screen.twips_per_pixel_x;
    const double height = kPixelHeight * screen.twips_per_pixel_y;
    // Setting the size delivers one nested Resize, which finds it already right.
    SetExtent(width, height);
    // The caption lies across the surface, its text in the middle row of the strip.
    caption_->Move(0, height / 4, width, height / 2);
}

void OVTrayIcon::OnTerminate() {
    // Whether or not the icon was ever added: a delete of nothing fails harmlessly.
    Send(notifyarea::kNimDelete, record_);
    tray_icon_owner_.reset();
}

// --- the interface -------------------------------------------------------------------------

void OVTrayIcon::SetSysTray(bool in_tray) {
    if (in_tray) {
        SetScaleMode(kScaleTwips);
        record_.size = notifyarea::kNotifyIconDataSize;
        record_.window = hWnd();
        record_.id = 0;
        record_.flags = kUpdateFlags;
        record_.callback_message = notifyarea::kWmMouseMove;
        record_.icon = static_cast<std::uint32_t>(tray_icon_);
        notifyarea::SetTextField(record_.tip, info_tip_ + kNul);
        const std::string failure = Send(notifyarea::kNimAdd, record_);
        sys_tray_ = true;
        RaiseFailure(failure);
    } else {
        const std::string failure = Send(notifyarea::kNimDelete, record_);
        sys_tray_ = false;
        RaiseFailure(failure);
    }
}

void OVTrayIcon::SetInfoTip(const std::string& text) {
    info_tip_ = text + kNul;
    if (!sys_tray_) return;
    notifyarea::SetTextField(record_.tip, info_tip_);
    SendUpdate();
}

void OVTrayIcon::SetTrayIcon(std::int32_t icon) {
    tray_icon_ = icon;
    tray_icon_owner_ = Picture::Owning(static_cast<std::uint32_t>(icon));
    if (!sys_tray_) return;
    record_.icon = static_cast<std::uint32_t>(icon);
    SendUpdate();
}

void OVTrayIcon::RefreshTray() {
    Refresh();
    if (sys_tray_) SendUpdate();
}

void OVTrayIcon::SendUpdate() {
    // After a balloon the flags go back to 7, so an update does not show the balloon again.
    record_.flags = kUpdateFlags;
    RaiseFailure(Send(notifyarea::kNimModify, record_));
}

void OVTrayIcon::PopupBalloon(const std::string& message, const std::string& title, std::int32_t style) {
    if (!sys_tray_) throw TrayError(kErrorSysTrayNotSet, "The SetSysTray property must be set to True");
    record_.flags = notifyarea::kNifInfo;
    record_.timeout_or_version = kBalloonTimeout;
    record_.info_flags = static_cast<std::uint32_t>(style);
    notifyarea::SetTextField(record_.info, message + kNul);
    notifyarea::SetTextField(record_.info_title, title + kNul);
    RaiseFailure(Send(notifyarea::kNimModify, record_));
}

// The form is reached only through the members every host's form offers (its window, Hide,
// Show, WindowState, Visible), so the control works on any host's form; a parent that lacks
// one of them is not a form.
std::shared_ptr<IDispatch> OVTrayIcon::ParentForm() const {
    static constexpr const char* kFormMembers[] = {"hWnd", "Hide", "Show", "WindowState", "Visible"};
    std::shared_ptr<IDispatch> parent = Parent();
    const bool is_form = parent && std::ranges::all_of(kFormMembers, [&](const char* member) {
                             return parent->GetIDOfName(member) != kDispidUnknown;
                         });
    if (!is_form) throw TrayError(kErrorInvalidForm, "Invalid Form object");
    return parent;
}

void OVTrayIcon::AddForm() {
    const std::shared_ptr<IDispatch> form = ParentForm();
    notifyarea::SetForegroundWindow(WindowOf(*form));
    std::vector<Variant> none;
    CallMethod(*form, "Hide", none);
}

void OVTrayIcon::RestoreForm() {
    const std::shared_ptr<IDispatch> form = ParentForm();
    PutProperty(*form, "WindowState", Variant::FromLong(0));
    notifyarea::SetForegroundWindow(WindowOf(*form));
    std::vector<Variant> none;
    CallMethod(*form, "Show", none);
}

// --- notifications -------------------------------------------------------------------------

void OVTrayIcon::OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) {
    if (EqualsIgnoreCase(event, "MouseMove")) DecodeMouseMove(args);
}

void OVTrayIcon::DecodeMouseMove(std::vector<Variant>& args) {
    // The parent is brought forward and the cursor read for every notification, also for
    // plain moves and values that mean nothing.
    if (std::shared_ptr<IDispatch> parent = Parent()) {
        const gdi::HWND window = WindowOf(*parent);
        notifyarea::SetActiveWindow(window);
        if (!CBool(GetProperty(*parent, "Visible"))) notifyarea::SetForegroundWindow(window);
    }
    gdi::POINT cursor;
    notifyarea::GetCursorPos(&cursor);

    const float x = CSng(args[2]);
    const float message = static_cast<float>(x / static_cast<float>(gdi::Screen().twips_per_pixel_x));
    const DecodedNotification decoded = DecodeNotification(message);
    const Variant cursor_x = Variant::FromSingle(static_cast<float>(cursor.x));
    const Variant cursor_y = Variant::FromSingle(static_cast<float>(cursor.y));
    const Variant button = Variant::FromInteger(decoded.button);
    std::vector<Variant> raised;
    switch (decoded.event) {
        case TrayEvent::None: return;
        case TrayEvent::MouseMove:
            raised = {Variant::FromInteger(CInt(args[0])), Variant::FromInteger(CInt(args[1])), cursor_x, cursor_y};
            RaiseEvent(kEventMouseMove, raised);
            return;
        case TrayEvent::MouseDown:
            raised = {button, cursor_x, cursor_y};
            RaiseEvent(kEventMouseDown, raised);
            return;
        case TrayEvent::MouseUp:
            raised = {button, cursor_x, cursor_y};
            RaiseEvent(kEventMouseUp, raised);
            return;
        case TrayEvent::MouseDblClick:
            raised = {button, cursor_x, cursor_y};
            RaiseEvent(kEventMouseDblClick, raised);
            return;
        case TrayEvent::BalloonShow: RaiseEvent(kEventBalloonShow, raised); return;
        case TrayEvent::BalloonTimeoutOrHide: RaiseEvent(kEventBalloonTimeoutOrHide, raised); return;
        case TrayEvent::BalloonClick: RaiseEvent(kEventBalloonClick, raised); return;
    }
}

}  // namespace ov::trayicon
