// Shell script text, one statement per line: every line parses or is a syntax error naming
// that line, with a message of bounded length; nothing else escapes and nothing recurses
// without bound. A whole input read as one value either fails to parse or evaluates, without
// objects or files, to a value or an automation error.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/runtime/automation_error.h"
#include "shell/evaluator.h"
#include "shell/parser.h"

namespace {

class NoObjects : public ov::shell::ValueContext {
public:
    ov::Variant ObjectNamed(const std::string&) override { throw ov::AutomationError(ov::error::kObjectRequired); }
    ov::Variant LoadPicture(const std::string&) override { throw ov::AutomationError(ov::error::kFileNotFound); }
    ov::Variant MakeFont(const ov::FontDesc& font) override { return ov::Variant::FromString(font.name); }
};

// The longest message: a fixed text and two quoted excerpts of at most 43 characters each.
constexpr std::size_t kLongestReport = 200;

void ParseLine(std::string_view line, int number) {
    try {
        (void)ov::shell::ParseStatement(line, number);
    } catch (const ov::shell::SyntaxError& error) {
        if (error.line() != number || error.Report().size() > kLongestReport) std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    int number = 0;
    for (std::size_t start = 0; start <= text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        ParseLine(text.substr(start, end - start), ++number);
        start = end + 1;
    }
    try {
        const ov::shell::ValueExpr value = ov::shell::ParseValue(text);
        NoObjects context;
        (void)ov::shell::Evaluate(value, context);
    } catch (const ov::shell::SyntaxError&) {
    } catch (const ov::AutomationError&) {}
    return 0;
}
