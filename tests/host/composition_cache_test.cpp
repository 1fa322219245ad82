// The kept composition: every kind of change shows at the next query, an unchanged form is not
// composed again, one pixel composed alone is the pixel of the whole form, every element lands
// on the same pixels at half-pixel extents, and a change of the pixels it drew from composes
// only the part over the change again.
#include <gtest/gtest.h>

#include <functional>

#include "host/reference/reference_host.h"
#include "host/contract/visual_changes.h"
#include "platform/gdi/scoped_objects.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window.h"
#include "platform/picture/picture.h"
#include "platform/picturebox/picture_box.h"
#include "probe_control.h"

namespace ov::host::testing {
namespace {

constexpr std::int32_t kRed = 0x0000FF;
constexpr std::int32_t kGreen = 0x00FF00;
constexpr std::int32_t kBlue = 0xFF0000;
constexpr std::int32_t kWhite = 0xFFFFFF;

// One constituent of every drawn kind, public so a test can place and colour them.
class Sampler : public Control {
public:
    Sampler()
        : line(AddLine("linSample")),
          shape(AddShape("shpSample")),
          label(AddLabel("lblSample")),
          image(AddImage("imgSample")),
          box(AddPictureBox("picSample")) {}
    static const ClassInfo& StaticInfo() {
        static const ClassInfo info = ClassBuilder<Sampler>("Sampler").Build();
        return info;
    }
    const ClassInfo& Info() const override { return StaticInfo(); }

    Line& line;
    Shape& shape;
    Label& label;
    Image& image;
    ConstituentPictureBox& box;
};

class CompositionTest : public ::testing::Test {
protected:
    CompositionTest() { registry.Add(ControlEntry<Sampler>("Sampler", 1500, 900)); }
    ~CompositionTest() override {
        gdi::ResetSysColors();
        gdi::Screen() = gdi::ScreenSettings{};
    }
    Sampler& sampler(const std::string& name) { return dynamic_cast<Sampler&>(*host.FindControl(name)); }

