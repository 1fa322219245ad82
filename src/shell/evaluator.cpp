#include "shell/evaluator.h"

#include "platform/runtime/automation_error.h"
#include "platform/runtime/dispatch.h"

namespace ov::shell {

namespace {

std::int32_t RgbComponent(const Variant& value) {
    const std::int16_t component = CInt(value);
    if (component < 0) throw AutomationError(error::kInvalidProcedureCall);
    return component > 255 ? 255 : component;
}

}  // namespace

Variant Rgb(const Variant& red, const Variant& green, const Variant& blue) {
    return Variant::FromLong(RgbComponent(red) | (RgbComponent(green) << 8) | (RgbComponent(blue) << 16));
}

IDispatch& RequireObject(const Variant& value) {
    if (!value.IsObject() || !value.object()) throw AutomationError(error::kObjectRequired);
    return *value.object();
}

Variant GetMember(const Variant& object, const std::string& member, std::vector<Variant>& args) {
    IDispatch& target = RequireObject(object);
    const std::int32_t dispid = target.GetIDOfName(member);
    if (dispid == kDispidUnknown) throw AutomationError(error::kObjectDoesntSupport);
    return target.Invoke(dispid, InvokeKind::PropertyGet, args);
}

Variant Evaluate(const ValueExpr& expr, ValueContext& context) {
    switch (expr.kind) {
        case ValueExpr::Kind::Literal: return expr.literal;
        case ValueExpr::Kind::MissingArg: return Variant::Missing();
        case ValueExpr::Kind::ObjectName: return context.ObjectNamed(expr.name);
        case ValueExpr::Kind::Rgb:
            return Rgb(Evaluate(expr.args[0], context), Evaluate(expr.args[1], context),
                       Evaluate(expr.args[2], context));
        case ValueExpr::Kind::LoadPicture: return context.LoadPicture(CStr(Evaluate(expr.args[0], context)));
        case ValueExpr::Kind::Convert: return ConvertTo(Evaluate(expr.args[0], context), expr.convert_to);
        case ValueExpr::Kind::Member: {
            Variant value = Evaluate(expr.args[0], context);
            for (const MemberSegment& member : expr.path) {
                std::vector<Variant> args;
                args.reserve(member.args.size());
                for (const ValueExpr& arg : member.args) args.push_back(Evaluate(arg, context));
                value = GetMember(value, member.name, args);
            }
            return value;
        }
        case ValueExpr::Kind::Font: {
            FontDesc font;
            font.name = CStr(Evaluate(*expr.font.name, context));
            font.size = CDbl(Evaluate(*expr.font.size, context));
            bool* flags[] = {&font.bold, &font.italic, &font.underline, &font.strikethrough};
            for (std::size_t i = 0; i < expr.font.attributes.size(); ++i)
                if (expr.font.attributes[i]) *flags[i] = CBool(Evaluate(*expr.font.attributes[i], context));
            return context.MakeFont(font);
        }
    }
    return Variant();
}

}  // namespace ov::shell
