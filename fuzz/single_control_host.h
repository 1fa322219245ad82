#pragma once
// One reference host for a whole fuzzing run with a single control class registered (a host's
// form surface is costly to make; each input makes and terminates its own control), and the
// warm-up that draws once before fuzzing starts.
#include <sanitizer/lsan_interface.h>

#include <functional>
#include <string>

#include "host/reference/class_registry.h"
#include "host/reference/reference_host.h"

template <typename ControlClass>
ov::host::ReferenceHost& SingleControlHost(const char* class_name, double width, double height) {
    static const ov::host::ClassRegistry registry = [&] {
        ov::host::ClassRegistry r;
        r.Add(ov::host::ControlEntry<ControlClass>(class_name, width, height));
        return r;
    }();
    static ov::host::ReferenceHost host(registry);
    return host;
}

// The font configuration is loaded on the first text drawn. Fontconfig loses a few hundred bytes
// of it for good on that one load, so it is made here with the leak check off; everything the
// inputs allocate is still checked.
inline void WarmUpOutsideLeakCheck(const std::function<void()>& draw_text_once) {
    const __lsan::ScopedDisabler warm_up;
    draw_text_once();
}
