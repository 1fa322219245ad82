// `orvelle render FORM -o OUT.png [--design]`: loads a form file, shows it on a reference host
// and writes the composed image. Exit status 0 when everything loaded, 1 when the form could not
// be rendered or when some properties failed to load (the image is written, each failure is one
// line on standard error), 2 for a usage error.
#include <iostream>

#include "command.h"
#include "form_messages.h"
#include "forms/form_document.h"
#include "forms/form_render.h"
#include "library/classes.h"
#include "platform/codepage/windows1252.h"
#include "platform/runtime/automation_error.h"

namespace {

// Messages carry library text (control names, keys) in Windows-1252.
std::string Utf8(std::string_view text) { return ov::codepage::Windows1252ToUtf8(text); }

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
    std::vector<ov::forms::LoadProblem> problems;
    try {
        problems = ov::forms::RenderForm(ov::forms::LoadFormFile(form_path), ov::library::Classes(), options, out_path);
    } catch (const ov::forms::FormError& error) {
        std::cerr << "orvelle render: " << Utf8(error.what()) << " (error " << error.number() << ")\n";
        return 1;
    } catch (const ov::AutomationError& error) {
        std::cerr << "orvelle render: " << form_path << ": error " << error.number() << ": "
                  << Utf8(error.description()) << "\n";
        return 1;
    }
    ov::cli::PrintLoadProblems(std::cerr, "render", form_path, problems);
    return problems.empty() ? 0 : 1;
}

const ov::cli::CommandRegistration kRender({
    "render",
    "orvelle render FORM -o OUT.png [--design]",
    "load a form file, show it and write the composed image as PNG",
    RunRender,
});

}  // namespace
