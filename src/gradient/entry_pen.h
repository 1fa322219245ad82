#pragma once
// A solid, one-pixel pen in the colour of one table entry, selected into a device context for
// the life of the object and then selected out and deleted, so no pen outlives its step.
#include <cstdint>

#include "gradient/colour_table.h"
#include "platform/gdi/gdi.h"

namespace ov::gradient {

class EntryPen {
public:
    // An index outside the table creates no pen and selects nothing: whatever is drawn in this
    // step uses the pen the device context already holds.
    EntryPen(gdi::HDC dc, const ColourTable& table, std::int64_t index);
    ~EntryPen();
    EntryPen(const EntryPen&) = delete;
    EntryPen& operator=(const EntryPen&) = delete;

    bool created() const { return pen_ != 0; }

private:
    gdi::HDC dc_;
    gdi::HPEN pen_ = 0;
    gdi::HGDIOBJ previous_ = 0;
};

}  // namespace ov::gradient
