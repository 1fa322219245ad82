#pragma once
// Replays a manifest of drawing calls ("gdi-oracle-cases/1": named DCs, ops as JSON arrays
// [name, args...], colours as 0x00BBGGRR hex strings) through the public drawing functions and
// collects what the reference images hold: the RGB of DC "dst" after the last op, one extra
// image per DumpBits, and the return values of GetPixel/SetPixel.
#include <cstdint>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace ov::gdi::replay {

struct Image {
    std::string name;  // "<case>" for dst after the last op, "<case>__<tag>" for a DumpBits
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;  // 0x00RRGGBB, mono as black and white
};

struct CaseResult {
    std::string name;
    std::vector<Image> images;       // DumpBits images in op order, then the final dst
    nlohmann::json queries = nlohmann::json::array();  // [{"call", "op_index", "result"}]
    std::string error;               // empty when every op ran
    int leaked_objects = 0;          // drawing objects still alive after the case cleaned up
};

class Replayer {
public:
    // `manifest` is the whole manifest; its conventions name the raster operations, stretch
    // modes and pen styles that ops may give by name.
    explicit Replayer(const nlohmann::json& manifest);
    CaseResult Run(const nlohmann::json& test_case) const;
    const nlohmann::json& cases() const { return cases_; }

private:
    nlohmann::json names_;
    nlohmann::json cases_;
};

// Replays every case of the manifest at `manifest_path` and writes OUTDIR/<image>.png and
// OUTDIR/queries.json. Problems go to `errors`, one line each. Returns the number of cases
// that failed to run (0 on success), or -1 when the manifest cannot be read.
int ReplayManifestToDirectory(const std::string& manifest_path, const std::string& out_dir, std::string* errors);

}  // namespace ov::gdi::replay
