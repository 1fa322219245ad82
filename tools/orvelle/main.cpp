#include <algorithm>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "command.h"
#include "orvelle/version.h"
#include "platform/codepage/windows1252.h"
#include "platform/notifyarea/notification_area.h"

namespace ov::cli {

std::vector<Command>& Commands() {
    static std::vector<Command> commands;
    return commands;
}

}  // namespace ov::cli

namespace {

void PrintHelp(std::FILE* out) {
    std::fprintf(out, "usage: orvelle COMMAND [ARGS...]\n\ncommands:\n");
    auto commands = ov::cli::Commands();
    std::sort(commands.begin(), commands.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
    for (const auto& command : commands)
        std::fprintf(out, "  %-40s %s\n", command.usage.c_str(), command.summary.c_str());
    std::fprintf(out, "\n`orvelle COMMAND --help` shows one command; `orvelle --version` the version.\n");
}

bool AsksForHelp(const std::string& arg) { return arg == "--help" || arg == "-h"; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || std::string(argv[1]) == "help" || AsksForHelp(argv[1])) {
        PrintHelp(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    const std::string name = argv[1];
    if (name == "--version") {
        std::printf("orvelle %s\n", ORVELLE_VERSION_STRING);
        return 0;
    }
    // Scripts and renders stay inside the process: the tray records its calls unless the
    // environment asks for the desktop.
    ov::notifyarea::InstallNotificationArea(ov::notifyarea::SelectNotificationAreaForTools());
    for (const auto& command : ov::cli::Commands()) {
        if (command.name != name) continue;
        // A command's help comes before its arguments are looked at, so no command takes
        // "--help" for a file name.
        if (argc > 2 && AsksForHelp(argv[2])) {
            std::printf("usage: %s\n%s\n", command.usage.c_str(), command.summary.c_str());
            if (command.details) std::printf("\n%s", command.details().c_str());
            return 0;
        }
        // Whatever a command lets escape ends it with a message and a failure status, never
        // with the runtime's abort.
        try {
            return command.run(std::vector<std::string>(argv + 2, argv + argc));
        } catch (const std::bad_alloc&) {
            std::fprintf(stderr, "orvelle %s: out of memory\n", name.c_str());
        } catch (const std::exception& error) {
            std::fprintf(stderr, "orvelle %s: %s\n", name.c_str(),
                         ov::codepage::Windows1252ToUtf8(error.what()).c_str());
        }
        return 1;
    }
    std::fprintf(stderr, "orvelle: unknown command '%s'\n", name.c_str());
    PrintHelp(stderr);
    return 2;
}
