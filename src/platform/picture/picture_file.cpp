// PictureFileBytes: a picture as the file the loader reads back into the same picture. Bitmaps
// become PNG (opaque, as bitmaps are), icons a one-image ICO of 32-bit pixels whose alpha and
// AND mask agree, metafiles the bytes they were loaded from.
#include <cstring>

#include "platform/gdi/icon.h"
#include "platform/gdi/png_io.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"

namespace ov {

namespace {

using Bytes = std::vector<std::uint8_t>;

[[noreturn]] void InvalidPicture() { throw AutomationError(error::kInvalidPicture); }

void PutU16(Bytes& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutU32(Bytes& out, std::uint32_t value) {
    PutU16(out, value & 0xFFFFu);
    PutU16(out, value >> 16);
}

Bytes BitmapFile(const Picture& picture) {
    gdi::SIZE size;
    if (!gdi::GetBitmapSize(picture.handle(), &size)) InvalidPicture();
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size.cx) * size.cy);  // either format as pixel words
    const gdi::RECT all{0, 0, size.cx, size.cy};
    Bytes png;
    if (gdi::GetBitmapBits32(picture.handle(), &all, pixels.data()) != size.cy ||
        !gdi::EncodePng(size.cx, size.cy, pixels.data(), &png))
        InvalidPicture();
    return png;
}

// One 32-bit image with its AND mask: bit 1 (the screen shows through) exactly where alpha is
// 0, so the loader gives back the same pixels whether it reads the alpha or the mask.
Bytes IconFile(const Picture& picture) {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;
    if (!gdi::GetIconPixels(picture.handle(), &width, &height, &argb) || width <= 0 || height <= 0) InvalidPicture();
    const std::uint32_t colour_bytes = static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height) * 4;
    const std::uint32_t mask_stride = (static_cast<std::uint32_t>(width) + 31) / 32 * 4;
    const std::uint32_t mask_bytes = mask_stride * static_cast<std::uint32_t>(height);
    constexpr std::uint32_t kDirectoryBytes = 6 + 16, kInfoHeaderBytes = 40;

    Bytes out;
    out.reserve(kDirectoryBytes + kInfoHeaderBytes + colour_bytes + mask_bytes);
    PutU16(out, 0);  // reserved
    PutU16(out, 1);  // icon
    PutU16(out, 1);  // one image
    // The directory's sizes are bytes: 0 stands for 256 and more (the image header has them all).
    out.push_back(width < 256 ? static_cast<std::uint8_t>(width) : 0);
    out.push_back(height < 256 ? static_cast<std::uint8_t>(height) : 0);
    out.push_back(0);  // no palette
    out.push_back(0);
    PutU16(out, 1);   // planes
    PutU16(out, 32);  // bits per pixel
    PutU32(out, kInfoHeaderBytes + colour_bytes + mask_bytes);
    PutU32(out, kDirectoryBytes);

    PutU32(out, kInfoHeaderBytes);
    PutU32(out, static_cast<std::uint32_t>(width));
    PutU32(out, static_cast<std::uint32_t>(height) * 2);  // colour rows and mask rows
    PutU16(out, 1);
    PutU16(out, 32);
    PutU32(out, 0);  // uncompressed
    PutU32(out, colour_bytes + mask_bytes);
    for (int i = 0; i < 4; ++i) PutU32(out, 0);  // resolution and palette counts

    // Rows bottom-up, as device-independent bitmaps store them.
    for (int row = height - 1; row >= 0; --row)
        for (int x = 0; x < width; ++x) PutU32(out, argb[static_cast<std::size_t>(row) * width + x]);
    for (int row = height - 1; row >= 0; --row) {
        const std::size_t at = out.size();
        out.resize(at + mask_stride, 0);
        for (int x = 0; x < width; ++x)
            if ((argb[static_cast<std::size_t>(row) * width + x] >> 24) == 0)
                out[at + static_cast<std::size_t>(x >> 3)] |= static_cast<std::uint8_t>(0x80u >> (x & 7));
    }
    return out;
}

}  // namespace

std::vector<std::uint8_t> PictureFileBytes(const Picture& picture) {
    switch (picture.type()) {
        case PictureType::Bitmap: return BitmapFile(picture);
        case PictureType::Icon: return IconFile(picture);
        case PictureType::Metafile:
        case PictureType::EnhancedMetafile:
            if (picture.metafile_data().empty()) InvalidPicture();
            return picture.metafile_data();
        case PictureType::None: break;
    }
    InvalidPicture();
}

}  // namespace ov
