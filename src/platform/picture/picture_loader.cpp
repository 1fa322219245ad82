// LoadPicture: BMP (every uncompressed depth, RLE4/RLE8, bit fields), PNG, ICO (AND mask plus
// colour image, 32-bit with alpha, or embedded PNG), placeable WMF and EMF (size only).
// Every read is bounds-checked: a truncated or malformed file is an invalid picture, never a
// read past the buffer.
#include <png.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "platform/gdi/icon.h"
#include "platform/gdi/png_io.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"

namespace ov {
namespace {

using Bytes = std::vector<std::uint8_t>;

struct Image {
    int width = 0, height = 0;
    std::vector<std::uint32_t> argb;  // 0xAARRGGBB, top-down
};

[[noreturn]] void InvalidPicture() { throw AutomationError(error::kInvalidPicture); }

// Little-endian reads that fail (nullopt) past the end of the buffer.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Has(std::size_t offset, std::size_t count) const { return offset <= size_ && count <= size_ - offset; }
    std::uint32_t U8(std::size_t at) const { return Check(at, 1), data_[at]; }
    std::uint32_t U16(std::size_t at) const { return Check(at, 2), data_[at] | (data_[at + 1] << 8); }
    std::uint32_t U32(std::size_t at) const {
        Check(at, 4);
        return data_[at] | (data_[at + 1] << 8) | (data_[at + 2] << 16) | (static_cast<std::uint32_t>(data_[at + 3]) << 24);
    }
    std::int32_t S16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
    std::int32_t S32(std::size_t at) const { return static_cast<std::int32_t>(U32(at)); }
    const std::uint8_t* data() const { return data_; }
    std::size_t size() const { return size_; }

private:
    void Check(std::size_t at, std::size_t count) const {
        if (!Has(at, count)) InvalidPicture();
    }
    const std::uint8_t* data_;
    std::size_t size_;
};

// ---- device-independent bitmaps (BMP files and icon images) ---------------------------------

enum : std::uint32_t { BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6 };

struct DibHeader {
    int width = 0, height = 0;  // height of the stored image (icons: colour part only)
    bool top_down = false;
    int bits_per_pixel = 0;
    std::uint32_t compression = BI_RGB;
    std::uint32_t masks[4] = {0, 0, 0, 0};  // red, green, blue, alpha
    std::vector<std::uint32_t> palette;     // 0x00RRGGBB
    std::size_t header_end = 0;             // offset after header, masks and palette
};

DibHeader ParseDibHeader(const Reader& in, std::size_t at, bool icon_image) {
    DibHeader h;
    const std::uint32_t header_size = in.U32(at);
    bool core = false;
    if (header_size == 12) {
        core = true;
        h.width = static_cast<int>(in.U16(at + 4));
        h.height = static_cast<int>(in.U16(at + 6));
        h.bits_per_pixel = static_cast<int>(in.U16(at + 10));
    } else if (header_size >= 40 && header_size <= 124) {
        h.width = in.S32(at + 4);
        h.height = in.S32(at + 8);
        h.bits_per_pixel = static_cast<int>(in.U16(at + 14));
        h.compression = in.U32(at + 16);
        if (header_size >= 52) {
            for (int i = 0; i < 3; ++i) h.masks[i] = in.U32(at + 40 + 4 * i);
            if (header_size >= 56) h.masks[3] = in.U32(at + 52);
        }
    } else {
        InvalidPicture();
    }
    if (h.height < 0) {
        h.top_down = true;
        h.height = -h.height;
    }
    if (icon_image) h.height /= 2;  // the header counts the AND mask too
    if (h.width <= 0 || h.height <= 0 || h.width > 32768 || h.height > 32768) InvalidPicture();

    std::size_t cursor = at + header_size;
    if (header_size == 40 && (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS)) {
        const int count = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
        for (int i = 0; i < count; ++i) h.masks[i] = in.U32(cursor + 4 * i);
        cursor += 4 * count;
    }
    if (h.bits_per_pixel <= 8) {
        if (h.bits_per_pixel != 1 && h.bits_per_pixel != 4 && h.bits_per_pixel != 8) InvalidPicture();
        std::uint32_t colours = core ? 0 : in.U32(at + 32);
        if (colours == 0 || colours > (1u << h.bits_per_pixel)) colours = 1u << h.bits_per_pixel;
        const std::size_t entry = core ? 3 : 4;
        for (std::uint32_t i = 0; i < colours; ++i) {
            const std::size_t e = cursor + i * entry;
            h.palette.push_back((in.U8(e + 2) << 16) | (in.U8(e + 1) << 8) | in.U8(e));
        }
        cursor += colours * entry;
    } else if (h.bits_per_pixel != 16 && h.bits_per_pixel != 24 && h.bits_per_pixel != 32) {
        InvalidPicture();
    }
    if (h.compression == BI_RLE8 && h.bits_per_pixel != 8) InvalidPicture();
    if (h.compression == BI_RLE4 && h.bits_per_pixel != 4) InvalidPicture();
    if (h.compression > BI_BITFIELDS && h.compression != BI_ALPHABITFIELDS) InvalidPicture();
    if (h.compression == BI_RGB || ((h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS) && h.masks[0] == 0)) {
        if (h.bits_per_pixel == 16) {  // 5-5-5
            h.masks[0] = 0x7C00; h.masks[1] = 0x03E0; h.masks[2] = 0x001F;
        } else if (h.bits_per_pixel == 32) {
            h.masks[0] = 0x00FF0000; h.masks[1] = 0x0000FF00; h.masks[2] = 0x000000FF;
        }
    }
    h.header_end = cursor;
    return h;
}

std::size_t RowStride(int width, int bits_per_pixel) { return ((static_cast<std::size_t>(width) * bits_per_pixel + 31) / 32) * 4; }

// The value of one channel mask scaled to 0..255.
std::uint32_t Channel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (!((mask >> shift) & 1)) ++shift;
    const std::uint32_t max = mask >> shift;
    return (((value & mask) >> shift) * 255 + max / 2) / max;
}

