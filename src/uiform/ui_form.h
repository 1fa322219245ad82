#pragma once
// Forms moving between Qt Designer's .ui files and the form files (docs/forms.md), without Qt.
//
// A control becomes a widget of class ov::qt::<Class> named as the control, inside the widget of
// its container; its place and size are its geometry at 15 twips per pixel; each persisted
// property is a <property> named as its member, holding the value as Qt's .ui format writes that
// type (an enumeration as <enum>ov::qt::Class::key</enum>, a colour as <color>, a font as
// <font>, a picture as a <pixmap> file). What a .ui property cannot hold exactly (a system
// colour, a font size between whole points, a place between pixels, a key without a member, a
// plain host control's whole bag, a form's scale mode) travels beside it in the dynamic
// property "orvelleValues" (the exact entries as JSON); on the way back an exact entry counts
// only while the .ui still holds the value it was written with, so what was changed in Designer
// wins. A control's events travel in "orvelleEvents"; a class without a widget (Box,
// PictureBox) is a QWidget with "orvelleClass".
#include <string>
#include <string_view>

#include "forms/form_document.h"

namespace ov::uiform {

// The .ui text of a form file's JSON text. Embedded pictures are written as files into
// `picture_dir` (created when needed) and referenced as `picture_prefix` + the file name,
// the path relative to the .ui file. Throws forms::FormError.
std::string FormJsonToUi(std::string_view form_json, const std::string& picture_dir, const std::string& picture_prefix);

// The form file's JSON text of a .ui text; `base_dir` resolves picture files and resource files
// (.qrc) named relative to the .ui file. Throws forms::FormError naming the widget and property.
std::string UiToFormJson(std::string_view ui_text, const std::string& base_dir);

// The files: FORM.json -> FORM.ui (pictures into FORM.ui's folder, in "<FORM>_pictures/"), and
// back. Throw forms::FormError.
void ConvertFormToUi(const std::string& form_path, const std::string& ui_path);
void ConvertUiToForm(const std::string& ui_path, const std::string& form_path);

}  // namespace ov::uiform
