#include "qt/orvelle_widget.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDrag>
#include <QFocusEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QSocketNotifier>
#include <algorithm>
#include <cmath>

#include "host/contract/control.h"
#include "host/reference/focus_order.h"
#include "host/reference/drag_source.h"
#include "host/reference/form.h"
#include "host/contract/text_box.h"
#include "host/reference/text_input.h"
#include "platform/codepage/windows1252.h"
#include "platform/gdi/ole_colour.h"
#include "platform/gdi/screen.h"
#include "platform/notifyarea/notification_area.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"
#include "platform/scale/scale.h"
#include "qt/accessibility.h"
#include "qt/drop_data.h"
#include "qt/input_codes.h"
#include "qt/palette_colours.h"
#include "qt/pointer_cursor.h"

namespace ov::qt {

namespace {

QString FromLibraryText(const std::string& text) { return QString::fromStdString(codepage::Windows1252ToUtf8(text)); }

// The twips-per-pixel factor of a screen `ratio` device pixels to the logical pixel: 15 at
// ratio 1, rounded halves to even as every twips-to-pixels conversion is, never below 1.
constexpr int kTwipsPerLogicalPixel = 15;
constexpr int kLogicalDotsPerInch = 1440 / kTwipsPerLogicalPixel;

int TwipsPerPixelFor(double ratio) {
    return std::max(1, static_cast<int>(RoundHalfEven(kTwipsPerLogicalPixel / std::max(ratio, 0.01))));
}

std::string LibraryText(const QString& text) { return codepage::Utf8ToWindows1252(text.toStdString()); }

// The control's text box, which takes its keyboard input; nullptr when it has none.
host::TextBox* TextBoxIn(host::ReferenceHost& host, const std::string& control) {
    const host::Control* c = host.FindControl(control);
    return c ? host::InputTextBox(*c) : nullptr;
}

// Whether another widget of `widget`'s window takes the focus by Tab, so that Tab past the
// last control leaves the widget rather than wrapping around inside it.
bool WindowHasOtherTabStop(const QWidget& widget) {
    for (const QWidget* w = widget.nextInFocusChain(); w && w != &widget; w = w->nextInFocusChain())
        if (w->window() == widget.window() && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus))
            return true;
    return false;
}

// How often the host clock is brought up to real time: well below the tab header's 3000 ms
// mouse-over period and any timer interval a control sets.
constexpr int kClockStepMilliseconds = 15;

// The notification area's descriptor, watched once for every widget of the process (Qt keeps
// one socket notifier per descriptor): when it turns readable the area is polled, which hands
// each callback to the sink of the host it belongs to, and that host's widget is woken.
class AreaNotifier {
public:
    static void Attach() {
        ++users_;
        Refresh();
    }
    static void Detach() {
        if (--users_ == 0) notifier_.reset();
    }
    // Follows the area in use: none is chosen until a control first calls it, and another
    // may be installed later.
    static void Refresh() {
        const int descriptor = notifyarea::AreaWaitDescriptor();
        if (notifier_ && notifier_->socket() == descriptor) return;
        notifier_.reset();
        if (descriptor < 0 || users_ == 0) return;
        notifier_ = std::make_unique<QSocketNotifier>(descriptor, QSocketNotifier::Read);
        QObject::connect(notifier_.get(), &QSocketNotifier::activated, [] { notifyarea::PollArea(); });
    }

private:
    static inline int users_ = 0;
    static inline std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace

OrvelleWidget::OrvelleWidget(const host::ClassRegistry& registry, QWidget* parent) : QWidget(parent), host_(registry) {
    host::HostListener listener;
    listener.handle_event = [this](const std::string& object, const EventDesc& event, std::vector<Variant>& args) {
        EventArguments arguments(event, args);
        emit controlEvent(FromLibraryText(object), FromLibraryText(event.name), arguments);
    };
    listener.on_changed = [this](const std::string& object, const std::string& property) {
        emit propertyChanged(FromLibraryText(object), FromLibraryText(property));
    };
    listener.on_lifecycle_error = [this](const std::string& object, const std::string& step, const std::string& key,
                                         const AutomationError& error) {
        if (skipped_keys_) skipped_keys_->push_back({host::LifecyclePlace(object, step, key), error});
    };
    listener.on_form_operation = [this](const std::string& operation) {
        ApplyFormOperation(operation);
        emit formOperation(FromLibraryText(operation));
    };
    // A control letting pending messages run (the masked text box giving the focus back) runs
    // the window system's queue too: a clock tick or input already waiting is handled inside
    // the control's handler, as the platform's message loop would handle it.
    listener.process_pending_messages = [] { QCoreApplication::processEvents(); };
    listener.on_drag_requested = [this](const std::string& control) { RunDrag(control); };
    host_.SetListener(std::move(listener));
    setMouseTracking(true);
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    // Every pixel comes from the composed frame, so Qt need not clear the widget first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(&clock_timer_, &QTimer::timeout, this, [this] { AdvanceClock(); });
    // A callback for this widget's controls was read (by whichever widget's poll): its loop
    // runs once control is back in the event loop, never inside the poll.
    host_.SetMessageWakeup([this] {
        QMetaObject::invokeMethod(
            this, [this] { DeliverMessages(); }, Qt::QueuedConnection);
    });
    AreaNotifier::Attach();
    InstallAccessibility();
}

OrvelleWidget::~OrvelleWidget() {
    ReleaseAccessibility(*this);
    host_.SetMessageWakeup({});
    AreaNotifier::Detach();
    clock_timer_.stop();
    // The host terminates its controls when it goes; nothing may reach a widget being destroyed.
    host_.SetListener({});
}

// --- loading -------------------------------------------------------------------------------

void OrvelleWidget::ApplyDevicePixelRatio() {
    pixel_ratio_ = devicePixelRatioF();
    const int factor = TwipsPerPixelFor(pixel_ratio_);
    gdi::Screen().twips_per_pixel_x = factor;
    gdi::Screen().twips_per_pixel_y = factor;
    // Pictures are made at the logical pixel's resolution, so they keep the size they have at
    // ratio 1 and are drawn scaled.
    SetPictureResolution(kLogicalDotsPerInch);
}

void OrvelleWidget::ApplyColours() {
    const bool changed = classic_colours_ ? ApplyClassicColours() : ApplyPaletteColours(palette());
    if (!changed || !loaded_) return;
    host_.SystemColoursChanged();
    Sync();
}

void OrvelleWidget::SetClassicColours(bool classic) {
    classic_colours_ = classic;
    ApplyColours();
}

void OrvelleWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ApplicationPaletteChange) ApplyColours();
}

