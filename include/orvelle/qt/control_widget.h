#pragma once
// The machinery behind every Orvelle widget (<orvelle/qt/controls.h>): one control of the
// library hosted in a QWidget, its properties read and written as Qt values, its events
// raised as signals.
//
// Each widget runs its control in a live host of its own, which paints the control exactly as
// the library's compositor does, gives it the mouse, the keyboard, the clipboard, a clock and
// the desktop's notification area, and converts the widget's geometry (logical pixels) to the
// control's twips through the screen's factors. Qt places and sizes the widget like any other;
// children of a container widget (the gradient panel) are drawn above it.
//
// Values cross the boundary converted for Qt: text is UTF-8 QString, OLE_COLOR is QColor, a
// font is QFont, a picture QPixmap, an enumeration the widget's Q_ENUM. A colour property
// holding a system colour reads back as that colour's current value and stays a system colour
// until another colour is written; systemColorIndex() tells which one, setSystemColor() sets
// one by index.
//
// Errors: a control refuses a value with an automation error (a number, a description, the
// source). Qt's property system cannot carry exceptions, so a refused write leaves the value
// as it was, records the error (lastError()) and emits automationError.
#include <QColor>
#include <QSize>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <cstdint>
#include <memory>

class QPaintDevice;

namespace ov::qt {

class OrvelleWidget;
class EventArguments;

// An automation error as a widget reports it.
struct ControlError {
    int number = 0;  // 0: none
    QString description;
    QString source;  // "OrvelleControls.OVMaskedTextBox", ...
};

// An object an event or property hands over by reference (an event's DataObject, say), for
// late-bound calls. Empty when it holds no object.
class LateBound {
public:
    LateBound();
    ~LateBound();
    LateBound(const LateBound&);
    LateBound& operator=(const LateBound&);

    bool isNull() const;
    // The object's property or method result as a Qt value; an invalid QVariant (and `error`
    // filled) when the object refuses.
    QVariant property(const QString& name, ControlError* error = nullptr) const;
    bool setProperty(const QString& name, const QVariant& value, ControlError* error = nullptr);
    QVariant call(const QString& method, const QVariantList& arguments = {}, ControlError* error = nullptr);

    struct Handle;  // the object itself, for the library's own code
    explicit LateBound(std::shared_ptr<Handle> handle);
    const std::shared_ptr<Handle>& handle() const { return handle_; }

private:
    std::shared_ptr<Handle> handle_;
};

class ControlWidget : public QWidget {
    Q_OBJECT

public:
    ~ControlWidget() override;

    // The library's class name ("OVHotLabel").
    QString controlClass() const;

    // Run time (true, the default) or design time: at design time a control shows its design
    // look (a see-through panel its outline, the tray icon its picture and no icon on the
    // desktop) and its timers do not fire. Switching keeps every persisted property.
    bool userMode() const;
    void setUserMode(bool user_mode);
    // Switches `root` and every Orvelle widget below it.
    static void setUserModeForTree(QWidget* root, bool user_mode);
    // The mode new widgets start in (a designer creating widgets sets false before it does).
    static void setDefaultUserMode(bool user_mode);
    static bool defaultUserMode();

    // The system colours a control uses (button face, window text, ...) come from the
    // application's palette and follow its changes; with classic colours on they keep the
    // classic scheme, the one `orvelle render` draws with. The scheme is the process's: the
    // widget that applied its colours last sets them for every control.
    bool classicColours() const;
    void setClassicColours(bool classic);
    // Whether new widgets start with classic colours (before their control first draws).
    static void setDefaultClassicColours(bool classic);

    // The system colour index (0 to 24) a colour property holds, -1 for a plain colour or an
    // unknown property.
    int systemColorIndex(const char* property) const;
    // Sets a colour property to system colour `index`; false (and automationError) when refused.
    bool setSystemColor(const char* property, int index);

    // Late-bound access by member name, for what the typed accessors do not cover (extender
    // properties, a member known only at run time).
    QVariant controlProperty(const QString& name) const;
    bool setControlProperty(const QString& name, const QVariant& value);
    QVariant callControl(const QString& method, const QVariantList& arguments = {});

    // The last error a write or call of this widget raised (number 0 when none yet).
    const ControlError& lastError() const;

    // The control's current persisted properties as the form files keep them (a JSON object
    // of the bag's keys), and loading them back.
    QByteArray saveProperties() const;
    bool loadProperties(const QByteArray& json);

    // A saved form's properties given through the typed setters (a .ui loader sets them one by
    // one): after beginFormLoad(), writes of persisted properties go into the bag the control
    // was created with instead of to the control, and endFormLoad() loads the control from that
    // bag (ReadProperties), as a form file loads. Reads answer as the form gives the value;
    // any other use of the widget (a call, a reset, a non-persisted write) ends the loading
    // first.
    void beginFormLoad();
    void endFormLoad();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // The live host the control runs in (the library's own headers give its full interface).
    OrvelleWidget* liveHost() const;

signals:
    // A write or call was refused.
    void automationError(int number, const QString& description, const QString& source);

protected:
    ControlWidget(const char* control_class, QWidget* parent);

    // For the generated accessors: members by dispatch id, values converted for Qt.
    QVariant readMember(std::int32_t dispid, const QVariantList& index = {}) const;
    void writeMember(std::int32_t dispid, const QVariant& value, const QVariantList& index = {});
    void resetMember(std::int32_t dispid);
    QVariant callMember(std::int32_t dispid, QVariantList& arguments);
    // Reads a raised event's argument, and writes back what a slot changed.
    static QVariant eventArgument(const EventArguments& arguments, int index);
    static void setEventArgument(EventArguments& arguments, int index, const QVariant& value);

    // Implemented by each generated widget: emits the signal of `arguments`' event, and the
    // NOTIFY signals of the properties announced under `notification`.
    virtual void raiseEvent(EventArguments& arguments) = 0;
    virtual void announceChange(const QString& notification) = 0;

    void resizeEvent(QResizeEvent* event) override;
    void childEvent(QChildEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// The machinery of a non-visual object of the library (the gradient renderer).
class AutomationObjectBase : public QObject {
    Q_OBJECT

public:
    ~AutomationObjectBase() override;
    const ControlError& lastError() const;

signals:
    void automationError(int number, const QString& description, const QString& source);

protected:
    AutomationObjectBase(const char* object_class, QObject* parent);
    QVariant readMember(std::int32_t dispid) const;
    void writeMember(std::int32_t dispid, const QVariant& value);
    QVariant callMember(std::int32_t dispid, QVariantList& arguments);
    // Draws the gradient renderer on `device`: on an Orvelle widget's control through its
    // window and device context, as on any control, otherwise onto a surface of the device's
    // size which is then painted on the device. Returns what the renderer's Draw returns.
    bool drawOn(std::int32_t dispid, QPaintDevice* device);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace ov::qt

Q_DECLARE_METATYPE(ov::qt::LateBound)
