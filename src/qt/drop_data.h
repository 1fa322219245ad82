#pragma once
// What a drag carries, between Qt and the controls: QMimeData from another application becomes
// the DataObject the drag-and-drop events hand to their handlers (text as format 1, local
// files as format 15), and a DataObject a drag starts with becomes QMimeData; Qt's drop
// actions and the events' effects (1 copy, 2 move) convert both ways.
#include <QDropEvent>
#include <QMimeData>
#include <memory>

#include "host/reference/data_object.h"

namespace ov::qt {

std::shared_ptr<host::DataObject> DataFromMime(const QMimeData& mime);
std::unique_ptr<QMimeData> MimeFromData(const host::DataObject& data);

std::int32_t EffectsFromActions(Qt::DropActions actions);
Qt::DropActions ActionsFromEffects(std::int32_t effects);
// The action of `effect` among `possible`: copy before move when both are set; IgnoreAction
// for none.
Qt::DropAction ActionFromEffect(std::int32_t effect, Qt::DropActions possible);
// Answers a drag move or drop with the effect a handler left: accepted with its action, or
// ignored when it is none. An enter is always accepted, so that the moves over the rest of
// the window still come, with no action where nothing takes the drop.
void AnswerDrag(QDropEvent& event, std::int32_t effect);

}  // namespace ov::qt
