#include "orvelle/qt/control_widget.h"

#include <QChildEvent>
#include <QEvent>
#include <QPainter>
#include <QPaintDevice>
#include <QResizeEvent>
#include <cmath>
#include <optional>

#include "host/contract/control.h"
#include "host/reference/bag_file.h"
#include "host/reference/reference_host.h"
#include "library/classes.h"
#include "platform/codepage/windows1252.h"
#include "platform/gdi/ole_colour.h"
#include "platform/runtime/automation_object.h"
#include "platform/runtime/dispatch.h"
#include "platform/scale/scale.h"
#include "qt/event_arguments.h"
#include "qt/orvelle_widget.h"
#include "qt/widgets/typed_values.h"

namespace ov::qt {

namespace {


std::string ToLibraryText(const QString& text) { return codepage::Utf8ToWindows1252(text.toStdString()); }

bool default_user_mode = true;
bool default_classic_colours = false;

// RGB(253, 1, 254) as an OLE colour.
constexpr std::int32_t kUnseenFormColour = 0x00FE01FD;

const ClassInfo& InfoOf(const char* class_name) {
    const host::ClassEntry* entry = library::Classes().Find(class_name);
    if (!entry) throw std::logic_error(std::string("no class of the library is named ") + class_name);
    return *entry->info;
}

// A member by dispatch id; 438 for one the class does not have.
const MemberDesc& MemberOf(const ClassInfo& info, std::int32_t dispid) {
    const MemberDesc* member = info.FindMember(dispid);
    if (!member) throw AutomationError(error::kObjectDoesntSupport);
    return *member;
}

// The arguments of a call or an index, converted to the member's declared parameter types;
// an optional argument not given (an invalid QVariant) goes as Missing.
std::vector<Variant> ArgumentsFor(const MemberDesc& member, const QVariantList& given) {
    std::vector<Variant> args;
    for (qsizetype i = 0; i < given.size(); ++i) {
        const ParamDesc* param = i < static_cast<qsizetype>(member.params.size()) ? &member.params[i] : nullptr;
        if (!given[i].isValid() && (!param || param->optional)) args.push_back(Variant::Missing());
        else args.push_back(param ? FromQt(param->type, given[i]) : FromQVariant(given[i]));
    }
    return args;
}

// A put of `args` (the index, then the value): by reference (Set) for an object given to a
// property that takes one so, by value (Let) otherwise.
void PutMember(AutomationObject& object, const MemberDesc& member, std::vector<Variant>& args) {
    const bool by_reference = member.CanPutRef() && (args.back().type() == VarType::Object || !member.CanPut());
    object.Invoke(member.dispid, by_reference ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut, args);
}

// Calls a method with Qt arguments; what it leaves in by-reference arguments goes back into them.
QVariant CallMember(AutomationObject& object, const MemberDesc& member, QVariantList& arguments) {
    std::vector<Variant> args = ArgumentsFor(member, arguments);
    const Variant result = object.Invoke(member.dispid, InvokeKind::Method, args);
    for (std::size_t i = 0; i < args.size() && i < member.params.size(); ++i)
        if (member.params[i].by_ref) arguments[static_cast<qsizetype>(i)] = ToQt(member.params[i].type, args[i]);
    return ToQt(member.type, result);
}

// Calls `body`, turning an automation error into the object's recorded error and signal.
template <class Owner, class Body>
auto Guarded(Owner& owner, ControlError& last_error, Body&& body) -> decltype(body()) {
    try {
        return body();
    } catch (const AutomationError& error) {
        last_error = ToControlError(error);
        emit owner.automationError(last_error.number, last_error.description, last_error.source);
        return decltype(body())();
    }
}

}  // namespace

// --- LateBound -----------------------------------------------------------------------------

LateBound::LateBound() = default;
LateBound::~LateBound() = default;
LateBound::LateBound(const LateBound&) = default;
LateBound& LateBound::operator=(const LateBound&) = default;
LateBound::LateBound(std::shared_ptr<Handle> handle) : handle_(std::move(handle)) {}

bool LateBound::isNull() const { return !handle_ || !handle_->object; }

namespace {
template <class Body>
auto LateBoundCall(const std::shared_ptr<LateBound::Handle>& handle, ControlError* error, Body&& body)
    -> decltype(body(std::declval<IDispatch&>())) {
    try {
        if (!handle || !handle->object) throw AutomationError(error::kObjectNotSet);
        return body(*handle->object);
    } catch (const AutomationError& e) {
        if (error) *error = ToControlError(e);
        return decltype(body(std::declval<IDispatch&>()))();
    }
}
}  // namespace

QVariant LateBound::property(const QString& name, ControlError* error) const {
    return LateBoundCall(handle_, error, [&](IDispatch& object) {
        return ToQt(TypeDesc::AnyVariant(), GetProperty(object, ToLibraryText(name)));
    });
}

bool LateBound::setProperty(const QString& name, const QVariant& value, ControlError* error) {
    return LateBoundCall(handle_, error, [&](IDispatch& object) {
        PutProperty(object, ToLibraryText(name), FromQt(TypeDesc::AnyVariant(), value));
        return true;
    });
}

QVariant LateBound::call(const QString& method, const QVariantList& arguments, ControlError* error) {
    return LateBoundCall(handle_, error, [&](IDispatch& object) {
        std::vector<Variant> args;
        for (const QVariant& argument : arguments) args.push_back(FromQt(TypeDesc::AnyVariant(), argument));
        return ToQt(TypeDesc::AnyVariant(), CallMethod(object, ToLibraryText(method), args));
    });
}

// --- ControlWidget -------------------------------------------------------------------------

struct ControlWidget::Impl {
    const ClassInfo* info = nullptr;
    std::string class_name;  // also the name the control goes by in its widget's host
    OrvelleWidget* view = nullptr;  // the live host, a child filling the widget
    ControlError last_error;
    std::optional<host::PropertyBag> form_load;  // between beginFormLoad and endFormLoad

