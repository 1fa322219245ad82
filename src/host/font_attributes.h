#pragma once
// A font by its attributes, as the host keeps it for surfaces and constituent labels, and the
// conversions to the platform's logical-font record and from any font object that exposes
// Name, Size, Bold, Italic, Underline and Strikethrough.
#include <memory>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/picture/std_font.h"
#include "platform/runtime/dispatch.h"

namespace ov::host {

struct FontAttributes {
    std::string name = "MS Sans Serif";
    double size = 8.25;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    friend bool operator==(const FontAttributes&, const FontAttributes&) = default;

    // The platform font object's description of the same font, and back.
    FontDesc ToDesc() const { return FontDesc{name, size, bold, italic, underline, strikethrough}; }
    static FontAttributes FromDesc(const FontDesc& d) { return FontAttributes{d.name, d.size, d.bold, d.italic, d.underline, d.strikethrough}; }

    // Reads the attributes of a font object; nullopt-like fallback: the unchanged attrs when
    // `font` is null or does not answer.
    static FontAttributes FromObject(const std::shared_ptr<IDispatch>& font, const FontAttributes& fallback);
    static FontAttributes FromObject(const std::shared_ptr<IDispatch>& font);

    // Logical font at the screen's resolution: height -(points * dpi / 72) rounded, weight 700
    // or 400, italic/underline/strike-out flags.
    gdi::LOGFONTA ToLogFont() const;
};

// Creates the platform's standard font object (StdFont) carrying `attrs`.
std::shared_ptr<IDispatch> MakeFontObject(const FontAttributes& attrs);

}  // namespace ov::host