std::uint32_t PaletteEntry(const DibHeader& h, std::uint32_t index) {
    return index < h.palette.size() ? h.palette[index] : 0;
}

// Expands run-length encoded rows (bottom-up) into palette indices; pixels a delta skips stay 0.
std::vector<std::uint8_t> DecodeRle(const Reader& in, std::size_t at, const DibHeader& h) {
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(h.width) * h.height, 0);
    const bool four_bit = h.compression == BI_RLE4;
    int x = 0, y = 0;
    auto put = [&](std::uint32_t value) {
        if (x < h.width && y < h.height) indices[static_cast<std::size_t>(y) * h.width + x] = static_cast<std::uint8_t>(value);
        ++x;
    };
    std::size_t p = at;
    while (in.Has(p, 2)) {
        const std::uint32_t count = in.U8(p), value = in.U8(p + 1);
        p += 2;
        if (count > 0) {
            for (std::uint32_t i = 0; i < count; ++i) put(four_bit ? ((i & 1) ? value & 0xF : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            x += static_cast<int>(in.U8(p));
            y += static_cast<int>(in.U8(p + 1));
            p += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = four_bit ? (value + 1) / 2 : value;
            for (std::uint32_t i = 0; i < value; ++i) {
                const std::uint32_t byte = in.U8(p + (four_bit ? i / 2 : i));
                put(four_bit ? ((i & 1) ? byte & 0xF : byte >> 4) : byte);
            }
            p += bytes + (bytes & 1);
        }
    }
    return indices;
}

// Decodes the colour bits at `at` into opaque 0xFFRRGGBB pixels, top-down. `alpha_seen` reports
// whether a 32-bit image carries any non-zero alpha (icons then use it instead of the mask).
Image DecodeDibBits(const Reader& in, std::size_t at, const DibHeader& h, bool* alpha_seen = nullptr) {
    Image image;
    image.width = h.width;
    image.height = h.height;
    image.argb.assign(static_cast<std::size_t>(h.width) * h.height, 0xFF000000u);
    bool any_alpha = false;
    if (h.compression == BI_RLE8 || h.compression == BI_RLE4) {
        const std::vector<std::uint8_t> indices = DecodeRle(in, at, h);
        for (int y = 0; y < h.height; ++y)
            for (int x = 0; x < h.width; ++x)
                image.argb[static_cast<std::size_t>(h.height - 1 - y) * h.width + x] =
                    0xFF000000u | PaletteEntry(h, indices[static_cast<std::size_t>(y) * h.width + x]);
        return image;
    }
    const std::size_t stride = RowStride(h.width, h.bits_per_pixel);
    if (!in.Has(at, stride * h.height)) InvalidPicture();
    for (int stored = 0; stored < h.height; ++stored) {
        const std::uint8_t* row = in.data() + at + stride * stored;
        const int y = h.top_down ? stored : h.height - 1 - stored;
        std::uint32_t* out = image.argb.data() + static_cast<std::size_t>(y) * h.width;
        for (int x = 0; x < h.width; ++x) {
            std::uint32_t colour = 0, alpha = 0xFF;
            switch (h.bits_per_pixel) {
                case 1: colour = PaletteEntry(h, (row[x >> 3] >> (7 - (x & 7))) & 1); break;
                case 4: colour = PaletteEntry(h, (x & 1) ? row[x >> 1] & 0xF : row[x >> 1] >> 4); break;
                case 8: colour = PaletteEntry(h, row[x]); break;
                case 24: colour = (row[3 * x + 2] << 16) | (row[3 * x + 1] << 8) | row[3 * x]; break;
                case 16:
                case 32: {
                    const std::uint32_t v = h.bits_per_pixel == 16
                        ? static_cast<std::uint32_t>(row[2 * x] | (row[2 * x + 1] << 8))
                        : static_cast<std::uint32_t>(row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) |
                                                     (static_cast<std::uint32_t>(row[4 * x + 3]) << 24));
                    colour = (Channel(v, h.masks[0]) << 16) | (Channel(v, h.masks[1]) << 8) | Channel(v, h.masks[2]);
                    if (h.bits_per_pixel == 32) {
                        // BI_RGB keeps alpha in the top byte (icons use it); bit fields name it.
                        alpha = h.masks[3] ? Channel(v, h.masks[3]) : (v >> 24);
                        if (alpha) any_alpha = true;
                    }
                    break;
                }
            }
            out[x] = (alpha << 24) | colour;
        }
    }
    if (alpha_seen) *alpha_seen = any_alpha;
    return image;
}

