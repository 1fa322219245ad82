// The controls inside Qt Designer's own form editor (its components library, the code the
// `designer` program runs), with the plugin from the build: what the property editor offers,
// what Designer writes into a .ui for each property type, and a form saved by Designer converted
// to a form file rendering as the original. Forms are converted with the CLI.
#include <QApplication>
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtDesigner/QDesignerComponents>
#include <QtDesigner/QDesignerFormEditorInterface>
#include <QtDesigner/QDesignerFormWindowCursorInterface>
#include <QtDesigner/QDesignerFormWindowInterface>
#include <QtDesigner/QDesignerFormWindowManagerInterface>
#include <QtDesigner/QDesignerIntegration>
#include <QtDesigner/QDesignerObjectInspectorInterface>
#include <QtDesigner/QDesignerPropertyEditorInterface>
#include <QtDesigner/QDesignerActionEditorInterface>
#include <QtDesigner/QDesignerWidgetBoxInterface>
#include <QtDesigner/QDesignerPropertySheetExtension>
#include <QtDesigner/QDesignerWidgetDataBaseInterface>
#include <QtDesigner/QDesignerWidgetFactoryInterface>
#include <QtDesigner/QExtensionManager>

#include "orvelle/qt/controls.h"

namespace {

using namespace ov::qt;

bool RunCli(const QStringList& arguments, QByteArray* error = nullptr) {
    QProcess cli;
    cli.start(QStringLiteral(ORVELLE_CLI), arguments);
    const bool ok = cli.waitForFinished(120000) && cli.exitStatus() == QProcess::NormalExit && cli.exitCode() == 0;
    if (error) *error = cli.readAllStandardError();
    if (!ok) qWarning() << "orvelle" << arguments << "failed:" << cli.readAllStandardError();
    return ok;
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// The <property name="NAME"> element of widget WIDGET in a .ui text, as written (whitespace
// removed), or empty.
QString PropertyXml(const QString& ui, const QString& widget, const QString& name) {
    const int start = ui.indexOf(QStringLiteral("name=\"%1\"").arg(widget));
    if (start < 0) return {};
    const int next_widget = ui.indexOf(QStringLiteral("<widget"), start);
    const int at = ui.indexOf(QStringLiteral("<property name=\"%1\"").arg(name), start);
    if (at < 0 || (next_widget >= 0 && at > next_widget)) return {};
    const int end = ui.indexOf(QStringLiteral("</property>"), at);
    QString xml = ui.mid(at, end + 11 - at);
    return xml.replace(QRegularExpression(QStringLiteral(">\\s+<")), QStringLiteral("><")).trimmed();
}

}  // namespace

class DesignerFormTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void WidgetBoxOffersTheControls();
    void WidgetsOfAFormRunAtDesignTime();
    void WidgetsPlacedOnThePanelAreItsChildren();
    void PropertyEditorOffersPersistedProperties();
    void WhatDesignerWrites_data();
    void WhatDesignerWrites();
    void SystemColourIsNotChangedUntilSet();
    void PicturesKeepTheirFilesAndResources();
    void SavedByDesignerRendersAsTheOriginal();

private:
    // A form window holding `ui` (a file in the work folder, so relative paths resolve).
    QDesignerFormWindowInterface* Open(const QByteArray& ui);
    QDesignerPropertySheetExtension* Sheet(QObject* object) const {
        return qt_extension<QDesignerPropertySheetExtension*>(core_->extensionManager(), object);
    }

    QDesignerFormEditorInterface* core_ = nullptr;
    QTemporaryDir dir_;
    QByteArray seven_ui_;
};

void DesignerFormTest::initTestCase() {
    QVERIFY(dir_.isValid());
    // Set up as the designer program sets itself up.
    core_ = QDesignerComponents::createFormEditor(this);
    QDesignerComponents::initializeResources();
    core_->setWidgetBox(QDesignerComponents::createWidgetBox(core_, nullptr));
    core_->setPropertyEditor(QDesignerComponents::createPropertyEditor(core_, nullptr));
    core_->setObjectInspector(QDesignerComponents::createObjectInspector(core_, nullptr));
    core_->setActionEditor(QDesignerComponents::createActionEditor(core_, nullptr));
    new QDesignerIntegration(core_, this);
    QDesignerComponents::initializePlugins(core_);
    const QString form = dir_.filePath("seven.json"), ui = dir_.filePath("seven.ui");
    QVERIFY(QFile::copy(QStringLiteral(ORVELLE_SOURCE_ROOT "/tests/qt/data/seven_controls.json"), form));
    QVERIFY(RunCli({"form2ui", form, "-o", ui}));
    seven_ui_ = ReadAll(ui);
    QVERIFY(!seven_ui_.isEmpty());
}

