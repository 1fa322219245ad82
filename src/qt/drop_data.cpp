#include "qt/drop_data.h"

#include <QUrl>

#include "host/reference/drop_target.h"
#include "platform/codepage/windows1252.h"

namespace ov::qt {

std::shared_ptr<host::DataObject> DataFromMime(const QMimeData& mime) {
    auto data = std::make_shared<host::DataObject>();
    if (mime.hasText()) data->SetText(codepage::Utf8ToWindows1252(mime.text().toStdString()));
    for (const QUrl& url : mime.urls())
        if (url.isLocalFile()) data->files().Add(codepage::Utf8ToWindows1252(url.toLocalFile().toStdString()));
    return data;
}

std::unique_ptr<QMimeData> MimeFromData(const host::DataObject& data) {
    auto mime = std::make_unique<QMimeData>();
    if (data.text()) mime->setText(QString::fromStdString(codepage::Windows1252ToUtf8(*data.text())));
    QList<QUrl> urls;
    for (const std::string& name : data.files().names())
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(codepage::Windows1252ToUtf8(name))));
    if (!urls.isEmpty()) mime->setUrls(urls);
    return mime;
}

std::int32_t EffectsFromActions(Qt::DropActions actions) {
    std::int32_t effects = host::kDropEffectNone;
    if (actions & Qt::CopyAction) effects |= host::kDropEffectCopy;
    if (actions & Qt::MoveAction) effects |= host::kDropEffectMove;
    return effects;
}

Qt::DropActions ActionsFromEffects(std::int32_t effects) {
    Qt::DropActions actions = Qt::IgnoreAction;
    if (effects & host::kDropEffectCopy) actions |= Qt::CopyAction;
    if (effects & host::kDropEffectMove) actions |= Qt::MoveAction;
    return actions;
}

Qt::DropAction ActionFromEffect(std::int32_t effect, Qt::DropActions possible) {
    if ((effect & host::kDropEffectCopy) && (possible & Qt::CopyAction)) return Qt::CopyAction;
    if ((effect & host::kDropEffectMove) && (possible & Qt::MoveAction)) return Qt::MoveAction;
    return Qt::IgnoreAction;
}

void AnswerDrag(QDropEvent& event, std::int32_t effect) {
    const Qt::DropAction action = ActionFromEffect(effect, event.possibleActions());
    event.setDropAction(action);
    if (action != Qt::IgnoreAction || event.type() == QEvent::DragEnter) event.accept();
    else event.ignore();
}

}  // namespace ov::qt
