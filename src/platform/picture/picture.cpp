#include "platform/picture/picture.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>

#include "platform/gdi/icon.h"
#include "platform/gdi/screen.h"
#include "platform/limits.h"

namespace ov {
namespace {

constexpr int kHimetricPerInch = 2540;

int DotsPerInch(int twips_per_pixel) { return twips_per_pixel > 0 ? 1440 / twips_per_pixel : 96; }

int g_picture_resolution = 0;  // SetPictureResolution; 0: the screen's

// Nearest-pixel scaling of width x height pixels to the size `to`.
std::vector<std::uint32_t> ScalePixels(const std::vector<std::uint32_t>& from, int width, int height, gdi::SIZE to) {
    std::vector<std::uint32_t> out(static_cast<std::size_t>(to.cx) * to.cy);
    for (int y = 0; y < to.cy; ++y) {
        const int source_y = static_cast<int>(static_cast<std::int64_t>(y) * height / to.cy);
        for (int x = 0; x < to.cx; ++x) {
            const int source_x = static_cast<int>(static_cast<std::int64_t>(x) * width / to.cx);
            out[static_cast<std::size_t>(y) * to.cx + x] = from[static_cast<std::size_t>(source_y) * width + source_x];
        }
    }
    return out;
}

// Metafile handles: the top nibble 0 marks no object kind, so every drawing call rejects them.
std::uint32_t NextMetafileHandle() {
    static std::uint32_t next = 0x0F000000u;
    return ++next;
}

// The owned bitmap and icon handles and the pictures owning them, for Picture::Owning.
struct Owners {
    std::mutex mutex;
    std::map<std::uint32_t, std::weak_ptr<Picture>> by_handle;
};

Owners& HandleOwners() {
    static Owners owners;
    return owners;
}

}  // namespace

int PixelsToHimetricX(int pixels) {
    return gdi::MulDiv(pixels, kHimetricPerInch, DotsPerInch(gdi::Screen().twips_per_pixel_x));
}
int PixelsToHimetricY(int pixels) {
    return gdi::MulDiv(pixels, kHimetricPerInch, DotsPerInch(gdi::Screen().twips_per_pixel_y));
}
double HimetricToPixelsX(double himetric) {
    return himetric * DotsPerInch(gdi::Screen().twips_per_pixel_x) / kHimetricPerInch;
}
double HimetricToPixelsY(double himetric) {
    return himetric * DotsPerInch(gdi::Screen().twips_per_pixel_y) / kHimetricPerInch;
}

void SetPictureResolution(int dots_per_inch) { g_picture_resolution = std::max(dots_per_inch, 0); }
int PictureResolution() { return g_picture_resolution; }

std::shared_ptr<Picture> Picture::Empty() { return std::shared_ptr<Picture>(new Picture()); }

// A picture over a bitmap or icon handle of `size` pixels; HIMETRIC follows from the screen.
std::shared_ptr<Picture> Picture::FromSizedHandle(gdi::HGDIOBJ handle, bool owned, PictureType type, gdi::SIZE size) {
    std::shared_ptr<Picture> picture(new Picture());
    picture->handle_ = handle;
    picture->owned_ = owned;
    if (owned) {
        Owners& owners = HandleOwners();
        const std::lock_guard lock(owners.mutex);
        owners.by_handle[handle] = picture;
    }
    picture->type_ = type;
    picture->width_pixels_ = size.cx;
    picture->height_pixels_ = size.cy;
    const int resolution = PictureResolution();
    picture->width_himetric_ =
        resolution > 0 ? gdi::MulDiv(size.cx, kHimetricPerInch, resolution) : PixelsToHimetricX(size.cx);
    picture->height_himetric_ =
        resolution > 0 ? gdi::MulDiv(size.cy, kHimetricPerInch, resolution) : PixelsToHimetricY(size.cy);
    return picture;
}

std::shared_ptr<Picture> Picture::FromBitmap(gdi::HBITMAP bitmap, bool owned) {
    gdi::SIZE size;
    if (!gdi::GetBitmapSize(bitmap, &size)) return nullptr;
    return FromSizedHandle(bitmap, owned, PictureType::Bitmap, size);
}

std::shared_ptr<Picture> Picture::FromIcon(gdi::HICON icon, bool owned) {
    gdi::SIZE size;
    if (!gdi::GetIconSize(icon, &size)) return nullptr;
    return FromSizedHandle(icon, owned, PictureType::Icon, size);
}

std::shared_ptr<Picture> Picture::FromPixels(int width, int height, const std::uint32_t* pixels) {
    if (!pixels) return nullptr;
    const gdi::HBITMAP bitmap = gdi::CreateDIBSection32(width, height);
    const gdi::RECT all{0, 0, width, height};
    if (gdi::SetBitmapBits32(bitmap, &all, pixels) != height) {  // also when there is no bitmap
        gdi::DeleteObject(bitmap);
        return nullptr;
    }
    return FromBitmap(bitmap, true);
}

std::shared_ptr<Picture> Picture::FromMetafile(PictureType type, int width_himetric, int height_himetric,
                                               std::vector<std::uint8_t> data) {
    std::shared_ptr<Picture> picture(new Picture());
    picture->handle_ = NextMetafileHandle();
    picture->type_ = type;
    picture->width_himetric_ = width_himetric;
    picture->height_himetric_ = height_himetric;
    picture->metafile_data_ = std::move(data);
    return picture;
}

gdi::SIZE Picture::DisplaySize() const {
    if (PictureResolution() == 0) return {width_pixels_, height_pixels_};
    return {static_cast<int>(std::lround(HimetricToPixelsX(width_himetric_))),
            static_cast<int>(std::lround(HimetricToPixelsY(height_himetric_)))};
}

const Picture& Picture::AtDisplaySize() const {
    if (type_ != PictureType::Bitmap && type_ != PictureType::Icon) return *this;
    const gdi::SIZE size = DisplaySize();
    if ((size.cx == width_pixels_ && size.cy == height_pixels_) || !limits::PictureSizeAllowed(size.cx, size.cy) ||
        size.cx <= 0 || size.cy <= 0)
        return *this;
    if (scaled_ && scaled_->width_pixels_ == size.cx && scaled_->height_pixels_ == size.cy) return *scaled_;
    scaled_.reset();
    if (type_ == PictureType::Bitmap) {
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width_pixels_) * height_pixels_);
        const gdi::RECT all{0, 0, width_pixels_, height_pixels_};
        if (gdi::GetBitmapBits32(handle_, &all, pixels.data()) == height_pixels_) {
            const std::vector<std::uint32_t> scaled = ScalePixels(pixels, width_pixels_, height_pixels_, size);
            scaled_ = FromPixels(size.cx, size.cy, scaled.data());
        }
    } else {
        int width = 0, height = 0;
        std::vector<std::uint32_t> argb;
        if (gdi::GetIconPixels(handle_, &width, &height, &argb) && width > 0 && height > 0) {
            const std::vector<std::uint32_t> scaled = ScalePixels(argb, width, height, size);
            scaled_ = FromIcon(gdi::CreateIconFromArgb(size.cx, size.cy, scaled.data()), true);
        }
    }
    // A copy that cannot be made (no memory for it) leaves the picture drawn at its own size.
    if (!scaled_) return *this;
    // The copy stands for this picture: the same extent, only more pixels.
    scaled_->width_himetric_ = width_himetric_;
    scaled_->height_himetric_ = height_himetric_;
    return *scaled_;
}