// A bitmap picture drops alpha: partly transparent pixels are composed over white, so PNGs
// with transparency look as they would on a page.
std::shared_ptr<Picture> BitmapPicture(Image& image) {
    for (std::uint32_t& p : image.argb) {
        const std::uint32_t a = p >> 24;
        if (a == 255) continue;
        auto over_white = [a](std::uint32_t c) { return (c * a + 255 * (255 - a) + 127) / 255; };
        p = (over_white((p >> 16) & 0xFF) << 16) | (over_white((p >> 8) & 0xFF) << 8) | over_white(p & 0xFF);
    }
    auto picture = Picture::FromPixels(image.width, image.height, image.argb.data());
    if (!picture) InvalidPicture();
    return picture;
}

std::shared_ptr<Picture> LoadBmp(const Reader& in) {
    const std::uint32_t bits_offset = in.U32(10);
    const DibHeader h = ParseDibHeader(in, 14, false);
    // Some writers leave the offset 0; the bits then follow the palette.
    Image image = DecodeDibBits(in, bits_offset ? bits_offset : h.header_end, h);
    for (std::uint32_t& p : image.argb) p |= 0xFF000000u;  // a bitmap file's alpha byte is not transparency
    return BitmapPicture(image);
}

std::optional<Image> DecodePngMemory(const std::uint8_t* data, std::size_t size) {
    png_image png;
    std::memset(&png, 0, sizeof png);
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&png, data, size)) return std::nullopt;
    png.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
    if (png.width == 0 || png.height == 0 || png.width > 32768 || png.height > 32768) {
        png_image_free(&png);
        return std::nullopt;
    }
    Image image;
    image.width = static_cast<int>(png.width);
    image.height = static_cast<int>(png.height);
    image.argb.resize(static_cast<std::size_t>(image.width) * image.height);
    if (!png_image_finish_read(&png, nullptr, image.argb.data(), 0, nullptr)) {
        png_image_free(&png);
        return std::nullopt;
    }
    return image;
}

// ---- icons ----------------------------------------------------------------------------------

Image DecodeIconImage(const Reader& in, std::size_t at, std::size_t size) {
    if (!in.Has(at, size)) InvalidPicture();
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(in.data() + at, kPngSignature, 8) == 0) {
        auto png = DecodePngMemory(in.data() + at, size);
        if (!png) InvalidPicture();
        return *png;
    }
    const Reader image_in(in.data() + at, size);
    const DibHeader h = ParseDibHeader(image_in, 0, true);
    if (h.compression != BI_RGB && h.compression != BI_BITFIELDS) InvalidPicture();
    bool alpha_seen = false;
    Image image = DecodeDibBits(image_in, h.header_end, h, &alpha_seen);
    if (h.bits_per_pixel == 32 && alpha_seen) return image;

    // The AND mask follows the colour bits: 1 leaves the screen (transparent), 0 shows the
    // colour. Pixels the platform would invert (mask 1 over a non-black colour) are treated as
    // transparent too, since an ARGB icon cannot invert.
    const std::size_t mask_at = h.header_end + RowStride(h.width, h.bits_per_pixel) * h.height;
    const std::size_t mask_stride = RowStride(h.width, 1);
    const bool has_mask = image_in.Has(mask_at, mask_stride * h.height);
    for (int stored = 0; stored < h.height; ++stored) {
        const int y = h.height - 1 - stored;
        for (int x = 0; x < h.width; ++x) {
            std::uint32_t& p = image.argb[static_cast<std::size_t>(y) * h.width + x];
            const bool transparent = has_mask && ((image_in.data()[mask_at + mask_stride * stored + (x >> 3)] >> (7 - (x & 7))) & 1);
            p = transparent ? (p & 0x00FFFFFFu) : (p | 0xFF000000u);
        }
    }
    return image;
}

