#pragma once
// The five enumerations of OVGradientPanel's interface, with the values the type library
// shows. The gradient enumerations (GradType, GradBlendMode) are the renderer's own.
#include <cstdint>

namespace ov::panel {

enum gpAlignment : std::int32_t {
    gpaLeftTop = 0,
    gpaLeftMiddle = 1,
    gpaLeftBottom = 2,
    gpaRightTop = 3,
    gpaRightMiddle = 4,
    gpaRightBottom = 5,
    gpaCenterTop = 6,
    gpaCenterMiddle = 7,
    gpaCenterBottom = 8,
};

enum gpAppearance : std::int32_t {
    gpaNone = 0,
    gpaFlatRaised = 1,
    gpaFlatInset = 2,
    gpa3DRaised = 3,
    gpa3DInset = 4,
    gpaEtched = 5,
    gpaBevelRaised = 6,
    gpaBevelInset = 7,
};

enum gpAutoSize : std::int32_t { gpasNone = 0, gpasPictureToControl = 1, gpasControlToPicture = 2 };

enum gpCaptionStyle : std::int32_t {
    gpcStandard = 0,
    gpcInsetLight = 1,
    gpcInsetHeavy = 2,
    gpcRaisedLight = 3,
    gpcRaisedHeavy = 4,
    gpcDropShadow = 5,
};

enum gpStyle : std::int32_t { gpsStandard = 0, gpsGradient = 1, gpsPicture = 2, gpsTransparent = 3 };

}  // namespace ov::panel
