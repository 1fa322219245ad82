#pragma once
// Forms on disk: a JSON document holding the form's own properties and, per control, its
// class, name, container, position and property bag (docs/forms.md describes the format).
// A FormDocument is the parsed file; BuildForm loads it into a reference host the way a
// running application loads a form, and CaptureForm saves a host's form back into one.
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "host/property_bag.h"
#include "host/reference_host.h"
#include "platform/runtime/variant.h"

namespace ov::forms {

// A form file that cannot be read: missing, not JSON, or not a form. The message says where.
class FormError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
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
    host::PropertyBag properties;  // what ReadProperties receives
    std::vector<FiredEvent> events;  // fired in order once the control is shown
};

struct FormDocument {
    // Set through the form's late-bound interface in this order (Caption, Width, Height,
    // BackColor, ScaleMode, ...).
    std::vector<std::pair<std::string, Variant>> form_properties;
    std::vector<ControlRecord> controls;  // creation order, which is also the z-order
};

// Text <-> document. `base_dir` resolves picture files named relative to the form file.
FormDocument ParseForm(std::string_view json_text, const std::string& base_dir = {});
std::string FormToJsonText(const FormDocument& document);

FormDocument LoadFormFile(const std::string& path);
void SaveFormFile(const std::string& path, const FormDocument& document);

// Applies the form properties, then loads every control in order (ReadProperties from its
// bag, placement, Resize, Show, Paint, then its events). Automation errors of the host (an unknown class, a
// failing form property) propagate as AutomationError.
void BuildForm(host::ReferenceHost& host, const FormDocument& document);

// The host's form as a document: the form's Caption, Width, Height, BackColor and ScaleMode,
// then every control (WriteProperties into its bag) in creation order.
FormDocument CaptureForm(host::ReferenceHost& host);

}  // namespace ov::forms
