// The control-string renderer by pixel: colour runs and underlines, hot-spot records (odd,
// empty and back-to-back hot spots, wrapping, the re-recording rule), inline pictures, the
// underline left on the font, and no graphics object left behind.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "hotlabel/control_string_painter.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/screen.h"

namespace ov::hotlabel {
namespace {

constexpr OleColor kWhite = 0xFFFFFF, kBlack = 0x000000, kBlue = 0xFF0000, kRed = 0x0000FF, kGreen = 0x00FF00;
const ControlStringColours kColours{kBlack, kBlue, kRed};

class Renderer : public ::testing::Test {
protected:
    void SetUp() override {
        gdi::Screen().font_smoothing = false;  // text pixels exactly in the text colour
        MakeSurface(300, 60);
        holder_ = std::make_unique<PictureBox>(0, 0, 0, 29 * 15.0, 29 * 15.0);
        holder_->SetScaleMode(kScalePixels);
        holder_->SetBorderStyle(0);
        holder_->SetAutoRedraw(true);
        holder_->SetAutoSize(true);
        holder_->SetBackColor(kWhite);
    }
    void TearDown() override { gdi::Screen().font_smoothing = true; }

    void MakeSurface(int width, int height) {
        surface_ = std::make_unique<PictureBox>(0, 0, 0, width * 15.0, height * 15.0);
        surface_->SetScaleMode(kScalePixels);
        surface_->SetBorderStyle(0);
        surface_->SetBackColor(kWhite);
    }
    void Render(const std::string& text, Hover hover = {}) {
        RenderControlString(*surface_, *holder_, text, kColours, hover, table_);
    }
    int Width(const std::string& text) { return static_cast<int>(surface_->TextWidth(text)); }
    int LineHeight() { return static_cast<int>(surface_->TextHeight("A")); }
    OleColor At(int x, int y) { return gdi::GetPixel(surface_->hDC(), x, y); }
    // Whether `colour` appears in column x within the first text line.
    bool ColumnHas(int x, OleColor colour, int top = 2) {
        for (int y = top; y < top + LineHeight(); ++y)
            if (At(x, y) == colour) return true;
        return false;
    }
    // The row of an underline in colour from x0 to x1 - 1 (every pixel), -1 when none.
    int UnderlineRow(int x0, int x1, OleColor colour, int top = 2) {
        for (int y = top; y < top + LineHeight(); ++y) {
            bool full = x1 > x0;
            for (int x = x0; x < x1 && full; ++x) full = At(x, y) == colour;
            if (full) return y;
        }
        return -1;
    }

