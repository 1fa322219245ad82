// `orvelle typelib`: the type library as readable text, as designer metadata (--json), or the
// controls' toolbox pictures (--toolbox DIR).
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "command.h"
#include "library/classes.h"
#include "library/typelib_json.h"
#include "library/typelib_text.h"

namespace {

constexpr const char* kUsage = "usage: orvelle typelib [--json | --toolbox DIR]\n";

bool WriteBytes(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// One NAME.bmp and NAME.png per control that carries a toolbox picture.
int WriteToolbox(const std::string& dir) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!std::filesystem::is_directory(dir)) {
        std::fprintf(stderr, "orvelle typelib: cannot create directory %s\n", dir.c_str());
        return 1;
    }
    int written = 0;
    for (const ov::host::ClassEntry& entry : ov::library::Classes().entries()) {
        if (!ov::library::InTypeLibrary(entry) || entry.toolbox_image.empty()) continue;
        const std::filesystem::path base = std::filesystem::path(dir) / entry.name;
        if (!WriteBytes(base.string() + ".bmp", ov::library::ToolboxBmp(entry.toolbox_image)) ||
            !WriteBytes(base.string() + ".png", ov::library::ToolboxPng(entry.toolbox_image))) {
            std::fprintf(stderr, "orvelle typelib: cannot write %s\n", base.string().c_str());
            return 1;
        }
        std::printf("%s.bmp %s.png\n", base.string().c_str(), base.string().c_str());
        ++written;
    }
    return written > 0 ? 0 : 1;
}

const ov::cli::CommandRegistration kTypelib({
    "typelib",
    "orvelle typelib [--json | --toolbox DIR]",
    "print the type library: every interface, member, dispatch id, type, help string and enumeration "
    "(--json: designer metadata; --toolbox DIR: the controls' toolbox pictures as BMP and PNG)",
    [](const std::vector<std::string>& args) {
        if (args.empty()) {
            std::fputs(ov::library::TypeLibraryText(ov::library::Classes()).c_str(), stdout);
            return 0;
        }
        if (args.size() == 1 && args[0] == "--json") {
            std::puts(ov::library::TypeLibraryJson(ov::library::Classes()).dump(2).c_str());
            return 0;
        }
        if (args.size() == 2 && args[0] == "--toolbox") return WriteToolbox(args[1]);
        std::fputs(kUsage, stderr);
        return 2;
    },
});

}  // namespace
