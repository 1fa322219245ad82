#pragma once
// Every class the library ships, in one registry: the controls and creatable classes of the
// type library (with their ProgIDs "OrvelleControls.<Class>" and class ids), plus the plain
// host controls a reference host can place beside them.
//
// Adding a control is one line in RegisterAllClasses (classes.cpp) and its library in
// src/library/CMakeLists.txt.
#include "host/reference/class_registry.h"

namespace ov::library {

void RegisterAllClasses(host::ClassRegistry& registry);

// The registry filled once with RegisterAllClasses.
const host::ClassRegistry& Classes();

// Whether an entry belongs to the type library (library classes; not the host's own).
bool InTypeLibrary(const host::ClassEntry& entry);

}  // namespace ov::library