void OrvelleWidget::HostControl(const std::string& name, const std::string& class_name) {
    ApplyDevicePixelRatio();
    ApplyColours();
    host_.New(name, class_name);
    const host::Control& control = *host_.FindControl(name);
    host_.form().SetWidth(control.Width());
    host_.form().SetHeight(control.Height());
    single_control_ = name;
    loaded_ = true;
    resize(sizeHint());
    StartClock();
    Sync();
}

std::vector<forms::LoadProblem> OrvelleWidget::LoadForm(const forms::FormDocument& document) {
    ApplyDevicePixelRatio();
    ApplyColours();
    std::vector<forms::LoadProblem> skipped;
    skipped_keys_ = &skipped;
    std::vector<forms::LoadProblem> problems;
    try {
        problems = forms::BuildForm(host_, document);
    } catch (...) {
        skipped_keys_ = nullptr;
        throw;
    }
    skipped_keys_ = nullptr;
    problems.insert(problems.end(), skipped.begin(), skipped.end());
    loaded_ = true;
    resize(sizeHint());
    StartClock();
    Sync();
    return problems;
}

QSize OrvelleWidget::sizeHint() const {
    if (!loaded_) return QWidget::sizeHint();
    const int width = TwipsToPixels(host_.form_object()->Width(), Axis::X);
    const int height = TwipsToPixels(host_.form_object()->Height(), Axis::Y);
    return QSize(static_cast<int>(std::ceil(width / pixel_ratio_)), static_cast<int>(std::ceil(height / pixel_ratio_)));
}

// --- painting ------------------------------------------------------------------------------

