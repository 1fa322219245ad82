#include "qt/event_arguments.h"

#include "platform/codepage/windows1252.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/compare.h"

namespace ov::qt {

namespace {

QString FromLibraryText(const std::string& text) { return QString::fromStdString(codepage::Windows1252ToUtf8(text)); }

}  // namespace

QVariant ToQVariant(const Variant& value) {
    switch (value.type()) {
        case VarType::Boolean: return QVariant(value.boolean());
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long: return QVariant(static_cast<int>(value.integral()));
        case VarType::Single: return QVariant(static_cast<float>(value.real()));
        case VarType::Double:
        case VarType::Date: return QVariant(value.real());
        case VarType::String: return QVariant(FromLibraryText(value.string()));
        default: return QVariant();
    }
}

Variant FromQVariant(const QVariant& value) {
    switch (value.typeId()) {
        case QMetaType::Bool: return Variant::FromBoolean(value.toBool());
        case QMetaType::Int:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Char:
        case QMetaType::UChar: return Variant::FromLong(value.toInt());
        case QMetaType::Float: return Variant::FromSingle(value.toFloat());
        case QMetaType::Double:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong: return Variant::FromDouble(value.toDouble());
        case QMetaType::QString:
            return Variant::FromString(codepage::Utf8ToWindows1252(value.toString().toStdString()));
        default: return Variant();
    }
}

QString EventArguments::name(int index) const {
    if (!InRange(index) || static_cast<std::size_t>(index) >= event_->params.size()) return {};
    return FromLibraryText(event_->params[static_cast<std::size_t>(index)].name);
}

int EventArguments::indexOf(const QString& name) const {
    const std::string wanted = codepage::Utf8ToWindows1252(name.toStdString());
    for (std::size_t i = 0; i < event_->params.size() && i < args_->size(); ++i)
        if (EqualsIgnoreCase(event_->params[i].name, wanted)) return static_cast<int>(i);
    return -1;
}

QVariant EventArguments::value(int index) const {
    return InRange(index) ? ToQVariant((*args_)[static_cast<std::size_t>(index)]) : QVariant();
}

bool EventArguments::setValue(int index, const QVariant& value) {
    if (!InRange(index) || static_cast<std::size_t>(index) >= event_->params.size()) return false;
    try {
        (*args_)[static_cast<std::size_t>(index)] =
            event_->params[static_cast<std::size_t>(index)].type.Coerce(FromQVariant(value));
    } catch (const AutomationError&) {
        return false;
    }
    return true;
}

}  // namespace ov::qt
