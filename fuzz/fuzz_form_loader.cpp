// Form files: any input parses or is refused with a FormError (321, or 6 for a version beyond a
// Long), never with another exception; a form that parses saves, and what it saves parses back
// and saves again to the same text.
#include <cstdlib>
#include <string>

#include "forms/form_document.h"
#include "json_file_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = InputText(data, size);
    if (NamesAFile(text)) return 0;
    ov::forms::FormDocument document;
    try {
        document = ov::forms::ParseForm(text);
    } catch (const ov::forms::FormError& error) {
        if (error.number() != ov::error::kInvalidFileFormat && error.number() != ov::error::kOverflow) std::abort();
        return 0;
    }
    const std::string saved = ov::forms::FormToJsonText(document);
    const ov::forms::FormDocument again = ov::forms::ParseForm(saved);
    if (again.controls.size() != document.controls.size()) std::abort();
    if (ov::forms::FormToJsonText(again) != saved) std::abort();
    return 0;
}
