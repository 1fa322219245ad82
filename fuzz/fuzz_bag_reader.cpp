// Property bag files: any input loads or is refused as "Invalid file format" (321), never with
// another exception; a bag that loads saves, and what it saves loads back and saves again to
// the same text.
#include <cstdlib>
#include <string>

#include "host/contract/property_bag.h"
#include "host/reference/bag_file.h"
#include "json_file_input.h"
#include "platform/runtime/automation_error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text = InputText(data, size);
    if (NamesAFile(text)) return 0;
    ov::host::PropertyBag bag;
    try {
        bag = ov::host::BagFromJsonText(text);
    } catch (const ov::AutomationError& error) {
        if (error.number() != ov::error::kInvalidFileFormat) std::abort();
        return 0;
    }
    const std::string saved = BagToJsonText(bag);
    const ov::host::PropertyBag again = ov::host::BagFromJsonText(saved);
    if (!again.unreadable().empty() || again.entries().size() != bag.entries().size()) std::abort();
    if (BagToJsonText(again) != saved) std::abort();
    return 0;
}
