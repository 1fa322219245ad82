// Checks a Designer form of the controls from an installed prefix:
//   orvelle_designer_check PLUGIN_DIR SEVEN.ui SHOWCASE.ui SHOWCASE_RENDER.png
// QUiLoader, pointed at the installed plugin folder, offers the seven widgets and loads SEVEN.ui
// with its properties; the uic code of the same form (compiled into this program) builds the same
// widgets; SHOWCASE.ui loaded and shown looks as `orvelle render` drew the form (pixel for pixel).
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTimer>
#include <QUiLoader>
#include <QtTest/QTest>
#include <cstdio>

#include "orvelle/qt/controls.h"
#include "ui_seven_controls.h"

namespace {

int failures = 0;

void Check(bool ok, const QString& what) {
    std::printf("%s: %s\n", ok ? "ok" : "FAILED", qPrintable(what));
    if (!ok) ++failures;
}

QImage Rgb(const QImage& image) { return image.convertToFormat(QImage::Format_RGB32); }

// Both forms of the seven controls, loaded and compiled, hold what the .ui says.
template <typename Find>
void CheckSeven(const QString& how, QWidget* form, Find find) {
    auto* panel = find.template operator()<ov::qt::OVGradientPanel>("pnl");
    auto* hot = find.template operator()<ov::qt::OVHotLabel>("hot");
    auto* tab = find.template operator()<ov::qt::OVTabHead>("tab");
    auto* mtb = find.template operator()<ov::qt::OVMaskedTextBox>("mtb");
    auto* logo = find.template operator()<ov::qt::OVSideLogo>("logo");
    Check(find.template operator()<ov::qt::OV3DLine>("lin") && find.template operator()<ov::qt::OVTrayIcon>("tray") &&
              panel && hot && tab && mtb && logo,
          how + ": all seven widgets");
    if (!panel || !hot || !tab || !mtb || !logo) return;
    Check(panel->Caption() == "Panel caption", how + ": pnl.Caption = " + panel->Caption());
    Check(panel->Style() == ov::qt::OVGradientPanel::gpsGradient, how + ": pnl.Style");
    Check(panel->GradientColor1() == QColor(0x00, 0x80, 0xFF), how + ": pnl.GradientColor1 " + panel->GradientColor1().name());
    Check(hot->parentWidget() == panel, how + ": hot is inside pnl");
    Check(hot->geometry() == QRect(16, 40, 200, 40), how + ": hot's geometry");
    Check(hot->ControlString() == "A ~hot~ spot", how + ": hot.ControlString");
    Check(tab->TabString() == "One,Two,Three", how + ": tab.TabString = " + tab->TabString());
    Check(mtb->Mask() == "(###) ###-####", how + ": mtb.Mask = " + mtb->Mask());
    Check(logo->Caption() == "Orvelle", how + ": logo.Caption");
    Check(form->windowTitle() == "Seven controls", how + ": the form's title");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 5) {
        std::fprintf(stderr, "usage: orvelle_designer_check PLUGIN_DIR SEVEN.ui SHOWCASE.ui SHOWCASE_RENDER.png\n");
        return 2;
    }
    QUiLoader loader;
    loader.clearPluginPaths();
    loader.addPluginPath(QString::fromLocal8Bit(argv[1]));
    const QStringList available = loader.availableWidgets();
    for (const char* name : {"OV3DLine", "OVGradientPanel", "OVHotLabel", "OVTrayIcon", "OVTabHead", "OVMaskedTextBox",
                             "OVSideLogo"})
        Check(available.contains(QStringLiteral("ov::qt::") + name), QStringLiteral("QUiLoader offers ov::qt::") + name);

    {
        QFile file(QString::fromLocal8Bit(argv[2]));
        file.open(QIODevice::ReadOnly);
        std::unique_ptr<QWidget> form(loader.load(&file));
        Check(form != nullptr, "QUiLoader loads " + file.fileName() + " " + loader.errorString());
        if (form) {
            CheckSeven("QUiLoader", form.get(), [&]<typename T>(const char* name) { return form->findChild<T*>(name); });
            // Loaded for running, not designing.
            auto* panel = form->findChild<ov::qt::ControlWidget*>("pnl");
            Check(panel && panel->userMode(), "a loaded form runs in UserMode");
        }
    }
    {
        QWidget form;
        Ui::Form ui;
        ui.setupUi(&form);
        CheckSeven("uic", &form, [&]<typename T>(const char* name) -> T* {
            if constexpr (std::is_same_v<T, ov::qt::OVGradientPanel>) return ui.pnl;
            else if constexpr (std::is_same_v<T, ov::qt::OVHotLabel>) return ui.hot;
            else if constexpr (std::is_same_v<T, ov::qt::OVTabHead>) return ui.tab;
            else if constexpr (std::is_same_v<T, ov::qt::OVMaskedTextBox>) return ui.mtb;
            else if constexpr (std::is_same_v<T, ov::qt::OVSideLogo>) return ui.logo;
            else if constexpr (std::is_same_v<T, ov::qt::OV3DLine>) return ui.lin;
            else return ui.tray;
            (void)name;
        });
    }
    {
        const QFileInfo ui_file(QString::fromLocal8Bit(argv[3]));
        QFile file(ui_file.filePath());
        file.open(QIODevice::ReadOnly);
        loader.setWorkingDirectory(ui_file.dir());
        // The classic system colours, the ones orvelle render draws with, not the palette's.
        ov::qt::ControlWidget::setDefaultClassicColours(true);
        std::unique_ptr<QWidget> form(loader.load(&file));
        ov::qt::ControlWidget::setDefaultClassicColours(false);
        Check(form != nullptr, "QUiLoader loads " + ui_file.filePath());
        if (form) {
            form->setFixedSize(form->size());
            form->show();
            Check(QTest::qWaitForWindowExposed(form.get()), "the showcase is shown");
            QTest::qWait(200);
            const QImage grabbed = Rgb(form->grab().toImage());
            const QImage rendered = Rgb(QImage(QString::fromLocal8Bit(argv[4])));
            int differing = 0;
            if (grabbed.size() == rendered.size())
                for (int y = 0; y < grabbed.height(); ++y)
                    for (int x = 0; x < grabbed.width(); ++x) differing += grabbed.pixel(x, y) != rendered.pixel(x, y);
            Check(grabbed.size() == rendered.size() && differing == 0,
                  QString("the loaded showcase equals the render: %1x%2 vs %3x%4, %5 pixels differ")
                      .arg(grabbed.width()).arg(grabbed.height()).arg(rendered.width()).arg(rendered.height()).arg(differing));
            if (differing) grabbed.save(ui_file.dir().filePath("grabbed.png"));
        }
    }
    return failures == 0 ? 0 : 1;
}
