// Qt Designer .ui files: any input converts to a form file or is refused with a FormError
// (malformed XML and wrong shapes 321, a widget of no control's class 429, an overflow 6),
// never with another exception; what converts is a form file that reads back. Inputs that name
// a picture or resource file are left out (reading invented paths is the picture loaders'
// business and their fuzz targets').
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "forms/form_document.h"
#include "platform/runtime/automation_error.h"
#include "uiform/ui_form.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (text.find("pixmap") != std::string_view::npos || text.find("qrc") != std::string_view::npos) return 0;
    std::string form;
    try {
        form = ov::uiform::UiToFormJson(text, "/nonexistent-ui-dir");
    } catch (const ov::forms::FormError& error) {
        const int number = error.number();
        if (number != ov::error::kInvalidFileFormat && number != ov::error::kCannotCreateObject &&
            number != ov::error::kOverflow)
            std::abort();
        return 0;
    }
    // What ui2form writes is a form file as the library writes one.
    if (ov::forms::FormToJsonText(ov::forms::ParseForm(form)) != form) std::abort();
    return 0;
}
