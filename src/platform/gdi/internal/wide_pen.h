#pragma once
// Pens wider than one pixel: solid strokes with round caps and round joins.
//
// Pixel (x, y) is the unit square centred on (x + 0.5, y + 0.5). A stroke of width w follows the
// one-pixel path through the centres of its pixels and paints every pixel whose centre lies at a
// distance strictly less than w / 2 from that centre line. For an even width the centre line is
// moved half a pixel up and left, so a horizontal or vertical stroke covers exactly w rows or
// columns (w / 2 above or left of the path pixel, w / 2 - 1 below or right) instead of w + 1.
//
// The rasterizers work a row at a time: each row's covered columns are estimated in floating
// point and the ends of the estimate then settled pixel by pixel with the exact integer rule, so
// the result never depends on rounding, and the cost is a few tests per row inside the bitmap
// whatever the stroke's length outside it.
#include <cstdint>

#include "platform/gdi/internal/internal_only.h"
#include "platform/gdi/internal/raster.h"

namespace ov::gdi::detail {

// Columns [left, right) of one row.
struct ColumnSpan {
    int left = 0, right = 0;
    bool empty() const { return right <= left; }
    friend bool operator==(const ColumnSpan&, const ColumnSpan&) = default;
};

// The stroke of one segment of a path, both ends capped round: the points within w / 2 of the
// segment from (x0, y0) to (x1, y1), a round dot when the two ends are the same.
class WideSegment {
public:
    // `surface` bounds the rows that RowSpan is asked about; the estimate works on the part of
    // the segment near it, so a segment far longer than the surface costs no more than a short one.
    WideSegment(int x0, int y0, int x1, int y1, int pen_width, const PixelRect& surface);

    // The pixel rule, exact for every int coordinate and width.
    bool Covers(int x, int y) const;
    // The covered columns of row y inside the surface (one run: the stroke is convex).
    ColumnSpan RowSpan(int y) const;
    // Rows of the surface the stroke can reach, [first, last).
    int first_row() const { return first_row_; }
    int last_row() const { return last_row_; }

private:
    bool EstimateRow(double sample_y, double* low, double* high) const;

    // Doubled coordinates: path points at even values, pixel centres at 2x + offset (see
    // SampleOffset in wide_pen.cpp), so the rule is integer arithmetic throughout.
    std::int64_t ax_, ay_, bx_, by_, radius_, offset_;
    PixelRect surface_;
    bool near_surface_ = false;
    double near_x0_ = 0, near_y0_ = 0, near_x1_ = 0, near_y1_ = 0;  // the segment clipped to the grown surface
    int first_row_ = 0, last_row_ = 0;
};

// The ring of an ellipse drawn with a wide pen: pixels whose centre is strictly inside the
// ellipse with the inscribed ellipse's centre and semi-axes grown by w / 2, and not strictly
// inside the one with semi-axes shrunk by w / 2 (no hole when a shrunk semi-axis is <= 0).
// The box is normalised and not empty.
class WideEllipseRing {
public:
    WideEllipseRing(int left, int top, int right, int bottom, int pen_width, const PixelRect& surface);

    bool Covers(int x, int y) const;
    // The covered columns of row y inside the surface: the left half and the right half of the
    // ring (either may be empty; where the row misses the hole they meet in the middle).
    void RowSpans(int y, ColumnSpan* left_half, ColumnSpan* right_half) const;
    int first_row() const { return first_row_; }
    int last_row() const { return last_row_; }

private:
    // Doubled coordinates relative to the centre: pixel x is at 2x - centre_x_.
    std::int64_t centre_x_, centre_y_, outer_a_, outer_b_, inner_a_, inner_b_;
    bool has_hole_;
    PixelRect surface_;
    int first_row_ = 0, last_row_ = 0;
};

// LineTo with a wide pen: the segment's stroke including both end caps.
void DrawWideLine(Bitmap& bitmap, int x0, int y0, int x1, int y1, int pen_width, std::uint32_t pixel);
// The frame of Rectangle on a normalised, non-empty box: the closed path through the one-pixel
// outline's corner pixels, stroked with round joins.
void DrawWideRectangleFrame(Bitmap& bitmap, int left, int top, int right, int bottom, int pen_width,
                            std::uint32_t pixel);
// The ring of Ellipse on a normalised, non-empty box.
void DrawWideEllipseRing(Bitmap& bitmap, int left, int top, int right, int bottom, int pen_width, std::uint32_t pixel);

}  // namespace ov::gdi::detail
