#include "qt/widgets/typed_values.h"

#include <QBuffer>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPixmap>

#include "library/widget_names.h"
#include "platform/codepage/windows1252.h"
#include "platform/gdi/ole_colour.h"
#include "platform/picture/picture.h"
#include "platform/picture/std_font.h"
#include "platform/runtime/compare.h"
#include "qt/event_arguments.h"

namespace ov::qt {

namespace {

QString FromLibraryText(const std::string& text) { return QString::fromStdString(codepage::Windows1252ToUtf8(text)); }
std::string ToLibraryText(const QString& text) { return codepage::Utf8ToWindows1252(text.toStdString()); }

[[noreturn]] void Mismatch() { throw AutomationError(error::kTypeMismatch); }

QColor ColourOf(std::int32_t ole_colour) {
    const gdi::COLORREF c = gdi::TranslateOleColorOrBlack(static_cast<std::uint32_t>(ole_colour));
    return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF), static_cast<int>((c >> 16) & 0xFF));
}

std::int32_t OleColourOf(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(rgb.red()) | (static_cast<std::uint32_t>(rgb.green()) << 8) |
                                     (static_cast<std::uint32_t>(rgb.blue()) << 16));
}

QFont FontOf(const std::shared_ptr<IDispatch>& object) {
    const auto* font = dynamic_cast<const StdFont*>(object.get());
    if (!font) return QFont();
    const FontDesc& desc = font->desc();
    QFont qt_font(FromLibraryText(desc.name));
    qt_font.setPointSizeF(desc.size);
    qt_font.setBold(desc.bold);
    qt_font.setItalic(desc.italic);
    qt_font.setUnderline(desc.underline);
    qt_font.setStrikeOut(desc.strikethrough);
    return qt_font;
}

std::shared_ptr<IDispatch> StdFontOf(const QFont& qt_font) {
    FontDesc desc;
    desc.name = ToLibraryText(qt_font.family());
    if (qt_font.pointSizeF() > 0) desc.size = qt_font.pointSizeF();
    desc.bold = qt_font.bold();
    desc.italic = qt_font.italic();
    desc.underline = qt_font.underline();
    desc.strikethrough = qt_font.strikeOut();
    RequireValidFontName(desc.name);
    RequireValidFontSize(desc.size);
    return StdFont::Create(desc);
}

QPixmap PixmapOf(const std::shared_ptr<IDispatch>& object) {
    const auto* picture = dynamic_cast<const Picture*>(object.get());
    if (!picture || picture->type() == PictureType::None) return QPixmap();
    std::vector<std::uint8_t> bytes;
    try {
        bytes = PictureFileBytes(*picture);
    } catch (const AutomationError&) {
        return QPixmap();  // a metafile or a picture whose image is gone has no pixels here
    }
    QPixmap pixmap;
    pixmap.loadFromData(bytes.data(), static_cast<uint>(bytes.size()));
    return pixmap;
}

std::shared_ptr<IDispatch> PictureOf(const QImage& image) {
    if (image.isNull()) return nullptr;
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) throw AutomationError(error::kInvalidPicture);
    return LoadPictureFromMemory(std::vector<std::uint8_t>(png.begin(), png.end()));
}

std::shared_ptr<IDispatch> ObjectFromQt(const QVariant& value) {
    if (!value.isValid() || value.isNull()) return nullptr;
    if (value.canConvert<LateBound>() && value.metaType() == QMetaType::fromType<LateBound>()) {
        const LateBound bound = value.value<LateBound>();
        return bound.handle() ? bound.handle()->object : nullptr;
    }
    switch (value.typeId()) {
        case QMetaType::QFont: return StdFontOf(value.value<QFont>());
        case QMetaType::QPixmap: return PictureOf(value.value<QPixmap>().toImage());
        case QMetaType::QImage: return PictureOf(value.value<QImage>());
        case QMetaType::QIcon: {
            const QIcon icon = value.value<QIcon>();
            const QList<QSize> sizes = icon.availableSizes();
            return PictureOf(icon.pixmap(sizes.isEmpty() ? QSize(32, 32) : sizes.last()).toImage());
        }
        default: break;
    }
    Mismatch();
}

}  // namespace

QVariant ToQt(const TypeDesc& type, const Variant& value) {
    switch (type.kind) {
        case TypeDesc::Kind::Void: return QVariant();
        case TypeDesc::Kind::Color: return ColourOf(CLng(value));
        case TypeDesc::Kind::Enum: return QVariant(static_cast<int>(CLng(value)));
        case TypeDesc::Kind::Object: {
            const std::shared_ptr<IDispatch> object = value.type() == VarType::Object ? CObj(value) : nullptr;
            if (library::IsFontType(type)) return QVariant::fromValue(FontOf(object));
            if (library::IsPictureType(type)) return QVariant::fromValue(PixmapOf(object));
            return QVariant::fromValue(LateBound(std::make_shared<LateBound::Handle>(LateBound::Handle{object})));
        }
        case TypeDesc::Kind::Variant:
            if (value.type() == VarType::Object)
                return QVariant::fromValue(LateBound(std::make_shared<LateBound::Handle>(LateBound::Handle{CObj(value)})));
            return ToQVariant(value);
        case TypeDesc::Kind::Value: break;
    }
    switch (type.var) {
        case VarType::Boolean: return QVariant(CBool(value));
        case VarType::Byte:
        case VarType::Integer:
        case VarType::Long: return QVariant(static_cast<int>(CLng(value)));
        case VarType::Single:
        case VarType::Double:
        case VarType::Date: return QVariant(CDbl(value));
        case VarType::String: return QVariant(FromLibraryText(CStr(value)));
        default: return ToQVariant(value);
    }
}

Variant FromQt(const TypeDesc& type, const QVariant& value) {
    switch (type.kind) {
        case TypeDesc::Kind::Void: return Variant();
        case TypeDesc::Kind::Color:
            if (value.typeId() == QMetaType::QColor) {
                const QColor colour = value.value<QColor>();
                if (!colour.isValid()) Mismatch();
                return Variant::FromLong(OleColourOf(colour));
            }
            if (value.typeId() == QMetaType::QString) {
                const QColor colour = QColor::fromString(value.toString());
                if (!colour.isValid()) Mismatch();
                return Variant::FromLong(OleColourOf(colour));
            }
            return type.Coerce(FromQVariant(value));
        case TypeDesc::Kind::Object: return Variant::FromObject(ObjectFromQt(value));
        case TypeDesc::Kind::Enum:
            if (value.metaType().flags() & QMetaType::IsEnumeration) return Variant::FromLong(value.toInt());
            return type.Coerce(FromQVariant(value));
        case TypeDesc::Kind::Variant:
            if (value.metaType() == QMetaType::fromType<LateBound>()) return Variant::FromObject(ObjectFromQt(value));
            return FromQVariant(value);
        case TypeDesc::Kind::Value: break;
    }
    if (value.metaType().flags() & QMetaType::IsEnumeration) return type.Coerce(Variant::FromLong(value.toInt()));
    const Variant converted = FromQVariant(value);
    if (converted.type() == VarType::Empty && value.isValid() && type.var != VarType::String) Mismatch();
    return type.Coerce(converted);
}

ControlError ToControlError(const AutomationError& error) {
    return ControlError{error.number(), FromLibraryText(error.description()), FromLibraryText(error.source())};
}

}  // namespace ov::qt
