#include "platform/gdi/internal/ellipse_raster.h"

#include <algorithm>
#include <climits>
#include <map>

#include "platform/gdi/internal/line_raster.h"

namespace ov::gdi::detail {

std::vector<POINT> EllipseOutlineVertices(int width, int height) {
    // Midpoint walk of the quadrant from the right end of the middle row down to the bottom
    // row, in 64-bit because the error terms grow with the cube of the box size.
    const std::int64_t a = width - 1, b = height - 1;
    const std::int64_t b_odd = b % 2;
    std::int64_t dx = 4 * b * b * (1 - a);
    std::int64_t dy = 4 * a * a * (1 + b_odd);
    std::int64_t err = dx + dy + a * a * b_odd;
    std::int64_t x = a, y = height / 2;
    std::vector<POINT> quadrant;
    while (x >= width / 2) {
        quadrant.push_back(POINT{static_cast<int>(x), static_cast<int>(y)});
        const std::int64_t e2 = 2 * err;
        if (e2 >= dx) {
            --x;
            dx += 8 * b * b;
            err += dx;
        }
        if (e2 <= dy) {
            ++y;
            dy += 8 * a * a;
            err += dy;
        }
    }
    // For narrow, tall boxes the walk runs out of columns before it reaches the bottom row
    // (3x8, 4x7, 5x32, ...); the platform's outline still touches all four sides of the box, so
    // the quadrant is finished with a vertical run down the middle column to the bottom row.
    if (!quadrant.empty() && quadrant.back().y < b) quadrant.push_back(POINT{quadrant.back().x, static_cast<int>(b)});
    // Mirror: bottom-right as walked, bottom-left walked back to the middle row, top-left out
    // to the top row, top-right back to the start.
    std::vector<POINT> vertices;
    vertices.reserve(quadrant.size() * 4);
    const int ai = static_cast<int>(a), bi = static_cast<int>(b);
    for (const POINT& p : quadrant) vertices.push_back(p);
    for (auto it = quadrant.rbegin(); it != quadrant.rend(); ++it) vertices.push_back(POINT{ai - it->x, it->y});
    for (const POINT& p : quadrant) vertices.push_back(POINT{ai - p.x, bi - p.y});
    for (auto it = quadrant.rbegin(); it != quadrant.rend(); ++it) vertices.push_back(POINT{it->x, bi - it->y});
    return vertices;
}

EllipseReferencePixels EllipseReference(int left, int top, int right, int bottom) {
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    EllipseReferencePixels out;
    const int width = right - left, height = bottom - top;
    const PixelRect everywhere{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
    if (width <= 2 || height <= 2) {
        // The rectangle rule: the closed outline polyline and the brush strictly inside it.
        if (width == 0 || height == 0) return out;
        const POINT corners[4] = {{left, top}, {right - 1, top}, {right - 1, bottom - 1}, {left, bottom - 1}};
        for (int i = 0; i < 4; ++i) {
            const POINT a = corners[i], b = corners[(i + 1) % 4];
            for (const POINT& p : LineReferencePixels(a.x, a.y, b.x, b.y, everywhere)) out.outline.push_back(p);
        }
        for (int y = top + 1; y < bottom - 1; ++y)
            for (int x = left + 1; x < right - 1; ++x) out.brush.push_back(POINT{x, y});
        return out;
    }
    const std::vector<POINT> vertices = EllipseOutlineVertices(width, height);
    for (std::size_t i = 0; i < vertices.size(); ++i) {
        const POINT a = vertices[i], b = vertices[(i + 1) % vertices.size()];
        for (const POINT& p : LineReferencePixels(a.x + left, a.y + top, b.x + left, b.y + top, everywhere))
            out.outline.push_back(p);
    }
    std::map<int, std::pair<int, int>> rows;
    for (const POINT& p : out.outline) {
        auto [it, inserted] = rows.emplace(p.y, std::make_pair(p.x, p.x));
        it->second.first = std::min(it->second.first, p.x);
        it->second.second = std::max(it->second.second, p.x);
    }
    for (const auto& [y, span] : rows)
        for (int x = span.first; x <= span.second; ++x) out.brush.push_back(POINT{x, y});
    return out;
}

}  // namespace ov::gdi::detail
