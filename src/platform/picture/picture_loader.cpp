// LoadPicture: BMP (every uncompressed depth, RLE4/RLE8, bit fields), PNG, ICO (AND mask plus
// colour image, 32-bit with alpha, or embedded PNG), placeable WMF and EMF (size only, their
// record structure checked).
// Nothing a file says is trusted before it is checked against the data: every read is
// bounds-checked, sizes are worked out in 64 bits, and a picture's dimensions are checked
// against the picture limits and against the bytes that must hold its pixels before any pixel
// is allocated. Whatever fails is an invalid picture, never a read past the buffer.
#include <algorithm>
#include <bit>
#include <climits>
#include <cstring>
#include <new>

#include "platform/files/read_file.h"
#include "platform/gdi/icon.h"
#include "platform/gdi/png_io.h"
#include "platform/limits.h"
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
[[noreturn]] void FileNotFound() { throw AutomationError(error::kFileNotFound); }

// Little-endian reads that fail (invalid picture) past the end of the buffer.
class Reader {
public:
    Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool Has(std::uint64_t offset, std::uint64_t count) const { return offset <= size_ && count <= size_ - offset; }
    std::uint32_t U8(std::size_t at) const { return Check(at, 1), data_[at]; }
    std::uint32_t U16(std::size_t at) const { return Check(at, 2), data_[at] | (data_[at + 1] << 8); }
    std::uint32_t U32(std::size_t at) const {
        Check(at, 4);
        return data_[at] | (data_[at + 1] << 8) | (data_[at + 2] << 16) |
               (static_cast<std::uint32_t>(data_[at + 3]) << 24);
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

    bool run_length() const { return compression == BI_RLE8 || compression == BI_RLE4; }
    // The picture row a stored row lands on: rows are stored bottom-up unless the height was negative.
    int RowOf(int stored) const { return top_down ? stored : height - 1 - stored; }
};

// The core header (12 bytes) and the info header with its later extensions.
bool KnownHeaderSize(std::uint32_t size) {
    return size == 12 || size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

// Whether the header's compression fits its depth (and its row order: run-length bitmaps are
// always stored bottom-up).
bool SupportedLayout(const DibHeader& h) {
    switch (h.compression) {
        case BI_RGB: {
            const int b = h.bits_per_pixel;
            return b == 1 || b == 4 || b == 8 || b == 16 || b == 24 || b == 32;
        }
        case BI_RLE8: return h.bits_per_pixel == 8 && !h.top_down;
        case BI_RLE4: return h.bits_per_pixel == 4 && !h.top_down;
        case BI_BITFIELDS:
        case BI_ALPHABITFIELDS: return h.bits_per_pixel == 16 || h.bits_per_pixel == 32;
        default: return false;
    }
}

DibHeader ParseDibHeader(const Reader& in, std::size_t at, bool icon_image) {
    DibHeader h;
    const std::uint32_t header_size = in.U32(at);
    if (!KnownHeaderSize(header_size)) InvalidPicture();
    const bool core = header_size == 12;
    // 64 bits, so that the most negative height turns positive instead of overflowing.
    std::int64_t width = 0, height = 0;
    std::uint32_t colours_used = 0;
    if (core) {
        width = in.U16(at + 4);
        height = in.U16(at + 6);
        h.bits_per_pixel = static_cast<int>(in.U16(at + 10));
    } else {
        width = in.S32(at + 4);
        height = in.S32(at + 8);
        h.bits_per_pixel = static_cast<int>(in.U16(at + 14));
        h.compression = in.U32(at + 16);
        colours_used = in.U32(at + 32);
        if (header_size >= 52) {
            for (int i = 0; i < 3; ++i) h.masks[i] = in.U32(at + 40 + 4 * i);
            if (header_size >= 56) h.masks[3] = in.U32(at + 52);
        }
    }
    if (height < 0) {
        h.top_down = true;
        height = -height;
    }
    if (icon_image) height /= 2;  // the header counts the AND mask too
    if (!limits::PictureSizeAllowed(width, height)) InvalidPicture();
    h.width = static_cast<int>(width);
    h.height = static_cast<int>(height);
    if (!SupportedLayout(h)) InvalidPicture();

    std::size_t cursor = at + header_size;
    if (header_size == 40 && (h.compression == BI_BITFIELDS || h.compression == BI_ALPHABITFIELDS)) {
        const int count = h.compression == BI_ALPHABITFIELDS ? 4 : 3;
        for (int i = 0; i < count; ++i) h.masks[i] = in.U32(cursor + 4 * i);
        cursor += 4 * count;
    }
    if (h.bits_per_pixel <= 8) {
        // A count past what the depth can index is a writer's mistake: the depth decides.
        const std::uint32_t most = 1u << h.bits_per_pixel;
        const std::uint32_t colours = colours_used == 0 || colours_used > most ? most : colours_used;
        const std::size_t entry = core ? 3 : 4;
        if (!in.Has(cursor, colours * entry)) InvalidPicture();
        h.palette.reserve(colours);
        for (std::uint32_t i = 0; i < colours; ++i) {
            const std::size_t e = cursor + i * entry;
            h.palette.push_back((in.U8(e + 2) << 16) | (in.U8(e + 1) << 8) | in.U8(e));
        }
        cursor += colours * entry;
    }
    if (h.compression == BI_RGB || h.masks[0] == 0) {
        if (h.bits_per_pixel == 16) {  // 5-5-5
            h.masks[0] = 0x7C00;
            h.masks[1] = 0x03E0;
            h.masks[2] = 0x001F;
        } else if (h.bits_per_pixel == 32) {
            h.masks[0] = 0x00FF0000;
            h.masks[1] = 0x0000FF00;
            h.masks[2] = 0x000000FF;
        }
    }
    h.header_end = cursor;
    return h;
}

std::uint64_t RowStride(int width, int bits_per_pixel) {
    return ((static_cast<std::uint64_t>(width) * bits_per_pixel + 31) / 32) * 4;
}

// The value of one channel mask scaled to 0..255. (value & mask) >> shift never exceeds
// mask >> shift, even for masks with gaps, and the product is formed in 64 bits.
std::uint32_t Channel(std::uint32_t value, std::uint32_t mask) {
    if (mask == 0) return 0;
    const int shift = std::countr_zero(mask);
    const std::uint64_t max = mask >> shift;
    return static_cast<std::uint32_t>((((value & mask) >> shift) * std::uint64_t{255} + max / 2) / max);
}

std::uint32_t PaletteEntry(const DibHeader& h, std::uint32_t index) {
    return index < h.palette.size() ? h.palette[index] : 0;
}

Image BlankImage(int width, int height, std::uint32_t argb) {
    Image image;
    image.width = width;
    image.height = height;
    image.argb.assign(static_cast<std::size_t>(width) * height, argb);
    return image;
}

// Expands run-length encoded rows (bottom-up); pixels a delta or an early end skips keep palette
// entry 0. Runs past the end of a row are dropped and the position stops at the row's end, and
// decoding stops at the top row, so no run or delta can push a coordinate out of range. A
// stream that ends before its end code while rows remain is cut short: invalid.
Image DecodeRle(const Reader& in, std::size_t at, const DibHeader& h) {
    Image image = BlankImage(h.width, h.height, 0xFF000000u | PaletteEntry(h, 0));
    const bool four_bit = h.compression == BI_RLE4;
    int x = 0, y = 0;
    auto put = [&](std::uint32_t index) {  // only while x < width
        image.argb[static_cast<std::size_t>(h.height - 1 - y) * h.width + x] = 0xFF000000u | PaletteEntry(h, index);
        ++x;
    };
    auto nibble = [](std::uint32_t byte, std::uint32_t i) { return (i & 1) ? byte & 0xF : byte >> 4; };
    std::size_t p = at;
    while (y < h.height) {
        if (!in.Has(p, 2)) InvalidPicture();
        const std::uint32_t count = in.U8(p), value = in.U8(p + 1);
        p += 2;
        if (count > 0) {
            for (std::uint32_t i = 0; i < count && x < h.width; ++i) put(four_bit ? nibble(value, i) : value);
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            break;
        } else if (value == 2) {  // delta: move right and up
            x = std::min(x + static_cast<int>(in.U8(p)), h.width);
            y += static_cast<int>(in.U8(p + 1));
            p += 2;
        } else {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const std::size_t bytes = four_bit ? (value + 1) / 2 : value;
            if (!in.Has(p, bytes)) InvalidPicture();
            for (std::uint32_t i = 0; i < value && x < h.width; ++i) {
                const std::uint32_t byte = in.data()[p + (four_bit ? i / 2 : i)];
                put(four_bit ? nibble(byte, i) : byte);
            }
            p += bytes + (bytes & 1);
        }
    }
    return image;
}

// Decodes the colour bits at `at` into 0xAARRGGBB pixels, top-down, after checking that the
// buffer holds every row. With `alpha_seen` (icons) a 32-bit image keeps its alpha and reports
// whether any is non-zero (icons then use it instead of the mask); without it (bitmap files,
// whose alpha byte is not transparency) every pixel is opaque.
Image DecodeDibBits(const Reader& in, std::size_t at, const DibHeader& h, bool* alpha_seen = nullptr) {
    if (h.run_length()) return DecodeRle(in, at, h);
    const std::uint64_t stride = RowStride(h.width, h.bits_per_pixel);
    if (!in.Has(at, stride * h.height)) InvalidPicture();
    Image image = BlankImage(h.width, h.height, 0xFF000000u);
    bool any_alpha = false;
    for (int stored = 0; stored < h.height; ++stored) {
        const std::uint8_t* row = in.data() + at + stride * stored;
        std::uint32_t* out = image.argb.data() + static_cast<std::size_t>(h.RowOf(stored)) * h.width;
        for (int x = 0; x < h.width; ++x) {
            std::uint32_t colour = 0, alpha = 0xFF;
            switch (h.bits_per_pixel) {
                case 1: colour = PaletteEntry(h, (row[x >> 3] >> (7 - (x & 7))) & 1); break;
                case 4: colour = PaletteEntry(h, (x & 1) ? row[x >> 1] & 0xF : row[x >> 1] >> 4); break;
                case 8: colour = PaletteEntry(h, row[x]); break;
                case 24: colour = (row[3 * x + 2] << 16) | (row[3 * x + 1] << 8) | row[3 * x]; break;
                case 16:
                case 32: {
                    const std::uint32_t v =
                        h.bits_per_pixel == 16
                            ? static_cast<std::uint32_t>(row[2 * x] | (row[2 * x + 1] << 8))
                            : static_cast<std::uint32_t>(row[4 * x] | (row[4 * x + 1] << 8) | (row[4 * x + 2] << 16) |
                                                         (static_cast<std::uint32_t>(row[4 * x + 3]) << 24));
                    colour = (Channel(v, h.masks[0]) << 16) | (Channel(v, h.masks[1]) << 8) | Channel(v, h.masks[2]);
                    if (h.bits_per_pixel == 32 && alpha_seen) {
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

// A bitmap picture of an image's colours; its alpha is not looked at.
std::shared_ptr<Picture> OpaqueBitmapPicture(const Image& image) {
    auto picture = Picture::FromPixels(image.width, image.height, image.argb.data());
    if (!picture) InvalidPicture();
    return picture;
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
    return OpaqueBitmapPicture(image);
}

std::shared_ptr<Picture> LoadBmp(const Reader& in) {
    const std::uint32_t bits_offset = in.U32(10);
    const DibHeader h = ParseDibHeader(in, 14, false);
    // Some writers leave the offset 0; the bits then follow the palette.
    return OpaqueBitmapPicture(DecodeDibBits(in, bits_offset ? bits_offset : h.header_end, h));
}

Image DecodePngImage(const std::uint8_t* data, std::size_t size) {
    Image image;
    if (!gdi::DecodePng(data, size, &image.width, &image.height, &image.argb)) InvalidPicture();
    return image;
}

// ---- icons ----------------------------------------------------------------------------------

// One image of an icon file: `size` bytes at `offset`, an embedded PNG or a DIB whose header
// counts the colour rows and the AND mask rows that follow them.
Image DecodeIconImage(const Reader& in, std::uint32_t offset, std::uint32_t size) {
    if (!in.Has(offset, size)) InvalidPicture();
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (size >= 8 && std::memcmp(in.data() + offset, kPngSignature, 8) == 0)
        return DecodePngImage(in.data() + offset, size);

    const Reader image_in(in.data() + offset, size);
    const DibHeader h = ParseDibHeader(image_in, 0, true);
    if (h.compression != BI_RGB && h.compression != BI_BITFIELDS) InvalidPicture();
    const std::uint64_t mask_at = h.header_end + RowStride(h.width, h.bits_per_pixel) * h.height;
    const std::uint64_t mask_stride = RowStride(h.width, 1);
    if (!image_in.Has(mask_at, mask_stride * h.height)) InvalidPicture();  // the image is cut short
    bool alpha_seen = false;
    Image image = DecodeDibBits(image_in, h.header_end, h, &alpha_seen);
    if (h.bits_per_pixel == 32 && alpha_seen) return image;

    // The AND mask: 1 leaves the screen (transparent), 0 shows the colour. Pixels the platform
    // would invert (mask 1 over a non-black colour) are treated as transparent too, since an
    // ARGB icon cannot invert. Its rows run in the same order as the colour rows.
    for (int stored = 0; stored < h.height; ++stored) {
        const std::uint8_t* mask_row = image_in.data() + mask_at + mask_stride * stored;
        std::uint32_t* row = image.argb.data() + static_cast<std::size_t>(h.RowOf(stored)) * h.width;
        for (int x = 0; x < h.width; ++x) {
            const bool transparent = (mask_row[x >> 3] >> (7 - (x & 7))) & 1;
            row[x] = transparent ? (row[x] & 0x00FFFFFFu) : (row[x] | 0xFF000000u);
        }
    }
    return image;
}

std::shared_ptr<Picture> LoadIco(const Reader& in) {
    const std::uint32_t count = in.U16(4);
    if (count == 0 || !in.Has(6, 16 * std::uint64_t{count})) InvalidPicture();
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

// A HIMETRIC extent from a 64-bit difference of coordinates; one an int cannot hold is invalid.
int HimetricExtent(std::int64_t extent) {
    extent = extent < 0 ? -extent : extent;
    if (extent > INT_MAX) InvalidPicture();
    return static_cast<int>(extent);
}

// A placeable metafile: a 22-byte header giving the bounding box in units of `inch` per inch,
// then a standard metafile whose 18-byte header gives its size in 16-bit words, and records of
// at least three words each, the last one the end record (function 0).
std::shared_ptr<Picture> LoadPlaceableWmf(const Reader& in, Bytes bytes) {
    const std::int64_t left = in.S16(6), top = in.S16(8), right = in.S16(10), bottom = in.S16(12);
    const int inch = static_cast<int>(in.U16(14));
    if (inch == 0) InvalidPicture();

    constexpr std::size_t kHeaderAt = 22, kHeaderWords = 9;
    const std::uint32_t type = in.U16(kHeaderAt), header_words = in.U16(kHeaderAt + 2), version = in.U16(kHeaderAt + 4);
    if ((type != 1 && type != 2) || header_words != kHeaderWords || (version != 0x100 && version != 0x300))
        InvalidPicture();
    const std::uint64_t end = kHeaderAt + 2 * std::uint64_t{in.U32(kHeaderAt + 6)};
    if (end < kHeaderAt + 2 * kHeaderWords || end > in.size()) InvalidPicture();
    for (std::uint64_t record = kHeaderAt + 2 * kHeaderWords;;) {
        if (end - record < 6) InvalidPicture();
        const std::uint64_t words = in.U32(record);
        if (words < 3 || 2 * words > end - record) InvalidPicture();
        if (in.U16(record + 4) == 0) break;
        record += 2 * words;
    }
    // |box| <= 65535 units: the products stay far inside MulDiv's 64-bit intermediate.
    const int width = gdi::MulDiv(HimetricExtent(right - left), 2540, inch);
    const int height = gdi::MulDiv(HimetricExtent(bottom - top), 2540, inch);
    return Picture::FromMetafile(PictureType::Metafile, width, height, std::move(bytes));
}

// An enhanced metafile: the header record (at least 88 bytes) gives the frame in HIMETRIC and
// the file's size; the records after it, each a multiple of four bytes and at least eight, must
// reach the end record (type 14) within that size.
std::shared_ptr<Picture> LoadEmf(const Reader& in, Bytes bytes) {
    constexpr std::uint32_t kHeaderBytes = 88, kEndRecord = 14;
    const std::uint32_t header_size = in.U32(4);
    const std::uint64_t end = in.U32(48);
    if (header_size < kHeaderBytes || header_size % 4 != 0 || header_size > end || end > in.size()) InvalidPicture();
    for (std::uint64_t record = header_size;;) {
        if (end - record < 8) InvalidPicture();
        const std::uint32_t type = in.U32(record), size = in.U32(record + 4);
        if (size < 8 || size % 4 != 0 || size > end - record) InvalidPicture();
        if (type == kEndRecord) break;
        record += size;
    }
    const std::int64_t left = in.S32(24), top = in.S32(28), right = in.S32(32), bottom = in.S32(36);
    return Picture::FromMetafile(PictureType::EnhancedMetafile, HimetricExtent(right - left),
                                 HimetricExtent(bottom - top), std::move(bytes));
}

std::shared_ptr<Picture> Decode(Bytes bytes) {
    const Reader in(bytes.data(), bytes.size());
    static constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 4) InvalidPicture();
    if (bytes[0] == 'B' && bytes[1] == 'M') return LoadBmp(in);
    if (bytes.size() >= 8 && std::memcmp(bytes.data(), kPngSignature, 8) == 0) {
        Image image = DecodePngImage(bytes.data(), bytes.size());
        return BitmapPicture(image);
    }
    if (in.U16(0) == 0 && in.U16(2) == 1 && bytes.size() >= 6) return LoadIco(in);
    if (in.U32(0) == 0x9AC6CDD7u && bytes.size() >= 22) return LoadPlaceableWmf(in, std::move(bytes));
    if (bytes.size() >= 44 && in.U32(0) == 1 && in.U32(40) == 0x464D4520u) return LoadEmf(in, std::move(bytes));
    // A metafile without the placeable header carries no size: the platform refuses it too.
    InvalidPicture();
}

// Decoding allocates at most what the limits allow; should even that fail, the caller hears
// "Out of memory" rather than an exception it does not know.
template <typename Load>
std::shared_ptr<Picture> OutOfMemoryAsError(Load load) {
    try {
        return load();
    } catch (const std::bad_alloc&) {
        throw AutomationError(error::kOutOfMemory);
    }
}

// Reads a whole regular file; a pipe or device is refused as a file that is not there, and a
// file larger than any picture the limits allow is refused before it is read.
Bytes ReadPictureFile(const std::string& path) {
    files::FileContents file = files::ReadWholeFile(
        path, files::ReadOptions{.max_bytes = static_cast<std::uintmax_t>(limits::kMaxPictureFileBytes)});
    if (file.error == files::ReadError::TooLarge) InvalidPicture();
    if (!file.ok()) FileNotFound();
    return Bytes(file.bytes.begin(), file.bytes.end());
}

}  // namespace

std::shared_ptr<Picture> LoadPicture(const std::string& path) {
    if (path.empty()) return Picture::Empty();
    return OutOfMemoryAsError([&] { return Decode(ReadPictureFile(path)); });
}

std::shared_ptr<Picture> LoadPictureFromMemory(const std::vector<std::uint8_t>& bytes) {
    return OutOfMemoryAsError([&] { return Decode(bytes); });
}

}  // namespace ov
