// `orvelle render FORM -o OUT.png [--design]`: loads a form file, shows it on a reference host
// and writes the composed image.
#include <iostream>

#include "command.h"
#include "forms/form_document.h"
#include "forms/form_render.h"
#include "library/classes.h"
#include "platform/runtime/automation_error.h"

namespace {

int RunRender(const std::vector<std::string>& args) {
    std::string form_path, out_path;
    ov::forms::RenderOptions options;
    bool usage_error = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size()) out_path = args[++i];
        else if (args[i] == "--design") options.design_mode = true;
        else if (form_path.empty() && !args[i].empty() && args[i][0] != '-') form_path = args[i];
        else usage_error = true;
    }
    if (usage_error || form_path.empty() || out_path.empty()) {
        std::cerr << "usage: orvelle render FORM -o OUT.png [--design]\n";
        return 2;
    }
    try {
        ov::forms::RenderForm(ov::forms::LoadFormFile(form_path), ov::library::Classes(), options, out_path);
    } catch (const ov::forms::FormError& error) {
        std::cerr << "orvelle render: " << error.what() << "\n";
        return 1;
    } catch (const ov::AutomationError& error) {
        std::cerr << "orvelle render: " << form_path << ": error " << error.number() << ": " << error.description()
                  << "\n";
        return 1;
    }
    return 0;
}

const ov::cli::CommandRegistration kRender({
    "render",
    "orvelle render FORM -o OUT.png [--design]",
    "load a form file, show it and write the composed image as PNG",
    RunRender,
});

}  // namespace
