// One picture loader under libFuzzer, chosen when it is built (ORVELLE_PICTURE_BMP, _PNG, _ICO,
// _WMF or _EMF: one target a loader). The input's signature bytes are set to the loader's so
// that every mutation reaches it, and PNG chunk checksums are repaired so that changed fields
// reach the decoder rather than its checksum test. Every input must give a picture of the
// loader's type inside the picture limits, or "Invalid picture" (481), and must leave no
// graphics object behind.
#include <cstdlib>

#include "../tests/support/picture_files.h"
#include "platform/gdi/objects.h"
#include "platform/limits.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"

namespace {

using ov::PictureType;
using ov::picture_files::Bytes;
using ov::picture_files::Poke32;

#if defined(ORVELLE_PICTURE_BMP)
constexpr PictureType kType = PictureType::Bitmap;
void Prepare(Bytes& file) {
    if (file.size() >= 2) file[0] = 'B', file[1] = 'M';
}
#elif defined(ORVELLE_PICTURE_PNG)
constexpr PictureType kType = PictureType::Bitmap;
void Prepare(Bytes& file) {
    static constexpr std::uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (std::size_t i = 0; i < file.size() && i < sizeof kSignature; ++i) file[i] = kSignature[i];
    ov::picture_files::FixPngCrcs(file);
}
#elif defined(ORVELLE_PICTURE_ICO)
constexpr PictureType kType = PictureType::Icon;
void Prepare(Bytes& file) { Poke32(file, 0, 0x00010000u); }
#elif defined(ORVELLE_PICTURE_WMF)
constexpr PictureType kType = PictureType::Metafile;
void Prepare(Bytes& file) { Poke32(file, 0, 0x9AC6CDD7u); }
#elif defined(ORVELLE_PICTURE_EMF)
constexpr PictureType kType = PictureType::EnhancedMetafile;
void Prepare(Bytes& file) {
    Poke32(file, 0, 1);
    Poke32(file, 40, 0x464D4520u);
}
#else
#error "define which loader the target runs"
#endif

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Bytes file(data, data + size);
    Prepare(file);
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
