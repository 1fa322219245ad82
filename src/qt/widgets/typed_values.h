#pragma once
// Values between the library and Qt by their declared type: the one place that says what a
// widget's property, a method's argument and an event's argument look like on the Qt side.
//
//   Boolean                       bool
//   Byte, Integer, Long, enums    int (an enumeration's Q_ENUM converts to and from int)
//   Single, Double, Date          double
//   String                        QString (UTF-8 in Qt, Windows-1252 in the library)
//   OLE_COLOR                     QColor; a system colour reads as its current value
//   StdFont                       QFont (name, point size, bold, italic, underline, strike-out)
//   StdPicture                    QPixmap (an empty picture is a null pixmap)
//   other objects                 LateBound
//   Variant                       QVariant by the value's own type
#include <QVariant>
#include <memory>

#include "orvelle/qt/control_widget.h"
#include "platform/runtime/automation_error.h"
#include "platform/runtime/type_info.h"

namespace ov::qt {

struct LateBound::Handle {
    std::shared_ptr<IDispatch> object;
};

QVariant ToQt(const TypeDesc& type, const Variant& value);
// Throws AutomationError 13 for a value that does not convert, 6 for one out of range, as a
// late-bound put of the same value would.
Variant FromQt(const TypeDesc& type, const QVariant& value);

// An automation error as the widgets report it.
ControlError ToControlError(const AutomationError& error);

}  // namespace ov::qt
