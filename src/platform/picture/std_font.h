#pragma once
// The font object of the host (name, size in points, bold, italic, underline, strikethrough),
// its plain description, and the graphics font made from it at the screen's resolution.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/runtime/automation_object.h"

namespace ov {

struct FontDesc {
    std::string name = "MS Sans Serif";
    double size = 8.25;  // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikethrough = false;

    friend bool operator==(const FontDesc&, const FontDesc&) = default;
};

// What a font object refuses with "Invalid property value" (380): an empty name, a size that is
// not in (0, 2160] points. Every font attribute put refuses the same, before writing anything,
// so whatever is saved loads back.
void RequireValidFontName(const std::string& name);
void RequireValidFontSize(double size);

// The logical-font record for `desc`: height -round(size * dpi / 72) pixels at the screen's
// vertical resolution (8.25 pt -> -11 at 96 dpi), weight 700/400, escapement in tenths of a degree.
gdi::LOGFONTA LogFontFromDesc(const FontDesc& desc, int escapement = 0);
// A new font handle; the caller deletes it.
gdi::HFONT CreateGdiFont(const FontDesc& desc, int escapement = 0);

class StdFont final : public AutomationObject {
public:
    static constexpr std::int32_t kDispidName = 0, kDispidSize = 2, kDispidBold = 3, kDispidItalic = 4,
                                  kDispidUnderline = 5, kDispidStrikethrough = 6, kDispidWeight = 7, kDispidCharset = 8;

    explicit StdFont(FontDesc desc = {}) : desc_(std::move(desc)) {}
    static std::shared_ptr<StdFont> Create(FontDesc desc = {}) { return std::make_shared<StdFont>(std::move(desc)); }

    const FontDesc& desc() const { return desc_; }
    // Sets the attributes without telling the listeners (the font's owner changing it itself).
    void set_desc(const FontDesc& desc) { desc_ = desc; }
    std::shared_ptr<StdFont> Clone() const { return Create(desc_); }

    // The platform font's FontChanged: `listener` runs after every late-bound write of an
    // attribute (Name, Size, Bold, ...), so whoever handed the font out by reference sees the
    // changes made through it. It runs for as long as the returned token lives.
    using ChangeListener = std::function<void()>;
    [[nodiscard]] std::shared_ptr<void> OnChange(ChangeListener listener);
    // Sets the attributes and tells the listeners.
    void Change(const FontDesc& desc);

    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

private:
    FontDesc desc_;
    std::vector<std::weak_ptr<ChangeListener>> listeners_;
};

}  // namespace ov
