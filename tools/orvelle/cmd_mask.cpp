// `orvelle mask`: tries a mask against texts the way the masked text box judges them, for form
// designers choosing a mask and for checking the mask engine from outside. Texts are quoted as
// the shell quotes strings. Arguments and output are UTF-8; the engine sees Windows-1252, so
// "café" is four characters to it.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "maskedit/date_matcher.h"
#include "maskedit/mask_engine.h"
#include "platform/codepage/windows1252.h"
#include "platform/runtime/clock.h"
#include "platform/runtime/dates.h"
#include "shell/printer.h"

namespace {

const char* TrueFalse(bool value) { return value ? "True" : "False"; }

int Usage() {
    std::fprintf(stderr,
                 "usage: orvelle mask [--now \"YYYY-MM-DD HH:MM:SS\"] FORMAT MASK [TEXT ...]\n"
                 "FORMAT: 0 text pattern, 1 numeric, 2 date\n");
    return 2;
}

int RunMask(const std::vector<std::string>& args) {
    std::size_t i = 0;
    std::optional<double> now;
    if (i < args.size() && args[i] == "--now") {
        if (i + 1 >= args.size()) return Usage();
        now = ov::ParseIsoDateText(args[i + 1]);
        if (!now) {
            std::fprintf(stderr, "orvelle mask: --now wants \"YYYY-MM-DD HH:MM:SS\", got '%s'\n", args[i + 1].c_str());
            return 2;
        }
        i += 2;
    }
    if (args.size() < i + 2) return Usage();
    const std::string& format_text = args[i];
    if (format_text.size() != 1 || format_text[0] < '0' || format_text[0] > '2') {
        std::fprintf(stderr, "orvelle mask: FORMAT must be 0, 1 or 2, got '%s'\n", format_text.c_str());
        return 2;
    }
    const int format = format_text[0] - '0';
    const std::string mask = ov::codepage::Utf8ToWindows1252(args[i + 1]);
    if (now) ov::SetFixedNow(now);
    const auto context = ov::maskedit::MaskContext::Current();

    std::printf("mask %s\n", ov::maskedit::IsMaskValid(mask, format, context) ? "valid" : "invalid");
    for (std::size_t k = i + 2; k < args.size(); ++k) {
        const std::string text = ov::codepage::Utf8ToWindows1252(args[k]);
        const bool valid = ov::maskedit::IsTextValid(text, mask, format, context).valid;
        const bool partial = ov::maskedit::IsPartialTextValid(text, mask, format, context);
        std::printf("%s valid=%s partial=%s", ov::codepage::Windows1252ToUtf8(ov::shell::QuoteString(text)).c_str(),
                    TrueFalse(valid), TrueFalse(partial));
        if (format == 2) {
            const double date = ov::maskedit::ParseMaskedDate(text, mask, context).date;
            std::printf(" date=#%s#", ov::DateToIsoText(date).c_str());
        }
        std::printf("\n");
    }
    return 0;
}

const ov::cli::CommandRegistration kMask({
    "mask",
    "orvelle mask [--now \"YYYY-MM-DD HH:MM:SS\"] FORMAT MASK [TEXT...]",
    "check texts against a masked-text-box mask (FORMAT 0 text, 1 numeric, 2 date)",
    RunMask,
});

}  // namespace
