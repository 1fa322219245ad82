#include "probe_control.h"

#include "host/reference/reference_host.h"
#include "platform/runtime/automation_error.h"

namespace ov::host::testing {

Probe::Probe()
    : timer(AddTimer("tmrTick")),
      caption_label(AddLabel("lblCaption")),
      plate(AddShape("shpPlate")),
      items(AddLabelArray("lblItem", 3)) {
    timer.SetInterval(1000);
    timer.SetEnabled(false);
    plate.SetVisible(false);
    caption_label.SetVisible(false);
    for (Label* item : items) item->SetVisible(false);
}

const ClassInfo& Probe::StaticInfo() {
    static const ClassInfo info = [] {
        const TypeDesc long_type = TypeDesc::Of(VarType::Long);
        return ClassBuilder<Probe>("Probe")
            .Property("Count", 1, long_type, &Probe::Count, &Probe::SetCount)
            .Help("How many")
            .Default(Variant::FromLong(0))
            .Property("Caption", 2, TypeDesc::Of(VarType::String), &Probe::Caption, &Probe::SetCaption)
            .Default(Variant::FromString(""))
            .Method("Twice", 3, {Ref("Value", long_type), In("Copy", long_type)},
                    [](Probe&, std::vector<Variant>& args) {
                        args[0] = Variant::FromLong(CLng(args[0]) * 2);
                        args[1] = Variant::FromLong(0);  // by value: the caller keeps its own
                        return Variant();
                    })
            .Method(
                "Small", 4, {In("X", TypeDesc::Of(VarType::Integer)), Opt("Y", long_type)},
                [](Probe&, std::vector<Variant>& args) {
                    return Variant::FromLong(CInt(args[0]) + (args[1].IsMissing() ? 0 : CLng(args[1])));
                },
                long_type)
            .Event("Changing", {Ref("Value", long_type)})
            .Event("Done")
            .Persist("Count")
            .Persist("Caption")
            .Build();
    }();
    return info;
}

void Probe::OnResize() {
    log.push_back("Resize " + std::to_string(static_cast<int>(Height())));
    if (resize_to_height != 0) SetHeight(resize_to_height);
    RefuseToShowNegativeCount();
}

void Probe::OnShow() {
    log.push_back("Show");
    RefuseToShowNegativeCount();
}

void Probe::RefuseToShowNegativeCount() const {
    if (count_ < 0) throw AutomationError(-count_);
}

void Probe::OnSurfaceEvent(std::string_view event, std::vector<Variant>& args) {
    log.push_back("surface " + std::string(event));
    if (event == "Click") {
        std::vector<Variant> raised{Variant::FromLong(1)};
        RaiseEvent("Changing", raised);
        value_after_event = CLng(raised[0]);
    } else if (event == "MouseMove") {
        args[2] = Variant::FromSingle(99);  // X is by reference: the host reports the change
    }
}

void Probe::OnConstituentEvent(Constituent& source, std::string_view event, std::vector<Variant>&) {
    log.push_back(source.QualifiedName() + " " + std::string(event) + " at " + std::to_string(ClockMilliseconds()));
    if (&source == &timer && ClockMilliseconds() >= 3000) timer.SetEnabled(false);
}

ClassRegistry ProbeRegistry() {
    ClassRegistry registry;
    RegisterHostClasses(registry);
    registry.Add(ControlEntry<Probe>("Probe", 1500, 900));
    return registry;
}

}  // namespace ov::host::testing
