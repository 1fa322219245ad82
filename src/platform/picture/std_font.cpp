#include "platform/picture/std_font.h"

#include <cmath>
#include <cstring>

#include "platform/gdi/screen.h"
#include "platform/picture/member_table.h"

namespace ov {
namespace {

const MemberTable<StdFont>& Members() {
    static const MemberTable<StdFont> table = [] {
        MemberTable<StdFont> t;
        auto flag = [&t](const char* name, std::int32_t id, bool FontDesc::*field) {
            t.Property(
                name, id, [field](StdFont& f, auto&) { return Variant::FromBoolean(f.desc().*field); },
                [field](StdFont& f, const Variant& v, auto&) {
                    FontDesc d = f.desc();
                    d.*field = CBool(v);
                    f.set_desc(d);
                });
        };
        t.Property(
            "Name", StdFont::kDispidName, [](StdFont& f, auto&) { return Variant::FromString(f.desc().name); },
            [](StdFont& f, const Variant& v, auto&) {
                FontDesc d = f.desc();
                d.name = CStr(v);
                if (d.name.empty()) throw AutomationError(error::kInvalidPropertyValue);
                f.set_desc(d);
            });
        t.Property(
            "Size", StdFont::kDispidSize, [](StdFont& f, auto&) { return Variant::FromDouble(f.desc().size); },
            [](StdFont& f, const Variant& v, auto&) {
                const double size = CDbl(v);
                if (!(size > 0) || size > 2160) throw AutomationError(error::kInvalidPropertyValue);
                FontDesc d = f.desc();
                d.size = std::round(size * 10000) / 10000;  // the platform keeps sizes as currency
                f.set_desc(d);
            });
        flag("Bold", StdFont::kDispidBold, &FontDesc::bold);
        flag("Italic", StdFont::kDispidItalic, &FontDesc::italic);
        flag("Underline", StdFont::kDispidUnderline, &FontDesc::underline);
        flag("Strikethrough", StdFont::kDispidStrikethrough, &FontDesc::strikethrough);
        t.Property(
            "Weight", StdFont::kDispidWeight, [](StdFont& f, auto&) { return Variant::FromInteger(f.desc().bold ? 700 : 400); },
            [](StdFont& f, const Variant& v, auto&) {
                FontDesc d = f.desc();
                d.bold = CInt(v) >= 550;
                f.set_desc(d);
            });
        t.Property("Charset", StdFont::kDispidCharset, [](StdFont&, auto&) { return Variant::FromInteger(0); },
                   [](StdFont&, const Variant& v, auto&) { (void)CInt(v); });
        return t;
    }();
    return table;
}

}  // namespace

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

std::int32_t StdFont::GetIDOfName(std::string_view name) const { return Members().IdOf(name); }

Variant StdFont::Invoke(std::int32_t dispid, InvokeKind kind, std::vector<Variant>& args) {
    return Members().Invoke(*this, dispid, kind, args);
}

}  // namespace ov
