#pragma once
// The arguments of one raised event as a Qt slot sees them: named, converted to QVariant, and
// writable. Every argument goes by reference, so what a slot stores is what the raising
// control reads once the signal returns. The object lives only for the signal's emission.
#include <QString>
#include <QVariant>
#include <vector>

#include "platform/runtime/type_info.h"
#include "platform/runtime/variant.h"

namespace ov::qt {

// Library values and QVariant: Boolean, the integer types, Single, Double and String map to
// bool, int, float, double and QString (text converted between Windows-1252 and UTF-16);
// a date goes as its serial (double); Empty, Null and objects as an invalid QVariant.
QVariant ToQVariant(const Variant& value);
Variant FromQVariant(const QVariant& value);

class EventArguments {
public:
    EventArguments(const EventDesc& event, std::vector<Variant>& args) : event_(&event), args_(&args) {}

    const EventDesc& event() const { return *event_; }
    int count() const { return static_cast<int>(args_->size()); }
    QString name(int index) const;
    // -1 for a name the event does not declare (case-insensitive, as the language's names are).
    int indexOf(const QString& name) const;
    QVariant value(int index) const;
    QVariant value(const QString& name) const { return value(indexOf(name)); }
    // Stores `value` converted to the argument's declared type. False (and no change) for an
    // index out of range or a value that does not convert (text that is not a number, a number
    // out of the type's range).
    bool setValue(int index, const QVariant& value);
    bool setValue(const QString& name, const QVariant& value) { return setValue(indexOf(name), value); }

    const std::vector<Variant>& values() const { return *args_; }
    // The raised values themselves, for a caller that converts by the declared types itself.
    std::vector<Variant>& mutableValues() { return *args_; }

private:
    bool InRange(int index) const { return index >= 0 && index < count(); }

    const EventDesc* event_;
    std::vector<Variant>* args_;
};

}  // namespace ov::qt
