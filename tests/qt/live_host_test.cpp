// The live host in a real window (under a virtual X server): pointer input reaching the right
// constituent with the right events, a slot changing a by-reference argument, the cursor
// following the control's pointer, and the window showing exactly what the compositor composes.
#include <QAccessible>
#include <QClipboard>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cmath>
#include <memory>
#include <vector>

#include "forms/form_document.h"
#include "host/contract/control.h"
#include "host/contract/hand_cursor.h"
#include "host/reference/reference_host.h"
#include "host/contract/text_box.h"
#include "platform/codepage/windows1252.h"
#include "platform/notifyarea/notification_area.h"
#include "platform/runtime/type_info.h"
#include "hotlabel/hot_label.h"
#include "library/classes.h"
#include "platform/runtime/dispatch.h"
#include "qt/input_codes.h"
#include "qt/orvelle_widget.h"

namespace {

using ov::qt::OrvelleWidget;

struct Raised {
    QString object, event;
    QVariantList args;
};

// Every event the widget's signal carries, with its arguments as raised.
struct EventLog {
    std::vector<Raised> events;
    explicit EventLog(OrvelleWidget& widget) {
        QObject::connect(&widget, &OrvelleWidget::controlEvent,
                         [this](const QString& object, const QString& event, ov::qt::EventArguments& args) {
                             QVariantList values;
                             for (int i = 0; i < args.count(); ++i) values.push_back(args.value(i));
                             events.push_back({object, event, values});
                         });
    }
    QStringList Names() const {
        QStringList names;
        for (const Raised& e : events) names << e.event;
        return names;
    }
};

// The widget position (logical pixels) of a device pixel of the form.
QPoint WidgetPoint(const OrvelleWidget& widget, int x, int y) {
    const double ratio = widget.devicePixelRatioF();
    return QPoint(static_cast<int>(x / ratio), static_cast<int>(y / ratio));
}

void MoveMouse(OrvelleWidget& widget, QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, widget.mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
}

// The centre of a tab heading in form pixels; heading -1 is the strip right of the last one.
QPoint HeadingCentre(ov::host::Control& tabs, int heading) {
    if (heading < 0) return QPoint(tabs.PixelWidth() - 2, 2);
    const ov::host::Constituent& label = *tabs.FindConstituent("lblTabItem", heading);
    return QPoint((tabs.ToPixelsX(label.Left()) + tabs.ToPixelsX(label.Left() + label.Width())) / 2,
                  (tabs.ToPixelsY(label.Top()) + tabs.ToPixelsY(label.Top() + label.Height())) / 2);
}

}  // namespace

class LiveHostTest : public QObject {
    Q_OBJECT

private slots:
    void TabClick_data();
    void TabClick();
    void SlotWritesByReferenceArgument();
    void PointerCursor_data();
    void PointerCursor();
    void ShowcaseScreenshotEqualsComposition();
    void IdleWindowComposesNoFrame();
    void MouseEventOrder_data();
    void MouseEventOrder();
    void HoverUnderlineEndsOnTheClock();
    void ControlFollowsWidgetSize();
    void TrayIconHidesAndRestoresTheWindow();
    void TrayIconsOfTwoWidgetsGetTheirOwnCallbacks();
    void MaskedTyping_data();
    void MaskedTyping();
    void TextBoxClipboard();
    void TextBoxMouse();
    void KeyCodes_data();
    void KeyCodes();
    void TabMovesTheFocusInTabOrder();
    void TabLeavesTheFormForTheNextWidget();
    void AccessibleTreeOfTheShowcase();
};

void LiveHostTest::TabClick_data() {
    QTest::addColumn<int>("heading");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("selected");
    // SelectedTab starts at 0; a click beside the headings reaches the surface only.
    QTest::newRow("second heading") << 1 << QStringList{"TabSelected"} << 1;
    QTest::newRow("third heading") << 2 << QStringList{"TabSelected"} << 2;
    QTest::newRow("first heading again") << 0 << QStringList{"TabSelected"} << 0;
    QTest::newRow("beside the headings") << -1 << QStringList{"Click"} << 0;
}

void LiveHostTest::TabClick() {
    QFETCH(int, heading);
    QFETCH(QStringList, events);
    QFETCH(int, selected);
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("tabs", "OVTabHead");
    ov::host::Control& tabs = *widget.host().FindControl("tabs");
    ov::PutProperty(tabs, "TabString", ov::Variant::FromString("General,Colours,About"));
    widget.host().Resize("tabs", 6000, 450);
    widget.resize(widget.sizeHint());
    widget.Sync();
    EventLog log(widget);

    const QPoint at = HeadingCentre(tabs, heading);
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, WidgetPoint(widget, at.x(), at.y()));

    QCOMPARE(log.Names(), events);
    if (heading >= 0) {
        QCOMPARE(log.events[0].object, QString("tabs"));
        QCOMPARE(log.events[0].args, (QVariantList{heading, QStringList{"General", "Colours", "About"}[heading]}));
    }
    QCOMPARE(ov::CInt(ov::GetProperty(tabs, "SelectedTab")), selected);
    // What the window paints is the form as composed after the click.
    const ov::host::ComposedImage& composed = widget.host().Compose();
    QCOMPARE(widget.frame().pixel(at.x(), at.y()) & 0xFFFFFFu,
             composed.pixels[static_cast<std::size_t>(at.y()) * composed.width + at.x()]);
}

