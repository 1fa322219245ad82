// orvelle gdi-replay MANIFEST OUTDIR: replays a manifest of drawing calls through the drawing
// layer and writes one PNG per reference image plus queries.json.
#include <cstdio>

#include "command.h"
#include "platform/gdi/replay/replay.h"

namespace {

int RunGdiReplay(const std::vector<std::string>& args) {
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: orvelle gdi-replay MANIFEST OUTDIR\n");
        return 2;
    }
    std::string errors;
    const int failed = ov::gdi::replay::ReplayManifestToDirectory(args[0], args[1], &errors);
    if (!errors.empty()) std::fputs(errors.c_str(), stderr);
    if (failed < 0) return 1;
    std::printf("replayed %s into %s%s\n", args[0].c_str(), args[1].c_str(),
                failed ? (" (" + std::to_string(failed) + " cases failed)").c_str() : "");
    return failed ? 1 : 0;
}

const ov::cli::CommandRegistration kRegistration({
    "gdi-replay",
    "orvelle gdi-replay MANIFEST OUTDIR",
    "replay a drawing-call manifest and write OUTDIR/<case>.png and OUTDIR/queries.json",
    RunGdiReplay,
});

}  // namespace
