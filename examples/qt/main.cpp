// A form made of Orvelle widgets in a Qt layout: tabs choose what the panel shows, a masked box
// takes a phone number, a hot label's links answer clicks, a tray icon sits on the desktop.
//
//   orvelle_qt_example              shows the form
//   orvelle_qt_example --check CLI  checks the installed package against the CLI beside it
//                                   (`orvelle typelib --json`, `orvelle render`) and exits
#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMetaProperty>
#include <QProcess>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <orvelle/qt/controls.h>

using namespace ov::qt;

namespace {

struct Form {
    QWidget window;
    OVTabHead* tabs = new OVTabHead;
    OVGradientPanel* panel = new OVGradientPanel;
    OVHotLabel* links = new OVHotLabel(panel);  // inside the panel
    OVMaskedTextBox* phone = new OVMaskedTextBox;
    OV3DLine* line = new OV3DLine;
    OVSideLogo* logo = new OVSideLogo;
    OVTrayIcon* tray = new OVTrayIcon;
    QLabel* status = new QLabel("Ready");

    Form() {
        window.setWindowTitle("Orvelle widgets");
        auto* layout = new QVBoxLayout(&window);
        auto* row = new QHBoxLayout;
        row->addWidget(logo);
        auto* column = new QVBoxLayout;
        column->addWidget(tabs);
        column->addWidget(panel, 1);
        column->addWidget(line);
        column->addWidget(phone);
        row->addLayout(column, 1);
        layout->addLayout(row, 1);
        layout->addWidget(status);
        layout->addWidget(tray);

        tabs->setTabString("Gradient,Plain,Picture");
        logo->setCaption("Orvelle");
        panel->setCaption(QString::fromUtf8("Grüße"));
        panel->setGradientColor1(QColor("navy"));
        panel->setGradientColor2(QColor("skyblue"));
        panel->setStyle(OVGradientPanel::gpsGradient);
        links->setControlString("Read the ~manual~ or ~ask us~.");
        links->move(12, 40);
        phone->setMask("(###) ###-####");

        QObject::connect(tabs, &OVTabHead::TabSelected, [this](int& index, QString& name) {
            panel->setStyle(index == 0 ? OVGradientPanel::gpsGradient : OVGradientPanel::gpsStandard);
            status->setText("Tab " + name);
        });
        QObject::connect(links, &OVHotLabel::HotSpotClick,
                         [this](int& index) { status->setText(QString("Link %1 clicked").arg(index)); });
        QObject::connect(phone, &OVMaskedTextBox::InvalidEntry, [this] { status->setText("Not a number"); });
        QObject::connect(phone, &ControlWidget::automationError,
                         [this](int number, const QString& text, const QString&) {
                             status->setText(QString("Error %1: %2").arg(number).arg(text));
                         });
    }
};

QByteArray Run(const QString& cli, const QStringList& arguments) {
    QProcess process;
    process.start(cli, arguments);
    process.waitForFinished(120000);
    return process.readAllStandardOutput();
}

int Fail(const QString& what) {
    qCritical().noquote() << "check failed:" << what;
    return 1;
}

// What a user of the installed package relies on, checked against the CLI of the same prefix.
int Check(const QString& cli) {
    Form form;
    const QList<ControlWidget*> widgets{form.tabs, form.panel, form.links, form.phone, form.line, form.logo, form.tray};
    QMap<QString, const QMetaObject*> meta;
    for (ControlWidget* widget : widgets) meta[widget->controlClass()] = widget->metaObject();
    const QJsonArray classes = QJsonDocument::fromJson(Run(cli, {"typelib", "--json"})).object()["classes"].toArray();
    int members = 0;
    for (const QJsonValue& value : classes) {
        const QJsonObject cls = value.toObject();
        if (!cls["control"].toBool()) continue;
        const QMetaObject* m = meta.value(cls["name"].toString());
        if (!m) return Fail("no widget for " + cls["name"].toString());
        for (const QJsonValue& member : cls["interface"].toObject()["members"].toArray())
            if (member["kind"].toString() == "property") {
                if (m->indexOfProperty(member["name"].toString().toLatin1()) < 0)
                    return Fail("no property " + member["name"].toString());
                ++members;
            }
        for (const QJsonValue& event : cls["events"].toObject()["events"].toArray()) {
            bool found = false;
            for (int i = m->methodOffset(); i < m->methodCount(); ++i)
                found |= m->method(i).methodType() == QMetaMethod::Signal &&
                         m->method(i).name() == event["name"].toString().toLatin1();
            if (!found) return Fail("no signal " + event["name"].toString());
            ++members;
        }
    }
    if (meta.size() != 7 || members < 100) return Fail(QString("only %1 members found").arg(members));

    form.panel->setBackColor(QColor("teal"));
    if (form.panel->Caption() != QString::fromUtf8("Grüße")) return Fail("Caption read back as " + form.panel->Caption());
    if (form.panel->BackColor() != QColor("teal")) return Fail("BackColor read back as " + form.panel->BackColor().name());

    // A lone panel's pixels equal the compositor's for the same form. Where its frame lets the
    // form show through, Qt draws what lies beneath: here a window of the form's grey.
    QWidget window;
    QPalette palette = window.palette();
    palette.setColor(QPalette::Window, QColor(0xC0, 0xC0, 0xC0));
    window.setPalette(palette);
    window.setAutoFillBackground(true);
    ControlWidget::setDefaultClassicColours(true);  // the colours orvelle render draws with
    OVGradientPanel& panel = *new OVGradientPanel(&window);
    ControlWidget::setDefaultClassicColours(false);
    panel.setCaption(QString::fromUtf8("Grüße"));
    panel.setBackColor(QColor("teal"));
    window.resize(panel.size());
    window.show();
    QCoreApplication::processEvents();
    const QImage grabbed = window.grab(panel.geometry()).toImage().convertToFormat(QImage::Format_RGB32);
    QTemporaryDir dir;
    const int width = panel.width() * 15, height = panel.height() * 15;
    const QJsonObject document{
        {"orvelle_form", 1},
        {"form", QJsonArray{QJsonObject{{"key", "Width"}, {"type", "Single"}, {"value", width}},
                            QJsonObject{{"key", "Height"}, {"type", "Single"}, {"value", height}}}},
        {"controls", QJsonArray{QJsonObject{{"name", "OVGradientPanel"}, {"class", "OVGradientPanel"},
                                            {"width", width}, {"height", height},
                                            {"properties", QJsonDocument::fromJson(panel.saveProperties()).array()}}}}};
    QFile file(dir.filePath("panel.json"));
    file.open(QIODevice::WriteOnly);
    file.write(QJsonDocument(document).toJson());
    file.close();
    Run(cli, {"render", dir.filePath("panel.json"), "-o", dir.filePath("panel.png")});
    const QImage rendered = QImage(dir.filePath("panel.png")).convertToFormat(QImage::Format_RGB32);
    bool same = !rendered.isNull() && rendered.size() == grabbed.size();
    for (int y = 0; same && y < grabbed.height(); ++y)
        for (int x = 0; same && x < grabbed.width(); ++x) same = rendered.pixel(x, y) == grabbed.pixel(x, y);
    if (!same) {
        grabbed.save(QDir::temp().filePath("orvelle-example-grabbed.png"));
        return Fail(QString("the panel's pixels differ from orvelle render (%1x%2 and %3x%4; both saved in %5)")
                        .arg(grabbed.width()).arg(grabbed.height()).arg(rendered.width()).arg(rendered.height())
                        .arg(QDir::tempPath()));
    }
    qInfo().noquote() << "checked" << members << "members of 7 widgets";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc == 3 && QString(argv[1]) == "--check") return Check(QString::fromLocal8Bit(argv[2]));
    Form form;
    form.window.resize(640, 420);
    form.window.show();
    return application.exec();
}