void LiveHostTest::SlotWritesByReferenceArgument() {
    // A connected slot moves the selection elsewhere: the control selects what the slot left.
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("tabs", "OVTabHead");
    ov::host::Control& tabs = *widget.host().FindControl("tabs");
    ov::PutProperty(tabs, "TabString", ov::Variant::FromString("General,Colours,About"));
    QObject::connect(&widget, &OrvelleWidget::controlEvent,
                     [](const QString&, const QString& event, ov::qt::EventArguments& args) {
                         if (event == "TabSelected") QVERIFY(args.setValue("index", 2));
                         if (event == "TabSelected") QVERIFY(!args.setValue("Index", "not a number"));
                     });
    const QPoint at = HeadingCentre(tabs, 1);
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, WidgetPoint(widget, at.x(), at.y()));
    QCOMPARE(ov::CInt(ov::GetProperty(tabs, "SelectedTab")), 2);
}

void LiveHostTest::PointerCursor_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("cursor");
    // The hot label asks for the 16-colour hand over a hot spot, the tab header for the
    // monochrome one over a heading; elsewhere both leave the arrow.
    QTest::newRow("on a hot spot") << "hot spot"
                                   << "colour hand";
    QTest::newRow("past the hot spot") << "past hot spot"
                                       << "arrow";
    QTest::newRow("on a tab heading") << "heading"
                                      << "hand";
    QTest::newRow("beside the headings") << "beside headings"
                                         << "arrow";
}

void LiveHostTest::PointerCursor() {
    QFETCH(QString, place);
    QFETCH(QString, cursor);
    OrvelleWidget widget(ov::library::Classes());
    QPoint at;
    if (place.contains("hot spot")) {
        widget.HostControl("hot", "OVHotLabel");
        auto& label = static_cast<ov::hotlabel::OVHotLabel&>(*widget.host().FindControl("hot"));
        ov::PutProperty(label, "ControlString", ov::Variant::FromString("See the ~manual~ first"));
        const ov::host::ConstituentPictureBox& main = label.MainBox();
        const ov::hotlabel::HotSpot spot = label.HotSpots()(1);
        const int frame = main.box().BorderStyle() == 1 ? 2 : 0;
        const int dx = place == "hot spot" ? 1 : main.box().client_width() - 1 - spot.left;
        at = QPoint(label.ToPixelsX(main.Left()) + frame + spot.left + dx,
                    label.ToPixelsY(main.Top()) + frame + spot.top + 3);
    } else {
        widget.HostControl("tabs", "OVTabHead");
        ov::host::Control& tabs = *widget.host().FindControl("tabs");
        ov::PutProperty(tabs, "TabString", ov::Variant::FromString("General,Colours"));
        at = HeadingCentre(tabs, place == "heading" ? 1 : -1);
    }

    MoveMouse(widget, WidgetPoint(widget, at.x(), at.y()));

    if (cursor == "arrow") {
        QCOMPARE(widget.cursor().shape(), Qt::ArrowCursor);
        return;
    }
    QCOMPARE(widget.cursor().shape(), Qt::BitmapCursor);
    const bool colour = cursor == "colour hand";
    const ov::host::SixteenColourCursor& colour_hand = ov::host::PointingHandColourCursor();
    const ov::host::MonochromeCursor& hand = ov::host::PointingHandCursor();
    const std::vector<std::uint32_t> argb = colour ? colour_hand.ToArgb() : hand.ToArgb();
    const QPoint hot_spot =
        colour ? QPoint(colour_hand.hot_spot_x, colour_hand.hot_spot_y) : QPoint(hand.hot_spot_x, hand.hot_spot_y);
    constexpr int kSize = ov::host::MonochromeCursor::kSize;
    QCOMPARE(widget.cursor().hotSpot(), hot_spot);
    const QImage shown = widget.cursor().pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shown.size(), QSize(kSize, kSize));
    for (int py = 0; py < kSize; ++py)
        for (int px = 0; px < kSize; ++px)
            QCOMPARE(shown.pixel(px, py), argb[static_cast<std::size_t>(py) * kSize + px]);
}

