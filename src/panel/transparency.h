#pragma once
// See-through drawing for a gpsTransparent panel at run time: the host lets the parent show
// through every pixel of the panel's mask picture that is still in BackColor. The frame and
// the caption differ from BackColor and stay opaque; so do the controls contained in the panel,
// whose rectangles are painted into the mask in a colour BackColor cannot be.
namespace ov {
class PictureBox;
}
namespace ov::host {
class Control;
}

namespace ov::panel {

// Makes the drawing area's current image its persistent picture, builds the mask from it with
// the contained controls' rectangles filled in (white on a black BackColor, black otherwise),
// hands it to the panel with BackColor as the mask colour and a transparent back style, and
// clears the drawing area back to the persistent picture. A contained control whose position
// or size cannot be read is skipped.
void ApplySeeThroughMask(host::Control& panel, PictureBox& area);

}  // namespace ov::panel
