// `orvelle typelib`: the type library as readable text.
#include <cstdio>

#include "command.h"
#include "library/classes.h"
#include "library/typelib_text.h"

namespace {

const ov::cli::CommandRegistration kTypelib({
    "typelib",
    "orvelle typelib",
    "print every interface, member, dispatch id, type, help string and enumeration",
    [](const std::vector<std::string>& args) {
        if (!args.empty()) {
            std::fprintf(stderr, "usage: orvelle typelib\n");
            return 2;
        }
        std::fputs(ov::library::TypeLibraryText(ov::library::Classes()).c_str(), stdout);
        return 0;
    },
});

}  // namespace
