#include "qt/accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QWindow>
#include <algorithm>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "host/contract/control.h"
#include "host/contract/text_box.h"
#include "host/contract/text_box_painter.h"
#include "host/reference/focus_order.h"
#include "host/reference/object_registry.h"
#include "host/reference/text_input.h"
#include "hotlabel/hot_label.h"
#include "maskedit/masked_text_box.h"
#include "panel/gradient_panel.h"
#include "sidelogo/side_logo.h"
#include "tabhead/tab_head.h"
#include "trayicon/tray_icon.h"
#include "platform/codepage/windows1252.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"
#include "qt/orvelle_widget.h"

namespace ov::qt {

namespace {

QString FromLibraryText(const std::string& text) { return QString::fromStdString(codepage::Windows1252ToUtf8(text)); }
std::string LibraryText(const QString& text) { return codepage::Utf8ToWindows1252(text.toStdString()); }

// --- what each class is to assistive technology --------------------------------------------------

enum class Parts { None, Tabs, Links };

struct ClassAccess {
    const char* class_name;
    QAccessible::Role role;
    std::string (*name)(const host::Control&);  // what names the control, nullptr for its text box's tip
    Parts parts;
};

// The accessor's value for a control of class C (the typed accessors, since a late-bound get
// counts as a change to what the form shows).
template <class C, const std::string& (C::*Get)() const>
std::string NameFrom(const host::Control& control) {
    const auto* c = dynamic_cast<const C*>(&control);
    return c ? (c->*Get)() : std::string();
}

// A control string as read: the hot-spot and picture marks left out, line breaks as blanks.
std::string ReadableText(std::string_view control_string) {
    std::string text;
    for (const char c : control_string) {
        if (c == hotlabel::kHotSpotMark || c == hotlabel::kPictureMark) continue;
        text += c == '\r' || c == '\n' ? ' ' : c;
    }
    return text;
}

std::string HotLabelText(const host::Control& control) {
    return ReadableText(NameFrom<hotlabel::OVHotLabel, &hotlabel::OVHotLabel::StoredControlString>(control));
}

const ClassAccess kClassAccess[] = {
    {"OVTabHead", QAccessible::PageTabList, nullptr, Parts::Tabs},
    {"OVMaskedTextBox", QAccessible::EditableText, nullptr, Parts::None},
    {"OVHotLabel", QAccessible::StaticText, HotLabelText, Parts::Links},
    {"OVGradientPanel", QAccessible::Grouping, NameFrom<panel::OVGradientPanel, &panel::OVGradientPanel::Caption>,
     Parts::None},
    {"OVSideLogo", QAccessible::Graphic, NameFrom<sidelogo::OVSideLogo, &sidelogo::OVSideLogo::Caption>, Parts::None},
    {"OV3DLine", QAccessible::Separator, nullptr, Parts::None},
    {"OVTrayIcon", QAccessible::Button, NameFrom<trayicon::OVTrayIcon, &trayicon::OVTrayIcon::InfoTip>, Parts::None},
};

const ClassAccess* AccessOf(const host::HostEntry& entry) {
    for (const ClassAccess& access : kClassAccess)
        if (EqualsIgnoreCase(access.class_name, entry.class_name)) return &access;
    return nullptr;
}

// The text of hot spot `number` (1-based): what stands between its pair of marks.
std::string HotSpotText(std::string_view control_string, int number) {
    std::size_t start = 0;
    for (int mark = 0; mark < 2 * number - 1; ++mark) {
        start = control_string.find(hotlabel::kHotSpotMark, start);
        if (start == std::string_view::npos) return {};
        ++start;
    }
    const std::size_t end = control_string.find(hotlabel::kHotSpotMark, start);
    return ReadableText(control_string.substr(start, end == std::string_view::npos ? end : end - start));
}

// The entries placed directly in `container` (nullptr: the form) that are controls, in
// creation order.
std::vector<host::HostEntry*> ControlsIn(const host::ObjectRegistry& objects, const host::HostEntry* container) {
    std::vector<host::HostEntry*> controls;
    for (const auto& entry : objects.entries())
        if (entry->control && entry->container == container) controls.push_back(entry.get());
    return controls;
}

// --- geometry --------------------------------------------------------------------------------

// A rectangle of form pixels (device pixels) on the screen, in logical pixels.
QRect ScreenRect(const OrvelleWidget& widget, const QRect& form_pixels) {
    const double ratio = widget.devicePixelRatioF();
    const QPointF top_left = widget.mapToGlobal(QPointF(form_pixels.left() / ratio, form_pixels.top() / ratio));
    return QRectF(top_left, QSizeF(form_pixels.width() / ratio, form_pixels.height() / ratio)).toAlignedRect();
}

// A constituent's rectangle in form pixels.
QRect ConstituentRect(OrvelleWidget& widget, const std::string& control_name, const host::Constituent& c) {
    const host::Control& control = c.owner();
    const gdi::POINT origin = widget.host().OriginOf(control_name);
    const int left = control.ToPixelsX(c.Left()), top = control.ToPixelsY(c.Top());
    return QRect(origin.x + left, origin.y + top, control.ToPixelsX(c.Left() + c.Width()) - left,
                 control.ToPixelsY(c.Top() + c.Height()) - top);
}

// The band a hot spot's pointer test uses, in form pixels: its first line, from its left to its
// right end, a line and two pixels high.
std::optional<QRect> HotSpotRect(OrvelleWidget& widget, const std::string& control_name, hotlabel::OVHotLabel& label,
                                 int number) {
    const hotlabel::HotSpotTable& spots = label.HotSpots();
    if (number < 1 || number > spots.count || static_cast<std::size_t>(number) > spots.records.size())
        return std::nullopt;
    const hotlabel::HotSpot& spot = spots(number);
    host::ConstituentPictureBox& main = label.MainBox();
    const int frame = main.box().BorderStyle() == 1 ? 2 : 0;
    const QRect box = ConstituentRect(widget, control_name, main);
    const int line_height = static_cast<int>(main.box().TextHeight("A"));
    // A hot spot that wraps ends left of where it starts: its first line runs to the edge.
    const int right = spot.right > spot.left ? spot.right : main.box().client_width();
    return QRect(box.left() + frame + spot.left, box.top() + frame + spot.top, std::max(1, right - spot.left),
                 line_height + 2);
}

// A click as the pointer makes one at a form pixel: a move onto it, a press and a release.
void ClickAt(OrvelleWidget& widget, QPoint form_pixel) {
    const double ratio = widget.devicePixelRatioF();
    const QPointF at(form_pixel.x() / ratio, form_pixel.y() / ratio);
    const QPointF global = widget.mapToGlobal(at);
    QMouseEvent move(QEvent::MouseMove, at, global, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &move);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&widget, &release);
}

// --- the interfaces --------------------------------------------------------------------------

// What every interface here answers about its children, from the list of them in order.
using ChildList = std::vector<QAccessibleInterface*>;

QAccessibleInterface* ChildAtIndex(const ChildList& children, int index) {
    return index >= 0 && index < static_cast<int>(children.size()) ? children[static_cast<std::size_t>(index)]
                                                                   : nullptr;
}

int IndexOfChild(const ChildList& children, const QAccessibleInterface* child) {
    const auto it = std::find(children.begin(), children.end(), child);
    return it == children.end() ? -1 : static_cast<int>(it - children.begin());
}

// The child on top at screen point (x, y): the one created last, as the form draws them.
QAccessibleInterface* TopmostChildAt(const ChildList& children, int x, int y) {
    for (auto it = children.rbegin(); it != children.rend(); ++it)
        if ((*it)->rect().contains(x, y)) return *it;
    return nullptr;
}

class NodeTable;
// The widget's table; nullptr once the widget has released its interfaces (it is going, and
// what Qt still asks while it goes finds no controls).
NodeTable* TableOf(OrvelleWidget& widget);

// A control, or one part of it (a page tab, a link), as assistive technology sees it. It holds
// names, not pointers, so a control that is gone makes it invalid rather than dangling.
class Node : public QAccessibleInterface,
             public QAccessibleTextInterface,
             public QAccessibleEditableTextInterface,
             public QAccessibleActionInterface {
public:
    // `part` -1 is the control itself; else the heading's constituent index or the hot spot's number.
    Node(OrvelleWidget& widget, std::string control, int part)
        : widget_(widget), control_(std::move(control)), part_(part) {}

    bool isValid() const override { return Entry() != nullptr && (part_ < 0 || PartRect().has_value()); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return widget_.window()->windowHandle(); }

    QAccessibleInterface* parent() const override;
    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override { return ChildAtIndex(Children(), index); }
    int indexOfChild(const QAccessibleInterface* child) const override { return IndexOfChild(Children(), child); }
    QAccessibleInterface* childAt(int x, int y) const override { return TopmostChildAt(Children(), x, y); }

    QString text(QAccessible::Text kind) const override;
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        const std::optional<QRect> form_pixels = part_ < 0 ? ControlRect() : PartRect();
        return form_pixels ? ScreenRect(widget_, *form_pixels) : QRect();
    }
    QAccessible::Role role() const override;
    QAccessible::State state() const override;

