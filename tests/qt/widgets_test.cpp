// The controls as Qt widgets, used as an application uses them: only <orvelle/qt/controls.h>
// and libOrvelleQt. What they must agree with comes from the outside: the type library from
// `orvelle typelib --json`, the pixels from `orvelle render` of the same single-control form.
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QHBoxLayout>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMetaEnum>
#include <QMetaMethod>
#include <QMetaProperty>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>
#include <functional>
#include <map>
#include <memory>

#include "orvelle/qt/controls.h"

namespace {

using namespace ov::qt;

// The classes by name, as a designer or a loader would create them.
std::map<QString, std::function<QObject*()>> Factories() {
    return {
        {"OV3DLine", [] { return new OV3DLine; }},     {"OVGradientPanel", [] { return new OVGradientPanel; }},
        {"OVHotLabel", [] { return new OVHotLabel; }}, {"OVTrayIcon", [] { return new OVTrayIcon; }},
        {"OVTabHead", [] { return new OVTabHead; }},   {"OVMaskedTextBox", [] { return new OVMaskedTextBox; }},
        {"OVSideLogo", [] { return new OVSideLogo; }}, {"clsGradient", [] { return new ov::qt::clsGradient; }},
    };
}

QByteArray RunCli(const QStringList& arguments) {
    QProcess cli;
    cli.start(QStringLiteral(ORVELLE_CLI), arguments);
    if (!cli.waitForFinished(120000) || cli.exitCode() != 0)
        qWarning() << "orvelle" << arguments << "failed:" << cli.readAllStandardError();
    return cli.readAllStandardOutput();
}

QJsonArray TypeLibraryClasses() {
    return QJsonDocument::fromJson(RunCli({"typelib", "--json"})).object().value("classes").toArray();
}

// The Q_ENUM key of a type library value name (a name that is no identifier made one).
QByteArray KeyOf(const QString& value_name) {
    QByteArray key;
    for (QChar ch : value_name) key += ch.isLetterOrNumber() || ch == '_' ? ch.toLatin1() : '_';
    if (key.isEmpty() || std::isdigit(static_cast<unsigned char>(key[0]))) key.prepend('_');
    return key;
}

bool HasSignal(const QMetaObject& meta, const QString& name, int arguments) {
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i) {
        const QMetaMethod method = meta.method(i);
        if (method.methodType() == QMetaMethod::Signal && method.name() == name.toLatin1() &&
            method.parameterCount() == arguments)
            return true;
    }
    return false;
}

bool HasInvokable(const QMetaObject& meta, const QString& name) {
    for (int i = meta.methodOffset(); i < meta.methodCount(); ++i)
        if (meta.method(i).methodType() == QMetaMethod::Method && meta.method(i).name() == name.toLatin1()) return true;
    return false;
}

QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

// The first pixel where two images differ, as text; empty when they are equal.
QString FirstDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size())
        return QString("sizes %1x%2 and %3x%4").arg(a.width()).arg(a.height()).arg(b.width()).arg(b.height());
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                return QString("(%1, %2): %3 and %4").arg(x).arg(y).arg(a.pixel(x, y), 6, 16).arg(b.pixel(x, y), 6, 16);
    return {};
}

}  // namespace

class WidgetsTest : public QObject {
    Q_OBJECT

private slots:
    void EveryMemberOfTheTypeLibrary();
    void TextAndColoursRoundTrip();
    void DefaultsResetAndNotify();
    void RefusedWriteReportsTheError();
    void GrabEqualsRender_data();
    void GrabEqualsRender();
    void SeeThroughPanelShowsWhatLiesBeneath();
    void PanelContainsWidgets();
    void LayoutSizesTheControl();
    void SlotChangesByReferenceArgument();
    void DesignTimeForATree();
    void PersistedPropertiesRoundTrip();
    void KeyboardReachesTheFocusedWidget();
    void GradientDrawsOnAPaintDevice();
    void WindowShowsEachChangeAsAFreshWidgetDoes();
};

