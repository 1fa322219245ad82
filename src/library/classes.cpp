#include "library/classes.h"

#include "gradient/gradient_object.h"
#include "host/reference/reference_host.h"
#include "hotlabel/hot_label.h"
#include "line3d/ov3dline.h"
#include "maskedit/masked_text_box.h"
#include "panel/gradient_panel.h"
#include "sidelogo/side_logo.h"
#include "tabhead/tab_head.h"
#include "trayicon/tray_icon.h"

namespace ov::library {

void RegisterAllClasses(host::ClassRegistry& registry) {
    host::RegisterHostClasses(registry);
    // The library's classes, one line each: class, default extent (twips), class id.
    registry.Add(host::ControlEntry<line3d::OV3DLine>("OV3DLine", 2400, 255, "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7001}"));
    registry.Add(host::ControlEntry<panel::OVGradientPanel>(
        "OVGradientPanel", panel::kNewPanelWidth, panel::kNewPanelHeight, "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7002}"));
    registry.Add(host::ControlEntry<hotlabel::OVHotLabel>("OVHotLabel", hotlabel::kNewInstanceWidth,
                                                          hotlabel::kNewInstanceHeight,
                                                          "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7003}"));
    registry.Add(host::ControlEntry<trayicon::OVTrayIcon>("OVTrayIcon", trayicon::kPixelWidth * 15,
                                                          trayicon::kPixelHeight * 15,
                                                          "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7004}"));
    registry.Add(host::ControlEntry<tabhead::OVTabHead>("OVTabHead", tabhead::kNewInstanceWidth,
                                                        tabhead::kNewInstanceHeight,
                                                        "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7005}"));
    registry.Add(host::ControlEntry<maskedit::OVMaskedTextBox>("OVMaskedTextBox", maskedit::kNewInstanceWidth,
                                                               maskedit::kNewInstanceHeight,
                                                               "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7006}"));
    registry.Add(
        host::ControlEntry<sidelogo::OVSideLogo>("OVSideLogo", 1215, 4800, "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7008}"));
    registry.Add(host::ObjectEntry<gradient::GradientObject>(gradient::kGradientClassName,
                                                             "{6F1C3D01-7A52-4E0B-9C11-0D3E5A2B7020}"));
}

const host::ClassRegistry& Classes() {
    static const host::ClassRegistry registry = [] {
        host::ClassRegistry r;
        RegisterAllClasses(r);
        return r;
    }();
    return registry;
}

bool InTypeLibrary(const host::ClassEntry& entry) { return !entry.class_id.empty(); }

}  // namespace ov::library