void DesignerFormTest::cleanupTestCase() {
    while (core_->formWindowManager()->formWindowCount() > 0) delete core_->formWindowManager()->formWindow(0);
}

QDesignerFormWindowInterface* DesignerFormTest::Open(const QByteArray& ui) {
    QDesignerFormWindowInterface* window = core_->formWindowManager()->createFormWindow(nullptr);
    const QString path = dir_.filePath(QStringLiteral("form%1.ui").arg(core_->formWindowManager()->formWindowCount()));
    WriteAll(path, ui);
    window->setFileName(path);
    QFile file(path);
    QString error;
    if (!file.open(QIODevice::ReadOnly) || !window->setContents(&file, &error))
        qWarning() << "Designer refused the form:" << error;
    core_->formWindowManager()->setActiveFormWindow(window);
    return window;
}

void DesignerFormTest::WidgetBoxOffersTheControls() {
    QDesignerWidgetDataBaseInterface* database = core_->widgetDataBase();
    for (const char* name : {"OV3DLine", "OVGradientPanel", "OVHotLabel", "OVTrayIcon", "OVTabHead", "OVMaskedTextBox",
                             "OVSideLogo"}) {
        const int index = database->indexOfClassName(QStringLiteral("ov::qt::") + name);
        QVERIFY2(index >= 0, name);
        QDesignerWidgetDataBaseItemInterface* item = database->item(index);
        QCOMPARE(item->group(), QStringLiteral("OrvelleControls"));
        QCOMPARE(item->includeFile(), QStringLiteral("orvelle/qt/controls.h"));
        QVERIFY2(!item->toolTip().isEmpty(), name);
        QCOMPARE(item->isContainer(), QByteArray(name) == "OVGradientPanel");
        // The toolbox picture, and at device pixel ratio 2 its pixels doubled.
        const QIcon icon = item->icon();
        const QImage one = icon.pixmap(QSize(16, 15), 1.0).toImage().convertToFormat(QImage::Format_RGB32);
        const QImage two = icon.pixmap(QSize(16, 15), 2.0).toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(one.size(), QSize(16, 15));
        QCOMPARE(two.size(), QSize(32, 30));
        for (int y = 0; y < 30; ++y)
            for (int x = 0; x < 32; ++x) QCOMPARE(two.pixel(x, y), one.pixel(x / 2, y / 2));
    }
}

void DesignerFormTest::WidgetsOfAFormRunAtDesignTime() {
    QDesignerFormWindowInterface* window = Open(seven_ui_);
    const QList<ControlWidget*> controls = window->mainContainer()->findChildren<ControlWidget*>();
    QCOMPARE(controls.size(), 7);
    for (ControlWidget* control : controls) QVERIFY2(!control->userMode(), qPrintable(control->objectName()));
    auto* hot = window->mainContainer()->findChild<OVHotLabel*>("hot");
    QVERIFY(hot);
    QCOMPARE(hot->parentWidget()->objectName(), QStringLiteral("pnl"));
}

// A widget Designer puts on the panel is the panel's child, at design time, and is saved inside it.
void DesignerFormTest::WidgetsPlacedOnThePanelAreItsChildren() {
    QDesignerFormWindowInterface* window = Open(seven_ui_);
    auto* panel = window->mainContainer()->findChild<OVGradientPanel*>("pnl");
    QVERIFY(panel);
    QWidget* tabs = core_->widgetFactory()->createWidget(QStringLiteral("ov::qt::OVTabHead"), panel);
    auto* control = qobject_cast<OVTabHead*>(tabs);
    QVERIFY(control);
    QVERIFY(!control->userMode());
    tabs->setObjectName(QStringLiteral("tabInside"));
    tabs->move(8, 8);
    window->manageWidget(tabs);
    const QString ui = window->contents();
    const int panel_at = ui.indexOf(QStringLiteral("name=\"pnl\""));
    const int inside_at = ui.indexOf(QStringLiteral("<widget class=\"ov::qt::OVTabHead\" name=\"tabInside\">"));
    QVERIFY2(panel_at >= 0 && inside_at > panel_at, qPrintable(ui));
    // Before the panel's own end: no </widget> of the panel lies between (its hot label's closes first).
    const int hot_end = ui.indexOf(QStringLiteral("</widget>"), ui.indexOf(QStringLiteral("name=\"hot\"")));
    const int panel_end = ui.indexOf(QStringLiteral("</widget>"), hot_end + 1);
    QVERIFY2(inside_at < panel_end, qPrintable(ui));
}

