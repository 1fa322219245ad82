// The live host as a desktop application: the controls' system colours follow the palette,
// pictures keep their logical size at a device pixel ratio of 2, drops from other applications
// reach the controls' drag-and-drop events, and the window takes the form's caption.
#include <QApplication>
#include <QDropEvent>
#include <QImage>
#include <QMimeData>
#include <QPalette>
#include <QTest>
#include <QUrl>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "forms/form_document.h"
#include "host/contract/control.h"
#include "host/contract/text_box.h"
#include "host/reference/reference_host.h"
#include "library/classes.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/screen.h"
#include "platform/picture/picture.h"
#include "platform/runtime/dispatch.h"
#include "qt/orvelle_widget.h"
#include "qt/palette_colours.h"

namespace {

using ov::qt::OrvelleWidget;

// A dark palette: every role a system colour reads has its own colour.
QPalette DarkPalette() {
    static const struct {
        QPalette::ColorRole role;
        QRgb colour;
    } roles[] = {
        {QPalette::Window, 0x353535},     {QPalette::WindowText, 0xEEEEEE}, {QPalette::Base, 0x202022},
        {QPalette::Text, 0xF0F0F0},       {QPalette::Button, 0x3A3C40},     {QPalette::ButtonText, 0xE0E0E0},
        {QPalette::Light, 0x5A5C60},      {QPalette::Midlight, 0x4A4C50},   {QPalette::Dark, 0x1E1F21},
        {QPalette::Shadow, 0x0A0A0A},     {QPalette::Highlight, 0x2A82DA},  {QPalette::HighlightedText, 0xFFFFFF},
    };
    QPalette palette;
    for (const auto& r : roles) {
        palette.setColor(QPalette::Active, r.role, QColor(r.colour));
        palette.setColor(QPalette::Inactive, r.role, QColor(r.colour));
        palette.setColor(QPalette::Disabled, r.role, QColor(r.colour).darker(150));
    }
    return palette;
}

std::uint32_t Rgb(const QColor& colour) { return colour.rgb() & 0xFFFFFFu; }

// A pixel of the panel's plain background: past its frame, away from the centred caption.
std::uint32_t PanelBackground(OrvelleWidget& widget, const std::string& name) {
    const ov::host::Control& panel = *widget.host().FindControl(name);
    const ov::gdi::POINT origin = widget.host().OriginOf(name);
    return widget.frame().pixel(origin.x + 8, origin.y + panel.PixelHeight() - 8) & 0xFFFFFFu;
}

ov::Variant Call(ov::IDispatch& object, const char* method, std::int16_t format) {
    std::vector<ov::Variant> args{ov::Variant::FromInteger(format)};
    return ov::CallMethod(object, method, args);
}

// One drag-and-drop event as a handler saw it, with what it read from the data.
struct DragEvent {
    QString object, event;
    int state = -1;  // OLEDragOver only
    float x = 0, y = 0;
    std::int32_t effect = 0;
    std::string text;
    bool has_files = false;
    std::string first_file;
    std::shared_ptr<ov::IDispatch> data;
};

// Records the drag events and answers each with `answer` in Effect.
struct DragLog {
    std::vector<DragEvent> events;
    DragLog(OrvelleWidget& widget, std::int32_t answer) {
        QObject::connect(&widget, &OrvelleWidget::controlEvent,
                         [this, answer](const QString& object, const QString& event, ov::qt::EventArguments& args) {
                             if (!event.startsWith("OLEDrag")) return;
                             const std::vector<ov::Variant>& v = args.values();
                             DragEvent e;
                             e.object = object;
                             e.event = event;
                             e.data = ov::CObj(v[0]);
                             e.effect = ov::CLng(v[1]);
                             e.x = ov::CSng(v[4]);
                             e.y = ov::CSng(v[5]);
                             if (event == "OLEDragOver") e.state = ov::CInt(v[6]);
                             if (ov::CBool(Call(*e.data, "GetFormat", 1)))
                                 e.text = ov::CStr(Call(*e.data, "GetData", 1));
                             e.has_files =
                                 ov::CBool(Call(*e.data, "GetFormat", 15));
                             if (e.has_files) {
                                 const auto files = ov::CObj(ov::GetProperty(*e.data, "Files"));
                                 e.first_file =
                                     ov::CStr(ov::GetProperty(*files, "Item", {ov::Variant::FromLong(1)}));
                             }
                             events.push_back(e);
                             if (e.state != 1) QVERIFY(args.setValue("Effect", answer));
                         });
    }
};

// The mean difference (0..255 a channel) of each control of a form between an image composed
// at `tpp` twips per pixel and one composed at 15: the first is averaged down onto the
// second's pixels, and each pixel counts the difference to the closest colour within two
// pixels around it. Text rasterised at another size (glyphs and baselines a pixel or two
// apart) and frames kept one device pixel wide leave little; a picture drawn at the wrong
// size leaves much.
struct ControlDifference {
    std::string name;
    double mean;
};

std::vector<ControlDifference> DifferencesAtRatio(const ov::host::ComposedImage& scaled, int tpp,
                                                  const ov::host::ComposedImage& base,
                                                  const ov::host::ReferenceHost& logical) {
    // The scaled image averaged onto the base's pixels: the scaled pixels whose centres fall
    // inside each base pixel.
    struct Rgb3 {
        double c[3] = {-1000, -1000, -1000};  // no scaled pixel: matches nothing
    };
    std::vector<Rgb3> averaged(static_cast<std::size_t>(base.width) * base.height);
    for (int y = 0; y < base.height; ++y)
        for (int x = 0; x < base.width; ++x) {
            double sum[3] = {0, 0, 0};
            int n = 0;
            for (int sy = (y * 15 + tpp / 2) / tpp; (sy + 0.5) * tpp < (y + 1) * 15.0 && sy < scaled.height; ++sy)
                for (int sx = (x * 15 + tpp / 2) / tpp; (sx + 0.5) * tpp < (x + 1) * 15.0 && sx < scaled.width; ++sx) {
                    const std::uint32_t p = scaled.pixels[static_cast<std::size_t>(sy) * scaled.width + sx];
                    for (int c = 0; c < 3; ++c) sum[c] += (p >> (16 - 8 * c)) & 0xFF;
                    ++n;
                }
            if (n == 0) continue;
            for (int c = 0; c < 3; ++c) averaged[static_cast<std::size_t>(y) * base.width + x].c[c] = sum[c] / n;
        }
    constexpr int kReach = 2;
    std::vector<ControlDifference> out;
    for (const std::string& name : logical.Names()) {
        const ov::host::Control* control = logical.FindControl(name);
        if (!control) continue;
        const ov::gdi::POINT origin = logical.OriginOf(name);
        double total = 0;
        std::int64_t count = 0;
        for (int y = std::max(0, origin.y); y < std::min(base.height, origin.y + control->PixelHeight()); ++y)
            for (int x = std::max(0, origin.x); x < std::min(base.width, origin.x + control->PixelWidth()); ++x) {
                const std::uint32_t b = base.pixels[static_cast<std::size_t>(y) * base.width + x];
                double best = 255;
                for (int ny = std::max(0, y - kReach); ny <= std::min(base.height - 1, y + kReach); ++ny)
                    for (int nx = std::max(0, x - kReach); nx <= std::min(base.width - 1, x + kReach); ++nx) {
                        const Rgb3& a = averaged[static_cast<std::size_t>(ny) * base.width + nx];
                        double d = 0;
                        for (int c = 0; c < 3; ++c) d += std::abs(a.c[c] - ((b >> (16 - 8 * c)) & 0xFF)) / 3;
                        best = std::min(best, d);
                    }
                total += best;
                ++count;
            }
        out.push_back({name, count ? total / count : 0});
    }
    return out;
}

double DifferenceOf(const std::vector<ControlDifference>& differences, const std::string& name) {
    for (const ControlDifference& d : differences)
        if (d.name == name) return d.mean;
    return -1;
}

// The bounding box of the pixels of `colour` in the frame.
QRect AreaOf(const QImage& frame, QRgb colour) {
    QRect box;
    for (int y = 0; y < frame.height(); ++y)
        for (int x = 0; x < frame.width(); ++x)
            if ((frame.pixel(x, y) & 0xFFFFFFu) == (colour & 0xFFFFFFu)) box |= QRect(x, y, 1, 1);
    return box;
}

// A widget whose drags out are answered here instead of by the window system.
class DragAnsweringWidget : public OrvelleWidget {
public:
    using OrvelleWidget::OrvelleWidget;
    Qt::DropAction answer = Qt::MoveAction;
    QString dragged_text;
    Qt::DropActions offered;
    int drags = 0;

protected:
    Qt::DropAction ExecuteDrag(std::unique_ptr<QMimeData> data, Qt::DropActions actions) override {
        ++drags;
        dragged_text = data->text();
        offered = actions;
        return answer;
    }
};

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
    void TabStripFollowsThePalette();
    void EveryControlFollowsThePalette_data();
    void EveryControlFollowsThePalette();
    void DropFromAnotherApplication_data();
    void DropFromAnotherApplication();
    void DragLeavingTheWindow();
    void WindowTitleIsTheFormsCaption();
    void PictureKeepsItsLogicalSize_data();
    void PictureKeepsItsLogicalSize();
    void DragTextOutOfAMaskedTextBox_data();
    void DragTextOutOfAMaskedTextBox();
    void ShowcaseAtTheDevicePixelRatio();
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

void DesktopHostTest::TabStripFollowsThePalette() {
    // The strip's own surface (its top-left corner, above the headings) takes the new shadow.
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("tabs", "OVTabHead");
    widget.resize(widget.sizeHint());
    QApplication::setPalette(DarkPalette());
    QCoreApplication::processEvents();
    const auto scheme = ov::qt::SchemeFromPalette(DarkPalette());
    const ov::gdi::COLORREF shadow = scheme[ov::gdi::COLOR_BTNSHADOW];
    const std::uint32_t want = ((shadow & 0xFFu) << 16) | (shadow & 0xFF00u) | ((shadow >> 16) & 0xFFu);
    QCOMPARE(widget.frame().pixel(0, 0) & 0xFFFFFFu, want);
}

void DesktopHostTest::EveryControlFollowsThePalette_data() {
    QTest::addColumn<QString>("class_name");
    for (const char* name : {"OV3DLine", "OVGradientPanel", "OVHotLabel", "OVTabHead", "OVMaskedTextBox", "OVSideLogo"})
        QTest::newRow(name) << name;
}

void DesktopHostTest::EveryControlFollowsThePalette() {
    // A control that saw the palette change looks as one made under the new palette.
    QFETCH(QString, class_name);
    QApplication::setPalette(QPalette(QColor(0xEF, 0xEF, 0xEF)));
    OrvelleWidget before(ov::library::Classes());
    before.HostControl("c", class_name.toStdString());
    QApplication::setPalette(DarkPalette());
    QCoreApplication::processEvents();
    before.Sync();
    OrvelleWidget after(ov::library::Classes());
    after.HostControl("c", class_name.toStdString());
    QCOMPARE(before.frame().size(), after.frame().size());
    for (int y = 0; y < after.frame().height(); ++y)
        for (int x = 0; x < after.frame().width(); ++x)
            if (before.frame().pixel(x, y) != after.frame().pixel(x, y))
                QFAIL(qPrintable(QString("(%1, %2) kept %3, a new control has %4")
                                     .arg(x).arg(y).arg(before.frame().pixel(x, y), 0, 16)
                                     .arg(after.frame().pixel(x, y), 0, 16)));
    QApplication::setPalette(QPalette());
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

void DesktopHostTest::DropFromAnotherApplication_data() {
    QTest::addColumn<QString>("class_name");
    QTest::addColumn<int>("drop_mode");
    QTest::addColumn<int>("answer");  // the Effect the handlers leave
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("action");  // what the drop is answered with
    const QStringList all{"OLEDragOver", "OLEDragOver", "OLEDragDrop"};
    QTest::newRow("panel, manual, copied") << "OVGradientPanel" << 1 << 1 << all << int(Qt::CopyAction);
    QTest::newRow("panel, manual, moved") << "OVGradientPanel" << 1 << 2 << all << int(Qt::MoveAction);
    QTest::newRow("panel, manual, refused") << "OVGradientPanel" << 1 << 0 << all << int(Qt::IgnoreAction);
    QTest::newRow("panel, no drops") << "OVGradientPanel" << 0 << 1 << QStringList{} << int(Qt::IgnoreAction);
    QTest::newRow("masked text box, manual") << "OVMaskedTextBox" << 1 << 1 << all << int(Qt::CopyAction);
    QTest::newRow("masked text box, automatic") << "OVMaskedTextBox" << 2 << 1 << QStringList{} << int(Qt::CopyAction);
}

void DesktopHostTest::DropFromAnotherApplication() {
    QFETCH(QString, class_name);
    QFETCH(int, drop_mode);
    QFETCH(int, answer);
    QFETCH(QStringList, events);
    QFETCH(int, action);
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("c", class_name.toStdString());
    ov::host::Control& control = *widget.host().FindControl("c");
    ov::PutProperty(control, "OLEDropMode", ov::Variant::FromInteger(static_cast<std::int16_t>(drop_mode)));
    DragLog log(widget, answer);

    QMimeData mime;
    mime.setText("dropped");
    mime.setUrls({QUrl::fromLocalFile("/tmp/dropped file.txt")});
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(QPoint(10, 5), offered, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &enter);
    QVERIFY(enter.isAccepted());  // so the moves keep coming, whatever the control says
    QDragMoveEvent move(QPoint(20, 6), offered, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
    QCOMPARE(move.isAccepted(), action != Qt::IgnoreAction);
    QDropEvent drop(QPointF(20, 6), offered, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &drop);

    QStringList names;
    for (const DragEvent& e : log.events) names << e.event;
    QCOMPARE(names, events);
    QCOMPARE(drop.isAccepted(), action != Qt::IgnoreAction);
    if (drop.isAccepted()) QCOMPARE(int(drop.dropAction()), action);
    if (drop_mode == 2) QCOMPARE(ov::CStr(ov::GetProperty(control, "Text")), std::string("dropped"));
    if (events.isEmpty()) return;
    // Enter, over, drop; the source's effects as offered; one data object for the whole drag,
    // holding the text and the file.
    QCOMPARE(log.events[0].state, 0);
    QCOMPARE(log.events[1].state, 2);
    for (const DragEvent& e : log.events) {
        QCOMPARE(e.object, QString("c"));
        QCOMPARE(e.effect, 3);
        QCOMPARE(e.text, std::string("dropped"));
        QVERIFY(e.has_files);
        QCOMPARE(e.first_file, std::string("/tmp/dropped file.txt"));
        QCOMPARE(e.data, log.events[0].data);
    }
    if (class_name == "OVGradientPanel") {  // twips from the panel's corner, at 15 a pixel
        QCOMPARE(log.events[0].x, 150.0f);
        QCOMPARE(log.events[0].y, 75.0f);
        QCOMPARE(log.events[2].x, 300.0f);
        QCOMPARE(log.events[2].y, 90.0f);
    }
}

void DesktopHostTest::DragLeavingTheWindow() {
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("c", "OVGradientPanel");
    ov::PutProperty(*widget.host().FindControl("c"), "OLEDropMode", ov::Variant::FromInteger(1));
    DragLog log(widget, 1);
    QMimeData mime;
    mime.setText("passing by");
    QDragEnterEvent enter(QPoint(10, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &enter);
    QDragLeaveEvent leave;
    QCoreApplication::sendEvent(&widget, &leave);
    QCOMPARE(log.events.size(), std::size_t{2});
    QCOMPARE(log.events[1].event, QString("OLEDragOver"));
    QCOMPARE(log.events[1].state, 1);
    QCOMPARE(log.events[1].text, std::string("passing by"));
}

void DesktopHostTest::WindowTitleIsTheFormsCaption() {
    OrvelleWidget widget(ov::library::Classes());
    QVERIFY(widget.LoadForm(ov::forms::LoadFormFile(ORVELLE_SOURCE_ROOT "/examples/showcase.json")).empty());
    QCOMPARE(widget.windowTitle(), QString("OrvelleControls showcase"));
    // A program (or a control, through its Parent) renames the form while it runs.
    ov::PutProperty(widget.host().form(), "Caption", ov::Variant::FromString("Caf\xe9 order"));
    widget.Sync();
    QCOMPARE(widget.windowTitle(), QString::fromUtf8("Caf\u00e9 order"));
}

void DesktopHostTest::DragTextOutOfAMaskedTextBox_data() {
    QTest::addColumn<int>("drag_mode");
    QTest::addColumn<bool>("move");      // the mouse moves with the button down
    QTest::addColumn<int>("answer");     // what the drop target did
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("text");   // the box's text afterwards
    QTest::newRow("moved out") << 1 << true << int(Qt::MoveAction)
                               << QStringList{"MouseDown", "MouseMove", "OLEStartDrag", "Change", "OLECompleteDrag"}
                               << "";
    QTest::newRow("copied out") << 1 << true << int(Qt::CopyAction)
                                << QStringList{"MouseDown", "MouseMove", "OLEStartDrag", "OLECompleteDrag"}
                                << "abcdefghij";
    QTest::newRow("a click in the selection") << 1 << false << int(Qt::MoveAction)
                                              << QStringList{"MouseDown", "MouseUp"} << "abcdefghij";
    QTest::newRow("manual drag mode selects") << 0 << true << int(Qt::MoveAction)
                                              << QStringList{"MouseDown", "MouseMove", "MouseUp"}
                                              << "abcdefghij";
}

void DesktopHostTest::DragTextOutOfAMaskedTextBox() {
    QFETCH(int, drag_mode);
    QFETCH(bool, move);
    QFETCH(int, answer);
    QFETCH(QStringList, events);
    QFETCH(QString, text);
    DragAnsweringWidget widget(ov::library::Classes());
    widget.answer = Qt::DropAction(answer);
    widget.HostControl("mtb", "OVMaskedTextBox");
    ov::host::Control& box = *widget.host().FindControl("mtb");
    ov::PutProperty(box, "Text", ov::Variant::FromString("abcdefghij"));
    ov::PutProperty(box, "OLEDragMode", ov::Variant::FromInteger(static_cast<std::int16_t>(drag_mode)));
    ov::PutProperty(box, "SelStart", ov::Variant::FromInteger(0));
    ov::PutProperty(box, "SelLength", ov::Variant::FromInteger(10));
    widget.Sync();
    QStringList raised;
    QObject::connect(&widget, &OrvelleWidget::controlEvent,
                     [&](const QString&, const QString& event, ov::qt::EventArguments& args) {
                         raised << event;
                         if (event == "OLEStartDrag") QCOMPARE(args.value("AllowedEffects").toInt(), 3);
                         if (event == "OLECompleteDrag")
                             QCOMPARE(args.value("Effect").toInt(), answer == Qt::MoveAction ? 2 : 1);
                     });

    const QPoint inside(12, 8), further(40, 8);
    QTest::mousePress(&widget, Qt::LeftButton, Qt::NoModifier, inside);
    if (move) {
        QMouseEvent drag(QEvent::MouseMove, QPointF(further), widget.mapToGlobal(QPointF(further)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&widget, &drag);
    }
    if (widget.drags == 0) QTest::mouseRelease(&widget, Qt::LeftButton, Qt::NoModifier, move ? further : inside);

    QCOMPARE(raised, events);
    QCOMPARE(QString::fromStdString(ov::CStr(ov::GetProperty(box, "Text"))), text);
    QCOMPARE(widget.drags, raised.contains("OLEStartDrag") ? 1 : 0);
    // A click inside the selection puts the caret there; a drag in manual mode selects.
    if (!move) QCOMPARE(ov::CInt(ov::GetProperty(box, "SelLength")), 0);
    if (drag_mode == 0) QVERIFY(ov::CInt(ov::GetProperty(box, "SelLength")) > 0);
    if (widget.drags == 1) {
        QCOMPARE(widget.dragged_text, QString("abcdefghij"));
        QCOMPARE(widget.offered, Qt::DropActions(Qt::CopyAction | Qt::MoveAction));
    }
}

void DesktopHostTest::PictureKeepsItsLogicalSize_data() {
    QTest::addColumn<bool>("icon");
    QTest::newRow("bitmap") << false;
    QTest::newRow("icon") << true;
}

void DesktopHostTest::PictureKeepsItsLogicalSize() {
    // A 40 x 30 picture (a bitmap, or an icon with a transparent border) on a panel in picture
    // style covers 600 x 450 twips at every ratio (to within a device pixel), not 40 x 30
    // device pixels.
    QFETCH(bool, icon);
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("pnl", "OVGradientPanel");
    ov::host::Control& panel = *widget.host().FindControl("pnl");
    ov::PutProperty(panel, "Appearance", ov::Variant::FromLong(0));
    ov::PutProperty(panel, "Caption", ov::Variant::FromString(""));
    widget.host().Resize("pnl", 1500, 1200);
    widget.resize(widget.sizeHint());
    std::shared_ptr<ov::Picture> picture;
    if (icon) {
        // 44 x 34 with two clear pixels around the 40 x 30 opaque red.
        std::vector<std::uint32_t> argb(44 * 34, 0);
        for (int y = 2; y < 32; ++y)
            for (int x = 2; x < 42; ++x) argb[static_cast<std::size_t>(y) * 44 + x] = 0xFFE01020u;
        picture = ov::Picture::FromIcon(ov::gdi::CreateIconFromArgb(44, 34, argb.data()));
    } else {
        const std::vector<std::uint32_t> red(40 * 30, 0xE01020u);
        picture = ov::Picture::FromPixels(40, 30, red.data());
    }
    ov::PutPropertyRef(panel, "Picture", ov::Variant::FromObject(picture));
    ov::PutProperty(panel, "Style", ov::Variant::FromLong(2));
    widget.Sync();
    const int tpp = ov::gdi::Screen().twips_per_pixel_x;
    const QRect area = AreaOf(widget.frame(), 0xE01020u);
    QVERIFY2(std::abs(area.width() * tpp - 600) < tpp && std::abs(area.height() * tpp - 450) < tpp,
             qPrintable(QString("%1 x %2 pixels at %3 twips a pixel").arg(area.width()).arg(area.height()).arg(tpp)));
    const int border = icon ? static_cast<int>(std::lround(2.0 * 15 / tpp)) : 0;
    QVERIFY(std::abs(area.left() - border) <= 1 && std::abs(area.top() - border) <= 1);
}

void DesktopHostTest::ShowcaseAtTheDevicePixelRatio() {
    // The showcase at the screen's ratio against the same form composed at ratio 1: averaged
    // down onto the ratio-1 pixels, every control differs by little more than its text does,
    // and the pictures (the picture panel's, the hot label's inline one) lie where they lie at
    // ratio 1, where pictures drawn pixel for pixel would not.
    const ov::forms::FormDocument document = ov::forms::LoadFormFile(ORVELLE_SOURCE_ROOT "/examples/showcase.json");
    OrvelleWidget widget(ov::library::Classes());
    QVERIFY(widget.LoadForm(document).empty());
    const int tpp = ov::gdi::Screen().twips_per_pixel_x;
    if (tpp == 15) QSKIP("the screen's device pixel ratio is 1 (run with QT_SCALE_FACTOR=2)");
    const ov::host::ComposedImage scaled = widget.host().Compose();

    // The same form with the pictures drawn pixel for pixel, as they were before pictures
    // followed the ratio: what the comparison must tell apart.
    ov::SetPictureResolution(0);
    ov::host::ReferenceHost natural(ov::library::Classes());
    ov::forms::BuildForm(natural, document);
    const ov::host::ComposedImage unscaled_pictures = natural.Compose();

    ov::SetPictureResolution(96);
    ov::gdi::Screen().twips_per_pixel_x = ov::gdi::Screen().twips_per_pixel_y = 15;
    ov::host::ReferenceHost logical(ov::library::Classes());
    ov::forms::BuildForm(logical, document);
    const ov::host::ComposedImage base = logical.Compose();
    const std::vector<ControlDifference> differences = DifferencesAtRatio(scaled, tpp, base, logical);
    const std::vector<ControlDifference> wrong = DifferencesAtRatio(unscaled_pictures, tpp, base, logical);
    ov::gdi::Screen().twips_per_pixel_x = ov::gdi::Screen().twips_per_pixel_y = tpp;

    // The 3-D lines are left out: their strokes are one device pixel at every ratio, as
    // hairlines are, so averaged down they pale by design.
    constexpr double kTextTolerance = 15;
    for (const ControlDifference& d : differences)
        QVERIFY2(d.mean < kTextTolerance || logical.FindControl(d.name)->TypeName() == "OV3DLine", qPrintable(QString("%1 differs by %2 on average")
                                                         .arg(QString::fromStdString(d.name))
                                                         .arg(d.mean)));
    QVERIFY2(DifferenceOf(wrong, "pnlPicture") >= kTextTolerance,
             qPrintable(QString("a picture at its own pixel size differs by %1 only").arg(DifferenceOf(wrong, "pnlPicture"))));
    QVERIFY2(DifferenceOf(wrong, "hotHelp") > DifferenceOf(differences, "hotHelp"),
             qPrintable(QString("the hot label's inline picture: %1 unscaled, %2 scaled")
                            .arg(DifferenceOf(wrong, "hotHelp"))
                            .arg(DifferenceOf(differences, "hotHelp"))));
}

QTEST_MAIN(DesktopHostTest)
#include "desktop_test.moc"
