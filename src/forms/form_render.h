#pragma once
// `orvelle render`: a form file loaded into a fresh reference host, shown, and composed into
// one image.
#include <string>
#include <vector>

#include "forms/form_document.h"
#include "host/reference/class_registry.h"

namespace ov::forms {

struct RenderOptions {
    bool design_mode = false;  // ambient UserMode False, as a form designer shows the form
};

// Builds the form on a new host (every control through ReadProperties, placement, Resize,
// Show and Paint) and writes the composed form as PNG. Returns what failed on the way without
// stopping the build (form properties, keys the controls skipped), in the order it happened;
// the image shows the form as it was built. Throws FormError when the image cannot be written
// and AutomationError when the host rejects the form.
std::vector<LoadProblem> RenderForm(const FormDocument& document, const host::ClassRegistry& registry,
                                    const RenderOptions& options, const std::string& png_path);

}  // namespace ov::forms
