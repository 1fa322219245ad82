// `orvelle form2ui FORM.json -o FORM.ui` and `orvelle ui2form FORM.ui -o FORM.json`: forms moving
// between the form files and Qt Designer. Exit status 0 when converted, 1 when the input could
// not be read or converted (one line on standard error), 2 for a usage error.
#include <iostream>

#include "command.h"
#include "forms/form_document.h"
#include "platform/codepage/windows1252.h"
#include "uiform/ui_form.h"

namespace {

using Converter = void (*)(const std::string& from, const std::string& to);

int RunConversion(const char* name, const char* usage, Converter convert, const std::vector<std::string>& args) {
    std::string in_path, out_path;
    bool usage_error = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" && i + 1 < args.size() && out_path.empty()) out_path = args[++i];
        else if (in_path.empty() && !args[i].empty() && args[i][0] != '-') in_path = args[i];
        else usage_error = true;
    }
    if (usage_error || in_path.empty() || out_path.empty()) {
        std::cerr << "usage: " << usage << "\n";
        return 2;
    }
    try {
        convert(in_path, out_path);
    } catch (const ov::forms::FormError& error) {
        std::cerr << "orvelle " << name << ": " << ov::codepage::Windows1252ToUtf8(error.what()) << " (error "
                  << error.number() << ")\n";
        return 1;
    }
    return 0;
}

std::string ConversionDetails() {
    return "A control is a widget of class ov::qt::CLASS named as the control, inside the widget of its\n"
           "container, placed at 15 twips per pixel; each persisted property is the .ui property of its\n"
           "member. What a .ui cannot hold exactly (system colours, fractional font sizes, places between\n"
           "pixels, a plain control's bag) travels in the dynamic property orvelleValues, and counts while\n"
           "the .ui still holds the value it was written with. form2ui writes embedded pictures as files\n"
           "into FORM_pictures/ beside FORM.ui; ui2form embeds the pictures the .ui names (files or .qrc\n"
           "resources). docs/forms.md gives the rules.\n";
}

ov::cli::Command ConversionCommand(const char* name, const char* usage, const char* summary, Converter convert) {
    return {name, usage, summary,
            [=](const std::vector<std::string>& args) { return RunConversion(name, usage, convert, args); },
            ConversionDetails};
}

const ov::cli::CommandRegistration kForm2Ui(ConversionCommand(
    "form2ui", "orvelle form2ui FORM.json -o FORM.ui",
    "convert a form file to a Qt Designer .ui file (embedded pictures as files beside it)", ov::uiform::ConvertFormToUi));

const ov::cli::CommandRegistration kUi2Form(ConversionCommand(
    "ui2form", "orvelle ui2form FORM.ui -o FORM.json", "convert a Qt Designer .ui file of Orvelle widgets to a form file",
    ov::uiform::ConvertUiToForm));

}  // namespace
