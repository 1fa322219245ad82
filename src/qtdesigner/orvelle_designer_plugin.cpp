#include "orvelle_designer_plugin.h"

#include <QEvent>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QtDesigner/QDesignerFormWindowInterface>

#include "orvelle/qt/control_widget.h"

namespace ov::designer {

namespace {

constexpr int kToolboxWidth = 16;
constexpr int kToolboxHeight = 15;

// The toolbox picture at 1x and, for screens at device pixel ratio 2, each pixel doubled
// (no smoothing, so the pixel art stays crisp).
QIcon ToolboxIcon(const std::vector<std::uint32_t>& pixels) {
    if (pixels.size() != static_cast<std::size_t>(kToolboxWidth * kToolboxHeight)) return {};
    QImage image(kToolboxWidth, kToolboxHeight, QImage::Format_RGB32);
    for (int y = 0; y < kToolboxHeight; ++y)
        for (int x = 0; x < kToolboxWidth; ++x)
            image.setPixel(x, y, 0xFF000000u | pixels[static_cast<std::size_t>(y * kToolboxWidth + x)]);
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(image));
    QPixmap doubled = QPixmap::fromImage(
        image.scaled(kToolboxWidth * 2, kToolboxHeight * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation));
    doubled.setDevicePixelRatio(2);
    icon.addPixmap(doubled);
    return icon;
}

// "OVGradientPanel" -> "ovGradientPanel": the object name Designer numbers for new widgets.
QString DefaultObjectName(const QString& class_name) {
    return class_name.startsWith("OV") ? "ov" + class_name.mid(2) : class_name;
}

}  // namespace

ControlPlugin::ControlPlugin(const DesignerClass& control, QObject* parent) : QObject(parent), control_(control) {}

QString ControlPlugin::name() const { return "ov::qt::" + QString::fromLatin1(control_.name); }
QString ControlPlugin::group() const { return QStringLiteral("OrvelleControls"); }
QString ControlPlugin::toolTip() const { return QString::fromUtf8(control_.help); }
QString ControlPlugin::whatsThis() const { return QString::fromUtf8(control_.help); }
QString ControlPlugin::includeFile() const { return QStringLiteral("orvelle/qt/controls.h"); }
QIcon ControlPlugin::icon() const { return ToolboxIcon(control_.toolbox); }
bool ControlPlugin::isContainer() const { return control_.container; }
bool ControlPlugin::isInitialized() const { return initialized_; }

void ControlPlugin::initialize(QDesignerFormEditorInterface* core) {
    core_ = core;
    initialized_ = true;
}

namespace {

// Ends a widget's form load when it is first polished (shown, or laid out), once the loader has
// set every property the .ui holds for it.
class FormLoadEnd : public QObject {
public:
    explicit FormLoadEnd(qt::ControlWidget* widget) : QObject(widget) { widget->installEventFilter(this); }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Polish) {
            watched->removeEventFilter(this);
            static_cast<qt::ControlWidget*>(watched)->endFormLoad();
            deleteLater();
        }
        return false;
    }
};

}  // namespace

// Inside Designer (a form editor core) a widget of a form window, or one Designer makes for
// itself without a parent (to learn the defaults), runs at design time: no icon reaches the
// notification area, no timer fires, a see-through panel shows its outline. A form loaded by
// QUiLoader or shown in Designer's preview runs as the application will. Either way the widget
// takes the .ui's properties as a saved form's: the control loads them (ReadProperties) as a
// form file loads, so it looks as `orvelle render` draws the same form, and a value a put would
// refuse (a masked box's text its mask does not take) is kept as the form keeps it.
QWidget* ControlPlugin::createWidget(QWidget* parent) {
    const bool design_time =
        core_ != nullptr && (parent == nullptr || QDesignerFormWindowInterface::findFormWindow(parent) != nullptr);
    const bool previous = qt::ControlWidget::defaultUserMode();
    qt::ControlWidget::setDefaultUserMode(!design_time);
    QWidget* widget = control_.create(parent);
    qt::ControlWidget::setDefaultUserMode(previous);
    auto* control = static_cast<qt::ControlWidget*>(widget);
    control->beginFormLoad();
    new FormLoadEnd(control);
    return widget;
}

// The widget as the widget box drops it: the class's default extent.
QString ControlPlugin::domXml() const {
    return QStringLiteral(
               "<ui language=\"c++\">\n"
               " <widget class=\"%1\" name=\"%2\">\n"
               "  <property name=\"geometry\">\n"
               "   <rect><x>0</x><y>0</y><width>%3</width><height>%4</height></rect>\n"
               "  </property>\n"
               " </widget>\n"
               "</ui>\n")
        .arg(name(), DefaultObjectName(QString::fromLatin1(control_.name)))
        .arg(control_.width)
        .arg(control_.height);
}

ControlCollection::ControlCollection(QObject* parent) : QObject(parent) {
    for (const DesignerClass& control : DesignerClasses()) widgets_.append(new ControlPlugin(control, this));
}

QList<QDesignerCustomWidgetInterface*> ControlCollection::customWidgets() const { return widgets_; }

}  // namespace ov::designer
