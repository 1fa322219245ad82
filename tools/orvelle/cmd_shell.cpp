// `orvelle shell [FILE]`: runs shell statements from FILE or standard input on a reference
// host holding every class of the library and the plain host controls. Exit status 0 when the
// script ran to its end, 2 for a syntax error, a usage error or a script that cannot be read.
// Standard input that is a terminal is an interactive session: a prompt before each line, and
// a syntax error is reported without ending the session.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iostream>

#include "command.h"
#include "host/reference/reference_host.h"
#include "library/classes.h"
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
    // A directory opens like a file here and then reads as nothing, which would pass for an
    // empty script.
    std::error_code ignored;
    if (std::filesystem::is_directory(args[0], ignored)) {
        std::cerr << "orvelle shell: " << args[0] << " is a directory, not a script\n";
        return 2;
    }
    std::ifstream script(args[0], std::ios::binary);
    if (!script) {
        std::cerr << "orvelle shell: cannot open " << args[0] << "\n";
        return 2;
    }
    const int status = interpreter.RunScript(script, std::cerr);
    if (script.bad()) {
        std::cerr << "orvelle shell: cannot read " << args[0] << "\n";
        return 2;
    }
    return status;
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
