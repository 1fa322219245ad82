#include "forms/form_render.h"

#include "host/reference_host.h"

namespace ov::forms {

void RenderForm(const FormDocument& document, const host::ClassRegistry& registry, const RenderOptions& options,
                const std::string& png_path) {
    host::ReferenceHost host(registry);
    // The ambient value is read while the controls initialise, so it is set before the first one.
    host.SetUserMode(!options.design_mode);
    BuildForm(host, document);
    if (!host.Snap("form", png_path)) throw FormError(png_path + ": cannot write the image");
}

}  // namespace ov::forms
