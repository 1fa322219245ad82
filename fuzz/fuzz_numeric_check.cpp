// Numeric masks and texts: no crash, and a text valid under a mask is valid with no mask.
#include <cstdlib>

#include "fuzz_input.h"
#include "maskedit/mask_engine.h"
#include "maskedit/numeric_matcher.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto context = ov::maskedit::MaskContext::At(45444.5);
    std::string_view mask, text;
    SplitInput(data, size, mask, text);
    (void)ov::maskedit::NormaliseNumericText(text);
    const bool valid = ov::maskedit::IsTextValid(text, mask, 1, context).valid;
    if (valid != ov::maskedit::IsPartialTextValid(text, mask, 1, context)) std::abort();
    if (valid && !ov::maskedit::IsTextValid(text, "", 1, context).valid) std::abort();
    return 0;
}
