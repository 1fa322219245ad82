// The drawing-call manifest reader and the replayer: any bytes are either refused with a
// ShapeError naming the place of the fault, or read into cases that replay, with small size
// limits, without leaking a drawing object. Anything else (another exception, a crash, a
// sanitizer report) is a finding.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/gdi/replay/manifest.h"
#include "platform/gdi/replay/replay.h"
#include "platform/json/json_document.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace ov::gdi::replay;
    ManifestLimits small;
    small.max_side = 64;
    small.max_pixels = 64 * 64;
    small.max_ops = 64;
    Manifest manifest;
    try {
        manifest = ReadManifest(std::string_view(reinterpret_cast<const char*>(data), size), small);
    } catch (const ov::json_input::ShapeError&) {
        return 0;
    }
    for (const Case& test_case : manifest.cases) {
        const CaseResult result = RunCase(test_case);
        if (result.leaked_objects != 0) __builtin_trap();
        // A case that was read in full runs in full: the drawing calls fail only by value.
        if (!result.error.empty()) __builtin_trap();
    }
    return 0;
}
