#pragma once
// A font by its attributes, as the host keeps it for surfaces and constituent labels: the
// platform's font description, read from any font object that exposes Name, Size, Bold,
// Italic, Underline and Strikethrough. LogFontFromDesc (std_font.h) gives its logical font.
#include <memory>

#include "platform/picture/std_font.h"
#include "platform/runtime/dispatch.h"

namespace ov::host {

using FontAttributes = FontDesc;

// The attributes of a font object; `fallback` when `font` is null or does not answer.
FontAttributes FontFromObject(const std::shared_ptr<IDispatch>& font, const FontAttributes& fallback = {});

// Whether `object` is the platform's standard font object (StdFont).
bool IsFontObject(const std::shared_ptr<IDispatch>& object);

// Creates the platform's standard font object (StdFont) carrying `attrs`.
std::shared_ptr<IDispatch> MakeFontObject(const FontAttributes& attrs);

}  // namespace ov::host
