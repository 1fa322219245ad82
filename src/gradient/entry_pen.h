#pragma once
// A solid, one-pixel pen in the colour of one table entry, selected into a device context for
// the life of the object and then selected out and deleted, so no pen outlives its step.
#include <cstdint>

#include "gradient/colour_table.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/scoped_objects.h"

namespace ov::gradient {

class EntryPen {
public:
    // An index outside the table creates no pen and selects nothing: whatever is drawn in this
    // step uses the pen the device context already holds.
    EntryPen(gdi::HDC dc, const ColourTable& table, std::int64_t index);

    bool created() const { return static_cast<bool>(pen_); }

private:
    gdi::OwnedObject pen_;  // declared first: selected out before it is deleted
    gdi::ScopedSelection selection_;
};

}  // namespace ov::gradient
