// `orvelle shell [FILE]`: runs shell statements from FILE or standard input on a reference
// host holding every class of the library and the plain host controls. Exit status 0 when the
// script ran to its end, 2 for a syntax error, a usage error or a script that cannot be read.
// Standard input that is a terminal is an interactive session: a prompt before each line, and
// a syntax error is reported without ending the session.
#include <unistd.h>

#include <iostream>
#include <sstream>

#include "command.h"
#include "host/reference/reference_host.h"
#include "library/classes.h"
#include "platform/files/read_file.h"
#include "shell/interpreter.h"
#include "shell/parser.h"

namespace {

int RunShell(const std::vector<std::string>& args) {
    if (args.size() > 1) {
        std::cerr << "usage: orvelle shell [FILE]\n";
        return 2;
    }
    ov::host::ReferenceHost host(ov::library::Classes());
    ov::shell::Interpreter interpreter(host, std::cout);
    if (args.empty()) {
        // Someone typing at a terminal gets a prompt, and a mistyped line does not end the session.
        const auto mode = ::isatty(STDIN_FILENO) ? ov::shell::Interpreter::ScriptMode::Interactive
                                                 : ov::shell::Interpreter::ScriptMode::Script;
        const int status = interpreter.RunInput(STDIN_FILENO, std::cerr, mode);
        if (mode == ov::shell::Interpreter::ScriptMode::Interactive) std::cout << "\n";
        return status;
    }
    // A script piped in (a pipe or device named as the file) is read to its end like a file.
    const ov::files::FileContents file =
        ov::files::ReadWholeFile(args[0], ov::files::ReadOptions{.read_streams = true});
    switch (file.error) {
        case ov::files::ReadError::None: break;
        case ov::files::ReadError::Directory:
            std::cerr << "orvelle shell: " << args[0] << " is a directory, not a script\n";
            return 2;
        case ov::files::ReadError::NotFound: std::cerr << "orvelle shell: cannot open " << args[0] << "\n"; return 2;
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
    [] {
        std::string text = "statements:\n";
        for (const std::string& line : ov::shell::StatementSyntax()) text += "  " + line + "\n";
        return text;
    },
});

}  // namespace