void WidgetsTest::EveryMemberOfTheTypeLibrary() {
    const QJsonArray classes = TypeLibraryClasses();
    QCOMPARE(classes.size(), 8);
    auto factories = Factories();
    for (const QJsonValue& value : classes) {
        const QJsonObject cls = value.toObject();
        const QString name = cls.value("name").toString();
        QVERIFY2(factories.count(name), qPrintable("no widget for " + name));
        std::unique_ptr<QObject> object(factories[name]());
        const QMetaObject& meta = *object->metaObject();
        QCOMPARE(QString(meta.className()), "ov::qt::" + name);
        for (const QJsonValue& m : cls.value("interface").toObject().value("members").toArray()) {
            const QJsonObject member = m.toObject();
            const QString member_name = member.value("name").toString();
            const QString context = name + "." + member_name;
            if (member.value("kind").toString() == "method") {
                QVERIFY2(HasInvokable(meta, member_name), qPrintable("no invokable " + context));
                continue;
            }
            const int index = meta.indexOfProperty(member_name.toLatin1());
            QVERIFY2(index >= 0, qPrintable("no property " + context));
            const QMetaProperty property = meta.property(index);
            const QJsonArray access = member.value("access").toArray();
            bool writable = false;
            for (const QJsonValue& kind : access) writable |= kind.toString().startsWith("put");
            QVERIFY2(property.isWritable() == writable, qPrintable("writable differs for " + context));
            QCOMPARE(property.isStored(), !member.value("persistedKey").isNull());
            QCOMPARE(property.hasNotifySignal(), !member.value("notification").isNull());
            if (!member.value("params").toArray().isEmpty())
                QVERIFY2(HasInvokable(meta, member_name) && HasInvokable(meta, "set" + member_name),
                         qPrintable("no invokable pair for " + context));
            const QJsonObject type = member.value("type").toObject();
            if (type.value("kind").toString() == "enum" && property.isEnumType()) {
                QCOMPARE(QString(property.enumerator().name()), type.value("name").toString());
            }
        }
        if (cls.value("control").toBool())
            for (const QJsonValue& e : cls.value("events").toObject().value("events").toArray()) {
                const QJsonObject event = e.toObject();
                QVERIFY2(HasSignal(meta, event.value("name").toString(), event.value("params").toArray().size()),
                         qPrintable("no signal " + name + "." + event.value("name").toString()));
            }
        for (const QJsonValue& e : cls.value("enums").toArray()) {
            const int index = meta.indexOfEnumerator(e.toString().toLatin1());
            QVERIFY2(index >= 0, qPrintable("no Q_ENUM " + name + "." + e.toString()));
        }
    }
}

void WidgetsTest::TextAndColoursRoundTrip() {
    OVGradientPanel panel;
    panel.setCaption(QString::fromUtf8("Grüße"));
    QCOMPARE(panel.Caption(), QString::fromUtf8("Grüße"));
    QVERIFY(panel.setProperty("Caption", QString::fromUtf8("Größe")));
    QCOMPARE(panel.property("Caption").toString(), QString::fromUtf8("Größe"));

    // A system colour stays one until a colour is set; a colour set by name reads back.
    QCOMPARE(panel.systemColorIndex("BackColor"), 15);  // button face
    panel.setBackColor(QColor("teal"));
    QCOMPARE(panel.BackColor(), QColor("teal"));
    QCOMPARE(panel.systemColorIndex("BackColor"), -1);
    QVERIFY(panel.setProperty("BackColor", QColor("#123456")));
    QCOMPARE(panel.property("BackColor").value<QColor>(), QColor("#123456"));
    QVERIFY(panel.setSystemColor("BackColor", 5));
    QCOMPARE(panel.systemColorIndex("BackColor"), 5);
    QVERIFY(!panel.setSystemColor("BackColor", 99));
    QCOMPARE(panel.lastError().number, 380);

    // Enumerations by their type library names, through the meta-object as Designer uses them.
    panel.setStyle(OVGradientPanel::gpsGradient);
    QCOMPARE(panel.Style(), OVGradientPanel::gpsGradient);
    QVERIFY(panel.setProperty("Appearance", QVariant::fromValue(OVGradientPanel::gpaEtched)));
    QCOMPARE(panel.Appearance(), OVGradientPanel::gpaEtched);

    OVMaskedTextBox box;
    box.setMask("(###) ###-####");
    QCOMPARE(box.Mask(), QString("(###) ###-####"));
    QVERIFY(box.mask().isEmpty());  // QWidget's own mask is still reachable, and untouched
    box.setText("(555) 123-4567");
    QCOMPARE(box.Text(), QString("(555) 123-4567"));

    QFont font("DejaVu Sans");
    font.setPointSizeF(12);
    font.setBold(true);
    panel.setFont(font);
    QCOMPARE(panel.Font().family(), QString("DejaVu Sans"));
    QCOMPARE(panel.Font().pointSizeF(), 12.0);
    QVERIFY(panel.FontBold());
}

