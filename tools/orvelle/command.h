#pragma once
// The `orvelle` command line is a set of sub-commands, each in its own cmd_*.cpp file.
// A file registers its command with a static CommandRegistration, so adding a command
// never touches main.cpp.
#include <functional>
#include <string>
#include <vector>

namespace ov::cli {

// Runs one sub-command. `args` excludes the program and sub-command names.
// Returns the process exit status.
using CommandMain = std::function<int(const std::vector<std::string>& args)>;

struct Command {
    std::string name;
    std::string usage;    // one line: "orvelle NAME ARGS…"
    std::string summary;  // one sentence for `orvelle help`
    CommandMain run;
    // More for `orvelle NAME --help` after the usage and summary (empty: nothing more).
    std::function<std::string()> details = {};
};

std::vector<Command>& Commands();

struct CommandRegistration {
    explicit CommandRegistration(Command command) { Commands().push_back(std::move(command)); }
};

}  // namespace ov::cli
