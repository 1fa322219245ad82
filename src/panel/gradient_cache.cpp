#include "panel/gradient_cache.h"

#include <algorithm>

#include "platform/gdi/scoped_objects.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"
#include "platform/runtime/automation_error.h"

namespace ov::panel {

namespace {

// Past this many parts a partly taken cache is completed: each part is one more copy for every
// quick repaint that restores them all.
constexpr std::size_t kMaxParts = 48;

}  // namespace

bool GradientCache::CoversArea(gdi::SIZE pixel_size) const {
    return picture_ && picture_->type() == PictureType::Bitmap && picture_->width_pixels() >= pixel_size.cx &&
           picture_->height_pixels() >= pixel_size.cy && pixel_size.cx >= area_.client_width() &&
           pixel_size.cy >= area_.client_height();
}

void GradientCache::Restore(const std::vector<gdi::RECT>* rects, gdi::SIZE pixel_size) {
    if (rects) CopyRects(Copy::FromCache, *rects);
    else if (parts_) CopyRects(Copy::FromCache, parts_->rects());
    else CopyRects(Copy::FromCache, {gdi::RECT{0, 0, pixel_size.cx, pixel_size.cy}});
}

void GradientCache::Clear() {
    picture_.reset();
    render_.reset();
    parts_.reset();
    drawn_over_.reset();
}

// The area's pixels as the cached picture, in its own bitmap when its size still fits. A cache
// that covers the area copies nothing yet: the area holds the render until the frame and the
// caption are drawn over it, and each copies what it covers into the cache first.
void GradientCache::Take(int width, int height, gdi::SIZE pixel_size) {
    parts_.reset();
    if (width <= 0 || height <= 0) {
        picture_ = Picture::Empty();
        return;
    }
    if (!picture_ || picture_->type() != PictureType::Bitmap || picture_->width_pixels() != width ||
        picture_->height_pixels() != height) {
        picture_ = Picture::FromBitmap(gdi::CreateDIBSection32(width, height));
        if (!picture_) throw AutomationError(error::kOutOfMemory);
    }
    if (CoversArea(pixel_size)) {
        parts_.emplace();
        return;
    }
    CopyRects(Copy::IntoCache, {gdi::RECT{0, 0, width, height}});
}

// Before the area is drawn over in `rects`: what the cache does not hold yet there is copied
// into it from the area.
void GradientCache::SaveUnder(const std::vector<gdi::RECT>& rects) {
    if (!parts_) return;
    std::vector<gdi::RECT> missing;
    for (const gdi::RECT& r : rects) {
        const gdi::RECT within{std::max(r.left, 0), std::max(r.top, 0), std::min(r.right, area_.client_width()),
                               std::min(r.bottom, area_.client_height())};
        const std::vector<gdi::RECT> pieces = parts_->Outside(within);
        parts_->AddOutside(pieces);
        missing.insert(missing.end(), pieces.begin(), pieces.end());
    }
    CopyRects(Copy::IntoCache, missing);
    if (parts_->size() > kMaxParts) Complete();
}

// Before anything but a repaint's own drawing changes the area's pixels: a cache the area
// holds part of takes that part first, and what the last repaint left in the area is
// forgotten, so that the next quick repaint copies the whole cache instead of restoring only
// under the last frame and caption.
void GradientCache::LetGoOfArea() {
    Complete();
    drawn_over_.reset();
}

// Copies the rest of a partly taken cache from the area, which still holds it.
void GradientCache::Complete() {
    if (!parts_) return;
    const std::vector<gdi::RECT> rest = parts_->Outside(gdi::RECT{0, 0, area_.client_width(), area_.client_height()});
    parts_.reset();
    CopyRects(Copy::IntoCache, rest);
}

void GradientCache::CopyRects(Copy direction, const std::vector<gdi::RECT>& rects) {
    if (rects.empty()) return;
    const gdi::MemoryDC cache(0, picture_->handle(), gdi::Bitmap::Borrowed);
    const gdi::HDC area = area_.hDC();
    const gdi::HDC to = direction == Copy::IntoCache ? cache.get() : area;
    const gdi::HDC from = direction == Copy::IntoCache ? area : cache.get();
    for (const gdi::RECT& r : rects)
        gdi::BitBlt(to, r.left, r.top, r.right - r.left, r.bottom - r.top, from, r.left, r.top, gdi::SRCCOPY);
}

}  // namespace ov::panel