    void* interface_cast(QAccessible::InterfaceType type) override {
        if ((type == QAccessible::TextInterface || type == QAccessible::EditableTextInterface) && Box()) {
            if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
            return static_cast<QAccessibleEditableTextInterface*>(this);
        }
        if (type == QAccessible::ActionInterface && (part_ >= 0 || Box()))
            return static_cast<QAccessibleActionInterface*>(this);
        return nullptr;
    }

    // --- text: the text box's characters are Windows-1252 bytes, one character each --------
    void selection(int index, int* start, int* end) const override {
        *start = *end = 0;
        const host::TextBox* box = Box();
        if (index != 0 || !box || box->SelLength() == 0) return;
        *start = box->SelStart();
        *end = box->SelStart() + box->SelLength();
    }
    int selectionCount() const override {
        const host::TextBox* box = Box();
        return box && box->SelLength() > 0 ? 1 : 0;
    }
    void addSelection(int start, int end) override { setSelection(0, start, end); }
    void removeSelection(int index) override {
        if (host::TextBox* box = Box(); box && index == 0) Select(*box, box->edit().caret(), 0);
    }
    void setSelection(int index, int start, int end) override {
        if (host::TextBox* box = Box(); box && index == 0) Select(*box, std::min(start, end), std::abs(end - start));
    }
    int cursorPosition() const override {
        const host::TextBox* box = Box();
        return box ? box->edit().caret() : 0;
    }
    void setCursorPosition(int position) override {
        if (host::TextBox* box = Box()) Select(*box, position, 0);
    }
    QString text(int start, int end) const override {
        const host::TextBox* box = Box();
        if (!box) return {};
        const auto size = static_cast<int>(box->Text().size());
        start = std::clamp(start, 0, size);
        end = end < 0 ? size : std::clamp(end, start, size);
        return FromLibraryText(
            box->Text().substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)));
    }
    int characterCount() const override {
        const host::TextBox* box = Box();
        return box ? static_cast<int>(box->Text().size()) : 0;
    }
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint& point) const override;
    void scrollToSubstring(int, int) override {}  // a one-line box keeps its caret in view itself
    QString attributes(int offset, int* start, int* end) const override {
        // A text marked invalid is invalid as a whole (the attribute assistive technology knows
        // from spelling checkers).
        *start = 0;
        *end = characterCount();
        if (offset < 0 || offset > *end) *start = *end = -1;
        return MarkedInvalid() ? QStringLiteral("invalid:true;") : QString();
    }

    // --- editable text: as the context-menu paste over a selection, so the control's own
    // handling of a paste (its mask) applies ---------------------------------------------------
    void deleteText(int start, int end) override { replaceText(start, end, QString()); }
    void insertText(int offset, const QString& text) override { replaceText(offset, offset, text); }
    void replaceText(int start, int end, const QString& text) override {
        host::TextBox* box = Box();
        if (!box) return;
        Select(*box, std::min(start, end), std::abs(end - start));
        try {
            box->MenuPaste(LibraryText(text));
        } catch (const AutomationError&) {}
        widget_.Sync();
    }

    // --- actions: a part is pressed as the pointer clicks it, a text box takes the focus ------
    QStringList actionNames() const override { return {part_ >= 0 ? pressAction() : setFocusAction()}; }
    void doAction(const QString& name) override {
        if (!isValid()) return;
        if (part_ < 0) {
            if (name == setFocusAction()) widget_.focusControl(control_);
            return;
        }
        if (name != pressAction()) return;
        if (auto* label = dynamic_cast<hotlabel::OVHotLabel*>(Entry()->control)) {
            // The label's own press: a hot spot that wraps cannot be hit by the pointer at all.
            label->PressHotSpot(part_);
            widget_.Sync();
        } else if (const std::optional<QRect> r = PartRect()) {
            ClickAt(widget_, r->center());
        }
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

    const std::string& control_name() const { return control_; }
    int part() const { return part_; }
    host::HostEntry* Entry() const { return widget_.host().objects().Find(control_); }
    host::TextBox* Box() const {
        const host::HostEntry* entry = Entry();
        return entry && part_ < 0 ? host::InputTextBox(*entry->control) : nullptr;
    }
    bool MarkedInvalid() const {
        const host::HostEntry* entry = Entry();
        const host::TextBox* box = Box();
        return box && EqualsIgnoreCase(entry->class_name, "OVMaskedTextBox") &&
               box->ForeColor() == maskedit::kInvalidColour;
    }

private:
    std::vector<QAccessibleInterface*> Children() const;
    std::optional<QRect> ControlRect() const {
        const host::HostEntry* entry = Entry();
        if (!entry) return std::nullopt;
        const gdi::POINT origin = widget_.host().OriginOf(control_);
        return QRect(origin.x, origin.y, entry->control->PixelWidth(), entry->control->PixelHeight());
    }
    std::optional<QRect> PartRect() const;
    std::optional<QRect> BoxRect() const {
        host::TextBox* box = Box();
        if (!box) return std::nullopt;
        return ConstituentRect(widget_, control_, *box);
    }
    void Select(host::TextBox& box, int start, int length) {
        const auto size = static_cast<int>(box.Text().size());
        start = std::clamp(start, 0, size);
        box.DragSelect(start, std::clamp(length, 0, size - start));
        widget_.Sync();
    }

    OrvelleWidget& widget_;
    std::string control_;
    int part_;
};

