#pragma once
// The picture object: a bitmap, icon or metafile with its size in HIMETRIC (0.01 mm), owning
// its graphics handle and deleting it when the last reference goes.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/runtime/automation_object.h"

namespace ov {

enum class PictureType : std::int16_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3, EnhancedMetafile = 4 };

// HIMETRIC <-> pixels at the screen's resolution (1440 / twips per pixel, 96 at 15). Pixels to
// HIMETRIC rounds like the platform's MulDiv (halves away from zero); the other way is left
// unrounded for the caller to round as it needs.
int PixelsToHimetricX(int pixels);
int PixelsToHimetricY(int pixels);
double HimetricToPixelsX(double himetric);
double HimetricToPixelsY(double himetric);

// The resolution a picture's pixels are taken at when it is made from a bitmap or icon, which
// gives its HIMETRIC extent. 0, the default, takes them at the screen's: a picture is shown
// pixel for pixel, as on the platform. A host that scales its screen (a device pixel ratio of
// 2 on a high-DPI display) sets the resolution of its logical pixels, 96: a picture then keeps
// the size it has at ratio 1 in twips and HIMETRIC, and is drawn scaled (AtDisplaySize). One
// setting for the process, read when a picture is made.
void SetPictureResolution(int dots_per_inch);
int PictureResolution();

class Picture final : public AutomationObject {
public:
    // Dispatch ids as the platform's picture object has them.
    static constexpr std::int32_t kDispidHandle = 0, kDispidHPal = 2, kDispidType = 3, kDispidWidth = 4,
                                  kDispidHeight = 5;

    static std::shared_ptr<Picture> Empty();
    // Takes ownership of the handle unless `owned` is false; 0 or an invalid handle fails (nullptr).
    static std::shared_ptr<Picture> FromBitmap(gdi::HBITMAP bitmap, bool owned = true);
    static std::shared_ptr<Picture> FromIcon(gdi::HICON icon, bool owned = true);
    // A bitmap picture holding a copy of width*height 0x00RRGGBB pixels.
    static std::shared_ptr<Picture> FromPixels(int width, int height, const std::uint32_t* pixels);
    // Metafiles keep their bytes and size; they are not drawable here, so their handle is an
    // identifier that no drawing call accepts.
    static std::shared_ptr<Picture> FromMetafile(PictureType type, int width_himetric, int height_himetric,
                                                 std::vector<std::uint8_t> data);

    // The live picture that owns `handle` (made with owned = true), or nullptr. A holder of
    // a bare handle keeps the handle alive by keeping its owner.
    static std::shared_ptr<Picture> Owning(std::uint32_t handle);

    ~Picture() override;
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    std::uint32_t handle() const { return handle_; }
    PictureType type() const { return type_; }
    int width_himetric() const { return width_himetric_; }
    int height_himetric() const { return height_himetric_; }
    // Natural size in pixels (0 for metafiles and the empty picture).
    int width_pixels() const { return width_pixels_; }
    int height_pixels() const { return height_pixels_; }
    const std::vector<std::uint8_t>& metafile_data() const { return metafile_data_; }
    // The size a bitmap or icon is drawn at on the screen: its own pixels while pictures are
    // taken at the screen's resolution, else its HIMETRIC extent in screen pixels.
    gdi::SIZE DisplaySize() const;
    // The picture as it is drawn at its display size: itself when that is its own size (and for
    // metafiles and the empty picture), else a copy scaled to it (nearest pixel; an icon keeps
    // its mask and alpha), made once and kept for as long as the display size stays.
    const Picture& AtDisplaySize() const;
    // Where a pointer shown with this picture points: a cursor's hot spot, an icon's centre,
    // (0, 0) for other pictures.
    gdi::POINT HotSpot() const;

    static const ClassInfo& StaticInfo();
    const ClassInfo& Info() const override { return StaticInfo(); }

private:
    Picture() = default;
    static std::shared_ptr<Picture> FromSizedHandle(gdi::HGDIOBJ handle, bool owned, PictureType type, gdi::SIZE size);

    std::uint32_t handle_ = 0;
    bool owned_ = false;
    PictureType type_ = PictureType::None;
    int width_pixels_ = 0, height_pixels_ = 0;
    int width_himetric_ = 0, height_himetric_ = 0;
    std::vector<std::uint8_t> metafile_data_;
    mutable std::shared_ptr<Picture> scaled_;  // AtDisplaySize's copy, when one was made
};

// Loads a picture file: BMP and PNG as bitmaps, ICO as an icon, placeable WMF and EMF as
// metafiles. An empty path gives the empty picture. Throws AutomationError 53 ("File not
// found") when the path names no readable regular file, 481 ("Invalid picture") when its
// contents are not a picture this loader understands or exceed the picture limits
// (platform/limits.h), and 7 ("Out of memory") should a load within those limits still fail to
// allocate.
std::shared_ptr<Picture> LoadPicture(const std::string& path);
// The same for bytes already in memory (PNG included).
std::shared_ptr<Picture> LoadPictureFromMemory(const std::vector<std::uint8_t>& bytes);

// The picture as a file LoadPictureFromMemory reads back into a picture of the same type, size
// and pixels: PNG for a bitmap, ICO for an icon, the loaded bytes for a metafile. Throws
// AutomationError 481 for the empty picture and for a handle that no longer holds an image.
std::vector<std::uint8_t> PictureFileBytes(const Picture& picture);

}  // namespace ov
