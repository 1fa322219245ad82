// The panel's gradient cache leans on the drawing area: right after a render the area alone
// holds most of it. Whatever changes the area through the cache finds the cache holding the
// whole render first, and drawing over the area through it keeps what lay beneath.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "panel/gradient_cache.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"

namespace ov::panel {
namespace {

constexpr int kWidth = 12, kHeight = 8;

// A render stand-in: a different colour for every pixel.
gdi::COLORREF RenderedAt(int x, int y) { return gdi::RGB(10 + 20 * x, 10 + 30 * y, 77); }

class GradientCacheTest : public ::testing::Test {
protected:
    GradientCacheTest() : area_(std::make_unique<PictureBox>(0, 0, 0, kWidth * 15.0, kHeight * 15.0)) {
        area_->SetBorderStyle(0);
        area_->SetAutoRedraw(false);
        area_->SetBackColor(gdi::RGB(1, 1, 1));
        cache_ = std::make_unique<GradientCache>(*area_);
    }

    void Render() {
        cache_->DrawRender(render_, kPixelSize, [](PictureBox& area) {
            for (int y = 0; y < kHeight; ++y)
                for (int x = 0; x < kWidth; ++x) gdi::SetPixelV(area.hDC(), x, y, RenderedAt(x, y));
        });
    }
    // Every pixel of the area against the render, and the number that differ.
    int PixelsOffTheRender() const {
        int off = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) off += gdi::GetPixel(area_->hDC(), x, y) != RenderedAt(x, y);
        return off;
    }
    // What the cached picture itself holds.
    int CachePixelsOffTheRender() const {
        const gdi::MemoryDC memory(0, cache_->picture()->handle(), gdi::Bitmap::Borrowed);
        int off = 0;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) off += gdi::GetPixel(memory.get(), x, y) != RenderedAt(x, y);
        return off;
    }

    static constexpr gdi::SIZE kPixelSize{kWidth, kHeight};
    const GradientCache::Render render_{{}, kWidth, kHeight, gdi::RGB(1, 1, 1)};
    std::unique_ptr<PictureBox> area_;
    std::unique_ptr<GradientCache> cache_;
};

// Each change of the area, made through the cache right after a render, leaves a cache that
// restores the whole render.
TEST_F(GradientCacheTest, ChangesOfTheAreaFindTheCacheComplete) {
    struct Change {
        const char* name;
        void (*apply)(PictureBox&);
    };
    const Change changes[] = {
        {"a clear", [](PictureBox& area) { area.Cls(); }},
        {"a new back colour", [](PictureBox& area) { area.SetBackColor(gdi::RGB(200, 0, 0)); }},
        {"a smaller area", [](PictureBox& area) { area.Move(0, 0, 60, 45); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        area_->Move(0, 0, kWidth * 15.0, kHeight * 15.0);
        Render();
        ASSERT_TRUE(cache_->CoversArea(kPixelSize));
        cache_->ChangeArea(change.apply);
        EXPECT_EQ(CachePixelsOffTheRender(), 0);
        area_->Move(0, 0, kWidth * 15.0, kHeight * 15.0);
        cache_->ChangeArea([](PictureBox& area) { area.Cls(); });
        cache_->Restore(nullptr, kPixelSize);
        EXPECT_EQ(PixelsOffTheRender(), 0);
    }
}

// Drawing over the area through the cache saves what lay beneath: restoring just those rects
// gives the render back.
TEST_F(GradientCacheTest, DrawingOverTheAreaKeepsWhatLayBeneath) {
    Render();
    const std::vector<gdi::RECT> covered = {{0, 0, kWidth, 1}, {3, 2, 7, 5}};
    int asked = 0;
    cache_->DrawOver(
        [&] {
            ++asked;
            return covered;
        },
        [&](PictureBox& area) {
            for (const gdi::RECT& r : covered) gdi::FillSolidRect(area.hDC(), r, gdi::RGB(255, 255, 255));
        });
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(PixelsOffTheRender(), kWidth + 4 * 3);
    cache_->Restore(&covered, kPixelSize);
    EXPECT_EQ(PixelsOffTheRender(), 0);
    // Once the cache holds everything, what lies beneath no longer needs asking for.
    cache_->ChangeArea([](PictureBox&) {});
    cache_->DrawOver([&] { return ++asked, covered; }, [](PictureBox&) {});
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(CachePixelsOffTheRender(), 0);
}

// What the last repaint drew over the cache is forgotten by any change of the area, and taken
// only once.
TEST_F(GradientCacheTest, ChangesForgetWhatTheLastRepaintDrewOver) {
    Render();
    cache_->NoteDrawnOver(GradientCache::DrawnOver{kWidth, kHeight, {}, {}, {}, gdi::RECT{1, 1, 2, 2}});
    EXPECT_TRUE(cache_->TakeDrawnOver().has_value());
    EXPECT_FALSE(cache_->TakeDrawnOver().has_value());
    cache_->NoteDrawnOver(GradientCache::DrawnOver{kWidth, kHeight, {}, {}, {}, gdi::RECT{1, 1, 2, 2}});
    cache_->ChangeArea([](PictureBox&) {});
    EXPECT_FALSE(cache_->TakeDrawnOver().has_value());
}

}  // namespace
}  // namespace ov::panel