// The widget: the form, with the controls placed on it as its children.
class FormInterface : public QAccessibleWidget {
public:
    explicit FormInterface(OrvelleWidget* widget)
        : QAccessibleWidget(widget, widget->isWindow() ? QAccessible::Window : QAccessible::Client) {}

    OrvelleWidget& form() const { return *static_cast<OrvelleWidget*>(widget()); }
    int childCount() const override { return static_cast<int>(Children().size()); }
    QAccessibleInterface* child(int index) const override { return ChildAtIndex(Children(), index); }
    int indexOfChild(const QAccessibleInterface* child) const override { return IndexOfChild(Children(), child); }
    QAccessibleInterface* childAt(int x, int y) const override { return TopmostChildAt(Children(), x, y); }
    QAccessibleInterface* focusChild() const override;
    QString text(QAccessible::Text kind) const override {
        QString said = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && said.isEmpty() && TableOf(form()))
            said = FromLibraryText(form().host().form().Caption());
        return said;
    }

private:
    std::vector<QAccessibleInterface*> Children() const;
};

// The interfaces made for one widget's controls and parts, each made once and kept (assistive
// technology knows them by their id), and what was last announced.
class NodeTable {
public:
    explicit NodeTable(OrvelleWidget& widget) : widget_(widget) {}
    ~NodeTable() {
        for (const auto& [key, id] : ids_) QAccessible::deleteAccessibleInterface(id);
    }
    NodeTable(const NodeTable&) = delete;
    NodeTable& operator=(const NodeTable&) = delete;

