#pragma once
// OrvelleWidget: the library's controls live inside a QWidget. The widget owns a reference host
// (host/reference_host.h), which is the control site every control is written against —
// lifecycle, property bag, ambient values, extender members, events, timers, composition — and
// puts it on the screen:
//
//   - it paints the host's composed form, and recomposes only when something the form shows has
//     changed (the host's composition stamp), after input, a timer tick or a resize;
//   - mouse buttons, moves and double clicks go to the control and constituent under the
//     pointer (host/pointer_target.h) with the Button and Shift arguments and coordinates in the
//     target's scale; the target of a press keeps the pointer until the release; a text box
//     takes them as input (caret, drag selection, the word of a double click) before raising
//     its events;
//   - keys go to the control that has the focus (the last one pressed, or the one Tab and
//     Shift+Tab moved it to in the form's tab order) as KeyDown, KeyPress and KeyUp with
//     virtual key codes and characters, into its text box when it has one (host/text_input.h);
//     GotFocus and LostFocus follow the focus between controls and windows; a text box's copy
//     and paste go through the desktop's clipboard (QClipboard);
//   - assistive technology reads each control and its parts through accessible interfaces
//     (qt/accessibility.h), told of focus, text and selection changes after each repaint;
//   - the host clock runs on a QTimer, so constituent timers tick in real time;
//   - the notification area's descriptor is watched with a QSocketNotifier, so a tray icon
//     answers the desktop at once and its events arrive while the widget idles;
//   - the cursor follows the pointer's target: its MousePointer, or its MouseIcon (the hand
//     cursors of the tab headings and hot spots);
//   - the system colours the controls use come from the widget's palette (qt/palette_colours.h),
//     applied when a control or form is loaded and again on every palette change, which
//     redraws the controls; SetClassicColours keeps the classic scheme instead;
//   - drags from other applications reach the control under the pointer as OLEDragOver and
//     OLEDragDrop with their data (host/drop_target.h, qt/drop_data.h), and a drag a control
//     starts (OLEDrag, a text box dragging its selection) runs as a QDrag (host/drag_source.h);
//   - the screen's device pixel ratio sets the twips-per-pixel factors when a control or form
//     is loaded, so controls lay out and draw in device pixels, and pictures are taken at the
//     logical resolution (ov::SetPictureResolution), so they keep their logical size, scaled. The factors are the drawing
//     layer's, one for the process: widgets on screens of different ratios share the last one.
//
// Every event a control raises comes out as the one signal controlEvent, whose arguments a
// directly connected slot may change: the control reads them when the signal returns.
//
//   OrvelleWidget widget(ov::library::Classes());
//   QObject::connect(&widget, &ov::qt::OrvelleWidget::controlEvent,
//                    [](const QString& object, const QString& event, ov::qt::EventArguments& args) {
//                        if (event == "TabSelected") args.setValue("Index", 0);
//                    });
//   widget.HostControl("tabs", "OVTabHead");
//   widget.show();
#include <QElapsedTimer>
#include <QMimeData>
#include <QImage>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "forms/form_document.h"
#include "host/reference/class_registry.h"
#include "host/reference/drop_target.h"
#include "host/reference/pointer_target.h"
#include "host/reference/reference_host.h"
#include "qt/event_arguments.h"

namespace ov::host {
class TextBox;
}

namespace ov::qt {

// Writes a composed image, opaque, into `frame` in `format` (a 32-bit one), which is made anew
// (and then written whole) only when it has another size or format; otherwise only `part` of
// it (image pixels) is written, by default all of it.
void CopyToFrame(const host::ComposedImage& image, QImage::Format format, QImage& frame);
void CopyToFrame(const host::ComposedImage& image, QImage::Format format, QImage& frame, const gdi::RECT& part);

class OrvelleWidget : public QWidget {
    Q_OBJECT

public:
    explicit OrvelleWidget(const host::ClassRegistry& registry, QWidget* parent = nullptr);
    ~OrvelleWidget() override;

    // Hosts one new control of `class_name` under `name` on a form of its size; from then on
    // resizing the widget resizes the control. Throws AutomationError as ReferenceHost::New.
    void HostControl(const std::string& name, const std::string& class_name);
    // Loads a form: its properties, then every control (ReadProperties, placement, Resize, Show,
    // Paint, its recorded events); the widget takes the form's size and resizing it resizes the
    // form. Returns what failed without stopping the load (form properties, skipped keys), in
    // order. Throws as forms::BuildForm.
    std::vector<forms::LoadProblem> LoadForm(const forms::FormDocument& document);

    // The host behind the widget, for the application's own late-bound calls. After changing
    // a control through it, call Sync to repaint what changed.
    host::ReferenceHost& host() { return host_; }
    // Recomposes and schedules a repaint when the form shows something else than was painted.
    void Sync();
    // The frame the widget paints, in device pixels.
    const QImage& frame() const { return frame_; }
    // How many frames were composed so far (each one a recomposition of the form).
    int framesComposed() const { return frames_composed_; }
    // The control that has the keyboard focus, "" for none.
    const std::string& focusedControl() const { return focused_; }
    // Gives the keyboard focus to `control` as a click into it would, without the click (its
    // window and the widget take the focus too); what the control that had it does on losing
    // it runs first and may keep it. Assistive technology's focus request lands here.
    void focusControl(const std::string& control);

