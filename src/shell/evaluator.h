#pragma once
// Evaluation of value expressions. Literals, RGB and the explicit conversions need nothing
// from outside; object names, pictures and fonts are resolved through a ValueContext so the
// evaluator stays independent of the host; member paths call the objects late-bound.
#include <string>
#include <vector>

#include "platform/picture/std_font.h"
#include "platform/runtime/variant.h"
#include "shell/syntax.h"

namespace ov::shell {

class ValueContext {
public:
    virtual ~ValueContext() = default;
    // The object created under `name` earlier in the script; throws AutomationError when none.
    virtual Variant ObjectNamed(const std::string& name) = 0;
    // A picture object loaded from a file; throws AutomationError (53, 481) when it cannot be.
    virtual Variant LoadPicture(const std::string& path) = 0;
    virtual Variant MakeFont(const FontDesc& font) = 0;
};

// Throws AutomationError for a failing conversion (6, 13), an RGB component below zero (5)
// and whatever the context throws.
Variant Evaluate(const ValueExpr& expr, ValueContext& context);

// The object a value holds; "Object required" (424) for anything else, Nothing included.
IDispatch& RequireObject(const Variant& value);
// OBJECT.MEMBER(ARGS) read as a value: the member's get (a method's call); 424 when `object`
// is no object, 438 when it has no such member, and whatever the member raises.
Variant GetMember(const Variant& object, const std::string& member, std::vector<Variant>& args);

// RGB(r, g, b) as the language computes it: each component taken as an Integer, values above
// 255 taken as 255, a negative one fails with 5; the result is the Long 0x00BBGGRR.
Variant Rgb(const Variant& red, const Variant& green, const Variant& blue);

}  // namespace ov::shell
