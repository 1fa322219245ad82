#pragma once
// A small control for the host tests: it records every lifecycle call and event it receives,
// persists two keys and offers methods with by-value, by-reference and Integer parameters.
#include <string>
#include <vector>

#include "host/reference/class_registry.h"
#include "host/contract/control.h"

namespace ov::host::testing {

class Probe : public Control {
public:
    Probe();
    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

    std::int32_t Count() const { return count_; }
    void SetCount(std::int32_t count) {
        count_ = count;
        PropertyChanged("Count");
    }
    std::string Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }

    std::vector<std::string> log;
    // Height the control gives itself from inside Resize (0: leave the height alone).
    double resize_to_height = 0;
    // Value of the by-reference argument after the last RaiseEvent("Changing").
    std::int32_t value_after_event = 0;
    Timer& timer;
    Label& caption_label;
    Shape& plate;
    std::vector<Label*> items;

protected:
    void OnInitialize() override { log.push_back("Initialize"); }
    void OnInitProperties() override { log.push_back("InitProperties"); }
    void OnReadProperties(const PropertyBag& bag) override {
        log.push_back("ReadProperties");
        Control::OnReadProperties(bag);
    }
    void OnResize() override;
    void OnShow() override;
    void OnPaint() override { log.push_back("Paint"); }
    void OnHide() override { log.push_back("Hide"); }
    void OnWriteProperties(PropertyBag& bag) override {
        log.push_back("WriteProperties");
        Control::OnWriteProperties(bag);
    }
    void OnTerminate() override { log.push_back("Terminate"); }
    void OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) override;
    void OnConstituentEvent(Constituent& source, std::string_view event, std::vector<Variant>& args) override;

private:
    // A Count below zero is one the probe cannot show, as a repaint refuses a value it read:
    // Resize and Show raise error -Count.
    void RefuseToShowNegativeCount() const;

    std::int32_t count_ = 0;
    std::string caption_;
};

// A registry with the host's plain classes and Probe.
ClassRegistry ProbeRegistry();

}  // namespace ov::host::testing