void LiveHostTest::ShowcaseScreenshotEqualsComposition() {
    const ov::forms::FormDocument document = ov::forms::LoadFormFile(ORVELLE_SOURCE_ROOT "/examples/showcase.json");
    OrvelleWidget widget(ov::library::Classes());
    QVERIFY(widget.LoadForm(document).empty());
    // Built after the widget set the screen's twips per pixel for its device pixel ratio.
    ov::host::ReferenceHost reference(ov::library::Classes());
    ov::forms::BuildForm(reference, document);
    const ov::host::ComposedImage& expected = reference.Compose();
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QCoreApplication::processEvents();
    const QImage shot = widget.screen()->grabWindow(widget.winId()).toImage().convertToFormat(QImage::Format_RGB32);

    // The window is whole logical pixels: at a ratio of 2 an odd form size leaves one device
    // row or column of window background beyond the form.
    const int ratio = static_cast<int>(std::ceil(widget.devicePixelRatioF()));
    QVERIFY(shot.width() >= expected.width && shot.width() < expected.width + ratio);
    QVERIFY(shot.height() >= expected.height && shot.height() < expected.height + ratio);
    int wrong = 0;
    QString first;
    for (int y = 0; y < expected.height; ++y)
        for (int x = 0; x < expected.width; ++x) {
            const std::uint32_t want = expected.pixels[static_cast<std::size_t>(y) * expected.width + x];
            const std::uint32_t got = shot.pixel(x, y) & 0xFFFFFFu;
            if (got != want && wrong++ == 0)
                first = QString("(%1, %2): %3 instead of %4")
                            .arg(x)
                            .arg(y)
                            .arg(got, 6, 16, QChar('0'))
                            .arg(want, 6, 16, QChar('0'));
        }
    QVERIFY2(wrong == 0, qPrintable(QString("%1 pixels differ, the first at %2").arg(wrong).arg(first)));
}

void LiveHostTest::IdleWindowComposesNoFrame() {
    // The clock runs every few milliseconds; with nothing due and nothing changed, the window
    // keeps the frame it has.
    OrvelleWidget widget(ov::library::Classes());
    QVERIFY(widget.LoadForm(ov::forms::LoadFormFile(ORVELLE_SOURCE_ROOT "/examples/showcase.json")).empty());
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    const int frames = widget.framesComposed();
    QTest::qWait(200);
    QCOMPARE(widget.framesComposed(), frames);
    // Hovering a tab heading underlines it: one change, one new frame.
    ov::host::Control& tabs = *widget.host().FindControl("tabSections");
    const QPoint at = HeadingCentre(tabs, 0);
    MoveMouse(widget, WidgetPoint(widget, at.x(), at.y()));
    QCOMPARE(widget.framesComposed(), frames + 1);
}

void LiveHostTest::MouseEventOrder_data() {
    QTest::addColumn<QString>("gesture");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<int>("button");
    QTest::addColumn<int>("shift");
    QTest::newRow("left click") << "click" << 0 << QStringList{"MouseDown", "MouseUp", "Click"} << 1 << 0;
    QTest::newRow("right click with Shift")
        << "right" << int(Qt::ShiftModifier) << QStringList{"MouseDown", "MouseUp", "Click"} << 2 << 1;
    QTest::newRow("double click with Ctrl")
        << "double" << int(Qt::ControlModifier) << QStringList{"MouseDown", "MouseUp", "Click", "DblClick", "MouseUp"}
        << 1 << 2;
}

void LiveHostTest::MouseEventOrder() {
    // The hot label raises its picture box's mouse events as its own, with the box's
    // coordinates (its scale is pixels, from the box's client area).
    QFETCH(QString, gesture);
    QFETCH(int, modifiers);
    QFETCH(QStringList, events);
    QFETCH(int, button);
    QFETCH(int, shift);
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("hot", "OVHotLabel");
    auto& label = static_cast<ov::hotlabel::OVHotLabel&>(*widget.host().FindControl("hot"));
    const ov::host::ConstituentPictureBox& main = label.MainBox();
    const int frame = main.box().BorderStyle() == 1 ? 2 : 0;
    const QPoint box_origin(label.ToPixelsX(main.Left()) + frame, label.ToPixelsY(main.Top()) + frame);
    const QPoint point = WidgetPoint(widget, box_origin.x() + 7, box_origin.y() + 5);
    // The device pixel the widget position falls on, from the box's corner.
    const double ratio = widget.devicePixelRatioF();
    const QPoint in_box(static_cast<int>(std::floor(point.x() * ratio)) - box_origin.x(),
                        static_cast<int>(std::floor(point.y() * ratio)) - box_origin.y());
    EventLog log(widget);

    const auto mods = Qt::KeyboardModifiers(modifiers);
    if (gesture == "right") {
        QTest::mouseClick(&widget, Qt::RightButton, mods, point);
    } else {
        QTest::mouseClick(&widget, Qt::LeftButton, mods, point);
        // What a window system sends for the second click: Qt's double-click event in place of
        // the press (all QTest sends), then the release.
        if (gesture == "double") {
            QTest::mouseDClick(&widget, Qt::LeftButton, mods, point);
            QTest::mouseRelease(&widget, Qt::LeftButton, mods, point);
        }
    }

    QCOMPARE(log.Names().join(' '), events.join(' '));
    for (const Raised& e : log.events) {
        if (!e.event.startsWith("Mouse")) continue;
        QCOMPARE(e.args, (QVariantList{button, shift, float(in_box.x()), float(in_box.y())}));
    }
}