    std::unique_ptr<PictureBox> surface_;
    std::unique_ptr<PictureBox> holder_;
    HotSpotTable table_;
};

TEST_F(Renderer, DefaultStringDrawsThreeColourRunsAndRecordsOneHotSpot) {
    const std::string before = "Orvelle's ", word = "Hot", after = " Textbox";
    Render(before + "~" + word + "~" + after);
    ASSERT_EQ(table_.count, 1);
    const int left = 2 + Width(before), right = left + Width(word);
    EXPECT_EQ(table_(1).left, left);
    EXPECT_EQ(table_(1).right, right);
    EXPECT_EQ(table_(1).top, 2);

    int fore_columns = 0, hot_columns = 0;
    for (int x = 0; x < 300; ++x) {
        const bool inside = x >= left && x < right;
        if (ColumnHas(x, kBlack)) {
            EXPECT_FALSE(inside) << x;
            ++fore_columns;
        }
        if (ColumnHas(x, kBlue)) {
            EXPECT_TRUE(inside) << x;
            ++hot_columns;
        }
    }
    EXPECT_GT(fore_columns, Width(before + after) / 2);
    EXPECT_EQ(hot_columns, right - left);  // the underline fills every column of the word
    EXPECT_GE(UnderlineRow(left, right, kBlue), 2);
    EXPECT_EQ(UnderlineRow(2, left, kBlack), -1);  // the text around it is not underlined
    EXPECT_FALSE(ColumnHas(2 + Width(before + word + after) + 1, kBlack));
    EXPECT_FALSE(surface_->Font()->desc().underline);  // the last character was outside
}

TEST_F(Renderer, RecordsOfOddEmptyAndBackToBackHotSpots) {
    const struct {
        const char* text;
        // Expected records as offsets: the x where each hot spot starts and ends is 2 plus the
        // width of the text before it (marks removed).
        std::vector<std::pair<std::string, std::string>> spans;
    } cases[] = {
        {"ab~~cd", {{"ab", "ab"}}},            // empty: Left = Right
        {"~a~~b~", {{"", "a"}, {"a", "ab"}}},  // back to back
        {"x~a~y~b", {{"x", "xa"}}},            // odd: the last opens no record
        {"~one~ and ~two~ and ~three~",
         {{"", "one"}, {"one and ", "one and two"}, {"one and two and ", "one and two and three"}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        table_ = {};
        Render(c.text);
        ASSERT_EQ(table_.count, static_cast<std::int32_t>(c.spans.size()));
        for (std::size_t i = 0; i < c.spans.size(); ++i) {
            EXPECT_EQ(table_.records[i].left, 2 + Width(c.spans[i].first)) << i;
            EXPECT_EQ(table_.records[i].right, 2 + Width(c.spans[i].second)) << i;
            EXPECT_EQ(table_.records[i].top, 2) << i;
        }
    }
    // The odd last tilde: "b" is underlined in the hot-spot colour, or in the highlight colour
    // while hot spot 1, the last recorded one, is hovered.
    const int b_left = 2 + Width("xay");
    for (const Hover hover : {Hover{1, false}, Hover{1, true}}) {
        table_ = {};
        Render("x~a~y~b", hover);
        const OleColor lit = hover.over ? kRed : kBlue;
        EXPECT_GE(UnderlineRow(b_left, b_left + Width("b"), lit), 2);
        EXPECT_GE(UnderlineRow(2 + Width("x"), 2 + Width("xa"), lit), 2);
        EXPECT_TRUE(surface_->Font()->desc().underline);  // the last character was inside
    }
}

TEST_F(Renderer, LineBreaksStartTheNextLineAtTheTextOrigin) {
    // CR, LF and CR LF each start one new line at x = 2, a line's height + 2 further down, as a
    // wrap does; a hot spot right after the break is recorded there.
    const struct {
        const char* text;
        int lines_down;
    } cases[] = {
        {"ab\r~cd~", 1}, {"ab\n~cd~", 1}, {"ab\r\n~cd~", 1}, {"ab\n\r~cd~", 2}, {"ab\r\n\r\n~cd~", 2}, {"\n~cd~", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(std::string(c.text)));
        table_ = {};
        Render(c.text);
        const int top = 2 + c.lines_down * (LineHeight() + 2);
        ASSERT_EQ(table_.count, 1);
        EXPECT_EQ(table_(1).left, 2);
        EXPECT_EQ(table_(1).right, 2 + Width("cd"));
        EXPECT_EQ(table_(1).top, top);
        // The hot text is drawn there, and nothing of it on the first line.
        EXPECT_GE(UnderlineRow(2, 2 + Width("cd"), kBlue, top), top);
        EXPECT_FALSE(ColumnHas(3, kBlue));
    }
}

TEST_F(Renderer, WrapsInsideAWordAndAWrappedHotSpotKeepsItsFirstLine) {
    // Room for a few characters only: "abcdefgh" must break inside the word.
    const std::string text = "ab~cdefgh~ij";
    const int room = 2 + Width("abcd");
    MakeSurface(room, 80);
    Render(text);
    const int step = LineHeight() + 2;
    // Walk the string as the renderer must: per character, wrap when it would cross the edge.
    int x = 2, y = 2, right = 0, left = 0, top = 0, bottom_line = 2;
    for (const char c : std::string("abcdefghij")) {
        const int w = Width(std::string(1, c));
        if (x + w > room) {
            x = 2;
            y += step;
        }
        if (c == 'c') left = x, top = y;
        x += w;
        if (c == 'h') right = x, bottom_line = y;
    }
    ASSERT_GT(bottom_line, top);  // the hot spot really wrapped
    EXPECT_EQ(table_(1).left, left);
    EXPECT_EQ(table_(1).top, top);
    EXPECT_EQ(table_(1).right, right);
    bool first_line_text = false;  // "ab" at the start of the first line
    for (int col = 2; col < 2 + Width("ab"); ++col) first_line_text = first_line_text || ColumnHas(col, kBlack);
    EXPECT_TRUE(first_line_text);
    EXPECT_GE(UnderlineRow(2, right, kBlue, bottom_line), bottom_line);

    // A second render at another width: the hot spot starts at the same x, so its stale Top
    // and Right stay although the text now runs on one line.
    const HotSpot kept = table_(1);
    MakeSurface(300, 80);
    Render(text);
    EXPECT_EQ(table_(1).left, kept.left);
    EXPECT_EQ(table_(1).top, kept.top);
    EXPECT_EQ(table_(1).right, kept.right);
    // A start x that differs re-records it.
    Render("x" + text);
    EXPECT_EQ(table_(1).left, 2 + Width("xab"));
    EXPECT_EQ(table_(1).right, 2 + Width("xabcdefgh"));
    EXPECT_EQ(table_(1).top, 2);
}

TEST_F(Renderer, InlinePictureCopiesTheHolderAtXPlusThreeWithoutWrapping) {
    // A 6 x 4 green picture, or the blank 29 x 29 holder when none is set.
    std::vector<std::uint32_t> green(6 * 4, 0x00FF00);
    const struct {
        std::shared_ptr<Picture> picture;
        int width, height;
        OleColor colour;
    } cases[] = {{nullptr, 29, 29, kWhite}, {Picture::FromPixels(6, 4, green.data()), 6, 4, kGreen}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        holder_->SetPicture(c.picture);
        MakeSurface(60, 80);
        surface_->SetBackColor(kBlue);  // so the blank holder's white shows
        table_ = {};
        Render("a*~b~");
        const int x = 2 + Width("a") + 3;
        for (int dy = 0; dy < c.height; ++dy)
            for (int dx = 0; dx < c.width; ++dx) ASSERT_EQ(At(x + dx, 2 + dy), c.colour) << dx << "," << dy;
        EXPECT_EQ(At(x - 1, 2), kBlue);
        EXPECT_EQ(At(x + c.width, 2), kBlue);
        // The text goes on at x + width + 3, on the same line even past the right edge.
        EXPECT_EQ(table_(1).left, 2 + Width("a") + c.width + 3);
        EXPECT_EQ(table_(1).top, 2);
    }
    // Pictures never wrap: a row of them runs past the edge on the first line.
    table_ = {};
    Render("****~a~");
    EXPECT_EQ(table_(1).left, 2 + 4 * (6 + 3));
    EXPECT_EQ(table_(1).top, 2);
}

TEST_F(Renderer, RenderingLeavesNoGraphicsObjectBehind) {
    Render("warm ~up~ *");  // fonts of both underline states made once
    const gdi::LiveObjects before = gdi::CountLiveObjects();
    for (const char* text : {"Orvelle's ~Hot~ Textbox", "~a~~b~*~c", "", "~~~", "***", "plain"}) {
        table_ = {};
        Render(text, Hover{1, true});
    }
    EXPECT_EQ(gdi::CountLiveObjects(), before);
}

}  // namespace
}  // namespace ov::hotlabel
