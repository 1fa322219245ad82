#pragma once
// What assistive technology (a screen reader over AT-SPI, through Qt's accessibility bridge)
// sees of an OrvelleWidget: the widget is the form, its controls are its children — a control
// placed in a panel is the panel's child — and each control has a role, a name and its parts:
//
//   OVTabHead         a page tab list of page tabs, named by their headings; the selected one
//                     is marked selected, and pressing one is a click on its heading
//   OVMaskedTextBox   an editable text with its text, caret and selection (any control with a
//   (any text box)    text box is one); a text marked invalid (red) reads as invalid
//   OVHotLabel        a label whose hot spots are links named by their text; pressing one is a
//                     click on it (HotSpotClick, as the pointer raises it)
//   OVGradientPanel   a grouping named by its caption
//   OVSideLogo        a graphic named by its caption
//   OV3DLine          a separator
//   OVTrayIcon        a button named by its info tip
//
// Pressing a page tab sends the pointer's own events to the widget (a move onto the heading, a
// press and a release there), so it raises exactly what a click raises; pressing a link is the
// label's own press of the hot spot (HotSpotClick), since a hot spot that wraps onto the next
// line is one the pointer cannot hit. The interfaces read the host
// each time they are asked, so they always tell the current state; what changes — the focus,
// a box's text, caret and selection, the selected tab — is announced after each repaint.
namespace ov::qt {

class OrvelleWidget;

// Installs, once for the process, the factory that gives each OrvelleWidget its interface.
void InstallAccessibility();
// Announces what changed for assistive technology since the last call.
void NotifyAccessibility(OrvelleWidget& widget);
// Forgets the interfaces made for the widget's controls; called as the widget goes.
void ReleaseAccessibility(OrvelleWidget& widget);

}  // namespace ov::qt
