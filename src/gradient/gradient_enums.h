#pragma once
// The two enumerations of the gradient renderer's interface.
#include <cstdint>

namespace ov::gradient {

enum GradType : std::int32_t { gtNormal = 0, gtElliptical = 1, gtRectangular = 2 };
enum GradBlendMode : std::int32_t { gbmRGB = 0, gbmHSL = 1 };

}  // namespace ov::gradient