void WidgetsTest::DefaultsResetAndNotify() {
    OVTabHead tabs;
    QSignalSpy changed(&tabs, &OVTabHead::SelectedBoldChanged);
    const bool initial = tabs.SelectedBold();
    tabs.setSelectedBold(!initial);
    QCOMPARE(changed.count(), 1);
    QCOMPARE(tabs.SelectedBold(), !initial);
    tabs.resetSelectedBold();
    QCOMPARE(tabs.SelectedBold(), initial);
    const QString headings = tabs.TabString();
    tabs.setTabString("One,Two,Three");
    QCOMPARE(tabs.TabString(), QString("One,Two,Three"));
    tabs.resetTabString();
    QCOMPARE(tabs.TabString(), headings);

    OVGradientPanel panel;
    const QMetaProperty repetitions =
        panel.metaObject()->property(panel.metaObject()->indexOfProperty("GradientRepetitions"));
    QVERIFY(repetitions.isResettable());
    const double fresh = panel.GradientRepetitions();
    panel.setGradientRepetitions(fresh + 3);
    QCOMPARE(panel.GradientRepetitions(), fresh + 3);
    QVERIFY(repetitions.reset(&panel));
    QCOMPARE(panel.GradientRepetitions(), fresh);
}

void WidgetsTest::RefusedWriteReportsTheError() {
    OVMaskedTextBox box;
    box.setMask("(###) ###-####");
    box.setText("(555) 123-4567");
    QSignalSpy errors(&box, &ControlWidget::automationError);
    box.setText("5551234567");  // does not fit the mask
    QCOMPARE(errors.count(), 1);
    QCOMPARE(errors.at(0).at(0).toInt(), 380);
    QCOMPARE(errors.at(0).at(2).toString(), QString("OrvelleControls.OVMaskedTextBox"));
    QCOMPARE(box.lastError().number, 380);
    QCOMPARE(box.Text(), QString("(555) 123-4567"));
    // A value of no convertible type is a type mismatch, through the meta-object too.
    OVGradientPanel panel;
    QVERIFY(!panel.setControlProperty("AlignmentCushion", QString("many")));
    QCOMPARE(panel.lastError().number, 13);
}

void WidgetsTest::GrabEqualsRender_data() {
    QTest::addColumn<QString>("name");
    for (const auto& [name, factory] : Factories())
        if (name != "clsGradient") QTest::newRow(qPrintable(name)) << name;
}

void WidgetsTest::GrabEqualsRender() {
    QFETCH(QString, name);
    QWidget window;
    // The colours orvelle render draws with, from the control's first drawing on.
    ControlWidget::setDefaultClassicColours(true);
    auto* control = qobject_cast<ControlWidget*>(Factories()[name]());
    ControlWidget::setDefaultClassicColours(false);
    control->setParent(&window);
    window.resize(control->size());
    // Where a control lets its form show, the window shows the form's colour too.
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // What the window shows where the control is: the control over what lies beneath it.
    const QImage grabbed = Rgb(window.grab(control->geometry()).toImage());

    QTemporaryDir dir;
    const int width_twips = control->width() * 15, height_twips = control->height() * 15;
    QJsonObject form{{"orvelle_form", 1},
                     {"form", QJsonArray{QJsonObject{{"key", "Width"}, {"type", "Single"}, {"value", width_twips}},
                                         QJsonObject{{"key", "Height"}, {"type", "Single"}, {"value", height_twips}}}},
                     {"controls", QJsonArray{QJsonObject{
                                      {"name", name},
                                      {"class", name},
                                      {"left", 0},
                                      {"top", 0},
                                      {"width", width_twips},
                                      {"height", height_twips},
                                      {"properties", QJsonDocument::fromJson(control->saveProperties()).array()}}}}};
    QFile file(dir.filePath("form.json"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(form).toJson());
    file.close();
    RunCli({"render", dir.filePath("form.json"), "-o", dir.filePath("form.png")});
    const QImage rendered = Rgb(QImage(dir.filePath("form.png")));
    QVERIFY2(!rendered.isNull(), "orvelle render wrote no image");
    const QString difference = FirstDifference(grabbed, rendered);
    if (!difference.isEmpty()) {
        grabbed.save(QDir::temp().filePath(name + "-grabbed.png"));
        rendered.save(QDir::temp().filePath(name + "-rendered.png"));
    }
    QVERIFY2(difference.isEmpty(), qPrintable(name + " differs at " + difference));
}

void WidgetsTest::SeeThroughPanelShowsWhatLiesBeneath() {
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(255, 0, 0));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    auto* panel = new OVGradientPanel(&window);
    panel->setCaption("");
    panel->setAppearance(OVGradientPanel::gpaNone);
    window.resize(panel->size());
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QPoint centre(panel->width() / 2, panel->height() / 2);
    QVERIFY(Rgb(window.grab().toImage()).pixel(centre) != qRgb(255, 0, 0));
    panel->setStyle(OVGradientPanel::gpsTransparent);
    QCOMPARE(Rgb(window.grab().toImage()).pixel(centre), qRgb(255, 0, 0));
}

