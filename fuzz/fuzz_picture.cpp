// One picture loader under libFuzzer, chosen when it is built (ORVELLE_PICTURE_BMP, _PNG, _ICO,
// _WMF or _EMF: one target a loader). The input's signature bytes are set to the loader's so
// that every mutation reaches it, and PNG chunk checksums are repaired so that changed fields
// reach the decoder rather than its checksum test. Every input must give a picture of the
// loader's type inside the picture limits, or "Invalid picture" (481), and must leave no
// graphics object behind.
#include <cstdlib>
#include <cstdint>

#include "../tests/support/picture_files.h"
#include "platform/gdi/gdi.h"
#include "platform/limits.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"

namespace {

using ov::PictureType;
using ov::picture_files::Bytes;
using ov::picture_files::Poke32;

// Prepare gives the input the loader's signature and says whether it is worth loading.
#if defined(ORVELLE_PICTURE_BMP)
constexpr PictureType kType = PictureType::Bitmap;
std::uint32_t Le32(const Bytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}
// A run-length bitmap may leave all its pixels to the end code, so only the pixel cap bounds
// what a few bytes can ask for. Those over 65,536 pixels (more than an uncompressed input of
// the fuzzer's length can hold) are left out, so that the time goes to parsing rather than to
// filling memory; the unit tests load a large one.
bool Prepare(Bytes& file) {
    if (file.size() >= 2) {
        file[0] = 'B';
        file[1] = 'M';
    }
    if (file.size() >= 34 && Le32(file, 14) >= 40) {
        const std::uint32_t compression = Le32(file, 30);
        const std::int64_t width = static_cast<std::int32_t>(Le32(file, 18)),
                           height = static_cast<std::int32_t>(Le32(file, 22));
        if ((compression == 1 || compression == 2) && std::abs(width * height) > (std::int64_t{1} << 16)) return false;
    }
    return true;
}
#elif defined(ORVELLE_PICTURE_PNG)
constexpr PictureType kType = PictureType::Bitmap;
bool Prepare(Bytes& file) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (std::size_t i = 0; i < file.size() && i < sizeof kSignature; ++i) file[i] = kSignature[i];
    ov::picture_files::FixPngCrcs(file);
    return true;
}
#elif defined(ORVELLE_PICTURE_ICO)
constexpr PictureType kType = PictureType::Icon;
bool Prepare(Bytes& file) {
    Poke32(file, 0, 0x00010000u);
    return true;
}
#elif defined(ORVELLE_PICTURE_WMF)
constexpr PictureType kType = PictureType::Metafile;
bool Prepare(Bytes& file) {
    Poke32(file, 0, 0x9AC6CDD7u);
    return true;
}
#elif defined(ORVELLE_PICTURE_EMF)
constexpr PictureType kType = PictureType::EnhancedMetafile;
bool Prepare(Bytes& file) {
    Poke32(file, 0, 1);
    Poke32(file, 40, 0x464D4520u);
    return true;
}
#else
#error "define which loader the target runs"
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes file(data, data + size);
    if (!Prepare(file)) return 0;
    const ov::gdi::LiveObjects before = ov::gdi::CountLiveObjects();
    try {
        const auto picture = ov::LoadPictureFromMemory(file);
        if (picture->type() != kType) std::abort();
        if (kType == PictureType::Bitmap || kType == PictureType::Icon) {
            if (!ov::limits::PictureSizeAllowed(picture->width_pixels(), picture->height_pixels())) std::abort();
        }
    } catch (const ov::AutomationError& e) {
        if (e.number() != ov::error::kInvalidPicture) std::abort();
    }
    if (!(ov::gdi::CountLiveObjects() == before)) std::abort();
    return 0;
}