    host::ReferenceHost& host() const { return view->host(); }
    // The control; reaching it ends a form load, so it is never used half loaded.
    AutomationObject& object() const {
        const_cast<Impl*>(this)->FinishFormLoad();
        return *host().FindControl(class_name);
    }
    const MemberDesc& Member(std::int32_t dispid) const { return MemberOf(*info, dispid); }
    // The control afresh from `bag`, at its size (and under `user_mode` when given: a control
    // reads the mode as it starts).
    void Reload(const host::PropertyBag& bag, std::optional<bool> user_mode = std::nullopt);
    // Ends a form load: the control loads the bag gathered since beginFormLoad.
    void FinishFormLoad();
};

ControlWidget::ControlWidget(const char* control_class, QWidget* parent)
    : QWidget(parent), impl_(std::make_unique<Impl>()) {
    impl_->info = &InfoOf(control_class);
    impl_->class_name = control_class;
    impl_->view = new OrvelleWidget(library::Classes(), this);
    impl_->host().SetUserMode(default_user_mode);
    // The form behind the control is never seen: it is cleared from every frame. A colour no
    // control draws by default spares the second composition that tells the two apart.
    impl_->host().form().SetBackColor(kUnseenFormColour);
    if (default_classic_colours) impl_->view->SetClassicColours(true);
    impl_->view->HostControl(control_class, control_class);
    impl_->view->setSeeThrough(true);
    connect(impl_->view, &OrvelleWidget::controlEvent, this,
            [this](const QString& object, const QString&, EventArguments& arguments) {
                if (object == QString::fromStdString(impl_->class_name)) raiseEvent(arguments);
            });
    connect(impl_->view, &OrvelleWidget::propertyChanged, this, [this](const QString& object, const QString& property) {
        if (object == QString::fromStdString(impl_->class_name)) announceChange(property);
    });
    setFocusPolicy(impl_->view->focusPolicy());
    setFocusProxy(impl_->view);
    setObjectName(QString::fromLatin1(control_class));
    resize(impl_->view->sizeHint());
    impl_->view->setGeometry(rect());
}

ControlWidget::~ControlWidget() = default;

QString ControlWidget::controlClass() const { return QString::fromStdString(impl_->class_name); }

bool ControlWidget::userMode() const { return impl_->host().UserMode(); }

void ControlWidget::setUserMode(bool user_mode) {
    host::ReferenceHost& host = impl_->host();
    if (host.UserMode() == user_mode) return;
    Guarded(*this, impl_->last_error, [&] {
        impl_->FinishFormLoad();
        impl_->Reload(host.Save(impl_->class_name), user_mode);
        return 0;
    });
}

void ControlWidget::setUserModeForTree(QWidget* root, bool user_mode) {
    if (!root) return;
    if (auto* widget = qobject_cast<ControlWidget*>(root)) widget->setUserMode(user_mode);
    for (ControlWidget* widget : root->findChildren<ControlWidget*>()) widget->setUserMode(user_mode);
}

void ControlWidget::setDefaultUserMode(bool user_mode) { default_user_mode = user_mode; }
bool ControlWidget::defaultUserMode() { return default_user_mode; }

bool ControlWidget::classicColours() const { return impl_->view->classicColours(); }
void ControlWidget::setClassicColours(bool classic) { impl_->view->SetClassicColours(classic); }
void ControlWidget::setDefaultClassicColours(bool classic) { default_classic_colours = classic; }

int ControlWidget::systemColorIndex(const char* property) const {
    const MemberDesc* member = impl_->info->FindMember(property);
    if (!member || member->type.kind != TypeDesc::Kind::Color || !member->CanGet()) return -1;
    try {
        std::vector<Variant> none;
        const auto colour = static_cast<std::uint32_t>(CLng(impl_->object().Invoke(member->dispid, InvokeKind::PropertyGet, none)));
        return gdi::IsSystemColor(colour) ? static_cast<int>(colour & 0xFFFFFFu) : -1;
    } catch (const AutomationError&) {
        return -1;
    }
}

bool ControlWidget::setSystemColor(const char* property, int index) {
    return Guarded(*this, impl_->last_error, [&] {
        const MemberDesc* member = impl_->info->FindMember(property);
        if (!member || member->type.kind != TypeDesc::Kind::Color) throw AutomationError(error::kObjectDoesntSupport);
        if (index < 0 || index >= gdi::kSysColorCount) throw AutomationError(error::kInvalidPropertyValue);
        std::vector<Variant> args{Variant::FromLong(gdi::OleSystemColor(index))};
        if (impl_->form_load && member->persist) {
            impl_->form_load->Set(member->name, args.back());
            return true;
        }
        impl_->object().Invoke(member->dispid, InvokeKind::PropertyPut, args);
        impl_->view->Sync();
        return true;
    });
}

QVariant ControlWidget::controlProperty(const QString& name) const {
    return Guarded(const_cast<ControlWidget&>(*this), impl_->last_error, [&] {
        const std::string library_name = ToLibraryText(name);
        const MemberDesc* member = impl_->info->FindMember(library_name);
        const Variant value = GetProperty(impl_->object(), library_name);
        return ToQt(member ? member->type : TypeDesc::AnyVariant(), value);
    });
}

bool ControlWidget::setControlProperty(const QString& name, const QVariant& value) {
    return Guarded(*this, impl_->last_error, [&] {
        const std::string library_name = ToLibraryText(name);
        const MemberDesc* member = impl_->info->FindMember(library_name);
        if (member) writeMember(member->dispid, value);
        else PutProperty(impl_->object(), library_name, FromQt(TypeDesc::AnyVariant(), value));
        impl_->view->Sync();
        return impl_->last_error.number == 0 || member == nullptr;
    });
}

QVariant ControlWidget::callControl(const QString& method, const QVariantList& arguments) {
    return Guarded(*this, impl_->last_error, [&] {
        const std::string library_name = ToLibraryText(method);
        const MemberDesc* member = impl_->info->FindMember(library_name);
        if (!member) throw AutomationError(error::kObjectDoesntSupport);
        QVariantList given = arguments;
        return callMember(member->dispid, given);
    });
}

const ControlError& ControlWidget::lastError() const { return impl_->last_error; }

QByteArray ControlWidget::saveProperties() const {
    return Guarded(const_cast<ControlWidget&>(*this), impl_->last_error, [&] {
        impl_->FinishFormLoad();
        return QByteArray::fromStdString(host::BagToJsonText(impl_->host().Save(impl_->class_name)));
    });
}

void ControlWidget::Impl::Reload(const host::PropertyBag& bag, std::optional<bool> user_mode) {
    const host::Control& control = *host().FindControl(class_name);
    const double width = control.Width(), height = control.Height();
    host().Terminate(class_name);
    if (user_mode) host().SetUserMode(*user_mode);
    host().Load(class_name, class_name, bag, host::Placement{{}, 0, 0, width, height});
    view->Sync();
}

void ControlWidget::Impl::FinishFormLoad() {
    if (!form_load) return;
    const host::PropertyBag bag = std::move(*form_load);
    form_load.reset();
    Reload(bag);
}

bool ControlWidget::loadProperties(const QByteArray& json) {
    return Guarded(*this, impl_->last_error, [&] {
        impl_->form_load.reset();
        impl_->Reload(host::BagFromJsonText(json.toStdString()));
        return true;
    });
}

void ControlWidget::beginFormLoad() {
    Guarded(*this, impl_->last_error, [&] {
        impl_->FinishFormLoad();
        impl_->form_load = impl_->host().Save(impl_->class_name);
        return 0;
    });
}

void ControlWidget::endFormLoad() {
    Guarded(*this, impl_->last_error, [&] {
        impl_->FinishFormLoad();
        return 0;
    });
}

QSize ControlWidget::sizeHint() const { return impl_->view->sizeHint(); }
QSize ControlWidget::minimumSizeHint() const { return QSize(1, 1); }

OrvelleWidget* ControlWidget::liveHost() const { return impl_->view; }

QVariant ControlWidget::readMember(std::int32_t dispid, const QVariantList& index) const {
    return Guarded(const_cast<ControlWidget&>(*this), impl_->last_error, [&] {
        const MemberDesc& member = impl_->Member(dispid);
        std::vector<Variant> args = ArgumentsFor(member, index);
        if (impl_->form_load) {
            // While a form loads, a property reads as the form gives it; the load goes on (a
            // loader reads back what it set).
            if (member.persist && index.isEmpty() && impl_->form_load->Contains(member.name))
                return ToQt(member.type, impl_->form_load->ReadProperty(member.name));
            return ToQt(member.type, impl_->host().FindControl(impl_->class_name)->Invoke(dispid, InvokeKind::PropertyGet, args));
        }
        return ToQt(member.type, impl_->object().Invoke(dispid, InvokeKind::PropertyGet, args));
    });
}

void ControlWidget::writeMember(std::int32_t dispid, const QVariant& value, const QVariantList& index) {
    Guarded(*this, impl_->last_error, [&] {
        const MemberDesc& member = impl_->Member(dispid);
        if (impl_->form_load && member.persist && index.isEmpty()) {
            impl_->form_load->Set(member.name, FromQt(member.type, value));
            return 0;
        }
        std::vector<Variant> args = ArgumentsFor(member, index);
        args.push_back(FromQt(member.type, value));
        PutMember(impl_->object(), member, args);
        impl_->view->Sync();
        return 0;
    });
}

void ControlWidget::resetMember(std::int32_t dispid) {
    Guarded(*this, impl_->last_error, [&] {
        const MemberDesc& member = impl_->Member(dispid);
        auto& control = static_cast<host::Control&>(impl_->object());
        std::vector<Variant> args{control.ResetValue(member)};
        PutMember(impl_->object(), member, args);
        impl_->view->Sync();
        return 0;
    });
}

QVariant ControlWidget::callMember(std::int32_t dispid, QVariantList& arguments) {
    return Guarded(*this, impl_->last_error, [&] {
        const QVariant result = CallMember(impl_->object(), impl_->Member(dispid), arguments);
        impl_->view->Sync();
        return result;
    });
}

QVariant ControlWidget::eventArgument(const EventArguments& arguments, int index) {
    const EventDesc& event = arguments.event();
    if (index < 0 || static_cast<std::size_t>(index) >= event.params.size() || index >= arguments.count()) return {};
    try {
        return ToQt(event.params[static_cast<std::size_t>(index)].type, arguments.values()[static_cast<std::size_t>(index)]);
    } catch (const AutomationError&) {
        return {};
    }
}

void ControlWidget::setEventArgument(EventArguments& arguments, int index, const QVariant& value) {
    const EventDesc& event = arguments.event();
    if (index < 0 || static_cast<std::size_t>(index) >= event.params.size() || index >= arguments.count()) return;
    const ParamDesc& param = event.params[static_cast<std::size_t>(index)];
    if (!param.by_ref) return;
    try {
        arguments.mutableValues()[static_cast<std::size_t>(index)] = FromQt(param.type, value);
    } catch (const AutomationError&) {
        // A value the argument's type cannot hold leaves the argument as the control raised it.
    }
}

void ControlWidget::resizeEvent(QResizeEvent*) { impl_->view->setGeometry(rect()); }

void ControlWidget::childEvent(QChildEvent* event) {
    QWidget::childEvent(event);
    // Widgets placed on the control (a panel holding others) are drawn above it.
    if (event->added() && impl_ && impl_->view && event->child() != impl_->view && event->child()->isWidgetType())
        impl_->view->lower();
}

void ControlWidget::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange && impl_ && impl_->view) impl_->view->setEnabled(isEnabled());
}

