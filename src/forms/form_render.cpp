#include "forms/form_render.h"

#include "host/reference/reference_host.h"
#include "platform/codepage/windows1252.h"

namespace ov::forms {

std::vector<LoadProblem> RenderForm(const FormDocument& document, const host::ClassRegistry& registry,
                                    const RenderOptions& options, const std::string& png_path) {
    host::ReferenceHost host(registry);
    std::vector<LoadProblem> skipped_keys;
    host::HostListener listener;
    listener.on_lifecycle_error = [&](const std::string& object, const std::string& step, const std::string& key,
                                      const AutomationError& error) {
        skipped_keys.push_back({host::LifecyclePlace(object, step, key), error});
    };
    host.SetListener(std::move(listener));
    // The ambient value is read while the controls initialise, so it is set before the first one.
    host.SetUserMode(!options.design_mode);
    std::vector<LoadProblem> problems = BuildForm(host, document);
    problems.insert(problems.end(), skipped_keys.begin(), skipped_keys.end());
    if (!host.Snap("form", png_path))
        throw FormError(codepage::Utf8ToWindows1252(png_path) + ": cannot write the image",
                        error::kPathFileAccessError);
    return problems;
}

}  // namespace ov::forms