void LiveHostTest::HoverUnderlineEndsOnTheClock() {
    // The tab header's mouse-over timer runs on the host clock, which the widget keeps at real
    // time: the underline of a hovered heading goes after 3000 ms, not before.
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("tabs", "OVTabHead");
    ov::host::Control& tabs = *widget.host().FindControl("tabs");
    ov::PutProperty(tabs, "TabString", ov::Variant::FromString("General,Colours"));
    const auto& heading = static_cast<const ov::host::Label&>(*tabs.FindConstituent("lblTabItem", 1));
    const QPoint at = HeadingCentre(tabs, 1);
    MoveMouse(widget, WidgetPoint(widget, at.x(), at.y()));
    QVERIFY(heading.FontUnderline());
    QTest::qWait(2500);
    QVERIFY(heading.FontUnderline());
    QTRY_VERIFY_WITH_TIMEOUT(!heading.FontUnderline(), 2000);
}

void LiveHostTest::ControlFollowsWidgetSize() {
    // A hosted control takes the widget's size in device pixels, and the next frame shows it.
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("logo", "OVSideLogo");
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    widget.resize(60, 150);
    QTRY_COMPARE(widget.size(), QSize(60, 150));
    const double ratio = widget.devicePixelRatioF();
    const ov::host::Control& logo = *widget.host().FindControl("logo");
    QCOMPARE(logo.PixelWidth(), static_cast<int>(std::lround(60 * ratio)));
    QCOMPARE(logo.PixelHeight(), static_cast<int>(std::lround(150 * ratio)));
    QCOMPARE(widget.frame().size(), QSize(logo.PixelWidth(), logo.PixelHeight()));
}

void LiveHostTest::TrayIconHidesAndRestoresTheWindow() {
    // The form is the window: AddForm hides it, RestoreForm brings it back in the normal state,
    // and the widget says what was done in the order the control did it.
    OrvelleWidget widget(ov::library::Classes());
    widget.HostControl("tray", "OVTrayIcon");
    QStringList operations;
    QObject::connect(&widget, &OrvelleWidget::formOperation,
                     [&operations](const QString& operation) { operations << operation; });
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    ov::host::Control& tray = *widget.host().FindControl("tray");
    std::vector<ov::Variant> none;
    ov::CallMethod(tray, "AddForm", none);
    QVERIFY(!widget.isVisible());
    widget.setWindowState(Qt::WindowMinimized);
    ov::CallMethod(tray, "RestoreForm", none);
    QVERIFY(widget.isVisible());
    QVERIFY(!(widget.windowState() & Qt::WindowMinimized));
    QCOMPARE(operations, (QStringList{"hide", "state 0", "show"}));
}

// A notification area of the test's own that the test makes active, as a desktop calling an
// icon would: its descriptor (an eventfd) turns readable, and its poll posts what was queued.
class SignalledArea : public ov::notifyarea::NotificationArea {
public:
    SignalledArea() : fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}
    ~SignalledArea() override { close(fd_); }
    bool NotifyIcon(std::uint32_t, const ov::notifyarea::NotifyIconDataA&) override { return true; }
    bool SetForegroundWindow(ov::gdi::HWND window) override { return window != 0; }
    ov::gdi::HWND SetActiveWindow(ov::gdi::HWND) override { return 0; }
    bool GetCursorPos(ov::gdi::POINT* point) override {
        *point = {7, 9};
        return true;
    }
    void Poll() override {
        std::uint64_t count = 0;
        if (read(fd_, &count, sizeof count) < 0) return;
        for (const ov::notifyarea::CallbackMessage& m : queued_) ov::notifyarea::PostCallbackMessage(m);
        queued_.clear();
    }
    int WaitDescriptor() const override { return fd_; }
    void Send(ov::gdi::HWND window, std::uint32_t message) {
        queued_.push_back({window, 512, message});
        const std::uint64_t one = 1;
        if (write(fd_, &one, sizeof one) < 0) queued_.clear();
    }

private:
    int fd_;
    std::vector<ov::notifyarea::CallbackMessage> queued_;
};

void LiveHostTest::TrayIconsOfTwoWidgetsGetTheirOwnCallbacks() {
    auto owned = std::make_unique<SignalledArea>();
    SignalledArea& area = *owned;
    auto previous = ov::notifyarea::InstallNotificationArea(std::move(owned));
    {
        OrvelleWidget first(ov::library::Classes()), second(ov::library::Classes());
        first.HostControl("tray", "OVTrayIcon");
        second.HostControl("tray", "OVTrayIcon");
        EventLog first_log(first), second_log(second);
        const ov::gdi::HWND first_window = first.host().FindControl("tray")->hWnd();
        const ov::gdi::HWND second_window = second.host().FindControl("tray")->hWnd();
        area.Send(second_window, 0x201);  // left button down
        area.Send(first_window, 0x402);   // balloon shown
        area.Send(second_window, 0x202);  // left button up
        area.Send(first_window, 0x405);   // balloon clicked
        // Nothing is typed or clicked: the widgets' own loops take it from here.
        QTRY_COMPARE(first_log.Names(), (QStringList{"BalloonShow", "BalloonClick"}));
        QTRY_COMPARE(second_log.Names(), (QStringList{"MouseDown", "MouseUp"}));
        QCOMPARE(second_log.events[0].args, (QVariantList{1, 7.0f, 9.0f}));
    }
    ov::notifyarea::InstallNotificationArea(std::move(previous));
}

