#include "qt/pointer_cursor.h"

#include <QImage>
#include <QPixmap>
#include <vector>

#include "host/contract/constituents.h"
#include "platform/gdi/icon.h"
#include "platform/picture/picture.h"

namespace ov::qt {

namespace {

// The platform's standard pointers: 0 default, 1 arrow, 2 cross, 3 I-beam, 4 icon, 5 size,
// 6 size NE-SW, 7 size N-S, 8 size NW-SE, 9 size W-E, 10 up arrow, 11 hourglass, 12 no drop,
// 13 arrow and hourglass, 14 arrow and question mark, 15 size all.
Qt::CursorShape StandardShape(std::int16_t pointer) {
    switch (pointer) {
        case 2: return Qt::CrossCursor;
        case 3: return Qt::IBeamCursor;
        case 5:
        case 15: return Qt::SizeAllCursor;
        case 6: return Qt::SizeBDiagCursor;
        case 7: return Qt::SizeVerCursor;
        case 8: return Qt::SizeFDiagCursor;
        case 9: return Qt::SizeHorCursor;
        case 10: return Qt::UpArrowCursor;
        case 11: return Qt::WaitCursor;
        case 12: return Qt::ForbiddenCursor;
        case 13: return Qt::BusyCursor;
        case 14: return Qt::WhatsThisCursor;
        default: return Qt::ArrowCursor;
    }
}

}  // namespace

QCursor CursorForPointer(std::int16_t mouse_pointer, const std::shared_ptr<IDispatch>& mouse_icon) {
    if (mouse_pointer != host::kMousePointerCustom) return QCursor(StandardShape(mouse_pointer));
    const auto* picture = dynamic_cast<const Picture*>(mouse_icon.get());
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    if (!picture || picture->type() != PictureType::Icon ||
        !gdi::GetIconPixels(picture->handle(), &width, &height, &argb))
        return QCursor(Qt::ArrowCursor);
    // The image shares the vector's memory only until the copy that makes the pixmap.
    const QImage image(reinterpret_cast<const uchar*>(argb.data()), width, height, width * 4, QImage::Format_ARGB32);
    const gdi::POINT hot_spot = picture->HotSpot();
    return QCursor(QPixmap::fromImage(image.copy()), hot_spot.x, hot_spot.y);
}

}  // namespace ov::qt