    Node* Get(const std::string& control, int part) {
        std::string key;
        for (const char c : control) key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        key += '\x1f' + std::to_string(part);
        if (const auto it = ids_.find(key); it != ids_.end())
            return static_cast<Node*>(QAccessible::accessibleInterface(it->second));
        auto* node = new Node(widget_, control, part);
        ids_.emplace(key, QAccessible::registerAccessibleInterface(node));
        return node;
    }

    // What was last announced: the focused control, each text box's state, each strip's tab.
    struct BoxState {
        std::string text;
        int caret = 0, sel_start = 0, sel_length = 0;
    };
    std::string focused;
    std::map<std::string, BoxState> boxes;
    std::map<std::string, int> selected_tabs;

private:
    OrvelleWidget& widget_;
    std::unordered_map<std::string, QAccessible::Id> ids_;
};

std::unordered_map<const OrvelleWidget*, std::unique_ptr<NodeTable>>& Tables() {
    static std::unordered_map<const OrvelleWidget*, std::unique_ptr<NodeTable>> tables;
    return tables;
}

// Widgets that have released their interfaces, until the QObject itself is gone.
std::unordered_set<const OrvelleWidget*>& Released() {
    static std::unordered_set<const OrvelleWidget*> released;
    return released;
}

NodeTable* TableOf(OrvelleWidget& widget) {
    if (Released().contains(&widget)) return nullptr;
    std::unique_ptr<NodeTable>& table = Tables()[&widget];
    if (!table) table = std::make_unique<NodeTable>(widget);
    return table.get();
}