// A numeric masked box of three digits hosted alone and given the focus by a click, as a user
// would before typing.
ov::host::Control& FocusedNumericBox(OrvelleWidget& widget) {
    widget.HostControl("amount", "OVMaskedTextBox");
    ov::host::Control& box = *widget.host().FindControl("amount");
    ov::PutProperty(box, "InputFormat", ov::Variant::FromLong(1));
    ov::PutProperty(box, "Mask", ov::Variant::FromString("###"));
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier,
                      WidgetPoint(widget, box.PixelWidth() / 2, box.PixelHeight() / 2));
    return box;
}

QString TextOf(ov::host::Control& box) { return QString::fromStdString(ov::CStr(ov::GetProperty(box, "Text"))); }

void LiveHostTest::MaskedTyping_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("text");
    QTest::newRow("a letter is swallowed") << "a"
                                           << "";
    QTest::newRow("a digit is kept") << "5"
                                     << "5";
    QTest::newRow("letters between digits") << "4x2Y"
                                            << "42";
}

void LiveHostTest::MaskedTyping() {
    QFETCH(QString, typed);
    QFETCH(QString, text);
    OrvelleWidget widget(ov::library::Classes());
    ov::host::Control& box = FocusedNumericBox(widget);
    QCOMPARE(widget.focusedControl(), std::string("amount"));
    QTest::keyClicks(&widget, typed);
    QCOMPARE(TextOf(box), text);
}

// A control that is nothing but a text box: its owner lets every keystroke through, Ctrl+C and
// Ctrl+V included (the masked box swallows those as characters its mask refuses).
class PlainTextControl : public ov::host::Control {
public:
    PlainTextControl() : box(AddTextBox("txt")) {}
    static const ov::ClassInfo& StaticInfo() {
        static const ov::ClassInfo info = ov::ClassBuilder<PlainTextControl>("PlainText").Build();
        return info;
    }
    const ov::ClassInfo& Info() const override { return StaticInfo(); }
    ov::host::TextBox& box;

protected:
    void OnResize() override { box.Move(0, 0, Width(), Height()); }
};

void LiveHostTest::TextBoxClipboard() {
    // Ctrl+V pastes what the desktop's clipboard holds, Ctrl+C copies the selection back to it.
    ov::host::ClassRegistry registry;
    registry.Add(ov::host::ControlEntry<PlainTextControl>("PlainText", 2400, 315));
    OrvelleWidget widget(registry);
    widget.HostControl("text", "PlainText");
    auto& control = static_cast<PlainTextControl&>(*widget.host().FindControl("text"));
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, WidgetPoint(widget, 5, 5));
    QGuiApplication::clipboard()->setText("Günter");
    QTest::keyClick(&widget, Qt::Key_V, Qt::ControlModifier);
    QTest::keyClick(&widget, Qt::Key_X);
    QCOMPARE(QString::fromStdString(ov::codepage::Windows1252ToUtf8(control.box.Text())), QString("Günterx"));
    control.box.SetSelStart(1);
    control.box.SetSelLength(3);
    QTest::keyClick(&widget, Qt::Key_C, Qt::ControlModifier);
    QCOMPARE(QGuiApplication::clipboard()->text(), QString("ünt"));
    // Shift+Insert pastes the first line of a multi-line clipboard; an empty clipboard pastes
    // nothing and the selection stays.
    QGuiApplication::clipboard()->setText("one\r\ntwo");
    QTest::keyClick(&widget, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(QString::fromStdString(ov::codepage::Windows1252ToUtf8(control.box.Text())), QString("Goneerx"));
    QGuiApplication::clipboard()->clear();
    control.box.SetSelStart(0);
    control.box.SetSelLength(2);
    QTest::keyClick(&widget, Qt::Key_Insert, Qt::ShiftModifier);
    QCOMPARE(QString::fromStdString(ov::codepage::Windows1252ToUtf8(control.box.Text())), QString("Goneerx"));
    QCOMPARE(control.box.SelLength(), 2);
}

