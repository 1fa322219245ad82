#include "platform/picture/std_font.h"

#include <cmath>
#include <cstring>
#include <exception>

#include "platform/gdi/screen.h"

namespace ov {
namespace {

// A font attribute write changes a copy of the font's attributes and hands it back whole.
template <typename Field>
void SetField(StdFont& font, Field FontDesc::*field, Field value) {
    FontDesc desc = font.desc();
    desc.*field = std::move(value);
    font.Change(desc);
}

}  // namespace

std::shared_ptr<void> StdFont::OnChange(ChangeListener listener) {
    auto token = std::make_shared<ChangeListener>(std::move(listener));
    std::erase_if(listeners_, [](const std::weak_ptr<ChangeListener>& l) { return l.expired(); });
    listeners_.push_back(token);
    return token;
}

void StdFont::Change(const FontDesc& desc) {
    desc_ = desc;
    // A listener may drop its token, or take another, while it runs: the list is walked as it
    // was, and each listener is held for its call. Every owner hears of the change even when
    // one of them fails to show it; the first failure then reaches the writer.
    const std::vector<std::weak_ptr<ChangeListener>> listeners = listeners_;
    std::exception_ptr failure;
    for (const std::weak_ptr<ChangeListener>& weak : listeners) {
        const std::shared_ptr<ChangeListener> listener = weak.lock();
        if (!listener) continue;
        try {
            (*listener)();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    }
    if (failure) std::rethrow_exception(failure);
}

void RequireValidFontName(const std::string& name) {
    if (name.empty()) throw AutomationError(error::kInvalidPropertyValue);
}

void RequireValidFontSize(double size) {
    if (!(size > 0) || size > 2160) throw AutomationError(error::kInvalidPropertyValue);
}

gdi::LOGFONTA LogFontFromDesc(const FontDesc& desc, int escapement) {
    gdi::LOGFONTA lf;
    const int twips = gdi::Screen().twips_per_pixel_y;
    const int dpi = twips > 0 ? 1440 / twips : 96;
    lf.lfHeight = -static_cast<int>(std::lround(desc.size * dpi / 72.0));
    lf.lfWeight = desc.bold ? 700 : 400;
    lf.lfItalic = desc.italic ? 1 : 0;
    lf.lfUnderline = desc.underline ? 1 : 0;
    lf.lfStrikeOut = desc.strikethrough ? 1 : 0;
    lf.lfEscapement = escapement;
    lf.lfOrientation = escapement;
    std::strncpy(lf.lfFaceName, desc.name.c_str(), sizeof lf.lfFaceName - 1);
    return lf;
}

gdi::HFONT CreateGdiFont(const FontDesc& desc, int escapement) {
    const gdi::LOGFONTA lf = LogFontFromDesc(desc, escapement);
    return gdi::CreateFontIndirectA(&lf);
}

const ClassInfo& StdFont::StaticInfo() {
    static const ClassInfo info = [] {
        ClassBuilder<StdFont> b("StdFont", false);
        b.Source(std::string(error::kRuntimeSource));
        b.PropertyEx(
            "Name", kDispidName, TypeDesc::Of(VarType::String), {},
            [](StdFont& f, auto&) { return Variant::FromString(f.desc().name); },
            [](StdFont& f, auto&, Variant& v) {
                std::string name = CStr(v);
                RequireValidFontName(name);
                SetField(f, &FontDesc::name, std::move(name));
            });
        b.PropertyEx(
            "Size", kDispidSize, TypeDesc::Of(VarType::Double), {},
            [](StdFont& f, auto&) { return Variant::FromDouble(f.desc().size); },
            [](StdFont& f, auto&, Variant& v) {
                const double size = CDbl(v);
                RequireValidFontSize(size);
                // The platform keeps font sizes as currency: four decimal places.
                SetField(f, &FontDesc::size, std::round(size * 10000) / 10000);
            });
        const std::pair<const char*, std::pair<std::int32_t, bool FontDesc::*>> flags[] = {
            {"Bold", {kDispidBold, &FontDesc::bold}},
            {"Italic", {kDispidItalic, &FontDesc::italic}},
            {"Underline", {kDispidUnderline, &FontDesc::underline}},
            {"Strikethrough", {kDispidStrikethrough, &FontDesc::strikethrough}}};
        for (const auto& [name, member] : flags) {
            const auto field = member.second;
            b.PropertyEx(
                name, member.first, TypeDesc::Of(VarType::Boolean), {},
                [field](StdFont& f, auto&) { return Variant::FromBoolean(f.desc().*field); },
                [field](StdFont& f, auto&, Variant& v) { SetField(f, field, CBool(v)); });
        }
        b.PropertyEx(
            "Weight", kDispidWeight, TypeDesc::Of(VarType::Integer), {},
            [](StdFont& f, auto&) { return Variant::FromInteger(f.desc().bold ? 700 : 400); },
            [](StdFont& f, auto&, Variant& v) { SetField(f, &FontDesc::bold, CInt(v) >= 550); });
        // Only the single-byte character set exists here; a write is checked and kept as 0.
        b.PropertyEx(
            "Charset", kDispidCharset, TypeDesc::Of(VarType::Integer), {},
            [](StdFont&, auto&) { return Variant::FromInteger(0); }, [](StdFont&, auto&, Variant&) {});
        return b.Build();
    }();
    return info;
}

}  // namespace ov