// A live window repaints only the part a change touched. What the X server shows of the window
// after each change must be what a widget made fresh with the same properties paints.
void WidgetsTest::WindowShowsEachChangeAsAFreshWidgetDoes() {
    const auto set_up = [](OVGradientPanel& panel) {
        panel.resize(400, 300);
        panel.setStyle(OVGradientPanel::gpsGradient);
    };
    OVGradientPanel live;
    set_up(live);
    live.show();
    QVERIFY(QTest::qWaitForWindowExposed(&live));
    const std::vector<std::function<void(OVGradientPanel&)>> changes = {
        [](OVGradientPanel& p) { p.setCaption("Quarterly figures"); },
        [](OVGradientPanel& p) { p.setCaption("Q"); },
        [](OVGradientPanel& p) { p.setAlignment(OVGradientPanel::gpaLeftTop); },
        [](OVGradientPanel& p) { p.setCaption("Annual figures, all regions"); },
        [](OVGradientPanel& p) { p.setAppearance(OVGradientPanel::gpaBevelRaised); },
        [](OVGradientPanel& p) { p.setCaption(""); },
    };
    for (std::size_t i = 0; i < changes.size(); ++i) {
        changes[i](live);
        QCoreApplication::processEvents();
        const QImage shown = Rgb(live.screen()->grabWindow(live.winId()).toImage());
        OVGradientPanel fresh;
        set_up(fresh);
        for (std::size_t j = 0; j <= i; ++j) changes[j](fresh);
        const QImage painted = Rgb(fresh.grab().toImage());
        QVERIFY2(FirstDifference(shown, painted).isEmpty(),
                 qPrintable(QString("change %1: %2").arg(i).arg(FirstDifference(shown, painted))));
    }
}

void WidgetsTest::PanelContainsWidgets() {
    OVGradientPanel panel;
    panel.resize(300, 200);
    auto* label = new QLabel("plain Qt", &panel);
    label->setGeometry(10, 10, 100, 20);
    auto* hot = new OVHotLabel(&panel);
    hot->move(20, 60);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QCOMPARE(label->parentWidget(), &panel);
    QCOMPARE(hot->parentWidget(), &panel);
    // Children are drawn above the panel: the hot label's pixels, not the panel's, show there.
    const QImage whole = Rgb(panel.grab().toImage());
    const QImage own = Rgb(hot->grab().toImage());
    QCOMPARE(whole.pixel(hot->x() + own.width() / 2, hot->y() + own.height() / 2),
             own.pixel(own.width() / 2, own.height() / 2));
    QCOMPARE(panel.childAt(label->geometry().center()), label);
}

void WidgetsTest::LayoutSizesTheControl() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* tabs = new OVTabHead;
    auto* logo = new OVSideLogo;
    layout->addWidget(tabs);
    layout->addWidget(logo);
    window.resize(420, 300);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // The control's extent in twips follows the widget's pixels through the screen's factors.
    const double ratio = tabs->devicePixelRatioF();
    const int twips_per_pixel = static_cast<int>(std::lround(15 / ratio));
    QTRY_COMPARE(tabs->controlProperty("Width").toDouble(),
                 std::lround(tabs->width() * ratio) * static_cast<double>(twips_per_pixel));
    window.resize(500, 300);
    QTRY_COMPARE(tabs->controlProperty("Width").toDouble(),
                 std::lround(tabs->width() * ratio) * static_cast<double>(twips_per_pixel));
}

