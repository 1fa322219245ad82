#include "host/reference/form_composition.h"

#include <algorithm>
#include <limits>

#include "host/reference/compositor.h"
#include "host/contract/control.h"
#include "host/reference/form.h"
#include "host/reference/object_registry.h"
#include "host/contract/visual_changes.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/png_io.h"
#include "platform/gdi/window.h"
#include "platform/runtime/automation_error.h"

namespace ov::host {

gdi::COLORREF ComposedImage::At(std::int64_t x, std::int64_t y) const {
    if (x < 0 || y < 0 || x >= width || y >= height) return gdi::CLR_INVALID;
    return gdi::ColorFromPixelWord(pixels[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)]);
}

bool FormComposition::Stamp::operator==(const Stamp& other) const {
    return host_changes == other.host_changes && system_colours == other.system_colours &&
           screen.twips_per_pixel_x == other.screen.twips_per_pixel_x &&
           screen.twips_per_pixel_y == other.screen.twips_per_pixel_y &&
           screen.font_smoothing == other.screen.font_smoothing;
}

FormComposition::Stamp FormComposition::Current() {
    Stamp stamp;
    stamp.host_changes = VisualChangeCount();
    for (int i = 0; i < gdi::kSysColorCount; ++i)
        stamp.system_colours[static_cast<std::size_t>(i)] = gdi::GetSysColor(i);
    stamp.screen = gdi::Screen();
    return stamp;
}

gdi::RECT FormComposition::FormBounds() const {
    return gdi::RECT{0, 0, std::max(0, TwipsToPixels(form_.Width(), Axis::X)),
                     std::max(0, TwipsToPixels(form_.Height(), Axis::Y))};
}

FormPoint FormComposition::OriginOf(const HostEntry* entry) {
    FormPoint p;
    for (; entry; entry = entry->container) {
        p.x += TwipsToPixels(entry->left, Axis::X);
        p.y += TwipsToPixels(entry->top, Axis::Y);
    }
    return p;
}

namespace {

// Whether `entry` is `target` or holds it, however deeply.
bool OnPathTo(const HostEntry* entry, const HostEntry* target) {
    for (; target; target = target->container)
        if (target == entry) return true;
    return false;
}

}  // namespace

void FormComposition::ComposeChildren(const HostEntry* container, Canvas& canvas, const gdi::RECT& clip,
                                      FormPoint origin, const HostEntry* whole) const {
    for (const auto& e : registry_.entries()) {
        if (e->container != container || !e->Shown()) continue;
        const Control& control = *e->control;
        // The control whose whole image is asked for, and the containers holding it, are not
        // cut by the containers around them.
        const gdi::RECT own_clip = OnPathTo(e.get(), whole) ? canvas.bounds : clip;
        const FormPoint at{origin.x + TwipsToPixels(e->left, Axis::X), origin.y + TwipsToPixels(e->top, Axis::Y)};
        // Wherever a placement puts a control, only the part inside the clip is drawn; one
        // entirely outside is skipped with its contents before any narrowing to int.
        if (at.x >= own_clip.right || at.y >= own_clip.bottom || at.x + control.PixelWidth() <= own_clip.left ||
            at.y + control.PixelHeight() <= own_clip.top)
            continue;
        const gdi::POINT corner{static_cast<int>(at.x), static_cast<int>(at.y)};
        ComposeControl(control, canvas, corner, own_clip);
        // Contained controls are clipped to their container's client area.
        const gdi::RECT inner = Intersect(
            own_clip, gdi::RECT{corner.x, corner.y, corner.x + control.PixelWidth(), corner.y + control.PixelHeight()});
        if (inner.right > inner.left && inner.bottom > inner.top) ComposeChildren(e.get(), canvas, inner, at, whole);
    }
}

ComposedImage FormComposition::ComposeRegion(const gdi::RECT& bounds, const HostEntry* whole) const {
    return ComposeRegion(bounds, whole, form_.BackColor());
}

ComposedImage FormComposition::ComposeRegion(const gdi::RECT& bounds, const HostEntry* whole,
                                             std::int32_t background) const {
    ComposedImage image;
    ComposeRegionInto(image, bounds, whole, background);
    return image;
}

void FormComposition::ComposeRegionInto(ComposedImage& image, const gdi::RECT& bounds, const HostEntry* whole,
                                        std::int32_t background, CompositionSources* sources) const {
    image.width = bounds.right - bounds.left;
    image.height = bounds.bottom - bounds.top;
    // The background fills every pixel: a buffer of the same size is reused as it is.
    image.pixels.resize(static_cast<std::size_t>(image.width) * image.height);
    Canvas canvas{bounds, image.pixels.data(), static_cast<std::size_t>(image.width), sources};
    DrawOnto(canvas, whole, background);
}

void FormComposition::DrawOnto(Canvas& canvas, const HostEntry* whole, std::int32_t background) const {
    FillCanvas(canvas, canvas.bounds, background);
    ComposeChildren(nullptr, canvas, canvas.bounds, FormPoint{}, whole);
}

// The whole form into the kept buffer (a live host recomposing after every input allocates,
// and faults in, no new image of the form's size), noting what it is drawn from.
void FormComposition::ComposeAll() const {
    sources_ = CompositionSources{};
    ComposeRegionInto(image_, FormBounds(), nullptr, form_.BackColor(), &sources_);
    changes_.clear();  // every version before this one is unknown now
    ++image_.version;
    NoteChange(FormBounds());
}

