#pragma once
// Replays a manifest of drawing calls (see manifest.h) through the public drawing functions and
// collects what the reference images hold: the RGB of DC "dst" after the last op, one extra
// image per DumpBits, and the return values of GetPixel/SetPixel.
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/gdi/replay/manifest.h"

namespace ov::gdi::replay {

struct Image {
    std::string name;  // "<case>" for dst after the last op, "<case>__<tag>" for a DumpBits
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, mono as black and white
};

struct CaseResult {
    std::string name;
    std::vector<Image> images;                         // DumpBits images in op order, then the final dst
    nlohmann::json queries = nlohmann::json::array();  // [{"call", "op_index", "result"}]
    std::string error;                                 // empty when every op ran
    int leaked_objects = 0;                            // drawing objects still alive after the case cleaned up
};

// Replays one case in DCs of its own, released at its end whatever happened.
CaseResult RunCase(const Case& test_case);

// Replays every case of the manifest at `manifest_path` and writes OUTDIR/<image>.png and
// OUTDIR/queries.json. Problems go to `errors`, one line each. Returns the number of cases
// that failed to run (0 on success), or -1 when the manifest cannot be read or is refused, in
// which case nothing is written.
int ReplayManifestToDirectory(const std::string& manifest_path, const std::string& out_dir, std::string* errors);

}  // namespace ov::gdi::replay