// --- AutomationObjectBase ------------------------------------------------------------------

struct AutomationObjectBase::Impl {
    const ClassInfo* info = nullptr;
    std::shared_ptr<AutomationObject> object;
    ControlError last_error;
    const MemberDesc& Member(std::int32_t dispid) const { return MemberOf(*info, dispid); }
};

AutomationObjectBase::AutomationObjectBase(const char* object_class, QObject* parent)
    : QObject(parent), impl_(std::make_unique<Impl>()) {
    impl_->info = &InfoOf(object_class);
    impl_->object = library::Classes().Create(object_class);
    setObjectName(QString::fromLatin1(object_class));
}

AutomationObjectBase::~AutomationObjectBase() = default;

const ControlError& AutomationObjectBase::lastError() const { return impl_->last_error; }

QVariant AutomationObjectBase::readMember(std::int32_t dispid) const {
    return Guarded(const_cast<AutomationObjectBase&>(*this), impl_->last_error, [&] {
        std::vector<Variant> none;
        return ToQt(impl_->Member(dispid).type, impl_->object->Invoke(dispid, InvokeKind::PropertyGet, none));
    });
}

void AutomationObjectBase::writeMember(std::int32_t dispid, const QVariant& value) {
    Guarded(*this, impl_->last_error, [&] {
        const MemberDesc& member = impl_->Member(dispid);
        std::vector<Variant> args{FromQt(member.type, value)};
        PutMember(*impl_->object, member, args);
        return 0;
    });
}