void DesignerFormTest::PropertyEditorOffersPersistedProperties() {
    QDesignerFormWindowInterface* window = Open(seven_ui_);
    auto* panel = window->mainContainer()->findChild<OVGradientPanel*>("pnl");
    QVERIFY(panel);
    QDesignerPropertySheetExtension* sheet = Sheet(panel);
    QVERIFY(sheet);
    for (const char* name : {"Caption", "Style", "BackColor", "Font", "Picture", "GradientAngle", "UseClassicBorders"}) {
        const int index = sheet->indexOf(name);
        QVERIFY2(index >= 0 && sheet->isVisible(index), name);
    }
    // The editor each takes, by the value Designer keeps for it: a combo box of the enumeration's
    // keys, a colour, a font, a picture file or resource, text.
    const std::pair<const char*, const char*> editors[] = {
        {"Style", "PropertySheetEnumValue"}, {"BackColor", "QColor"}, {"Font", "QFont"},
        {"Picture", "PropertySheetPixmapValue"}, {"Caption", "PropertySheetStringValue"},
        {"UseClassicBorders", "bool"}, {"BevelWidth", "int"}, {"GradientAngle", "double"}};
    for (const auto& [name, type] : editors)
        QVERIFY2(QString(sheet->property(sheet->indexOf(name)).typeName()).contains(type),
                 qPrintable(QString(name) + ": " + sheet->property(sheet->indexOf(name)).typeName()));
    for (const char* name : {"FontBold", "FontName", "hWnd"}) {
        const int index = sheet->indexOf(name);
        QVERIFY2(index < 0 || !sheet->isVisible(index), name);
    }
    // Changed once set through the editor, and reset to the default.
    const int style = sheet->indexOf("BevelWidth");
    QVERIFY(!sheet->isChanged(style));
    window->cursor()->setWidgetProperty(panel, "BevelWidth", 7);
    QVERIFY(sheet->isChanged(style));
    QCOMPARE(panel->BevelWidth(), 7);
    window->cursor()->resetWidgetProperty(panel, "BevelWidth");
    QVERIFY(!sheet->isChanged(style));
    QCOMPARE(panel->BevelWidth(), 3);
}

void DesignerFormTest::WhatDesignerWrites_data() {
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QString>("property");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("written");
    QTest::newRow("enumeration") << "pnl" << "Style" << QVariant::fromValue(OVGradientPanel::gpsPicture)
                                 << "<property name=\"Style\"><enum>ov::qt::OVGradientPanel::gpsPicture</enum></property>";
    QTest::newRow("enumeration of a non-identifier name")
        << "logo" << "Style" << QVariant::fromValue(OVSideLogo::_3_Dimensional)
        << "<property name=\"Style\"><enum>ov::qt::OVSideLogo::_3_Dimensional</enum></property>";
    // An enum class's key goes without its enumeration's name (code uic makes of it does not
    // compile; QUiLoader reads it).
    QTest::newRow("scoped enumeration")
        << "mtb" << "OLEDropMode" << QVariant::fromValue(OVMaskedTextBox::mtbOLEDropMode::mtbManual)
        << "<property name=\"OLEDropMode\"><enum>ov::qt::OVMaskedTextBox::mtbManual</enum></property>";
    QTest::newRow("colour") << "lin" << "BackColor" << QVariant(QColor(0x20, 0x40, 0x80))
                            << "<property name=\"BackColor\"><color><red>32</red><green>64</green><blue>128</blue></color></property>";
    QTest::newRow("text") << "tab" << "TabString" << QVariant(QStringLiteral("A,B & <C>"))
                          << "<property name=\"TabString\"><string>A,B &amp; &lt;C&gt;</string></property>";
    QTest::newRow("number") << "pnl" << "BevelWidth" << QVariant(6)
                            << "<property name=\"BevelWidth\"><number>6</number></property>";
    QTest::newRow("real") << "pnl" << "GradientAngle" << QVariant(22.5)
                          << "<property name=\"GradientAngle\"><double>22.500000000000000</double></property>";
    QTest::newRow("Boolean") << "tab" << "SelectedBold" << QVariant(true)
                             << "<property name=\"SelectedBold\"><bool>true</bool></property>";
    QFont font(QStringLiteral("Arial"), 12);
    font.setBold(true);
    QTest::newRow("font") << "logo" << "Font" << QVariant(font)
                          << "<property name=\"Font\"><font><family>Arial</family><pointsize>12</pointsize><italic>false</italic><bold>true</bold><underline>false</underline><strikeout>false</strikeout></font></property>";
}

