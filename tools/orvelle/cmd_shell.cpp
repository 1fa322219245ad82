// `orvelle shell [FILE]`: runs shell statements from FILE or standard input on a reference
// host holding every class of the library and the plain host controls.
#include <fstream>
#include <iostream>

#include "command.h"
#include "host/reference_host.h"
#include "library/classes.h"
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
    std::ifstream script(args[0]);
    if (!script) {
        std::cerr << "orvelle shell: cannot open " << args[0] << "\n";
        return 2;
    }
    return interpreter.RunScript(script, std::cerr);
}

const ov::cli::CommandRegistration kShell({
    "shell",
    "orvelle shell [FILE]",
    "run shell statements from FILE or standard input against the reference host",
    RunShell,
});

}  // namespace