QVariant AutomationObjectBase::callMember(std::int32_t dispid, QVariantList& arguments) {
    return Guarded(*this, impl_->last_error, [&] {
        return CallMember(*impl_->object, impl_->Member(dispid), arguments);
    });
}

bool AutomationObjectBase::drawOn(std::int32_t dispid, QPaintDevice* device) {
    return Guarded(*this, impl_->last_error, [&] {
        if (!device) throw AutomationError(error::kObjectNotSet);
        const MemberDesc& draw = impl_->Member(dispid);
        auto call_draw = [&](const std::shared_ptr<IDispatch>& surface) {
            std::vector<Variant> args{Variant::FromObject(surface)};
            return CBool(impl_->object->Invoke(draw.dispid, InvokeKind::Method, args));
        };
        // An Orvelle widget: the renderer draws on its control, as on any control with a
        // window and a device context.
        if (auto* widget = dynamic_cast<ControlWidget*>(device)) {
            host::ReferenceHost& host = widget->liveHost()->host();
            const bool drawn = call_draw(host.Find(widget->controlClass().toStdString()));
            widget->liveHost()->Sync();
            return drawn;
        }
        // Any other device: a picture box of the device's size is drawn on, then painted.
        if (device->width() <= 0 || device->height() <= 0) return false;
        const double width = PixelsToTwips(device->width(), Axis::X), height = PixelsToTwips(device->height(), Axis::Y);
        host::ReferenceHost scratch(library::Classes());
        scratch.form().SetWidth(width);
        scratch.form().SetHeight(height);
        scratch.New("surface", "PictureBox", host::Placement{{}, 0, 0, width, height});
        PutProperty(*scratch.Find("surface"), "BorderStyle", Variant::FromInteger(0));
        const bool drawn = call_draw(scratch.Find("surface"));
        QImage frame;
        CopyToFrame(scratch.Compose(), QImage::Format_RGB32, frame);
        QPainter painter(device);
        painter.drawImage(QPoint(0, 0), frame);
        return drawn;
    });
}

}  // namespace ov::qt