// Set as the property editor sets it, saved as Designer saves the form; and what ui2form makes
// of Designer's text is the value set.
void DesignerFormTest::WhatDesignerWrites() {
    QFETCH(QString, widget);
    QFETCH(QString, property);
    QFETCH(QVariant, value);
    QFETCH(QString, written);
    QDesignerFormWindowInterface* window = Open(seven_ui_);
    QWidget* target = window->mainContainer()->findChild<QWidget*>(widget);
    QVERIFY(target);
    window->cursor()->setWidgetProperty(target, property, value);
    const QString ui = window->contents();
    QCOMPARE(PropertyXml(ui, widget, property), written);

    const QString ui_path = dir_.filePath("written.ui"), form_path = dir_.filePath("written.json");
    QVERIFY(WriteAll(ui_path, ui.toUtf8()));
    QVERIFY(RunCli({"ui2form", ui_path, "-o", form_path}));
    const QString form = QString::fromUtf8(ReadAll(form_path));
    QVERIFY2(form.contains(QStringLiteral("\"key\": \"%1\"").arg(property)), qPrintable(form));
}

// A colour property still holding its system colour is not changed, so the .ui does not record
// it; once a colour is set the .ui holds that plain colour.
void DesignerFormTest::SystemColourIsNotChangedUntilSet() {
    QDesignerFormWindowInterface* window = Open(seven_ui_);
    auto* line = window->mainContainer()->findChild<OV3DLine*>("lin");
    QVERIFY(line);
    QVERIFY(line->systemColorIndex("BackColor") >= 0);
    QDesignerPropertySheetExtension* sheet = Sheet(line);
    QVERIFY(!sheet->isChanged(sheet->indexOf("BackColor")));
    QVERIFY(PropertyXml(window->contents(), "lin", "BackColor").isEmpty());
    window->cursor()->setWidgetProperty(line, "BackColor", QColor(Qt::red));
    QCOMPARE(line->systemColorIndex("BackColor"), -1);
    QCOMPARE(PropertyXml(window->contents(), "lin", "BackColor"),
             QStringLiteral("<property name=\"BackColor\"><color><red>255</red><green>0</green><blue>0</blue></color></property>"));
}