void OrvelleWidget::Sync() {
    // A tray icon may just have brought the notification area into use.
    AreaNotifier::Refresh();
    // Assistive technology hears of the focus, text and selection input changed.
    NotifyAccessibility(*this);
    // A loaded form's caption is the window's title, also when a program changes it.
    if (loaded_ && single_control_.empty())
        if (const QString title = FromLibraryText(host_.form().Caption()); title != windowTitle())
            setWindowTitle(title);
    if (!loaded_) return;
    const host::ComposedImage* image = nullptr;
    try {
        image = &host_.Compose();  // the kept image as it is when nothing shown has changed
    } catch (const AutomationError&) {
        return;  // a form too large to compose keeps the last frame
    }
    if (!frame_.isNull() && image->version == frame_version_) return;
    const QImage::Format format = see_through_ ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32;
    const gdi::RECT whole{0, 0, image->width, image->height};
    const bool same_frame =
        frame_.width() == image->width && frame_.height() == image->height && frame_.format() == format;
    // Only what changed since the frame was made goes into it, and only that is painted again.
    const std::optional<gdi::RECT> changed = same_frame ? host_.CompositionChangedSince(frame_version_) : std::nullopt;
    const gdi::RECT part = changed ? *changed : whole;
    frame_version_ = image->version;
    if (gdi::IsRectEmpty(part)) return;
    CopyToFrame(*image, format, frame_, part);
    if (see_through_) ClearFormBackground(frame_, *image, part);
    frame_.setDevicePixelRatio(pixel_ratio_);
    ++frames_composed_;
    if (!changed) {
        update();
        return;
    }
    // The part in the widget's own (device-independent) pixels, rounded outwards.
    update(QRect(QPoint(static_cast<int>(std::floor(part.left / pixel_ratio_)),
                        static_cast<int>(std::floor(part.top / pixel_ratio_))),
                 QPoint(static_cast<int>(std::ceil(part.right / pixel_ratio_)) - 1,
                        static_cast<int>(std::ceil(part.bottom / pixel_ratio_)) - 1)));
}

void CopyToFrame(const host::ComposedImage& image, QImage::Format format, QImage& frame) {
    CopyToFrame(image, format, frame, gdi::RECT{0, 0, image.width, image.height});
}

void CopyToFrame(const host::ComposedImage& image, QImage::Format format, QImage& frame, const gdi::RECT& part) {
    // A frame of the same size is written over: no new image (and no fresh pages) per repaint.
    gdi::RECT r = part;
    if (frame.width() != image.width || frame.height() != image.height || frame.format() != format) {
        frame = QImage(image.width, image.height, format);
        r = gdi::RECT{0, 0, image.width, image.height};
    }
    r = host::Intersect(r, gdi::RECT{0, 0, image.width, image.height});
    for (int y = r.top; y < r.bottom; ++y) {
        auto* __restrict row = reinterpret_cast<std::uint32_t*>(frame.scanLine(y));
        const std::uint32_t* __restrict source = image.pixels.data() + static_cast<std::size_t>(y) * image.width;
        for (int x = r.left; x < r.right; ++x) row[x] = 0xFF000000u | source[x];
    }
}

void OrvelleWidget::setSeeThrough(bool see_through) {
    if (see_through == see_through_) return;
    see_through_ = see_through;
    setAttribute(Qt::WA_OpaquePaintEvent, !see_through);
    frame_ = QImage();
    Sync();
}

void OrvelleWidget::ClearFormBackground(QImage& frame, const host::ComposedImage& image, const gdi::RECT& part) const {
    const gdi::COLORREF back =
        gdi::TranslateOleColorOrBlack(static_cast<std::uint32_t>(host_.form_object()->BackColor()));
    const std::uint32_t back_pixel = gdi::PixelWordFromColor(back);
    const gdi::RECT r = host::Intersect(part, gdi::RECT{0, 0, image.width, image.height});
    const auto row_of = [&](int y) { return image.pixels.data() + static_cast<std::size_t>(y) * image.width; };
    // Only a pixel of the background's colour can be background: none, and no second pass.
    bool any = false;
    for (int y = r.top; y < r.bottom && !any; ++y)
        any = std::find(row_of(y) + r.left, row_of(y) + r.right, back_pixel) != row_of(y) + r.right;
    if (!any) return;
    const std::int32_t other = back_pixel == 0 ? 0x00FFFFFF : 0;
    host::ComposedImage over;
    try {
        over = host_.ComposeOver(other, r);
    } catch (const AutomationError&) {
        return;
    }
    if (over.width != r.right - r.left || over.height != r.bottom - r.top) return;
    for (int y = r.top; y < r.bottom; ++y) {
        auto* row = reinterpret_cast<std::uint32_t*>(frame.scanLine(y));
        const std::uint32_t* mine = row_of(y);
        const std::uint32_t* theirs = over.pixels.data() + static_cast<std::size_t>(y - r.top) * over.width;
        for (int x = r.left; x < r.right; ++x)
            if (mine[x] != theirs[x - r.left]) row[x] = 0;  // transparent, premultiplied
    }
}

void OrvelleWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), frame_);
    // Beyond a form that could not grow with the window, the window's own background (or, seen
    // through, whatever lies beneath).
    if (see_through_) return;
    const QSizeF shown = frame_.deviceIndependentSize();
    if (shown.width() < width())
        painter.fillRect(QRectF(shown.width(), 0, width() - shown.width(), height()), palette().window());
    if (shown.height() < height())
        painter.fillRect(QRectF(0, shown.height(), std::min<qreal>(shown.width(), width()), height() - shown.height()),
                         palette().window());
}

void OrvelleWidget::resizeEvent(QResizeEvent*) { FitHostToWidget(); }

void OrvelleWidget::ApplyFormOperation(const std::string& operation) {
    QWidget* form_window = window();
    if (operation == "hide") {
        form_window->hide();
    } else if (operation == "show") {
        form_window->show();
        form_window->raise();
        form_window->activateWindow();
    } else if (operation.rfind("state ", 0) == 0) {
        // The state the form now holds: 0 normal, 1 minimised, 2 maximised; others keep the window's.
        const Qt::WindowStates others = form_window->windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized);
        switch (host_.form().WindowState()) {
            case 0: form_window->setWindowState(others); break;
            case 1:
                form_window->setWindowState(form_window->windowState() | Qt::WindowMinimized);
                break;  // keeps a maximised one to come back to
            case 2: form_window->setWindowState(others | Qt::WindowMaximized); break;
            default: break;
        }
    }
}

void OrvelleWidget::FitHostToWidget() {
    if (!loaded_) return;
    const int width = static_cast<int>(std::lround(this->width() * pixel_ratio_));
    const int height = static_cast<int>(std::lround(this->height() * pixel_ratio_));
    host::Form& form = host_.form();
    // Only a change of whole pixels changes an extent: the twips a control was loaded with stay
    // as they are while the window shows them at their own size.
    const bool form_changed =
        TwipsToPixels(form.Width(), Axis::X) != width || TwipsToPixels(form.Height(), Axis::Y) != height;
    if (!form_changed) return;
    const double width_twips = PixelsToTwips(width, Axis::X), height_twips = PixelsToTwips(height, Axis::Y);
    try {
        if (!single_control_.empty()) host_.Resize(single_control_, width_twips, height_twips);
        form.SetWidth(width_twips);
        form.SetHeight(height_twips);
    } catch (const AutomationError&) {
        // An extent no surface can have leaves the form and the control as they were.
    }
    Sync();
}

// --- mouse ---------------------------------------------------------------------------------

QPoint OrvelleWidget::FormPixelAt(const QPointF& position) const {
    return QPoint(static_cast<int>(std::floor(position.x() * pixel_ratio_)),
                  static_cast<int>(std::floor(position.y() * pixel_ratio_)));
}

void OrvelleWidget::Deliver(const std::string& control, const std::string& target, const char* event,
                            std::vector<Variant> args) {
    try {
        host_.Fire(control, target, event, std::move(args));
    } catch (const AutomationError&) {
        // A handler's error ends that one event; the window goes on, as a window procedure
        // drops what a handler raises.
    }
}

host::TextBox* OrvelleWidget::TextBoxTarget(const host::PointerTarget& target) {
    host::Control* control = host_.FindControl(target.control);
    host::Constituent* constituent = control ? control->FindConstituent(target.target) : nullptr;
    if (!constituent || constituent->kind() != host::ConstituentKind::TextBox) return nullptr;
    return static_cast<host::TextBox*>(constituent);
}