    ClassRegistry registry = ProbeRegistry();
    ReferenceHost host{registry};
};

TEST_F(CompositionTest, EveryKindOfChangeShowsAtTheNextQuery) {
    host.New("P", "Probe", {.left = 150, .top = 150, .width = 1500, .height = 900});  // pixels 10..110 x 10..70
    Probe& p = dynamic_cast<Probe&>(*host.FindControl("P"));
    p.SetBackColor(kRed);
    p.plate.Move(0, 0, 300, 300);  // the probe's pixels 0..20 x 0..20
    p.plate.SetFillStyle(Shape::kFillSolid);
    p.plate.SetFillColor(kGreen);
    p.plate.SetBorderColor(kGreen);
    struct Row {
        const char* what;
        std::function<void()> change;
        int x, y;  // form pixels
        gdi::COLORREF expected;
    };
    const Row rows[] = {
        {"a constituent shown", [&] { p.plate.SetVisible(true); }, 15, 15, kGreen},
        {"a constituent's colour", [&] { p.plate.SetFillColor(kBlue); }, 15, 15, kBlue},
        {"a constituent moved", [&] { p.plate.Move(600, 0, 300, 300); }, 15, 15, kRed},
        {"the surface redrawn", [&] { p.SetBackColor(kWhite); }, 15, 15, kWhite},
        {"a system colour", [&] { gdi::SetSysColorEntry(15, gdi::RGB(1, 2, 3)); }, 2, 2, gdi::RGB(1, 2, 3)},
        {"the form's colour", [&] { PutProperty(host.form(), "BackColor", Variant::FromLong(kGreen)); }, 2, 2, kGreen},
        {"the screen's scale", [&] { gdi::Screen().twips_per_pixel_x = 30; }, 5, 15, kWhite},
        {"the control moved", [&] { host.Move("P", 0, 0); }, 0, 0, kWhite},
        {"see-through", [&] { p.SetBackStyle(0); }, 0, 0, kGreen},
        {"opaque again", [&] { p.SetBackStyle(1); }, 0, 0, kWhite},
        {"hidden by the extender", [&] { PutProperty(p, "Visible", Variant::FromBoolean(false)); }, 0, 0, kGreen},
        {"shown by the host", [&] { host.Show("P"); }, 0, 0, kWhite},
        {"resized", [&] { host.Resize("P", 30, 15); }, 3, 0, kGreen},
        {"terminated", [&] { host.Terminate("P"); }, 0, 0, kGreen},
    };
    for (const Row& row : rows) {
        host.Compose();  // the kept image is now the current one
        row.change();
        EXPECT_EQ(host.PixelAt("form", row.x, row.y), row.expected) << row.what;
        EXPECT_EQ(host.Compose().At(row.x, row.y), row.expected) << row.what;
    }
}

TEST_F(CompositionTest, AnUnchangedFormIsNotComposedAgain) {
    host.New("P", "Probe", {.width = 3000, .height = 1500});
    host.FindControl("P")->SetBackColor(kBlue);
    const ComposedImage& first = host.Compose();
    // Composing reads every surface, which moves the drawing layer's count: a count that stays
    // put means nothing was composed.
    const std::uint64_t surfaces = gdi::SurfaceChangeCount();
    const ComposedImage& again = host.Compose();
    for (int i = 0; i < 50; ++i) EXPECT_EQ(host.PixelAt("P", i, i), static_cast<gdi::COLORREF>(kBlue));
    EXPECT_EQ(&again, &first);
    EXPECT_EQ(gdi::SurfaceChangeCount(), surfaces);
}

// A scene with every kind of element, partly off the form and clipped by a container: each
// pixel composed on its own must be the pixel of the whole form.
TEST_F(CompositionTest, OnePixelComposedAloneMatchesTheWholeForm) {
    PutProperty(host.form(), "Width", Variant::FromDouble(900));  // 60 x 40 pixels
    PutProperty(host.form(), "Height", Variant::FromDouble(600));
    host.New("S", "Sampler", {.left = -150, .top = 45, .width = 900, .height = 450});
    Sampler& s = sampler("S");
    s.SetBackColor(0x336699);
    s.line.SetPoints(-300, 450, 1200, 0);
    s.line.SetBorderColor(kWhite);
    s.shape.Move(150, 75, 450, 225);
    s.shape.SetBorderColor(kRed);
    s.shape.SetBackStyle(1);
    s.shape.SetBackColor(kGreen);
    s.label.Move(300, 150, 600, 300);
    s.label.SetBackStyle(0);
    s.label.SetForeColor(0);
    s.label.SetCaption("Wg");
    std::vector<std::uint32_t> checker(8 * 8);
    for (int i = 0; i < 64; ++i) checker[static_cast<std::size_t>(i)] = (i / 8 + i % 8) % 2 ? 0xFFFF00u : 0x00FFFFu;
    s.image.SetPicture(Picture::FromPixels(8, 8, checker.data()));
    s.image.SetStretch(true);
    s.image.Move(600, 0, 255, 165);
    s.box.Move(450, 300, 300, 300);  // its lower part falls outside the sampler
    s.box.box().SetBorderStyle(0);
    s.box.box().SetBackColor(kBlue);
    s.box.box().Line(0, 0, 300, 300, 0x00FFFFu);

    host.New("Frame", "Box", {.left = 450, .top = 300, .width = 600, .height = 450});
    PutProperty(*host.Find("Frame"), "BackColor", Variant::FromLong(kWhite));
    host.New("T", "Sampler", {.container = "Frame", .left = -75, .top = 150, .width = 900, .height = 450});
    Sampler& t = sampler("T");
    t.SetBackColor(kRed);
    t.shape.SetVisible(false);
    t.label.SetVisible(false);
    t.line.SetPoints(0, 0, 900, 450);
    t.SetMaskColor(kWhite);
    std::vector<std::uint32_t> mask(60 * 30, 0);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 20; ++x) mask[static_cast<std::size_t>(y) * 60 + x] = 0xFFFFFFu;
    t.SetMaskPicture(Picture::FromPixels(60, 30, mask.data()));
    t.SetBackStyle(0);

