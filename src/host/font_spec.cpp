#include "host/font_spec.h"

#include <cmath>
#include <cstring>

#include "platform/gdi/screen.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {

FontSpec FontSpec::FromObject(const std::shared_ptr<IDispatch>& font, const FontSpec& fallback) {
    if (!font) return fallback;
    if (const auto* std_font = dynamic_cast<const StdFont*>(font.get())) return FromDesc(std_font->desc());
    FontSpec spec = fallback;
    try {
        spec.name = CStr(GetProperty(*font, "Name"));
        spec.size = CDbl(GetProperty(*font, "Size"));
        spec.bold = CBool(GetProperty(*font, "Bold"));
        spec.italic = CBool(GetProperty(*font, "Italic"));
        spec.underline = CBool(GetProperty(*font, "Underline"));
        spec.strikethrough = CBool(GetProperty(*font, "Strikethrough"));
    } catch (const AutomationError&) {
        return fallback;
    }
    return spec;
}

FontSpec FontSpec::FromObject(const std::shared_ptr<IDispatch>& font) { return FromObject(font, FontSpec{}); }

gdi::LOGFONTA FontSpec::ToLogFont() const { return LogFontFromDesc(ToDesc()); }

std::shared_ptr<IDispatch> MakeFontObject(const FontSpec& spec) { return StdFont::Create(spec.ToDesc()); }

}  // namespace ov::host