void OrvelleWidget::DeliverMouse(const host::PointerTarget& target, const char* event, std::int16_t button,
                                 std::int16_t shift) {
    // A text box takes the pointer itself: the press places the caret, a move with the button
    // down drags the selection; then it raises the event.
    if (host::TextBox* box = TextBoxTarget(target)) {
        const std::string_view name(event);
        try {
            if (name == "MouseDown") box->MouseDown(button, shift, target.x, target.y);
            else if (name == "MouseMove") box->MouseMove(button, shift, target.x, target.y);
            else box->MouseUp(button, shift, target.x, target.y);
        } catch (const AutomationError&) {}
        return;
    }
    Deliver(target.control, target.target, event,
            {Variant::FromInteger(button), Variant::FromInteger(shift), Variant::FromSingle(target.x),
             Variant::FromSingle(target.y)});
}

void OrvelleWidget::UpdateCursor(const std::optional<host::PointerTarget>& target) {
    const std::int16_t pointer = target ? target->mouse_pointer : 0;
    const std::shared_ptr<IDispatch> icon =
        target && pointer == host::kMousePointerCustom ? target->mouse_icon : nullptr;
    if (pointer == cursor_pointer_ && icon == cursor_icon_) return;
    cursor_pointer_ = pointer;
    cursor_icon_ = icon;
    setCursor(CursorForPointer(pointer, icon));
}

void OrvelleWidget::mousePressEvent(QMouseEvent* event) {
    const QPoint at = FormPixelAt(event->position());
    const std::int16_t button = ButtonState(event->button()), shift = ShiftState(event->modifiers());
    if (!captured_) {
        captured_ = host::FindPointerTarget(host_, at.x(), at.y());
        if (!captured_) return;
        MoveFocus(captured_->control);
    } else if (auto located = host::LocatePointer(host_, *captured_, at.x(), at.y())) {
        captured_ = located;
    }
    captured_buttons_ = static_cast<std::int16_t>(captured_buttons_ | button);
    DeliverMouse(*captured_, "MouseDown", button, shift);
    Sync();
}

void OrvelleWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt's second press of a double click: the platform raises DblClick in its place, and the
    // release that follows makes no Click.
    const QPoint at = FormPixelAt(event->position());
    if (!captured_) captured_ = host::FindPointerTarget(host_, at.x(), at.y());
    if (!captured_) return;
    captured_buttons_ = static_cast<std::int16_t>(captured_buttons_ | ButtonState(event->button()));
    double_click_pending_ = true;
    if (host::TextBox* box = TextBoxTarget(*captured_)) {
        // The double click's press: the word under the pointer is selected.
        const std::optional<host::PointerTarget> located = host::LocatePointer(host_, *captured_, at.x(), at.y());
        try {
            if (located) box->DoubleClick(located->x, located->y);
        } catch (const AutomationError&) {}
    } else {
        Deliver(captured_->control, captured_->target, "DblClick", {});
    }
    Sync();
}

void OrvelleWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (!captured_) return;
    const QPoint at = FormPixelAt(event->position());
    const std::int16_t button = ButtonState(event->button()), shift = ShiftState(event->modifiers());
    const std::optional<host::PointerTarget> located = host::LocatePointer(host_, *captured_, at.x(), at.y());
    if (located) DeliverMouse(*located, "MouseUp", button, shift);
    captured_buttons_ = static_cast<std::int16_t>(captured_buttons_ & ~button);
    if (captured_buttons_ == 0) {
        // A click is a press and a release on the same target.
        const std::optional<host::PointerTarget> under = host::FindPointerTarget(host_, at.x(), at.y());
        const bool same = under && under->control == captured_->control && under->target == captured_->target;
        if (located && same && !double_click_pending_) Deliver(captured_->control, captured_->target, "Click", {});
        captured_.reset();
        double_click_pending_ = false;
        UpdateCursor(host::FindPointerTarget(host_, at.x(), at.y()));
    }
    Sync();
}

void OrvelleWidget::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = FormPixelAt(event->position());
    const std::optional<host::PointerTarget> target = captured_ ? host::LocatePointer(host_, *captured_, at.x(), at.y())
                                                                : host::FindPointerTarget(host_, at.x(), at.y());
    if (target) DeliverMouse(*target, "MouseMove", ButtonState(event->buttons()), ShiftState(event->modifiers()));
    // The handler may have changed the pointer (a hot spot entered): look again.
    UpdateCursor(captured_ ? host::LocatePointer(host_, *captured_, at.x(), at.y())
                           : host::FindPointerTarget(host_, at.x(), at.y()));
    Sync();
}