    const ComposedImage whole = host.Compose();
    ASSERT_EQ(whole.width, 60);
    ASSERT_EQ(whole.height, 40);
    for (int y = 0; y < whole.height; ++y)
        for (int x = 0; x < whole.width; ++x) {
            NoteVisualChange();  // the kept image is stale: the pixel is composed on its own
            ASSERT_EQ(host.PixelAt("form", x, y), whole.At(x, y)) << "at " << x << ", " << y;
        }
}

// A Box control, a shape and a picture box, each 0.5, 1.5, 2.5 and 3.5 pixels across: all of
// them cover the same whole number of pixels, halves going to the even neighbour.
TEST_F(CompositionTest, HalfPixelExtentsRoundToEvenEverywhere) {
    const struct {
        double twips;
        int pixels;
    } rows[] = {{7.5, 0}, {22.5, 2}, {37.5, 2}, {52.5, 4}};
    const auto run = [&](int y, gdi::COLORREF colour) {
        int n = 0;
        while (host.PixelAt("form", n, y) == colour) ++n;
        return n;
    };
    for (const auto& row : rows) {
        host.New("B", "Box", {.left = 0, .top = 0, .width = row.twips, .height = row.twips});
        PutProperty(*host.Find("B"), "BackColor", Variant::FromLong(kRed));
        host.New("S", "Sampler", {.left = 0, .top = 300, .width = 900, .height = 900});
        Sampler& s = sampler("S");
        s.SetBackColor(kWhite);
        s.label.SetVisible(false);
        s.line.SetVisible(false);
        s.shape.Move(0, 0, row.twips, row.twips);
        s.shape.SetFillStyle(Shape::kFillSolid);
        s.shape.SetFillColor(kGreen);
        s.shape.SetBorderColor(kGreen);
        s.box.Move(0, 300, row.twips, row.twips);
        s.box.box().SetBorderStyle(0);
        s.box.box().SetBackColor(kBlue);

        EXPECT_EQ(host.FindControl("B")->PixelWidth(), row.pixels) << row.twips;
        EXPECT_EQ(s.box.box().client_width(), row.pixels) << row.twips;
        if (row.pixels > 0) {
            EXPECT_EQ(run(0, kRed), row.pixels) << row.twips;
            EXPECT_EQ(run(20, kGreen), row.pixels) << row.twips;
            EXPECT_EQ(run(40, kBlue), row.pixels) << row.twips;
        }
        host.Terminate("B");
        host.Terminate("S");
    }
}

// The kept image after a change of pixels it drew from: composed again over the part the
// drawing layer gives for the change (and in full where it cannot say), and then what a fresh
// composition of the whole form gives.
TEST_F(CompositionTest, OnlyThePartOverAChangeIsComposedAgain) {
    PutProperty(host.form(), "Width", Variant::FromDouble(1800));  // 120 x 80 pixels
    PutProperty(host.form(), "Height", Variant::FromDouble(1200));
    host.New("S", "Sampler", {.left = 150, .top = 150, .width = 1200, .height = 750});  // at (10, 10)
    Sampler& s = sampler("S");
    s.SetBackColor(0x336699);
    s.line.SetVisible(false);
    s.shape.SetVisible(false);
    s.label.SetVisible(false);
    std::vector<std::uint32_t> checker(8 * 8);
    for (int i = 0; i < 64; ++i) checker[static_cast<std::size_t>(i)] = (i / 8 + i % 8) % 2 ? 0xFFFF00u : 0x00FFFFu;
    const std::shared_ptr<Picture> picture = Picture::FromPixels(8, 8, checker.data());
    s.image.SetPicture(picture);
    s.image.Move(900, 0, 120, 120);  // at (70, 10) of the form
    s.box.Move(300, 450, 300, 150);  // a 20 x 10 box at (30, 40) of the form
    s.box.box().SetBorderStyle(0);
    s.box.box().SetBackColor(kWhite);
    host.New("T", "Sampler", {.left = 1200, .top = 900, .width = 450, .height = 225});  // at (80, 60)
    sampler("T").SetBackColor(kGreen);
    sampler("T").SetMaskColor(kWhite);
    std::vector<std::uint32_t> mask(30 * 15, 0xFFFFFFu);
    const std::shared_ptr<Picture> mask_picture = Picture::FromPixels(30, 15, mask.data());
    sampler("T").SetMaskPicture(mask_picture);
    sampler("T").SetBackStyle(0);

    const gdi::RECT form{0, 0, 120, 80};
    const gdi::HDC dc = s.hDC();
    struct Row {
        const char* what;
        std::function<void()> change;
        gdi::RECT composed;  // what the next composition composes again
    };
    const Row rows[] = {
        {"nothing", [] {}, {}},
        {"a blit onto part of the surface",
         [&] {
             const gdi::OwnedObject brush(gdi::CreateSolidBrush(kRed));
             gdi::MemoryDC source(dc, gdi::CreateCompatibleBitmap(dc, 10, 5), gdi::Bitmap::Owned);
             const gdi::RECT all{0, 0, 10, 5};
             gdi::FillRect(source.get(), &all, static_cast<gdi::HBRUSH>(brush.get()));
             gdi::BitBlt(dc, 4, 6, 10, 5, source.get(), 0, 0, gdi::SRCCOPY);
         },
         {14, 16, 24, 21}},
        {"a blit reaching past the surface",
         [&] { gdi::BitBlt(dc, 75, 45, 20, 20, dc, 0, 0, gdi::SRCCOPY); },
         {85, 55, 90, 60}},
        {"a pixel set (the whole surface, since a lookup does not say where)",
         [&] { gdi::SetPixel(dc, 3, 3, kBlue); },
         {10, 10, 90, 60}},
        {"the picture box drawn on", [&] { s.box.box().Line(0, 0, 300, 150, 0x00FFFFu); }, {30, 40, 50, 50}},
        {"a pixel read", [&] { gdi::GetPixel(dc, 1, 1); }, {}},
        {"the image's picture redrawn",
         [&] {
             const gdi::RECT corner{0, 0, 4, 4};
             std::vector<std::uint32_t> red(16, 0x0000FFu);
             gdi::SetBitmapBits32(picture->handle(), &corner, red.data());
         },
         form},
        {"the mask's pixels changed",
         [&] {
             const gdi::RECT left{0, 0, 10, 15};
             std::vector<std::uint32_t> black(150, 0);
             gdi::SetBitmapBits32(mask_picture->handle(), &left, black.data());
         },
         form},
        {"a host-side change", [&] { s.box.Move(450, 450, 300, 150); }, form},
    };
    host.Compose();
    for (const Row& row : rows) {
        const std::uint64_t before = host.Compose().version;
        row.change();
        const ComposedImage& kept = host.Compose();
        const std::optional<gdi::RECT> composed = host.CompositionChangedSince(before);
        ASSERT_TRUE(composed) << row.what;
        EXPECT_EQ(composed->left, row.composed.left) << row.what;
        EXPECT_EQ(composed->top, row.composed.top) << row.what;
        EXPECT_EQ(composed->right, row.composed.right) << row.what;
        EXPECT_EQ(composed->bottom, row.composed.bottom) << row.what;
        EXPECT_EQ(kept.pixels, host.ComposeOver(host.form().BackColor()).pixels) << row.what;
        EXPECT_TRUE(host.CompositionIsCurrent()) << row.what;
    }
}

// A locked window goes on presenting what it showed at the lock: drawing under the lock shows
// only once the lock is released.
TEST_F(CompositionTest, ALockedWindowShowsItsDrawingAtTheUnlock) {
    host.New("S", "Sampler", {.width = 600, .height = 600});
    Sampler& s = sampler("S");
    s.SetBackColor(kWhite);
    s.line.SetVisible(false);
    s.shape.SetVisible(false);
    s.label.SetVisible(false);
    s.box.SetVisible(false);
    EXPECT_EQ(host.PixelAt("S", 5, 5), static_cast<gdi::COLORREF>(kWhite));
    ASSERT_TRUE(gdi::LockWindowUpdate(s.hWnd()));
    const gdi::OwnedObject brush(gdi::CreateSolidBrush(kRed));
    const gdi::RECT all{0, 0, 40, 40};
    gdi::FillRect(s.hDC(), &all, static_cast<gdi::HBRUSH>(brush.get()));
    EXPECT_EQ(host.Compose().At(5, 5), static_cast<gdi::COLORREF>(kWhite));
    ASSERT_TRUE(gdi::LockWindowUpdate(0));
    EXPECT_EQ(host.Compose().At(5, 5), static_cast<gdi::COLORREF>(kRed));
    EXPECT_EQ(host.Compose().pixels, host.ComposeOver(host.form().BackColor()).pixels);
}

// The versions a live host copies its frame by: a version it never saw, or one so old that
// the changes since are no longer kept, gives no part (the whole frame is copied).
TEST_F(CompositionTest, ChangesAreKnownOnlyFromVersionsStillKept) {
    host.New("S", "Sampler", {.width = 600, .height = 600});
    const std::uint64_t first = host.Compose().version;
    for (int i = 0; i < 40; ++i) {
        gdi::SetPixelV(sampler("S").hDC(), i, 0, kRed);
        host.Compose();
    }
    const std::uint64_t last = host.Compose().version;
    EXPECT_FALSE(host.CompositionChangedSince(first));
    EXPECT_FALSE(host.CompositionChangedSince(last + 1));
    ASSERT_TRUE(host.CompositionChangedSince(last));
    EXPECT_EQ(host.CompositionChangedSince(last)->right, 0);
    ASSERT_TRUE(host.CompositionChangedSince(last - 2));
    EXPECT_EQ(host.CompositionChangedSince(last - 2)->right, 40);
}

}  // namespace
}  // namespace ov::host::testing