void LiveHostTest::TextBoxMouse() {
    // Real presses, drags and double clicks move the caret and the selection of a text box.
    ov::host::ClassRegistry registry;
    registry.Add(ov::host::ControlEntry<PlainTextControl>("PlainText", 2400, 315));
    OrvelleWidget widget(registry);
    widget.HostControl("text", "PlainText");
    auto& control = static_cast<PlainTextControl&>(*widget.host().FindControl("text"));
    control.box.SetText("ab cd");
    const QPoint start = WidgetPoint(widget, 3, 5);
    const QPoint beyond = WidgetPoint(widget, control.PixelWidth() - 4, 5);

    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, beyond);
    QCOMPARE(control.box.SelStart(), 5);
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::ShiftModifier, start);
    QCOMPARE(control.box.SelStart(), 0);
    QCOMPARE(control.box.SelLength(), 5);
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier, start);
    QCOMPARE(control.box.SelLength(), 0);

    // A drag from the end to the start selects everything, the caret at the start.
    QTest::mousePress(&widget, Qt::LeftButton, Qt::NoModifier, beyond);
    QMouseEvent move(QEvent::MouseMove, QPointF(start), widget.mapToGlobal(QPointF(start)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
    QTest::mouseRelease(&widget, Qt::LeftButton, Qt::NoModifier, start);
    QCOMPARE(control.box.SelText(), std::string("ab cd"));
    QCOMPARE(control.box.edit().caret(), 0);

    // A double click past the text selects the last word.
    QTest::mouseDClick(&widget, Qt::LeftButton, Qt::NoModifier, beyond);
    QCOMPARE(control.box.SelText(), std::string("cd"));
}

void LiveHostTest::KeyCodes_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("shift");
    QTest::addColumn<int>("ascii");
    const int shift = Qt::ShiftModifier, ctrl = Qt::ControlModifier, alt = Qt::AltModifier;
    QTest::newRow("a") << int(Qt::Key_A) << 0 << "a" << 65 << 0 << 97;
    QTest::newRow("Shift+A") << int(Qt::Key_A) << shift << "A" << 65 << 1 << 65;
    QTest::newRow("Ctrl+C") << int(Qt::Key_C) << ctrl << "\x03" << 67 << 2 << 3;
    QTest::newRow("Ctrl+Shift+V") << int(Qt::Key_V) << (ctrl | shift) << "" << 86 << 3 << 22;
    QTest::newRow("Alt+7") << int(Qt::Key_7) << alt << "7" << 55 << 4 << 55;
    QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << "\r" << 13 << 0 << 13;
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << 0 << "\b" << 8 << 0 << 8;
    QTest::newRow("Left") << int(Qt::Key_Left) << 0 << "" << 37 << 0 << 0;
    QTest::newRow("Delete") << int(Qt::Key_Delete) << 0 << "\x7f" << 46 << 0 << 0;
    QTest::newRow("F5") << int(Qt::Key_F5) << 0 << "" << 116 << 0 << 0;
    QTest::newRow("e acute") << int(Qt::Key_Eacute) << 0 << "\u00e9" << 0 << 0 << 0xE9;
    QTest::newRow("euro sign") << int(Qt::Key_unknown) << 0 << "\u20ac" << 0 << 0 << 0x80;
}

void LiveHostTest::KeyCodes() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QString, text);
    QFETCH(int, code);
    QFETCH(int, shift);
    QFETCH(int, ascii);
    const auto mods = Qt::KeyboardModifiers(modifiers);
    QCOMPARE(int(ov::qt::VirtualKeyCode(key)), code);
    QCOMPARE(int(ov::qt::ShiftState(mods)), shift);
    QCOMPARE(int(ov::qt::KeyAsciiCode(key, mods, text)), ascii);
}

// The showcase in a window that has the keyboard focus, with the phone box clicked into.
void ShowShowcaseWithPhoneFocused(OrvelleWidget& widget, QWidget& window) {
    QVERIFY(widget.LoadForm(ov::forms::LoadFormFile(ORVELLE_SOURCE_ROOT "/examples/showcase.json")).empty());
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    widget.setFocus(Qt::MouseFocusReason);
    QTRY_VERIFY(widget.hasFocus());
    const ov::host::Control& phone = *widget.host().FindControl("mtbPhone");
    const ov::gdi::POINT origin = widget.host().OriginOf("mtbPhone");
    QTest::mouseClick(&widget, Qt::LeftButton, Qt::NoModifier,
                      WidgetPoint(widget, origin.x + phone.PixelWidth() / 2, origin.y + phone.PixelHeight() / 2));
    QCOMPARE(widget.focusedControl(), std::string("mtbPhone"));
}

// The events of the focus moving and of the text changing, as "object.event" (the masked box
// raises no GotFocus or LostFocus of its own; a Tab reaching a box as a key would show here).
QStringList FocusAndChangeEvents(const EventLog& log) {
    QStringList seen;
    for (const Raised& e : log.events)
        if (QStringList{"Validate", "InvalidEntry", "LostFocus", "GotFocus", "Change"}.contains(e.event))
            seen << e.object + "." + e.event;
        else if (e.event == "KeyDown" && e.args.value(0).toInt() == 9) seen << e.object + ".KeyDown(Tab)";
    return seen;
}