void OrvelleWidget::leaveEvent(QEvent*) { UpdateCursor(std::nullopt); }

// --- keyboard and focus --------------------------------------------------------------------

void OrvelleWidget::keyPressEvent(QKeyEvent* event) {
    if (focused_.empty()) return QWidget::keyPressEvent(event);
    const std::int16_t code = VirtualKeyCode(event->key()), shift = ShiftState(event->modifiers());
    const std::int16_t ascii = KeyAsciiCode(event->key(), event->modifiers(), event->text());
    if (TextBoxIn(host_, focused_)) {
        // A text box takes the whole keystroke (KeyDown, KeyPress, the edit, Change, KeyUp) and
        // copies and pastes through the host's clipboard, which stands for the desktop's here.
        QClipboard* clipboard = QGuiApplication::clipboard();
        std::string& text = *host_.ClipboardText();
        text = LibraryText(clipboard->text());
        const std::string before = text;
        try {
            host::PressKeyInTextBox(host_, focused_, code, shift, ascii);
        } catch (const AutomationError&) {
            // As for any handler: the keystroke ends, the window goes on.
        }
        if (text != before) clipboard->setText(FromLibraryText(text));
        return Sync();
    }
    if (code != 0) Deliver(focused_, "surface", "KeyDown", {Variant::FromInteger(code), Variant::FromInteger(shift)});
    if (ascii != 0) Deliver(focused_, "surface", "KeyPress", {Variant::FromInteger(ascii)});
    Sync();
}

void OrvelleWidget::keyReleaseEvent(QKeyEvent* event) {
    // A held key repeats KeyDown and KeyPress only; KeyUp comes once, when it is let go. A text
    // box had its KeyUp with the keystroke.
    if (focused_.empty() || event->isAutoRepeat() || TextBoxIn(host_, focused_)) return QWidget::keyReleaseEvent(event);
    const std::int16_t code = VirtualKeyCode(event->key());
    if (code != 0)
        Deliver(focused_, "surface", "KeyUp",
                {Variant::FromInteger(code), Variant::FromInteger(ShiftState(event->modifiers()))});
    Sync();
}

void OrvelleWidget::TakeFocus(const std::string& control) {
    if (control.empty() || !host_.FindControl(control)) return;
    if (TextBoxIn(host_, control)) {
        try {
            host::FocusTextBox(host_, control);
        } catch (const AutomationError&) {}
    } else {
        Deliver(control, "surface", "GotFocus", {});
    }
}

bool OrvelleWidget::LeaveFocus(const std::string& control) {
    if (control.empty() || !host_.FindControl(control)) return true;
    host::TextBox* box = TextBoxIn(host_, control);
    if (!box) {
        Deliver(control, "surface", "LostFocus", {});
        return true;
    }
    try {
        host::BlurTextBox(host_, control);
    } catch (const AutomationError&) {}
    // A text box whose validation cancels keeps the focus.
    return !box->Focused();
}

void OrvelleWidget::MoveFocus(const std::string& control) {
    if (EqualsIgnoreCase(control, focused_)) return;
    if (!hasFocus()) {  // the controls learn of it when the widget takes the focus
        focused_ = control;
        return;
    }
    if (!LeaveFocus(focused_)) return;
    focused_ = control;
    TakeFocus(control);
}

void OrvelleWidget::focusControl(const std::string& control) {
    if (!host_.FindControl(control)) return;
    if (hasFocus()) {
        MoveFocus(control);
    } else {
        // The control takes the focus when the widget does (focusInEvent). The one that had it
        // still has it while only the window is inactive; otherwise it lost it with the widget.
        if (!window()->isActiveWindow() && !LeaveFocus(focused_)) return;
        focused_ = control;
        focus_given_ = true;
        window()->activateWindow();
        setFocus(Qt::OtherFocusReason);
    }
    Sync();
}