// A picture named by a file or a resource stays named so when Designer saves the form.
void DesignerFormTest::PicturesKeepTheirFilesAndResources() {
    QVERIFY(QDir(dir_.path()).mkpath("images"));
    QFile::copy(QStringLiteral(ORVELLE_SOURCE_ROOT "/examples/pictures/diamond.png"), dir_.filePath("images/diamond.png"));
    WriteAll(dir_.filePath("pictures.qrc"),
             "<RCC>\n <qresource prefix=\"/icons\">\n  <file>images/diamond.png</file>\n </qresource>\n</RCC>\n");
    QByteArray ui = seven_ui_;
    ui.replace("<widget class=\"ov::qt::OVHotLabel\" name=\"hot\">",
               "<widget class=\"ov::qt::OVHotLabel\" name=\"hot\">\n"
               "<property name=\"Picture\"><pixmap>images/diamond.png</pixmap></property>");
    ui.replace("<widget class=\"ov::qt::OVGradientPanel\" name=\"pnl\">",
               "<widget class=\"ov::qt::OVGradientPanel\" name=\"pnl\">\n"
               "<property name=\"Picture\"><pixmap resource=\"pictures.qrc\">:/icons/images/diamond.png</pixmap></property>");
    ui.replace("<resources/>", "<resources><include location=\"pictures.qrc\"/></resources>");
    QDesignerFormWindowInterface* window = Open(ui);
    auto* hot = window->mainContainer()->findChild<OVHotLabel*>("hot");
    QVERIFY(hot);
    QVERIFY(!hot->Picture().isNull());
    const QString saved = window->contents();
    QCOMPARE(PropertyXml(saved, "hot", "Picture"),
             QStringLiteral("<property name=\"Picture\"><pixmap>images/diamond.png</pixmap></property>"));
    QCOMPARE(PropertyXml(saved, "pnl", "Picture"),
             QStringLiteral("<property name=\"Picture\"><pixmap resource=\"pictures.qrc\">:/icons/images/diamond.png</pixmap></property>"));
    const QString ui_path = dir_.filePath("pictures.ui"), form_path = dir_.filePath("pictures.json");
    QVERIFY(WriteAll(ui_path, saved.toUtf8()));
    QVERIFY(RunCli({"ui2form", ui_path, "-o", form_path}));
    QVERIFY(ReadAll(form_path).count("\"png\"") >= 2);
}

// The showcase to .ui, opened and saved by Designer, back to a form file: the same image, but
// for what Designer cannot keep. Designer writes what a property reads, and the masked date box
// holds a text its mask rejects ("31/04/2024", drawn in red), which its Text property reads as
// empty: that one text is lost, every other property, place and container survives.
void DesignerFormTest::SavedByDesignerRendersAsTheOriginal() {
    const QString original = dir_.filePath("showcase_without_rejected_text.json");
    {
        QJsonObject form = QJsonDocument::fromJson(ReadAll(QStringLiteral(ORVELLE_SOURCE_ROOT "/examples/showcase.json"))).object();
        QJsonArray controls = form.value("controls").toArray();
        for (qsizetype i = 0; i < controls.size(); ++i) {
            QJsonObject control = controls[i].toObject();
            if (control.value("name") != QStringLiteral("mtbDate")) continue;
            QJsonArray kept;
            for (const QJsonValue& entry : control.value("properties").toArray())
                if (entry.toObject().value("key") != QStringLiteral("Text")) kept.append(entry);
            control["properties"] = kept;
            controls[i] = control;
        }
        form["controls"] = controls;
        QVERIFY(WriteAll(original, QJsonDocument(form).toJson()));
        QVERIFY(QDir(dir_.path()).mkpath("pictures"));
        for (const char* picture : {"diamond.png", "rings.png"})
            QFile::copy(QStringLiteral(ORVELLE_SOURCE_ROOT "/examples/pictures/") + picture,
                        dir_.filePath(QStringLiteral("pictures/") + picture));
    }
    const QString full_ui = dir_.filePath("showcase_full.ui");
    QVERIFY(RunCli({"form2ui", QStringLiteral(ORVELLE_SOURCE_ROOT "/examples/showcase.json"), "-o", full_ui}));
    const QString ui_path = full_ui;
    QDesignerFormWindowInterface* window = core_->formWindowManager()->createFormWindow(nullptr);
    window->setFileName(ui_path);
    QFile file(ui_path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QString error;
    QVERIFY2(window->setContents(&file, &error), qPrintable(error));
    const QString saved_path = dir_.filePath("saved.ui"), back = dir_.filePath("saved.json");
    const QString saved = window->contents();
    QCOMPARE(PropertyXml(saved, "mtbDate", "Text"), QStringLiteral("<property name=\"Text\"><string/></property>"));
    QVERIFY(WriteAll(saved_path, saved.toUtf8()));
    QVERIFY(RunCli({"ui2form", saved_path, "-o", back}));
    const QString a = dir_.filePath("a.png"), b = dir_.filePath("b.png");
    QVERIFY(RunCli({"render", original, "-o", a}));
    QVERIFY(RunCli({"render", back, "-o", b}));
    const QImage image_a(a), image_b(b);
    QCOMPARE(image_a.size(), image_b.size());
    QVERIFY(image_a == image_b);
    delete window;
}

QTEST_MAIN(DesignerFormTest)
#include "designer_form_test.moc"