// The part numbers of a control: the visible headings of a tab strip (their constituent
// indexes), the hot spots of a hot label (1 to the count).
std::vector<int> PartsOf(const host::HostEntry& entry) {
    const ClassAccess* access = AccessOf(entry);
    std::vector<int> parts;
    if (!access) return parts;
    if (access->parts == Parts::Tabs) {
        for (const auto& c : entry.control->constituents())
            if (c->kind() == host::ConstituentKind::Label && c->name() == "lblTabItem" && c->Visible() &&
                !static_cast<const host::Label&>(*c).Caption().empty())
                parts.push_back(c->index());
        std::sort(parts.begin(), parts.end());
    } else if (access->parts == Parts::Links) {
        if (const auto* label = dynamic_cast<const hotlabel::OVHotLabel*>(entry.control))
            for (int number = 1; number <= label->HotSpots().count; ++number) parts.push_back(number);
    }
    return parts;
}

int SelectedTabOf(const host::Control& control) {
    const auto* tabs = dynamic_cast<const tabhead::OVTabHead*>(&control);
    return tabs ? tabs->SelectedIndex() : -1;
}

QAccessibleInterface* Node::parent() const {
    const host::HostEntry* entry = Entry();
    // A node lives only while its widget's table does.
    if (part_ >= 0) return TableOf(widget_)->Get(control_, -1);
    if (entry && entry->container) return TableOf(widget_)->Get(entry->container->name, -1);
    return QAccessible::queryAccessibleInterface(&widget_);
}

std::vector<QAccessibleInterface*> Node::Children() const {
    std::vector<QAccessibleInterface*> children;
    const host::HostEntry* entry = Entry();
    if (!entry || part_ >= 0) return children;
    NodeTable& table = *TableOf(widget_);
    for (const int part : PartsOf(*entry)) children.push_back(table.Get(control_, part));
    for (const host::HostEntry* inside : ControlsIn(widget_.host().objects(), entry))
        children.push_back(table.Get(inside->name, -1));
    return children;
}

std::vector<QAccessibleInterface*> FormInterface::Children() const {
    std::vector<QAccessibleInterface*> children;
    NodeTable* table = TableOf(form());
    if (!table) return children;
    for (const host::HostEntry* entry : ControlsIn(form().host().objects(), nullptr))
        children.push_back(table->Get(entry->name, -1));
    return children;
}

QAccessibleInterface* FormInterface::focusChild() const {
    OrvelleWidget& widget = form();
    NodeTable* table = TableOf(widget);
    if (!table || !widget.hasFocus() || widget.focusedControl().empty() ||
        !widget.host().objects().Find(widget.focusedControl()))
        return nullptr;
    return table->Get(widget.focusedControl(), -1);
}