void WidgetsTest::SlotChangesByReferenceArgument() {
    OVTabHead tabs;
    tabs.setTabString("One,Two,Three");
    tabs.show();
    QVERIFY(QTest::qWaitForWindowExposed(&tabs));
    QStringList seen;
    // The slot redirects every selection to the last heading.
    connect(&tabs, &OVTabHead::TabSelected, &tabs, [&](int& index, QString& name) {
        seen << QString("%1 %2").arg(index).arg(name);
        index = 2;
    });
    // The press reaches the widget under the pointer, as the window system's would.
    const QPoint heading(60, tabs.height() - 8);  // on "Two"; the headings sit at the bottom
    QTest::mouseClick(tabs.childAt(heading), Qt::LeftButton, {}, heading);
    QCOMPARE(seen, QStringList{"1 Two"});
    QCOMPARE(tabs.SelectedTab(), QString("2"));  // the slot's index, not the clicked one
}

void WidgetsTest::DesignTimeForATree() {
    QWidget window;
    auto* tray = new OVTrayIcon(&window);
    auto* panel = new OVGradientPanel(&window);
    panel->setCaption("kept");
    QVERIFY(tray->userMode());
    ControlWidget::setUserModeForTree(&window, false);
    QVERIFY(!tray->userMode());
    QVERIFY(!panel->userMode());
    QCOMPARE(panel->Caption(), QString("kept"));  // switching keeps the persisted properties
    ControlWidget::setDefaultUserMode(false);
    OVSideLogo logo;
    ControlWidget::setDefaultUserMode(true);
    QVERIFY(!logo.userMode());
}

void WidgetsTest::PersistedPropertiesRoundTrip() {
    OVMaskedTextBox box;
    box.setMask("##/##/####");
    box.setBackColor(QColor(1, 2, 3));
    const QByteArray saved = box.saveProperties();
    QVERIFY(saved.contains("Mask"));
    OVMaskedTextBox other;
    QVERIFY(other.loadProperties(saved));
    QCOMPARE(other.Mask(), QString("##/##/####"));
    QCOMPARE(other.BackColor(), QColor(1, 2, 3));
}

void WidgetsTest::KeyboardReachesTheFocusedWidget() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* price = new OVMaskedTextBox;
    auto* phone = new OVMaskedTextBox;
    layout->addWidget(price);
    layout->addWidget(phone);
    QStringList changes;
    connect(phone, &OVMaskedTextBox::Change, [&] { changes << phone->Text(); });
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    // A click gives the widget the keyboard, as Qt gives any widget under the pointer.
    const QPoint inside(phone->width() / 2, phone->height() / 2);
    QTest::mouseClick(phone->childAt(inside), Qt::LeftButton, {}, inside);
    QTRY_VERIFY(phone->hasFocus() || phone->focusProxy()->hasFocus());
    QTest::keyClicks(QApplication::focusWidget(), "Ok!");
    QCOMPARE(phone->Text(), QString("Ok!"));
    QCOMPARE(changes.size(), 3);
    QCOMPARE(price->Text(), QString());
}

void WidgetsTest::GradientDrawsOnAPaintDevice() {
    ov::qt::clsGradient gradient;
    gradient.setColor1(0x0000FF);  // red, as OLE colours order their bytes
    gradient.setColor2(0xFF0000);  // blue
    QImage image(200, 40, QImage::Format_RGB32);
    image.fill(Qt::white);
    QVERIFY(gradient.Draw(&image));
    QCOMPARE(QColor(image.pixel(0, 20)), QColor(255, 0, 0));
    QVERIFY(QColor(image.pixel(199, 20)).blue() > 240);
    // On an Orvelle widget it draws on the control, as on any control with a device context.
    OVGradientPanel panel;
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    QVERIFY(gradient.Draw(&panel));
    QVERIFY(!gradient.Draw(nullptr));
    QCOMPARE(gradient.lastError().number, 91);
}

QTEST_MAIN(WidgetsTest)
#include "widgets_test.moc"
