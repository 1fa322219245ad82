// Date masks and texts: no crash or hang; a date produced is a real one, and a text that broke
// a rule never produces a date.
#include <cstdlib>

#include "fuzz_input.h"
#include "maskedit/date_matcher.h"
#include "maskedit/mask_engine.h"
#include "platform/runtime/dates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto context = ov::maskedit::MaskContext::At(45444.5);
    std::string_view mask, text;
    SplitInput(data, size, mask, text);
    const auto parsed = ov::maskedit::ParseMaskedDate(text, mask, context);
    if (!parsed.acceptable && parsed.date != 0) std::abort();
    if (parsed.date != 0 && (parsed.date < ov::kMinDateSerial || parsed.date > ov::kMaxDateSerial)) std::abort();
    (void)ov::maskedit::IsMaskValid(mask, 2, context);
    (void)ov::maskedit::IsPartialTextValid(text, mask, 2, context);
    return 0;
}