std::shared_ptr<Picture> LoadIco(const Reader& in) {
    const std::uint32_t count = in.U16(4);
    if (count == 0) InvalidPicture();
    // The entry closest to the system icon size (32 x 32), then the deepest colour.
    std::size_t best = 0;
    long best_score = -1;
    for (std::uint32_t i = 0; i < count; ++i) {
        const std::size_t e = 6 + 16 * static_cast<std::size_t>(i);
        const int width = in.U8(e) ? static_cast<int>(in.U8(e)) : 256;
        const int bits = static_cast<int>(in.U16(e + 6));
        const long score = 100000L - 100L * std::abs(width - 32) + bits;
        if (score > best_score) {
            best_score = score;
            best = e;
        }
    }
    const Image image = DecodeIconImage(in, in.U32(best + 12), in.U32(best + 8));
    const gdi::HICON icon = gdi::CreateIconFromArgb(image.width, image.height, image.argb.data());
    auto picture = Picture::FromIcon(icon, true);
    if (!picture) InvalidPicture();
    return picture;
}

// ---- metafiles ------------------------------------------------------------------------------

// A placeable metafile's header gives its bounding box in units of `inch` per inch.
std::shared_ptr<Picture> LoadPlaceableWmf(const Reader& in, Bytes bytes) {
    const int left = in.S16(6), top = in.S16(8), right = in.S16(10), bottom = in.S16(12);
    const int inch = static_cast<int>(in.U16(14));
    if (inch == 0) InvalidPicture();
    const int width = gdi::MulDiv(std::abs(right - left), 2540, inch);
    const int height = gdi::MulDiv(std::abs(bottom - top), 2540, inch);
    return Picture::FromMetafile(PictureType::Metafile, width, height, std::move(bytes));
}

// An enhanced metafile's frame rectangle is already in HIMETRIC.
std::shared_ptr<Picture> LoadEmf(const Reader& in, Bytes bytes) {
    const int left = in.S32(24), top = in.S32(28), right = in.S32(32), bottom = in.S32(36);
    return Picture::FromMetafile(PictureType::EnhancedMetafile, right - left, bottom - top, std::move(bytes));
}

std::shared_ptr<Picture> Decode(Bytes bytes, const std::string* path) {
    const Reader in(bytes.data(), bytes.size());
    if (bytes.size() < 4) InvalidPicture();
    if (bytes[0] == 'B' && bytes[1] == 'M') return LoadBmp(in);
    if (bytes[0] == 0x89 && bytes[1] == 'P' && bytes[2] == 'N' && bytes[3] == 'G') {
        Image image;
        if (path) {
            if (!gdi::ReadPng(*path, &image.width, &image.height, &image.argb)) InvalidPicture();
        } else {
            auto decoded = DecodePngMemory(bytes.data(), bytes.size());
            if (!decoded) InvalidPicture();
            image = std::move(*decoded);
        }
        return BitmapPicture(image);
    }
    if (in.U16(0) == 0 && in.U16(2) == 1 && bytes.size() >= 6) return LoadIco(in);
    if (in.U32(0) == 0x9AC6CDD7u && bytes.size() >= 22) return LoadPlaceableWmf(in, std::move(bytes));
    if (bytes.size() >= 44 && in.U32(0) == 1 && in.U32(40) == 0x464D4520u) return LoadEmf(in, std::move(bytes));
    // A metafile without the placeable header carries no size: the platform refuses it too.
    InvalidPicture();
}

}  // namespace

std::shared_ptr<Picture> LoadPicture(const std::string& path) {
    if (path.empty()) return Picture::Empty();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) throw AutomationError(error::kFileNotFound);
    std::ifstream file(path, std::ios::binary);
    if (!file) throw AutomationError(error::kFileNotFound);
    Bytes bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    return Decode(std::move(bytes), &path);
}

std::shared_ptr<Picture> LoadPictureFromMemory(const std::vector<std::uint8_t>& bytes) { return Decode(bytes, nullptr); }

}  // namespace ov
