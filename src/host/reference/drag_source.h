#pragma once
// A drag out of a control, as its events see it. It starts when the control asks for one
// (OLEDrag, or a text box whose drag mode is automatic dragging its selection): OLEStartDrag
// (Data, AllowedEffects) comes from the control's text box, Data holding its selected text,
// or from its surface with Data empty for the handler to fill; AllowedEffects starts as copy
// and move, and a handler that leaves it 0, or data with nothing in it, cancels the drag.
// The host's window system then carries the data; OLECompleteDrag(Effect) tells the control
// what became of it, and text moved out of a text box leaves it.
#include <cstdint>
#include <memory>
#include <string>

#include "host/reference/data_object.h"
#include "host/reference/reference_only.h"

namespace ov::host {

class ReferenceHost;

struct OutgoingDrag {
    std::string control;
    std::string target;  // "surface" or the text box's name
    std::shared_ptr<DataObject> data;
    std::int32_t allowed = 0;  // the effects the drag offers; 0: no drag
};

OutgoingDrag BeginDrag(ReferenceHost& host, const std::string& control);
void EndDrag(ReferenceHost& host, const OutgoingDrag& drag, std::int32_t effect);

}  // namespace ov::host
