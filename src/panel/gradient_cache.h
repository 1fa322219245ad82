#pragma once
// The gradient panel's cached gradient picture: the last gradient rendered into the drawing
// area, which quick repaints copy back instead of running the renderer again.
//
// The cache leans on the area. Right after a render the area itself holds the render, so the
// cache copies nothing yet: the frame and the caption each copy what they are about to cover
// into the cache first, and the rest is copied when the area is about to lose it. And after a
// repaint the area holds the cache with a frame and a caption over it, so the next quick
// repaint restores only under those. Both hold only while nothing else changes the area's
// pixels, so the cache is the way to change them: ChangeArea first takes from the area what
// the cache still needs and forgets what the last repaint left there, then makes the change;
// DrawOver first saves what lies under the repaint's own drawing. (The background steps draw
// the cache itself, or a picture into an area that holds no render.)
#include <cstdint>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "gradient/cls_gradient.h"
#include "panel/border_painter.h"
#include "panel/rect_parts.h"
#include "platform/gdi/gdi.h"

namespace ov {
class Picture;
class PictureBox;
}  // namespace ov

namespace ov::panel {

class GradientCache {
public:
    // What a render was made from: the renderer's settings (colours already translated), the
    // area's size and the colour it was cleared to. The renderer's output depends on nothing
    // else, so a render from the same settings draws what the cache already holds.
    struct Render {
        gradient::GradientSettings settings;
        int width = 0, height = 0;
        gdi::COLORREF cleared_to = 0;
        friend bool operator==(const Render&, const Render&) = default;
    };

    // What a repaint drew over the cache in the area: the frame and the caption, and where.
    struct DrawnOver {
        int area_width = 0, area_height = 0;
        BorderSettings frame;
        FrameGeometry geometry;
        std::vector<gdi::RECT> frame_rects;
        gdi::RECT caption{};
    };

    explicit GradientCache(PictureBox& area) : area_(area) {}
    GradientCache(const GradientCache&) = delete;
    GradientCache& operator=(const GradientCache&) = delete;

    // --- the area's pixels change only through these --------------------------------------

    // Any change of the area other than a repaint's own drawing (a clear, a new back colour,
    // a resize, a persistent picture, the see-through mask).
    template <typename Change>
    decltype(auto) ChangeArea(Change&& change) {
        LetGoOfArea();
        return std::forward<Change>(change)(area_);
    }
    // A repaint's own drawing over the rects `covered` gives (area pixels; parts outside the
    // area are ignored), asked for only while the cache still needs what lies under them.
    template <typename Covered, typename Draw>
    decltype(auto) DrawOver(Covered&& covered, Draw&& draw) {
        if (parts_) SaveUnder(std::forward<Covered>(covered)());
        return std::forward<Draw>(draw)(area_);
    }
    // A new render drawn over the whole area by `draw`, then taken as the cached gradient
    // unless the cache already holds that very render. `pixel_size` is the panel's rounded
    // size in pixels, as for CoversArea. Should `draw` throw (only an allocation
    // failure stops the renderer once it has begun), the area holds part of the new render
    // where it held the rest of a partly taken cache: that cache is no longer any render's,
    // and the next full repaint takes a new one.
    template <typename Draw>
    void DrawRender(const Render& render, gdi::SIZE pixel_size, Draw&& draw) {
        try {
            std::forward<Draw>(draw)(area_);
        } catch (...) {
            if (parts_) render_.reset();
            throw;
        }
        if (picture_ && render_ == render) return;
        render_.reset();  // until the copy is complete
        Take(render.width, render.height, pixel_size);
        render_ = render;
    }

    // --- reading ----------------------------------------------------------------------------

    // The cached picture, null before the first render.
    const Picture* picture() const { return picture_.get(); }
    // Whether the cache is a bitmap at least `pixel_size` (the panel's rounded size in pixels)
    // and that size covers the area, so that plain copies serve.
    bool CoversArea(gdi::SIZE pixel_size) const;
    // Copies `rects` of the cache onto the area, or, without rects, all of `pixel_size` that
    // the area does not hold already (everything, unless it still holds part of the render).
    void Restore(const std::vector<gdi::RECT>* rects, gdi::SIZE pixel_size);

    // What the last repaint drew over the cache, taken: a repaint that fails halfway leaves
    // nothing to rely on. Empty once anything else changed the area.
    std::optional<DrawnOver> TakeDrawnOver() { return std::exchange(drawn_over_, std::nullopt); }
    void NoteDrawnOver(DrawnOver drawn) { drawn_over_ = std::move(drawn); }
    void ForgetDrawnOver() { drawn_over_.reset(); }

    // Drops the cached picture (the panel terminates).
    void Clear();

private:
    void Take(int width, int height, gdi::SIZE pixel_size);
    void SaveUnder(const std::vector<gdi::RECT>& rects);
    void LetGoOfArea();
    void Complete();
    enum class Copy : std::uint8_t { IntoCache, FromCache };
    void CopyRects(Copy direction, const std::vector<gdi::RECT>& rects);

    PictureBox& area_;
    std::shared_ptr<Picture> picture_;
    std::optional<Render> render_;  // what the picture was rendered from, while it holds it all
    // Set while the picture holds its render only in these parts of the area: the area holds
    // it everywhere else, and whatever is drawn over the area there is copied in first.
    std::optional<RectParts> parts_;
    std::optional<DrawnOver> drawn_over_;
};

}  // namespace ov::panel