gdi::POINT Picture::HotSpot() const {
    gdi::POINT hot_spot{};
    if (type_ == PictureType::Icon) gdi::GetIconHotSpot(handle_, &hot_spot);
    return hot_spot;
}

std::shared_ptr<Picture> Picture::Owning(std::uint32_t handle) {
    Owners& owners = HandleOwners();
    const std::lock_guard lock(owners.mutex);
    auto found = owners.by_handle.find(handle);
    return found == owners.by_handle.end() ? nullptr : found->second.lock();
}

Picture::~Picture() {
    if (!owned_ || handle_ == 0) return;
    {
        Owners& owners = HandleOwners();
        const std::lock_guard lock(owners.mutex);
        owners.by_handle.erase(handle_);
    }
    // A bitmap still selected into a DC cannot be deleted; it then stays alive (and counted),
    // which the live-object tests of the caller would show.
    if (type_ == PictureType::Bitmap) gdi::DeleteObject(handle_);
    else if (type_ == PictureType::Icon) gdi::DestroyIcon(handle_);
}

const ClassInfo& Picture::StaticInfo() {
    // The picture object's members are read-only: a picture is replaced, never edited.
    static const ClassInfo info =
        ClassBuilder<Picture>("StdPicture", false)
            .Source(std::string(error::kRuntimeSource))
            .PropertyEx(
                "Handle", kDispidHandle, TypeDesc::Of(VarType::Long), {},
                [](Picture& p, auto&) { return Variant::FromLong(static_cast<std::int32_t>(p.handle())); }, nullptr)
            .PropertyEx(
                "hPal", kDispidHPal, TypeDesc::Of(VarType::Long), {},
                [](Picture&, auto&) { return Variant::FromLong(0); }, nullptr)
            .PropertyEx(
                "Type", kDispidType, TypeDesc::Of(VarType::Integer), {},
                [](Picture& p, auto&) { return Variant::FromInteger(static_cast<std::int16_t>(p.type())); }, nullptr)
            .ReadOnly("Width", kDispidWidth, TypeDesc::Of(VarType::Long), &Picture::width_himetric)
            .ReadOnly("Height", kDispidHeight, TypeDesc::Of(VarType::Long), &Picture::height_himetric)
            .Build();
    return info;
}

}  // namespace ov