bool OrvelleWidget::focusNextPrevChild(bool next) {
    const bool leave_at_end = WindowHasOtherTabStop(*this);
    const std::string target = host::NextTabStop(host_.objects(), focused_, next, !leave_at_end);
    if (target.empty()) {
        // No control takes the focus: with nowhere else to go, Tab is a key for the control.
        if (!leave_at_end) return false;
        // A control whose validation cancels keeps the focus, and the widget keeps it too.
        if (LeaveFocus(focused_)) {
            focused_.clear();
            QWidget::focusNextPrevChild(next);
        }
        Sync();
        return true;
    }
    MoveFocus(target);
    Sync();
    return true;
}

void OrvelleWidget::focusInEvent(QFocusEvent* event) {
    // Tab from the widget before enters at the first control, Shift+Tab from the one after at
    // the last.
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason) {
        const std::string entered = host::NextTabStop(host_.objects(), "", reason == Qt::TabFocusReason, false);
        if (!entered.empty()) focused_ = entered;
    }
    // Coming back to the window gives a control no GotFocus: it never lost the focus. A control
    // given the focus while the window was inactive takes it now, however the widget gets it.
    if (reason != Qt::ActiveWindowFocusReason || focus_given_) TakeFocus(focused_);
    focus_given_ = false;
    Sync();
}

void OrvelleWidget::focusOutEvent(QFocusEvent* event) {
    if (event->reason() != Qt::ActiveWindowFocusReason) LeaveFocus(focused_);
    Sync();
}

// --- drag and drop -------------------------------------------------------------------------

void OrvelleWidget::dragEnterEvent(QDragEnterEvent* event) {
    drag_data_ = DataFromMime(*event->mimeData());
    dragMoveEvent(event);
}

void OrvelleWidget::dragMoveEvent(QDragMoveEvent* event) {
    if (!drag_data_) drag_data_ = DataFromMime(*event->mimeData());
    const QPoint at = FormPixelAt(event->position());
    AnswerDrag(*event, drops_.Over(drag_data_, at.x(), at.y(), EffectsFromActions(event->possibleActions()),
                                   ButtonState(event->buttons()), ShiftState(event->modifiers())));
    Sync();
}

void OrvelleWidget::dragLeaveEvent(QDragLeaveEvent*) {
    drops_.Leave();
    drag_data_.reset();
    Sync();
}

void OrvelleWidget::dropEvent(QDropEvent* event) {
    const std::shared_ptr<host::DataObject> data = drag_data_ ? drag_data_ : DataFromMime(*event->mimeData());
    drag_data_.reset();
    const QPoint at = FormPixelAt(event->position());
    AnswerDrag(*event, drops_.Drop(data, at.x(), at.y(), EffectsFromActions(event->possibleActions()),
                                   ButtonState(event->buttons()), ShiftState(event->modifiers())));
    Sync();
}

void OrvelleWidget::RunDrag(const std::string& control) {
    const host::OutgoingDrag drag = host::BeginDrag(host_, control);
    if (drag.allowed == host::kDropEffectNone) return;
    const Qt::DropAction done = ExecuteDrag(MimeFromData(*drag.data), ActionsFromEffects(drag.allowed));
    // The drag took the button's release: no press is held any more.
    captured_.reset();
    captured_buttons_ = 0;
    host::EndDrag(host_, drag, EffectsFromActions(done));
    Sync();
}

Qt::DropAction OrvelleWidget::ExecuteDrag(std::unique_ptr<QMimeData> data, Qt::DropActions actions) {
    auto* qdrag = new QDrag(this);  // owned by the widget, deleted by Qt when the drag ends
    qdrag->setMimeData(data.release());
    return qdrag->exec(actions, Qt::CopyAction);
}

// --- clock ---------------------------------------------------------------------------------

void OrvelleWidget::StartClock() {
    clock_.start();
    clock_advanced_ = 0;
    clock_timer_.start(kClockStepMilliseconds);
}

void OrvelleWidget::DeliverMessages() {
    try {
        host_.ProcessMessages();
    } catch (const AutomationError&) {
        // A handler's error ends that message only, as a window procedure drops it.
    }
    Sync();
}

void OrvelleWidget::AdvanceClock() {
    const std::int64_t now = clock_.elapsed();
    if (now <= clock_advanced_) return;
    try {
        host_.Wait(now - clock_advanced_);
    } catch (const AutomationError&) {
        // A timer handler's error ends that tick only.
    }
    clock_advanced_ = now;
    Sync();
}

}  // namespace ov::qt
