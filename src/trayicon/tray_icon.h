#pragma once
// OVTrayIcon: one icon in the desktop's notification area on behalf of the form holding the
// control, with an info tip and balloon messages; activity on the icon comes back as events,
// and the control hides and restores its form. Everything goes through the notification-area
// call and three window calls (platform/notifyarea/notification_area.h). Nothing is persisted.
// The area's answer changes nothing in the control's state; what the desktop could not carry
// out (a balloon no server took, an icon with nowhere to be shown) is raised as error 5 with the
// desktop's reason once that state is settled.
#include <cstdint>
#include <memory>
#include <string>

#include "host/contract/control.h"
#include "host/contract/toolbox_image.h"
#include "platform/notifyarea/notify_icon_data.h"
#include "platform/picture/picture.h"

namespace ov::trayicon {

inline constexpr const char* kCaption = "Orvelle System Tray";
inline constexpr const char* kErrorSource = "TrayIcon";
inline constexpr std::int32_t kErrorSysTrayNotSet = error::kObjectErrorBase + 3000;
inline constexpr std::int32_t kErrorInvalidForm = error::kObjectErrorBase + 3001;
// The control's fixed size, whatever the host asks for.
inline constexpr int kPixelWidth = 120;
inline constexpr int kPixelHeight = 25;

// BalloonStyle: the platform's balloon flags; they may be added together.
enum BalloonStyle : std::int32_t {
    bsIconNone = 0,
    bsIconExclamation = 2,
    bsIconCritical = 3,
    bsIconInformation = 1,
    bsNoSound = 16
};

class OVTrayIcon : public host::Control {
public:
    // Event ids of __OVTrayIcon.
    static constexpr std::int32_t kEventMouseMove = 1, kEventMouseUp = 2, kEventMouseDown = 3, kEventMouseDblClick = 4,
                                  kEventBalloonShow = 5, kEventBalloonTimeoutOrHide = 6, kEventBalloonClick = 7;

    OVTrayIcon();
    ~OVTrayIcon() override;

    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }
    // The control's picture in a form designer's toolbox.
    static host::ToolboxImage DrawToolboxImage();

    // --- the interface, in its order ------------------------------------------------------------
    bool SysTray() const { return sys_tray_; }
    void SetSysTray(bool in_tray);
    // The stored tip: the text written last and one NUL.
    const std::string& InfoTip() const { return info_tip_; }
    void SetInfoTip(const std::string& text);
    std::int32_t TrayIcon() const { return tray_icon_; }
    void SetTrayIcon(std::int32_t icon);
    // The interface's Refresh method.
    void RefreshTray();
    void AddForm();
    void RestoreForm();
    void PopupBalloon(const std::string& message, const std::string& title, std::int32_t style);

    // The record as the control keeps it between calls.
    const notifyarea::NotifyIconDataA& record() const { return record_; }

protected:
    void OnInitialize() override;
    void OnResize() override;
    void OnTerminate() override;
    void OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) override;

private:
    // Sends the record with flags 7 (callback message, icon, tip), as every update does.
    void SendUpdate();
    // The parent as a form, else "Invalid Form object".
    std::shared_ptr<IDispatch> ParentForm() const;
    void DecodeMouseMove(std::vector<Variant>& args);

    bool sys_tray_ = false;
    std::string info_tip_;
    std::int32_t tray_icon_ = 0;
    // The picture owning TrayIcon's handle, if a picture does: held while the handle is the
    // TrayIcon, so a picture assigned and released at once (`TrayIcon = LoadPicture(...)`)
    // leaves a live icon for the area to show. A bare handle is neither loaded nor freed here.
    std::shared_ptr<Picture> tray_icon_owner_;
    notifyarea::NotifyIconDataA record_;
    host::Label* caption_ = nullptr;
};

}  // namespace ov::trayicon
