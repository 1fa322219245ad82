#include "gradient/gradient_object.h"

#include "platform/runtime/automation_error.h"
#include "platform/runtime/variant.h"

namespace ov::gradient {
namespace {}  // namespace

const ClassInfo& GradientObject::StaticInfo() {
    static const ClassInfo info = [] {
        using G = GradientObject;
        const TypeDesc long_type = TypeDesc::Of(VarType::Long);
        const TypeDesc double_type = TypeDesc::Of(VarType::Double);
        auto long_property = [](std::int32_t (clsGradient::*get)() const, void (clsGradient::*set)(std::int32_t)) {
            return std::pair{std::function<Variant(G&, std::vector<Variant>&)>([get](G& o, std::vector<Variant>&) {
                                 return Variant::FromLong((o.gradient().*get)());
                             }),
                             std::function<void(G&, std::vector<Variant>&, Variant&)>(
                                 [set](G& o, std::vector<Variant>&, Variant& v) { (o.gradient().*set)(CLng(v)); })};
        };
        auto double_property = [](double (clsGradient::*get)() const, void (clsGradient::*set)(double)) {
            return std::pair{std::function<Variant(G&, std::vector<Variant>&)>([get](G& o, std::vector<Variant>&) {
                                 return Variant::FromDouble((o.gradient().*get)());
                             }),
                             std::function<void(G&, std::vector<Variant>&, Variant&)>(
                                 [set](G& o, std::vector<Variant>&, Variant& v) { (o.gradient().*set)(CDbl(v)); })};
        };
        const auto color1 = long_property(&clsGradient::Color1, &clsGradient::SetColor1);
        const auto color2 = long_property(&clsGradient::Color2, &clsGradient::SetColor2);
        const auto angle = double_property(&clsGradient::Angle, &clsGradient::SetAngle);
        const auto repetitions = double_property(&clsGradient::Repetitions, &clsGradient::SetRepetitions);
        const auto type = long_property(&clsGradient::GradientType, &clsGradient::SetGradientType);
        const auto blend = long_property(&clsGradient::BlendMode, &clsGradient::SetBlendMode);

        // What a new renderer starts with, read from one.
        const clsGradient fresh;
        return ClassBuilder<G>(kGradientClassName, /*is_control=*/false)
            .ClassHelp("Gradient renderer: linear, elliptical and rectangular gradients in RGB or HSL")
            .Method(
                "Draw", 1, {Ref("picObj", TypeDesc::Object("Object"))},
                [](G& o, std::vector<Variant>& args) {
                    const std::shared_ptr<IDispatch> surface = CObj(args[0]);
                    if (!surface) throw AutomationError(error::kObjectNotSet);
                    return Variant::FromBoolean(o.gradient().Draw(*surface));
                },
                TypeDesc::Of(VarType::Boolean))
            .Help("Draws the gradient on a picture surface exposing hWnd and hDC")
            .PropertyEx("Color1", 2, long_type, {}, color1.first, color1.second)
            .Help("Start colour")
            .Initially(Variant::FromLong(fresh.Color1()))
            .PropertyEx("Color2", 3, long_type, {}, color2.first, color2.second)
            .Help("End colour")
            .Initially(Variant::FromLong(fresh.Color2()))
            .PropertyEx("Angle", 4, double_type, {}, angle.first, angle.second)
            .Help("Direction in whole degrees (0 = towards the right, 90 = upwards)")
            .Initially(Variant::FromDouble(fresh.Angle()))
            .PropertyEx("Repetitions", 5, double_type, {}, repetitions.first, repetitions.second)
            .Help("Number of colour runs")
            .Initially(Variant::FromDouble(fresh.Repetitions()))
            .PropertyEx("GradientType", 6, TypeDesc::Enum("GradType"), {}, type.first, type.second)
            .Help("Shape: linear, elliptical or rectangular")
            .Initially(Variant::FromLong(fresh.GradientType()))
            .PropertyEx("BlendMode", 7, TypeDesc::Enum("GradBlendMode"), {}, blend.first, blend.second)
            .Help("Interpolation space: RGB or HSL")
            .Initially(Variant::FromLong(fresh.BlendMode()))
            .Method(
                "HUEtoRGB", 8, {Ref("FA", double_type), Ref("FB", double_type), In("H", double_type)},
                [](G& o, std::vector<Variant>& args) {
                    const double fa = CDbl(args[0]), fb = CDbl(args[1]);
                    return Variant::FromLong(o.gradient().HUEtoRGB(fa, fb, CDbl(args[2])));
                },
                long_type)
            .Help("One colour channel (0..255) for a hue on the 0..255 circle")
            .Enum("GradType",
                  {{"gtNormal", gtNormal}, {"gtElliptical", gtElliptical}, {"gtRectangular", gtRectangular}})
            .Enum("GradBlendMode", {{"gbmRGB", gbmRGB}, {"gbmHSL", gbmHSL}})
            .Build();
    }();
    return info;
}

}  // namespace ov::gradient
