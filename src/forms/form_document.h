#pragma once
// Forms on disk: a JSON document holding the form's own properties and, per control, its
// class, name, container, position and property bag (docs/forms.md describes the format).
// A FormDocument is the parsed file; BuildForm loads it into a reference host the way a
// running application loads a form, and CaptureForm saves a host's form back into one.
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/contract/property_bag.h"
#include "host/reference/reference_host.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov::forms {

// A form file that cannot be read or written: missing, not JSON, not a form, or a field of the
// wrong shape. The message says where ("controls[2].properties[0].value: must be a number");
// the number is the runtime's: "Invalid file format" (321) for what the file holds, 6 for a
// format version beyond the range of a Long, 53 and 75 for a file that cannot be opened or
// written. The message is library text (Windows-1252), file names included.
class FormError : public std::runtime_error {
public:
    explicit FormError(const std::string& message, std::int32_t number = error::kInvalidFileFormat)
        : std::runtime_error(message), number_(number) {}
    std::int32_t number() const { return number_; }

private:
    std::int32_t number_;
};

// Something that failed while a form was built without stopping it: a form property that could
// not be read or set ("form.ScaleMode"), a key a control's lifecycle handler skipped
// ("swA.ReadProperties.Shade").
struct LoadProblem {
    std::string place;
    AutomationError error;
};

// An event delivered to a control once it is loaded, as the user's pointer or keyboard would:
// on its surface ("surface") or a constituent ("picMain", "lblTabItem(2)"), with its arguments.
struct FiredEvent {
    std::string target;
    std::string event;
    std::vector<Variant> args;
};

struct ControlRecord {
    std::string name;
    std::string class_name;
    std::string container;  // empty: the form itself; otherwise an earlier control's name
    double left = 0;        // twips, in the container's coordinates
    double top = 0;
    std::optional<double> width;  // absent: the class's default extent
    std::optional<double> height;
    host::PropertyBag properties;    // what ReadProperties receives
    std::vector<FiredEvent> events;  // fired in order once the control is shown
};

struct FormDocument {
    // Set through the form's late-bound interface in this order (Caption, Width, Height,
    // BackColor, ScaleMode, ...).
    host::PropertyBag form_properties;
    std::vector<ControlRecord> controls;  // creation order, which is also the z-order
};

// Text <-> document. `base_dir` resolves picture files named relative to the form file.
FormDocument ParseForm(std::string_view json_text, const std::string& base_dir = {});
std::string FormToJsonText(const FormDocument& document);

FormDocument LoadFormFile(const std::string& path);
void SaveFormFile(const std::string& path, const FormDocument& document);

// Applies the form properties, then loads every control in order (ReadProperties from its
// bag, placement, Resize, Show, Paint, then its events). A form property that cannot be read or
// set is skipped and returned as a problem, as the host goes on past it; keys the controls skip
// reach the host's listener. Automation errors that stop a control from being placed (an
// unknown class or container, an invalid extent) propagate as AutomationError.
std::vector<LoadProblem> BuildForm(host::ReferenceHost& host, const FormDocument& document);

// The host's form as a document: the form's Caption, Width, Height, BackColor and ScaleMode,
// then every control (WriteProperties into its bag) in creation order.
FormDocument CaptureForm(host::ReferenceHost& host);

}  // namespace ov::forms