    // Whether the controls keep the classic system colours instead of the palette's (set it
    // before loading; false by default). The colours are the drawing layer's, one scheme for
    // the process: the last widget to apply its colours sets them for every host.
    void SetClassicColours(bool classic);
    bool classicColours() const { return classic_colours_; }

    QSize sizeHint() const override;

    // See-through: the form's own background is left out of the frame (alpha 0), so what Qt
    // draws beneath the widget shows wherever no control draws (a see-through panel, the
    // corners outside a shaded frame). Off by default: the form paints every pixel.
    void setSeeThrough(bool see_through);
    bool seeThrough() const { return see_through_; }

signals:
    // A control raised EVENT; `args` may be changed by a directly connected slot.
    void controlEvent(const QString& object, const QString& event, ov::qt::EventArguments& args);
    // A control announced a change of PROPERTY.
    void propertyChanged(const QString& object, const QString& property);
    // A control did OPERATION to its form ("show", "hide", "state N"); the widget's window has
    // already followed it.
    void formOperation(const QString& operation);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    // Tab and Shift+Tab: the focus moves to the next (previous) control of the form's tab order
    // (host/focus_order.h), through the lost-focus handling of the one that has it. Past the
    // last (first) one it goes on to the next Qt widget of the window, or wraps around to the
    // first (last) control when the window has no other widget taking the focus by Tab.
    bool focusNextPrevChild(bool next) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Carries the data of a drag out of the widget with the window system (a QDrag) and
    // returns what became of it.
    virtual Qt::DropAction ExecuteDrag(std::unique_ptr<QMimeData> data, Qt::DropActions actions);

private:
    // Sets the screen's twips per pixel from the device pixel ratio.
    void ApplyDevicePixelRatio();
    // Sets the system colours from the palette (or the classic ones); once loaded, a change
    // redraws the controls and recomposes.
    void ApplyColours();
    // A drag a control asked for: OLEStartDrag, the drag, OLECompleteDrag.
    void RunDrag(const std::string& control);
    void StartClock();
    void AdvanceClock();
    // The host's message loop: the notification area's callbacks for this widget's controls.
    void DeliverMessages();
    // The form pixel under a widget position (device pixels: logical times the ratio).
    QPoint FormPixelAt(const QPointF& position) const;
    // Delivers a mouse event to `target` with its Button, Shift, X and Y; errors a control's
    // handler throws are dropped, as a window procedure drops them.
    void DeliverMouse(const host::PointerTarget& target, const char* event, std::int16_t button, std::int16_t shift);
    // The text box a pointer target names, nullptr for any other target.
    host::TextBox* TextBoxTarget(const host::PointerTarget& target);
    void Deliver(const std::string& control, const std::string& target, const char* event, std::vector<Variant> args);
    void UpdateCursor(const std::optional<host::PointerTarget>& target);
    void MoveFocus(const std::string& control);
    // GotFocus / LostFocus of a control, through its text box when it has one (which may keep
    // the focus: LeaveFocus is false then).
    void TakeFocus(const std::string& control);
    bool LeaveFocus(const std::string& control);
    void FitHostToWidget();
    // The form is the widget's window: a control hiding, showing or minimising its form does
    // it to the top-level window holding the widget.
    void ApplyFormOperation(const std::string& operation);

    // Clears the frame's pixels in `part` where the form's background shows, found by
    // composing that part once more over another background: only those pixels differ.
    void ClearFormBackground(QImage& frame, const host::ComposedImage& image, const gdi::RECT& part) const;

    host::ReferenceHost host_;
    bool see_through_ = false;
    std::string single_control_;  // set by HostControl: the control that follows the widget's size
    bool loaded_ = false;
    QImage frame_;
    int frames_composed_ = 0;
    std::uint64_t frame_version_ = 0;  // of the composed image the frame shows
    double pixel_ratio_ = 1.0;         // what the twips-per-pixel factors were set for
    bool classic_colours_ = false;
    host::DropTracker drops_{host_};
    std::shared_ptr<host::DataObject> drag_data_;  // what the drag over the window carries
    QTimer clock_timer_;
    QElapsedTimer clock_;
    std::int64_t clock_advanced_ = 0;              // ms of host time delivered so far
    std::optional<host::PointerTarget> captured_;  // the target of the press while a button is down
    std::int16_t captured_buttons_ = 0;
    bool double_click_pending_ = false;  // the release after a double click makes no Click
    std::string focused_;
    bool focus_given_ = false;  // focusControl chose the control before the window was active
    std::vector<forms::LoadProblem>* skipped_keys_ = nullptr;  // set while a form loads
    // The pointer the cursor was last made for, so a move that keeps it makes no new cursor.
    std::int16_t cursor_pointer_ = -1;
    std::shared_ptr<IDispatch> cursor_icon_;
};

}  // namespace ov::qt
