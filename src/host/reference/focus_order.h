#pragma once
// The form's tab order: where Tab and Shift+Tab move the keyboard focus. Each container (the
// form, a panel) orders the controls placed directly in it by their TabIndex — creation order
// until a program sets one — and the controls a container holds follow it, before its next
// sibling. The focus goes to the controls that take keyboard input: those with an enabled text
// box, a tab stop, visible together with every container around them.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "host/reference/reference_only.h"

namespace ov::host {

struct HostEntry;
class ObjectRegistry;

// Every entry of the registry in tab order (depth first, each level by TabIndex).
std::vector<HostEntry*> TabOrder(const ObjectRegistry& objects);

// Whether the entry is shown: it and every container around it are visible.
bool ShownWithItsContainers(const HostEntry& entry);

// Whether Tab stops at the entry's control.
bool TakesTabFocus(const HostEntry& entry);

// The control Tab (`forward`) or Shift+Tab moves the focus to from control `from` ("" or an
// unknown name: from before the first, or after the last). Past the end of the order the
// search wraps around to its start when `wrap` is true, else it gives "". "" when no control
// takes the focus. `from` itself is found again only when it is the only one.
std::string NextTabStop(const ObjectRegistry& objects, std::string_view from, bool forward, bool wrap);

// The TabIndex extender member: the entry's place (from 0) among the entries of its container.
std::int32_t TabIndexOf(const ObjectRegistry& objects, const HostEntry& entry);
// Moves the entry to place `index` among its container's entries, the others keeping their
// order around it; an index past the last place puts it last, a negative one is 380.
void SetTabIndex(const ObjectRegistry& objects, HostEntry& entry, std::int32_t index);

}  // namespace ov::host