// `part` of the kept image composed again over the form's background, everything in it
// included: what composing the whole form would give there.
void FormComposition::ComposePart(const gdi::RECT& part) const {
    Canvas canvas{part, &image_.pixels[static_cast<std::size_t>(part.top) * image_.width + part.left],
                  static_cast<std::size_t>(image_.width)};
    DrawOnto(canvas, nullptr, form_.BackColor());
    ++image_.version;
    NoteChange(part);
}

void FormComposition::NoteChange(const gdi::RECT& changed) const {
    constexpr std::size_t kKept = 16;
    if (changes_.size() == kKept) changes_.erase(changes_.begin());
    changes_.push_back(Change{image_.version, changed});
}

std::optional<gdi::RECT> FormComposition::ChangedSince(std::uint64_t version) const {
    if (version == image_.version) return gdi::RECT{};
    // Known only when every version after `version` is in the list.
    if (changes_.empty() || version + 1 < changes_.front().version || version > image_.version) return std::nullopt;
    gdi::RECT changed{};
    for (const Change& c : changes_)
        if (c.version > version) changed = gdi::UnionRect(changed, c.rect);
    return changed;
}

std::optional<gdi::RECT> FormComposition::SourceDamage() const {
    const gdi::RECT form = FormBounds();
    gdi::RECT damage{};
    for (const CompositionSources::Window& w : sources_.windows) {
        gdi::RECT changed;
        if (!gdi::GetWindowDamageSince(w.window, composed_at_, &changed)) return std::nullopt;
        if (gdi::IsRectEmpty(changed)) continue;
        // In form pixels, clipped to the form before narrowing.
        const auto clamp = [](std::int64_t v, int low, int high) {
            return static_cast<int>(std::clamp<std::int64_t>(v, low, high));
        };
        damage = gdi::UnionRect(
            damage,
            gdi::RECT{clamp(w.left + changed.left, 0, form.right), clamp(w.top + changed.top, 0, form.bottom),
                      clamp(w.left + changed.right, 0, form.right), clamp(w.top + changed.bottom, 0, form.bottom)});
    }
    for (const gdi::HBITMAP bitmap : sources_.bitmaps) {
        gdi::RECT changed;
        if (!gdi::GetBitmapDamageSince(bitmap, composed_at_, &changed)) return std::nullopt;
        if (!gdi::IsRectEmpty(changed)) return form;  // a picture may show anywhere, scaled or tiled
    }
    return gdi::IsRectEmpty(damage) ? gdi::RECT{} : damage;
}

bool FormComposition::IsCurrent() const {
    if (!stamp_ || !(*stamp_ == Current())) return false;
    const std::optional<gdi::RECT> damage = SourceDamage();
    return damage && gdi::IsRectEmpty(*damage);
}

ComposedImage FormComposition::ImageOver(std::int32_t ole_colour) const {
    return ComposeRegion(FormBounds(), nullptr, ole_colour);
}

ComposedImage FormComposition::ImageOver(std::int32_t ole_colour, const gdi::RECT& part) const {
    return ComposeRegion(part, nullptr, ole_colour);
}

const ComposedImage& FormComposition::Image() const {
    const Stamp now = Current();
    const gdi::RECT form = FormBounds();
    const bool same_state = stamp_ && *stamp_ == now && image_.width == form.right && image_.height == form.bottom;
    const std::optional<gdi::RECT> damage = same_state ? SourceDamage() : std::nullopt;
    if (!damage) ComposeAll();
    else if (!gdi::IsRectEmpty(*damage)) ComposePart(*damage);
    stamp_ = now;
    // Taken after composing: what composing itself draws (its own buffers) is not a change.
    composed_at_ = gdi::DamageStamp();
    return image_;
}

gdi::COLORREF FormComposition::PixelAt(const HostEntry* entry, std::int64_t x, std::int64_t y) const {
    const FormPoint origin = OriginOf(entry);
    const std::int64_t fx = origin.x + x, fy = origin.y + y;
    const gdi::RECT form = FormBounds();
    if (fx < form.left || fy < form.top || fx >= form.right || fy >= form.bottom) return gdi::CLR_INVALID;
    if (IsCurrent()) return image_.At(fx, fy);
    const int px = static_cast<int>(fx), py = static_cast<int>(fy);
    return ComposeRegion(gdi::RECT{px, py, px + 1, py + 1}, nullptr).At(0, 0);
}

bool FormComposition::WritePng(const HostEntry* entry, const std::string& png_path) const {
    if (!entry) {
        const ComposedImage& image = Image();
        return gdi::WritePng(png_path, image.width, image.height, image.pixels.data());
    }
    // The whole control, also where it reaches past the form or its containers: composed on
    // its own over the form's background, not cut out of the form's image.
    const FormPoint origin = OriginOf(entry);
    const std::int64_t width = entry->control ? entry->control->PixelWidth() : 0;
    const std::int64_t height = entry->control ? entry->control->PixelHeight() : 0;
    constexpr std::int64_t kIntMin = std::numeric_limits<int>::min(), kIntMax = std::numeric_limits<int>::max();
    if (origin.x < kIntMin || origin.y < kIntMin || origin.x + width > kIntMax || origin.y + height > kIntMax)
        throw AutomationError(error::kInvalidProcedureCall);  // no image has pixels that far out
    const ComposedImage image =
        ComposeRegion(gdi::RECT{static_cast<int>(origin.x), static_cast<int>(origin.y),
                                static_cast<int>(origin.x + width), static_cast<int>(origin.y + height)},
                      entry);
    return gdi::WritePng(png_path, image.width, image.height, image.pixels.data());
}

}  // namespace ov::host
