#pragma once
// A font by its attributes, as the host keeps it for surfaces and constituent labels, and the
// conversions to the platform's logical-font record and from any font object that exposes
// Name, Size, Bold, Italic, Underline and Strikethrough.
#include <memory>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/runtime/dispatch.h"

namespace ov::host {

struct FontSpec {
    std::string name = "MS Sans Serif";
    double size = 8.25;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    friend bool operator==(const FontSpec&, const FontSpec&) = default;

    // Reads the attributes of a font object; nullopt-like fallback: the unchanged spec when
    // `font` is null or does not answer.
    static FontSpec FromObject(const std::shared_ptr<IDispatch>& font, const FontSpec& fallback = {});

    // Logical font at the screen's resolution: height -(points * dpi / 72) rounded, weight 700
    // or 400, italic/underline/strike-out flags.
    gdi::LOGFONTA ToLogFont() const;
};

// Creates a font object carrying `spec` (the platform's standard font object).
std::shared_ptr<IDispatch> MakeFontObject(const FontSpec& spec);

}  // namespace ov::host