void LiveHostTest::TabMovesTheFocusInTabOrder() {
    OrvelleWidget widget(ov::library::Classes());
    ShowShowcaseWithPhoneFocused(widget, widget);
    ov::host::Control& price = *widget.host().FindControl("mtbPrice");
    EventLog log(widget);

    // Tab leaves the phone box through its validation; the digit typed next goes to the price.
    QTest::keyClick(&widget, Qt::Key_Tab);
    QCOMPARE(widget.focusedControl(), std::string("mtbPrice"));
    QTest::keyClick(&widget, Qt::Key_7);
    QCOMPARE(FocusAndChangeEvents(log), (QStringList{"mtbPhone.Validate", "mtbPrice.Change"}));
    QVERIFY(TextOf(price).contains('7'));

    // Shift+Tab goes back (the keyboard sends Backtab with Shift).
    log.events.clear();
    QTest::keyClick(&widget, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(widget.focusedControl(), std::string("mtbPhone"));
    QCOMPARE(FocusAndChangeEvents(log), (QStringList{"mtbPrice.Validate"}));

    // Shift+Tab from the first box wraps around to the last one, the date box. Its date (31
    // April) is invalid, and a box that keeps the focus on an invalid entry keeps it against Tab.
    QTest::keyClick(&widget, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(widget.focusedControl(), std::string("mtbDate"));
    ov::host::Control& date = *widget.host().FindControl("mtbDate");
    ov::PutProperty(date, "OnInvalidEntry", ov::Variant::FromLong(1));
    log.events.clear();
    QTest::keyClick(&widget, Qt::Key_Tab);
    QCOMPARE(widget.focusedControl(), std::string("mtbDate"));
    QCOMPARE(FocusAndChangeEvents(log), (QStringList{"mtbDate.Validate", "mtbDate.InvalidEntry"}));
    // Doing nothing about it lets the focus go (the invalid text is emptied): Tab from the last
    // box wraps around to the first.
    ov::PutProperty(date, "OnInvalidEntry", ov::Variant::FromLong(0));
    QTest::keyClick(&widget, Qt::Key_Tab);
    QCOMPARE(widget.focusedControl(), std::string("mtbPhone"));

    // A TabIndex puts the date box first.
    ov::PutProperty(*widget.host().Find("mtbDate"), "TabIndex", ov::Variant::FromInteger(0));
    QTest::keyClick(&widget, Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(widget.focusedControl(), std::string("mtbDate"));
    QTest::keyClick(&widget, Qt::Key_Tab);
    QCOMPARE(widget.focusedControl(), std::string("mtbPhone"));
}

void LiveHostTest::TabLeavesTheFormForTheNextWidget() {
    // In a window with another widget after the form, Tab past the last box goes on to it, and
    // Shift+Tab from it comes back into the form at the last box.
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* widget = new OrvelleWidget(ov::library::Classes());
    auto* after = new QLineEdit;
    layout->addWidget(widget);
    layout->addWidget(after);
    ShowShowcaseWithPhoneFocused(*widget, window);
    EventLog log(*widget);
    QTest::keyClick(widget, Qt::Key_Tab);
    QTest::keyClick(widget, Qt::Key_Tab);
    QCOMPARE(widget->focusedControl(), std::string("mtbDate"));
    log.events.clear();
    QTest::keyClick(widget, Qt::Key_Tab);
    QTRY_VERIFY(after->hasFocus());
    QCOMPARE(FocusAndChangeEvents(log), (QStringList{"mtbDate.Validate", "mtbDate.Change", "mtbDate.InvalidEntry"}));
    log.events.clear();
    QTest::keyClick(after, Qt::Key_Backtab, Qt::ShiftModifier);
    QTRY_VERIFY(widget->hasFocus());
    QCOMPARE(widget->focusedControl(), std::string("mtbDate"));
    QVERIFY(FocusAndChangeEvents(log).isEmpty());
}

// The interfaces below `node`, depth first, itself included.
std::vector<QAccessibleInterface*> AccessibleTree(QAccessibleInterface* node) {
    std::vector<QAccessibleInterface*> all{node};
    for (int i = 0; i < node->childCount(); ++i) {
        const std::vector<QAccessibleInterface*> below = AccessibleTree(node->child(i));
        all.insert(all.end(), below.begin(), below.end());
    }
    return all;
}

QAccessibleInterface* FindAccessible(QAccessibleInterface* root, QAccessible::Role role, const QString& name) {
    for (QAccessibleInterface* node : AccessibleTree(root))
        if (node->role() == role && node->text(QAccessible::Name) == name) return node;
    return nullptr;
}

// The text box entry holding `text`.
QAccessibleInterface* FindEntry(QAccessibleInterface* root, const QString& text) {
    for (QAccessibleInterface* node : AccessibleTree(root))
        if (node->role() == QAccessible::EditableText && node->textInterface() &&
            node->textInterface()->text(0, -1) == text)
            return node;
    return nullptr;
}

void LiveHostTest::AccessibleTreeOfTheShowcase() {
    // The Qt side of what AT-SPI reads (orvelle_run.accessibility_tree reads it over the bus):
    // the form's controls as children, the panel's box as the panel's, parts with their
    // geometry, states and text interfaces.
    OrvelleWidget widget(ov::library::Classes());
    QVERIFY(widget.LoadForm(ov::forms::LoadFormFile(ORVELLE_SOURCE_ROOT "/examples/showcase.json")).empty());
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QAccessibleInterface* form = QAccessible::queryAccessibleInterface(&widget);
    QVERIFY(form);
    QCOMPARE(form->role(), QAccessible::Window);
    QCOMPARE(form->text(QAccessible::Name), QString("OrvelleControls showcase"));
    // Every control placed on the form, but not the box inside the see-through panel.
    QCOMPARE(form->childCount(), int(widget.host().objects().entries().size()) - 1);
    QAccessibleInterface* see_through = FindAccessible(form, QAccessible::Grouping, "See-through");
    QVERIFY(see_through);
    QCOMPARE(see_through->childCount(), 1);
    QCOMPARE(see_through->child(0)->parent(), see_through);
    QCOMPARE(see_through->parent(), form);
    QVERIFY(FindAccessible(form, QAccessible::Graphic, "Orvelle"));

    // The heading under a page tab's centre is the heading it names.
    QAccessibleInterface* colours = FindAccessible(form, QAccessible::PageTab, "Colours");
    QVERIFY(colours);
    QVERIFY(colours->state().selected);
    QCOMPARE(colours->parent()->role(), QAccessible::PageTabList);
    QCOMPARE(colours->parent()->childAt(colours->rect().center().x(), colours->rect().center().y()), colours);
    QAccessibleInterface* about = FindAccessible(form, QAccessible::PageTab, "About");
    QVERIFY(about && !about->state().selected);
    QCOMPARE(about->actionInterface()->actionNames(), QStringList{QAccessibleActionInterface::pressAction()});

    // A link's rectangle starts where the renderer put its hot spot.
    QAccessibleInterface* manual = FindAccessible(form, QAccessible::Link, "manual");
    QVERIFY(manual);
    const auto& label = static_cast<ov::hotlabel::OVHotLabel&>(*widget.host().FindControl("hotHelp"));
    QCOMPARE(manual->parent()->text(QAccessible::Name),
             QString("Read the manual  first, or ask us when a word runs off the edge."));
    const QPoint label_corner =
        widget.mapToGlobal(QPoint(0, 0)) +
        WidgetPoint(widget, widget.host().OriginOf("hotHelp").x, widget.host().OriginOf("hotHelp").y);
    const int frame = label.MainBox().box().BorderStyle() == 1 ? 2 : 0;
    QCOMPARE(manual->rect().topLeft() - label_corner,
             WidgetPoint(widget, frame + label.HotSpots()(1).left, frame + label.HotSpots()(1).top));

    // The entries: text, caret, a selection set through the interface, the invalid date.
    QAccessibleInterface* phone = FindEntry(form, "(555) 123-4567");
    QVERIFY(phone);
    QVERIFY(phone->state().focusable && phone->state().editable);
    phone->textInterface()->setSelection(0, 1, 4);
    const auto& phone_box =
        static_cast<const ov::host::TextBox&>(*widget.host().FindControl("mtbPhone")->FindConstituent("txt"));
    QCOMPARE(phone_box.SelText(), std::string("555"));
    int start = 0, end = 0;
    phone->textInterface()->selection(0, &start, &end);
    QCOMPARE(QPoint(start, end), QPoint(1, 4));
    // A character's rectangle holds the point that finds it again.
    const QRect third = phone->textInterface()->characterRect(3);
    QVERIFY(third.isValid());
    QCOMPARE(phone->textInterface()->offsetAtPoint(third.center()), 3);
    int attribute_start = 0, attribute_end = 0;
    QAccessibleInterface* date = FindEntry(form, "31/04/2024");
    QVERIFY(date);
    QCOMPARE(date->textInterface()->attributes(0, &attribute_start, &attribute_end), QString("invalid:true;"));
    QCOMPARE(phone->textInterface()->attributes(0, &attribute_start, &attribute_end), QString());

    // The tray icon (not on the showcase): a button named by its info tip.
    OrvelleWidget tray_widget(ov::library::Classes());
    tray_widget.HostControl("tray", "OVTrayIcon");
    ov::PutProperty(*tray_widget.host().FindControl("tray"), "InfoTip", ov::Variant::FromString("Backup running"));
    QAccessibleInterface* tray = QAccessible::queryAccessibleInterface(&tray_widget)->child(0);
    QVERIFY(tray);
    QCOMPARE(tray->role(), QAccessible::Button);
    QCOMPARE(tray->text(QAccessible::Name), QString("Backup running"));
}

QTEST_MAIN(LiveHostTest)
#include "live_host_test.moc"
