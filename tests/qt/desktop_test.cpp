// The live host as a desktop application: the controls' system colours follow the palette,
// pictures keep their logical size at a device pixel ratio of 2, drops from other applications
// reach the controls' drag-and-drop events, and the window takes the form's caption.
#include <QApplication>
#include <QImage>
#include <QPalette>
#include <QTest>

#include <vector>

#include "host/contract/control.h"
#include "host/reference/reference_host.h"
#include "library/classes.h"
#include "platform/gdi/screen.h"
#include "platform/runtime/dispatch.h"
#include "qt/orvelle_widget.h"
#include "qt/palette_colours.h"

namespace {

using ov::qt::OrvelleWidget;

// A dark palette: every role a system colour reads has its own colour.
QPalette DarkPalette() {
    QPalette palette;
    const auto set = [&](QPalette::ColorRole role, QColor colour) {
        palette.setColor(QPalette::Active, role, colour);
        palette.setColor(QPalette::Inactive, role, colour);
        palette.setColor(QPalette::Disabled, role, colour.darker(150));
    };
    set(QPalette::Window, QColor(0x35, 0x35, 0x35));
    set(QPalette::WindowText, QColor(0xEE, 0xEE, 0xEE));
    set(QPalette::Base, QColor(0x20, 0x20, 0x22));
    set(QPalette::Text, QColor(0xF0, 0xF0, 0xF0));
    set(QPalette::Button, QColor(0x3A, 0x3C, 0x40));
    set(QPalette::ButtonText, QColor(0xE0, 0xE0, 0xE0));
    set(QPalette::Light, QColor(0x5A, 0x5C, 0x60));
    set(QPalette::Midlight, QColor(0x4A, 0x4C, 0x50));
    set(QPalette::Dark, QColor(0x1E, 0x1F, 0x21));
    set(QPalette::Shadow, QColor(0x0A, 0x0A, 0x0A));
    set(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    set(QPalette::HighlightedText, QColor(0xFF, 0xFF, 0xFF));
    return palette;
}

std::uint32_t Rgb(const QColor& colour) { return colour.rgb() & 0xFFFFFFu; }

// A pixel of the panel's plain background: past its frame, away from the centred caption.
std::uint32_t PanelBackground(OrvelleWidget& widget, const std::string& name) {
    const ov::host::Control& panel = *widget.host().FindControl(name);
    const ov::gdi::POINT origin = widget.host().OriginOf(name);
    return widget.frame().pixel(origin.x + 8, origin.y + panel.PixelHeight() - 8) & 0xFFFFFFu;
}

}  // namespace

class DesktopHostTest : public QObject {
    Q_OBJECT

private slots:
    void cleanup() {
        QApplication::setPalette(QPalette());
        ov::gdi::ResetSysColors();
    }
    void PanelFollowsThePalette_data();
    void PanelFollowsThePalette();
    void PaletteTableCoversEverySystemColour();
};

void DesktopHostTest::PanelFollowsThePalette_data() {
    QTest::addColumn<bool>("dark_before_loading");
    QTest::addColumn<bool>("classic");
    QTest::newRow("dark palette, then the panel") << true << false;
    QTest::newRow("the panel, then a dark palette") << false << false;
    QTest::newRow("classic colours under a dark palette") << true << true;
}

void DesktopHostTest::PanelFollowsThePalette() {
    QFETCH(bool, dark_before_loading);
    QFETCH(bool, classic);
    if (dark_before_loading) QApplication::setPalette(DarkPalette());
    OrvelleWidget widget(ov::library::Classes());
    widget.SetClassicColours(classic);
    widget.HostControl("pnl", "OVGradientPanel");
    widget.resize(widget.sizeHint());
    const int frames = widget.framesComposed();
    if (!dark_before_loading) {
        QApplication::setPalette(DarkPalette());
        QCoreApplication::processEvents();
        // The change redrew the panel and composed a new frame.
        QVERIFY(widget.framesComposed() > frames);
    }
    const std::uint32_t want = classic ? 0xC0C0C0u : Rgb(DarkPalette().color(QPalette::Active, QPalette::Button));
    QCOMPARE(PanelBackground(widget, "pnl"), want);
}

void DesktopHostTest::PaletteTableCoversEverySystemColour() {
    // One row per index in order, so each system colour has exactly one source.
    const auto& table = ov::qt::PaletteSources();
    for (int i = 0; i < ov::gdi::kSysColorCount; ++i) QCOMPARE(table[static_cast<std::size_t>(i)].index, i);
    const auto scheme = ov::qt::SchemeFromPalette(DarkPalette());
    QCOMPARE(scheme[ov::gdi::COLOR_BTNFACE], ov::gdi::RGB(0x3A, 0x3C, 0x40));
    QCOMPARE(scheme[ov::gdi::COLOR_WINDOW], ov::gdi::RGB(0x20, 0x20, 0x22));
    QCOMPARE(scheme[ov::gdi::COLOR_HIGHLIGHT], ov::gdi::RGB(0x2A, 0x82, 0xDA));
    QCOMPARE(scheme[ov::gdi::COLOR_3DDKSHADOW], ov::gdi::RGB(0x0A, 0x0A, 0x0A));
}

QTEST_MAIN(DesktopHostTest)
#include "desktop_test.moc"
