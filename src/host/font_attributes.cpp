#include "host/font_attributes.h"

#include <cmath>
#include <cstring>

#include "platform/gdi/screen.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {

FontAttributes FontAttributes::FromObject(const std::shared_ptr<IDispatch>& font, const FontAttributes& fallback) {
    if (!font) return fallback;
    if (const auto* std_font = dynamic_cast<const StdFont*>(font.get())) return FromDesc(std_font->desc());
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

FontAttributes FontAttributes::FromObject(const std::shared_ptr<IDispatch>& font) { return FromObject(font, FontAttributes{}); }

gdi::LOGFONTA FontAttributes::ToLogFont() const { return LogFontFromDesc(ToDesc()); }

std::shared_ptr<IDispatch> MakeFontObject(const FontAttributes& attrs) { return StdFont::Create(attrs.ToDesc()); }

}  // namespace ov::host
