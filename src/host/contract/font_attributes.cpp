#include "host/contract/font_attributes.h"

#include "platform/runtime/automation_error.h"

namespace ov::host {

FontAttributes FontFromObject(const std::shared_ptr<IDispatch>& font, const FontAttributes& fallback) {
    if (!font) return fallback;
    if (const auto* std_font = dynamic_cast<const StdFont*>(font.get())) return std_font->desc();
    FontAttributes attrs = fallback;
    try {
        attrs.name = CStr(GetProperty(*font, "Name"));
        attrs.size = CDbl(GetProperty(*font, "Size"));
        attrs.bold = CBool(GetProperty(*font, "Bold"));
        attrs.italic = CBool(GetProperty(*font, "Italic"));
        attrs.underline = CBool(GetProperty(*font, "Underline"));
        attrs.strikethrough = CBool(GetProperty(*font, "Strikethrough"));
    } catch (const AutomationError&) {
        return fallback;
    }
    return attrs;
}

std::shared_ptr<IDispatch> MakeFontObject(const FontAttributes& attrs) { return StdFont::Create(attrs); }

bool IsFontObject(const std::shared_ptr<IDispatch>& object) { return object && object->TypeName() == "StdFont"; }

}  // namespace ov::host
