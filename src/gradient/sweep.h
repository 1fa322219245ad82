#pragma once
// The sweep every gradient shape starts from: a line longer than the surface's diagonal,
// turned perpendicular to the gradient direction, placed with one end on the edge where the
// first colour begins, then copied one pixel at a time across the surface until both ends of
// the newest copy lie beyond the far edge.
#include <cstdint>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::gradient {

// Turns `point` about `centre` by `angle_degrees`; on the screen (y downwards) a positive
// angle turns anticlockwise.
void RotatePoint(double centre_x, double centre_y, double& point_x, double& point_y, double angle_degrees);

// Where the first sweep line lies and which way the copies move.
struct SweepPlacement {
    double p0_x = 0, p0_y = 0, p1_x = 0, p1_y = 0;  // ends of the turned line, before the offset
    double offset_x = 0, offset_y = 0;
    std::int16_t step_x = 0, step_y = 0;  // exactly one of them is +1 or -1
};

// The point list: points[2j] and points[2j + 1] are the ends of sweep line j. An odd last
// point has no partner and is never drawn.
struct SweepLines {
    std::vector<gdi::POINT> points;
    std::size_t line_count() const { return points.size() / 2; }
};

// Centre, half-length and turn of the sweep line for a surface of `width` x `height` pixels
// and the stored angle (whole degrees, -359..359), and the offset and step that put the first
// line on the starting edge.
SweepPlacement PlaceSweep(std::int32_t width, std::int32_t height, double angle);

// Writes the first line (points 0 and 1). False when an end does not fit a 32-bit
// coordinate; the list then keeps two points at the origin.
bool PlaceFirstLine(const SweepPlacement& placement, SweepLines& sweep);

// Adds one point at a time, each the point two places back moved by the step, until the last
// two both lie beyond the far edge. False when a coordinate would leave the 32-bit range or the
// list would grow past what any real surface needs; the list then ends where it stopped.
bool ExtendSweep(const SweepPlacement& placement, std::int32_t width, std::int32_t height, SweepLines& sweep);

}  // namespace ov::gradient
