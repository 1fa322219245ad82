// `orvelle shell [FILE]`: runs shell statements from FILE or standard input on a reference
// host holding every class of the library and the plain host controls. Exit status 0 when the
// script ran to its end, 2 for a syntax error, a usage error or a script that cannot be read.
#include <iostream>
#include <sstream>

#include "command.h"
#include "host/reference_host.h"
#include "library/classes.h"
#include "platform/files/read_file.h"
#include "shell/interpreter.h"

namespace {

int RunShell(const std::vector<std::string>& args) {
    if (args.size() > 1) {
        std::cerr << "usage: orvelle shell [FILE]\n";
        return 2;
    }
    ov::host::ReferenceHost host(ov::library::Classes());
    ov::shell::Interpreter interpreter(host, std::cout);
    if (args.empty()) return interpreter.RunScript(std::cin, std::cerr);
    // A script piped in (a pipe or device named as the file) is read to its end like a file.
    const ov::files::FileContents file =
        ov::files::ReadWholeFile(args[0], ov::files::ReadOptions{.read_streams = true});
    switch (file.error) {
        case ov::files::ReadError::None: break;
        case ov::files::ReadError::Directory:
            std::cerr << "orvelle shell: " << args[0] << " is a directory, not a script\n";
            return 2;
        case ov::files::ReadError::NotFound:
            std::cerr << "orvelle shell: cannot open " << args[0] << "\n";
            return 2;
        default: std::cerr << "orvelle shell: cannot read " << args[0] << "\n"; return 2;
    }
    std::istringstream script(file.bytes);
    return interpreter.RunScript(script, std::cerr);
}

const ov::cli::CommandRegistration kShell({
    "shell",
    "orvelle shell [FILE]",
    "run shell statements from FILE or standard input against the reference host",
    RunShell,
});

}  // namespace
