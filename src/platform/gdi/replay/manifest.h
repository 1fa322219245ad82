#pragma once
// A manifest of drawing calls ("gdi-oracle-cases/1", the format of
// tests/data/gdi-reference/cases.json), read and checked whole before anything is replayed:
// every value has the type its place needs, every number fits its argument, sizes are within
// the surface limits, DCs are defined once before use, and case names and DumpBits tags make
// image file names that stay inside the output folder and never repeat. What is read is plain
// data; the replayer never looks at JSON.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/limits.h"

namespace ov::gdi::replay {

// Bounds a manifest must keep to; the defaults are the library's limits. The fuzz target reads
// with small ones so that each input replays quickly.
struct ManifestLimits {
    int max_side = limits::kMaxSurfaceSide;               // width and height of every DC's bitmap
    std::int64_t max_pixels = limits::kMaxSurfacePixels;  // and their product
    std::size_t max_ops = std::size_t{1} << 20;           // per case
};

struct Op {
    enum class Kind : std::uint8_t {
        NewDib32,
        NewMono,
        FillRect,
        SelectPen,
        SelectSolidBrush,
        SelectNullBrush,
        MoveToEx,
        LineTo,
        Rectangle,
        Ellipse,
        SetPixelV,
        SetPixel,
        GetPixel,
        SetBkColor,
        SetTextColor,
        SetStretchBltMode,
        BitBlt,
        StretchBlt,
        DumpBits,
    };
    Kind kind = Kind::MoveToEx;
    int dc = 0;                 // index into the case's DCs; 0 is "dst"
    int src_dc = 0;             // blits: the source DC
    std::array<int, 8> args{};  // coordinates, extents, sizes, pen style and width, stretch mode
    std::uint32_t colour = 0;   // COLORREF
    std::uint32_t rop = 0;      // blits
    std::string tag;            // DumpBits: the image name's suffix
    nlohmann::json call;        // GetPixel and SetPixel: the op as written, for queries.json
};

struct Case {
    std::string name;
    int width = 0, height = 0;
    std::uint32_t background = 0;       // COLORREF
    bool has_caveats = false;           // the reference images document another implementation's quirks
    std::vector<std::string> dc_names;  // "dst" first, then each NewDib32 / NewMono in op order
    std::vector<Op> ops;
};

struct Manifest {
    std::vector<Case> cases;
};

// Reads a manifest from its text. Throws json_input::ShapeError naming the place of the first
// fault ("cases[3].ops[2][4]: must be an integer between -2147483648 and 2147483647").
Manifest ReadManifest(std::string_view text, const ManifestLimits& bounds = {});

// Whether `name` may name an output file: 1 to 100 of A-Z a-z 0-9 _ - . and not starting with
// a dot, so it has no path separator, is never "." or "..", and hides nothing.
bool IsSafeImageName(std::string_view name);

}  // namespace ov::gdi::replay
