// orvelle gdi-sample OUT.png: renders the drawing layer's sample sheet.
#include <cstdio>

#include "command.h"
#include "platform/gdi/replay/sample_sheet.h"

namespace {

int RunGdiSample(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: orvelle gdi-sample OUT.png\n");
        return 2;
    }
    if (!ov::gdi::replay::RenderSampleSheet(args[0])) {
        std::fprintf(stderr, "orvelle gdi-sample: could not render %s\n", args[0].c_str());
        return 1;
    }
    std::printf("wrote %s\n", args[0].c_str());
    return 0;
}

const ov::cli::CommandRegistration kRegistration({
    "gdi-sample",
    "orvelle gdi-sample OUT.png",
    "render the drawing layer's sample sheet (lines, boxes, ellipses, transparent blit, text)",
    RunGdiSample,
});

}  // namespace
