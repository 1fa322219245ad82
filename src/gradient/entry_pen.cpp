#include "gradient/entry_pen.h"

namespace ov::gradient {

namespace {

gdi::HPEN CreateEntryPen(const ColourTable& table, std::int64_t index) {
    if (index < 0 || index >= static_cast<std::int64_t>(table.size())) return 0;
    return gdi::CreatePen(gdi::PS_SOLID, 1, static_cast<gdi::COLORREF>(table[static_cast<std::size_t>(index)]));
}

}  // namespace

EntryPen::EntryPen(gdi::HDC dc, const ColourTable& table, std::int64_t index)
    : pen_(CreateEntryPen(table, index)), selection_(dc, pen_.get()) {}

}  // namespace ov::gradient
