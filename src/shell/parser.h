#pragma once
// The shell's statement parser: one line of script text to one Statement. It knows the grammar
// only; nothing here looks at the host or at the objects a script has created.
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "shell/syntax.h"

namespace ov::shell {

// A malformed statement. The shell stops at the first one.
class SyntaxError : public std::runtime_error {
public:
    SyntaxError(int line, std::string message)
        : std::runtime_error(message), line_(line), message_(std::move(message)) {}
    int line() const { return line_; }
    const std::string& message() const { return message_; }
    // "syntax error at line N: MESSAGE"
    std::string Report() const;

private:
    int line_;
    std::string message_;
};

// Parses one line. Blank lines and whole-line comments (first non-blank character '#') give
// nullopt. Throws SyntaxError carrying `line_number`, also for a line longer than
// ov::limits::kMaxStatementBytes (refused before parsing) and for calls nested deeper than
// ov::limits::kMaxExpressionDepth.
std::optional<Statement> ParseStatement(std::string_view line, int line_number);

// The syntax error for a line longer than ov::limits::kMaxStatementBytes (a reader that stops
// reading such a line reports it with this).
SyntaxError StatementTooLong(int line_number);

// One line per kind of statement, as `orvelle shell --help` shows them.
std::vector<std::string> StatementSyntax();

// Parses a whole line as one value (used by tests and by `? VALUE`). Throws SyntaxError.
ValueExpr ParseValue(std::string_view text, int line_number = 1);

}  // namespace ov::shell