QString Node::text(QAccessible::Text kind) const {
    host::HostEntry* entry = Entry();
    if (!entry) return {};
    host::Control& control = *entry->control;
    if (part_ >= 0) {
        if (kind != QAccessible::Name) return {};
        if (const host::Constituent* heading = control.FindConstituent("lblTabItem", part_);
            heading && AccessOf(*entry)->parts == Parts::Tabs)
            return FromLibraryText(static_cast<const host::Label&>(*heading).Caption());
        const auto* label = dynamic_cast<const hotlabel::OVHotLabel*>(&control);
        return label ? FromLibraryText(HotSpotText(label->StoredControlString(), part_)) : QString();
    }
    const ClassAccess* access = AccessOf(*entry);
    switch (kind) {
        case QAccessible::Name:
            if (access && access->name) {
                // A name ends at its first NUL, as the desktop reads the tray icon's tip.
                const std::string said = access->name(control);
                return FromLibraryText(said.substr(0, said.find('\0')));
            }
            if (const host::TextBox* box = Box()) return FromLibraryText(box->ToolTipText());
            return {};
        case QAccessible::Value:
            if (const host::TextBox* box = Box()) return FromLibraryText(box->Text());
            return {};
        case QAccessible::Description: return MarkedInvalid() ? QStringLiteral("invalid entry") : QString();
        default: return {};
    }
}

QAccessible::Role Node::role() const {
    const host::HostEntry* entry = Entry();
    if (!entry) return QAccessible::NoRole;
    if (part_ >= 0) return AccessOf(*entry)->parts == Parts::Tabs ? QAccessible::PageTab : QAccessible::Link;
    if (const ClassAccess* access = AccessOf(*entry)) return access->role;
    // Any other control: an entry field when it takes text, a grouping when it holds controls.
    if (Box()) return QAccessible::EditableText;
    if (!ControlsIn(widget_.host().objects(), entry).empty()) return QAccessible::Grouping;
    return QAccessible::Client;
}

QAccessible::State Node::state() const {
    QAccessible::State state;
    const host::HostEntry* entry = Entry();
    if (!entry) {
        state.invalid = true;
        return state;
    }
    if (!widget_.isVisible() || !host::ShownWithItsContainers(*entry)) state.invisible = true;
    if (part_ >= 0) {
        if (AccessOf(*entry)->parts == Parts::Tabs) {
            state.selectable = true;
            state.selected = SelectedTabOf(*entry->control) == part_;
        } else {
            state.linked = true;
        }
        return state;
    }
    if (const host::TextBox* box = Box()) {
        state.focusable = true;
        state.focused = widget_.hasFocus() && EqualsIgnoreCase(widget_.focusedControl(), control_);
        state.editable = box->Enabled();
        state.disabled = !box->Enabled();
        state.selectableText = true;
    }
    return state;
}

std::optional<QRect> Node::PartRect() const {
    host::HostEntry* entry = Entry();
    if (!entry || part_ < 0) return std::nullopt;
    const std::vector<int> parts = PartsOf(*entry);
    if (std::find(parts.begin(), parts.end(), part_) == parts.end()) return std::nullopt;
    if (AccessOf(*entry)->parts == Parts::Tabs)
        return ConstituentRect(widget_, control_, *entry->control->FindConstituent("lblTabItem", part_));
    return HotSpotRect(widget_, control_, dynamic_cast<hotlabel::OVHotLabel&>(*entry->control), part_);
}

QRect Node::characterRect(int offset) const {
    // The pixels whose pointer test names the character (the painter's own measure, scroll and
    // alignment included).
    const host::TextBox* box = Box();
    const std::optional<QRect> area = BoxRect();
    if (!box || !area || offset < 0 || offset >= characterCount()) return {};
    int first = -1, last = -1;
    for (int x = 0; x < area->width(); ++x) {
        if (HitTestTextBox(*box, area->width(), x).character != offset) continue;
        if (first < 0) first = x;
        last = x;
    }
    if (first < 0) return {};
    return ScreenRect(widget_, QRect(area->left() + first, area->top(), last - first + 1, area->height()));
}

int Node::offsetAtPoint(const QPoint& point) const {
    const host::TextBox* box = Box();
    const std::optional<QRect> area = BoxRect();
    if (!box || !area) return -1;
    const QRect shown = ScreenRect(widget_, *area);
    if (!shown.contains(point)) return -1;
    const int x = static_cast<int>((point.x() - shown.left()) * widget_.devicePixelRatioF());
    return HitTestTextBox(*box, area->width(), x).character;
}

