// OV3DLine end to end through the reference host: layout, orientation writes, notifications,
// persistence, late-bound access and the composed pixels of its two lines.
#include <gtest/gtest.h>

#include "host/reference/bag_file.h"
#include "support/error_number.h"
#include "support/hosted_control.h"
#include "host/reference/reference_host.h"
#include "line3d/ov3dline.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"
#include "platform/gdi/window.h"

namespace ov::line3d {
namespace {

using host::ReferenceHost;

struct Segment {
    double x1, y1, x2, y2;
    friend bool operator==(const Segment&, const Segment&) = default;
    friend std::ostream& operator<<(std::ostream& os, const Segment& s) {
        return os << "(" << s.x1 << ", " << s.y1 << ")-(" << s.x2 << ", " << s.y2 << ")";
    }
};

Segment SegmentOf(const host::Line& line) { return {line.X1(), line.Y1(), line.X2(), line.Y2()}; }

using testing_support::ErrorNumberOf;

class OV3DLineTest : public ::testing::Test {
protected:
    void SetUp() override { testing_support::RecordInto(host, record); }
    void TearDown() override { gdi::ResetSysColors(); }

    OV3DLine& line(const std::string& name = "L") { return dynamic_cast<OV3DLine&>(*host.FindControl(name)); }

    testing_support::HostRecord record;  // outlives the host, which reports to it
    const std::vector<std::string>& changes = record.changed;
    ReferenceHost host{testing_support::RegistryOf<OV3DLine>("OV3DLine", 2400, 255)};
};

TEST_F(OV3DLineTest, NewInstanceIs40TwipsHighWithLinesAlongItsWidthAndPersistsNothing) {
    host.New("L", "OV3DLine");
    OV3DLine& l = line();
    EXPECT_EQ(l.Width(), 2400);
    EXPECT_EQ(l.Height(), 40);
    EXPECT_EQ(SegmentOf(l.line1()), (Segment{0, 0, 2390, 0}));
    EXPECT_EQ(SegmentOf(l.line2()), (Segment{20, 20, 2400, 20}));
    EXPECT_EQ(l.LineOrientation(), OV3DLine::kHorizontal);
    EXPECT_EQ(l.LineForeColor(), gdi::OleSystemColor(gdi::COLOR_BTNSHADOW));
    EXPECT_EQ(l.LineBackColor(), gdi::OleSystemColor(gdi::COLOR_3DDKSHADOW));
    // New instances keep the lines' design-time colours.
    EXPECT_EQ(l.line1().BorderColor(), gdi::OleSystemColor(gdi::COLOR_3DDKSHADOW));
    EXPECT_EQ(l.line2().BorderColor(), gdi::OleSystemColor(gdi::COLOR_3DHIGHLIGHT));
    EXPECT_TRUE(changes.empty());

    // Defaults persist nothing, and loading that empty bag gives the same state.
    EXPECT_TRUE(host.Save("L").empty());
    host.Load("M", "OV3DLine", host.Save("L"));
    EXPECT_EQ(line("M").LineOrientation(), 0);
    EXPECT_EQ(line("M").LineForeColor(), gdi::OleSystemColor(gdi::COLOR_BTNSHADOW));
    EXPECT_EQ(line("M").LineBackColor(), gdi::OleSystemColor(gdi::COLOR_3DDKSHADOW));
    EXPECT_EQ(line("M").Height(), 40);
}

TEST_F(OV3DLineTest, EverySizeChangeKeepsTheThicknessAndRelaysTheLines) {
    host.New("L", "OV3DLine");
    for (double width : {3000.0, 150.0, 4815.0}) {
        for (double height : {900.0, 40.0, 10.0}) {
            host.Resize("L", width, height);
            EXPECT_EQ(line().Height(), 40) << width << "x" << height;
            EXPECT_EQ(line().Width(), width);
            EXPECT_EQ(SegmentOf(line().line1()), (Segment{0, 0, width - 10, 0}));
            EXPECT_EQ(SegmentOf(line().line2()), (Segment{20, 20, width, 20}));
        }
    }
}

TEST_F(OV3DLineTest, OrientationWritesTurnTheLineAndNotifyOnce) {
    host.New("L", "OV3DLine");
    auto l = host.Find("L");
    PutProperty(*l, "Orientation", Variant::FromInteger(1));
    EXPECT_EQ(changes, (std::vector<std::string>{"Orientation"}));
    EXPECT_EQ(line().Width(), 40);
    EXPECT_EQ(line().Height(), 2000);
    EXPECT_EQ(SegmentOf(line().line1()), (Segment{0, 0, 0, 1990}));
    EXPECT_EQ(SegmentOf(line().line2()), (Segment{20, 20, 20, 2000}));

    host.Resize("L", 600, 3000);  // dragged wider: stays 40 wide
    EXPECT_EQ(line().Width(), 40);
    EXPECT_EQ(SegmentOf(line().line2()), (Segment{20, 20, 20, 3000}));

    PutProperty(*l, "orientation", Variant::FromLong(0));
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_EQ(line().Width(), 2000);
    EXPECT_EQ(line().Height(), 40);
    EXPECT_EQ(SegmentOf(line().line1()), (Segment{0, 0, 1990, 0}));
    EXPECT_EQ(SegmentOf(line().line2()), (Segment{20, 20, 2000, 20}));
}

TEST_F(OV3DLineTest, OrientationTwoIsStoredStretchesTheWidthAndLeavesTheLines) {
    host.New("L", "OV3DLine");
    host.Resize("L", 3000, 40);
    const Segment line1 = SegmentOf(line().line1());
    const Segment line2 = SegmentOf(line().line2());
    PutProperty(*host.Find("L"), "Orientation", Variant::FromLong(2));
    EXPECT_EQ(GetProperty(*host.Find("L"), "Orientation"), Variant::FromLong(2));
    EXPECT_EQ(line().Width(), 2000);
    EXPECT_EQ(line().Height(), 40);
    EXPECT_EQ(SegmentOf(line().line1()), line1);
    EXPECT_EQ(SegmentOf(line().line2()), line2);
    EXPECT_EQ(changes, (std::vector<std::string>{"Orientation"}));
    const host::PropertyBag bag = host.Save("L");
    ASSERT_EQ(bag.entries().size(), 1u);
    EXPECT_EQ(bag.entries()[0].first, "Orientation");
    EXPECT_EQ(bag.entries()[0].second, Variant::FromLong(2));
}

TEST_F(OV3DLineTest, ColourWritesRecolourTheLinesWithoutNotifying) {
    host.New("L", "OV3DLine");
    PutProperty(*host.Find("L"), "ForeColor", Variant::FromLong(0x0000FF));
    PutProperty(*host.Find("L"), "BackColor", Variant::FromLong(0x00FF00));
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(line().line2().BorderColor(), 0x0000FF);
    EXPECT_EQ(line().line1().BorderColor(), 0x00FF00);
    EXPECT_EQ(GetProperty(*host.Find("L"), "ForeColor"), Variant::FromLong(0x0000FF));
}

TEST_F(OV3DLineTest, PersistenceRoundTripInKeyOrder) {
    host.New("L", "OV3DLine");
    auto l = host.Find("L");
    PutProperty(*l, "ForeColor", Variant::FromLong(0x123456));
    PutProperty(*l, "BackColor", Variant::FromLong(0x654321));
    PutProperty(*l, "Orientation", Variant::FromLong(1));
    const host::PropertyBag bag = host::BagFromJsonText(BagToJsonText(host.Save("L")));
    ASSERT_EQ(bag.entries().size(), 3u);
    EXPECT_EQ(bag.entries()[0].first, "Orientation");
    EXPECT_EQ(bag.entries()[1].first, "BackColor");
    EXPECT_EQ(bag.entries()[2].first, "ForeColor");

    host.Load("M", "OV3DLine", bag, {.width = 1000, .height = 3000});
    EXPECT_EQ(line("M").LineOrientation(), 1);
    EXPECT_EQ(line("M").LineBackColor(), 0x654321);
    EXPECT_EQ(line("M").LineForeColor(), 0x123456);
    // The host's Resize after loading lays the loaded control out.
    EXPECT_EQ(line("M").Width(), 40);
    EXPECT_EQ(line("M").Height(), 3000);
    // Loading sets the members only: the lines keep their design-time colours.
    EXPECT_EQ(line("M").line1().BorderColor(), gdi::OleSystemColor(gdi::COLOR_3DDKSHADOW));
    EXPECT_EQ(line("M").line2().BorderColor(), gdi::OleSystemColor(gdi::COLOR_3DHIGHLIGHT));
}

TEST_F(OV3DLineTest, WrongTypedKeyFailsAndTheNextKeysAreStillRead) {
    host::PropertyBag bag;
    bag.Set("Orientation", Variant::FromString("sideways"));
    bag.Set("BackColor", Variant::FromLong(255));
    bag.Set("ForeColor", Variant::FromDouble(1e12));
    host.Load("L", "OV3DLine", bag);
    EXPECT_EQ(host.lifecycle_errors(),
              (std::vector<std::string>{"L.ReadProperties.Orientation: 13", "L.ReadProperties.ForeColor: 6"}));
    EXPECT_EQ(line().LineOrientation(), 0);
    EXPECT_EQ(line().LineBackColor(), 255);
    EXPECT_EQ(line().LineForeColor(), gdi::OleSystemColor(gdi::COLOR_BTNSHADOW));
}

TEST_F(OV3DLineTest, LateBoundErrors) {
    auto l = host.New("L", "OV3DLine");
    EXPECT_EQ(ErrorNumberOf([&] { GetProperty(*l, "Thickness"); }), 438);
    EXPECT_EQ(ErrorNumberOf([&] { PutProperty(*l, "Orientation", Variant::FromString("up")); }), 13);
    EXPECT_EQ(ErrorNumberOf([&] { GetProperty(*l, "ForeColor", {Variant::FromInteger(1)}); }), 450);
    EXPECT_EQ(line().LineOrientation(), 0);
    EXPECT_EQ(l->TypeName(), "OV3DLine");
}

// Horizontal, 2400 x 40 twips is 160 x 3 pixels: row 0 Line1 (x 0..158, 10 twips short of the
// end), row 1 Line2 (x 1..159), row 2 the control's background, row 3 the form below.
// Vertical, 40 x 2000 twips is 3 x 133 pixels: column 0 Line1, column 1 Line2 from row 1.
TEST_F(OV3DLineTest, ComposedPixelsShowBothLinesInTheirSystemColours) {
    struct Row {
        int orientation, x, y, system_colour;
    };
    const Row rows[] = {{0, 0, 0, 21},  {0, 158, 0, 21}, {0, 159, 0, 15}, {0, 0, 1, 15},
                        {0, 1, 1, 20},  {0, 159, 1, 20}, {0, 80, 2, 15},  {0, 80, 3, 15},
                        {1, 0, 50, 21}, {1, 1, 50, 20},  {1, 1, 0, 15},   {1, 2, 50, 15}};
    host.New("H", "OV3DLine", {.left = 150, .top = 300});
    host.New("V", "OV3DLine", {.left = 3000, .top = 300});
    PutProperty(*host.Find("V"), "Orientation", Variant::FromLong(1));
    for (const Row& row : rows) {
        const char* name = row.orientation ? "V" : "H";
        EXPECT_EQ(host.PixelAt(name, row.x, row.y), gdi::GetSysColor(row.system_colour))
            << name << " at " << row.x << "," << row.y;
    }
}

TEST_F(OV3DLineTest, SystemColoursAreTranslatedAtEachComposition) {
    host.New("L", "OV3DLine", {.left = 150, .top = 300});
    gdi::SetSysColorEntry(21, gdi::RGB(10, 20, 30));
    gdi::SetSysColorEntry(20, gdi::RGB(200, 100, 50));
    EXPECT_EQ(host.PixelAt("L", 40, 0), gdi::RGB(10, 20, 30));
    EXPECT_EQ(host.PixelAt("L", 40, 1), gdi::RGB(200, 100, 50));

    PutProperty(*host.Find("L"), "ForeColor", Variant::FromLong(static_cast<std::int32_t>(0x80000010u)));
    gdi::SetSysColorEntry(16, gdi::RGB(1, 2, 3));
    EXPECT_EQ(host.PixelAt("L", 40, 1), gdi::RGB(1, 2, 3));
    PutProperty(*host.Find("L"), "BackColor", Variant::FromLong(0x0000FF));
    EXPECT_EQ(host.PixelAt("L", 40, 0), gdi::RGB(255, 0, 0));
}

TEST_F(OV3DLineTest, LeavesNoDrawingObjectsOrWindowsBehind) {
    const auto before = gdi::CountLiveObjects();
    const int windows = gdi::LiveWindowCount();
    host.New("L", "OV3DLine");
    PutProperty(*host.Find("L"), "Orientation", Variant::FromLong(1));
    host.Compose();
    host.Terminate("L");
    EXPECT_EQ(gdi::CountLiveObjects(), before);
    EXPECT_EQ(gdi::LiveWindowCount(), windows);
}

}  // namespace
}  // namespace ov::line3d
