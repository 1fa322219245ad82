// Pattern masks and texts: no crash, and the partial check agrees with the whole-text check
// once the text reaches past the mask's tokens.
#include <cstdlib>

#include "fuzz_input.h"
#include "maskedit/mask_engine.h"
#include "maskedit/pattern_matcher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto context = ov::maskedit::MaskContext::At(45444.5);
    std::string_view mask, text;
    SplitInput(data, size, mask, text);
    const bool mask_valid = ov::maskedit::IsMaskValid(mask, 0, context);
    const bool valid = ov::maskedit::IsTextValid(text, mask, 0, context).valid;
    const bool partial = ov::maskedit::IsPartialTextValid(text, mask, 0, context);
    if (valid && !mask_valid) std::abort();
    if (!text.empty() && ov::maskedit::PartialPatternLength(text, mask) == mask.size() && partial != valid)
        std::abort();
    return 0;
}