QAccessibleInterface* Factory(const QString&, QObject* object) {
    auto* widget = qobject_cast<OrvelleWidget*>(object);
    return widget ? new FormInterface(widget) : nullptr;
}

template <class Event, class... Args>
void Announce(Args&&... args) {
    Event event(std::forward<Args>(args)...);
    QAccessible::updateAccessibility(&event);
}

}  // namespace

void InstallAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(Factory);
        return true;
    }();
    (void)installed;
}

void NotifyAccessibility(OrvelleWidget& widget) {
    // The comparison runs whether or not anyone listens (it costs a pass over the controls), so
    // assistive technology that starts listening later hears of the next change, not of every
    // difference since the first repaint; Qt drops the events themselves while no one listens.
    NodeTable* found = TableOf(widget);
    if (!found) return;
    NodeTable& table = *found;
    const host::ObjectRegistry& objects = widget.host().objects();
    for (const auto& entry : objects.entries()) {
        if (!entry->control) continue;
        if (const host::TextBox* box = host::InputTextBox(*entry->control)) {
            const auto known = table.boxes.find(entry->name);
            const bool same = known != table.boxes.end() && known->second.text == box->Text() &&
                              known->second.caret == box->edit().caret() &&
                              known->second.sel_start == box->SelStart() &&
                              known->second.sel_length == box->SelLength();
            if (same) continue;  // most repaints change nothing here: no copy of the text
            const NodeTable::BoxState now{box->Text(), box->edit().caret(), box->SelStart(), box->SelLength()};
            if (known == table.boxes.end()) {
                table.boxes.emplace(entry->name, now);
                continue;
            }
            const NodeTable::BoxState before = std::exchange(known->second, now);
            Node* node = table.Get(entry->name, -1);
            if (before.text != now.text)
                Announce<QAccessibleTextUpdateEvent>(node, 0, FromLibraryText(before.text), FromLibraryText(now.text));
            if (before.sel_start != now.sel_start || before.sel_length != now.sel_length)
                Announce<QAccessibleTextSelectionEvent>(node, now.sel_start, now.sel_start + now.sel_length);
            if (before.caret != now.caret) Announce<QAccessibleTextCursorEvent>(node, now.caret);
        } else if (AccessOf(*entry) && AccessOf(*entry)->parts == Parts::Tabs) {
            const int now = SelectedTabOf(*entry->control);
            auto [it, added] = table.selected_tabs.try_emplace(entry->name, now);
            if (added || it->second == now) continue;
            const int before = std::exchange(it->second, now);
            QAccessible::State selected;
            selected.selected = true;
            for (const int tab : {before, now})
                if (tab >= 0 && table.Get(entry->name, tab)->isValid())
                    Announce<QAccessibleStateChangeEvent>(table.Get(entry->name, tab), selected);
            if (now >= 0 && table.Get(entry->name, now)->isValid())
                Announce<QAccessibleEvent>(table.Get(entry->name, now), QAccessible::Selection);
        }
    }
    // The focus: the box that had it no longer has it, the one that takes it has it. Only a
    // text box shows the focus (its caret), so only text boxes are said to have it.
    const auto shows_focus = [&](const std::string& name) {
        const host::HostEntry* entry = name.empty() ? nullptr : objects.Find(name);
        return entry && host::InputTextBox(*entry->control) ? table.Get(name, -1) : nullptr;
    };
    const std::string focused = widget.hasFocus() ? widget.focusedControl() : std::string();
    if (!EqualsIgnoreCase(focused, table.focused)) {
        QAccessible::State changed;
        changed.focused = true;
        if (Node* before = shows_focus(table.focused)) Announce<QAccessibleStateChangeEvent>(before, changed);
        table.focused = focused;
        if (Node* now = shows_focus(focused)) {
            Announce<QAccessibleStateChangeEvent>(now, changed);
            Announce<QAccessibleEvent>(now, QAccessible::Focus);
        }
    }
}

void ReleaseAccessibility(OrvelleWidget& widget) {
    Tables().erase(&widget);
    Released().insert(&widget);
    QObject::connect(&widget, &QObject::destroyed, [gone = &widget] { Released().erase(gone); });
}

}  // namespace ov::qt
