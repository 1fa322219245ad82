#include "platform/gdi/png_io.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>

#include "platform/files/read_file.h"
#include "platform/files/replace_file.h"
#include "platform/gdi/internal/call_guard.h"
#include "platform/limits.h"

namespace ov::gdi {

namespace {

// Opaque 8-bit RGB PNG bytes for width*height 0x00RRGGBB pixels; false when libpng refuses.
bool EncodeRgbPng(int width, int height, const std::uint32_t* pixels, std::vector<std::uint8_t>* out) {
    if (width <= 0 || height <= 0 || !pixels || !out) return false;
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
        rgb[i * 3 + 0] = static_cast<std::uint8_t>(pixels[i] >> 16);
        rgb[i * 3 + 1] = static_cast<std::uint8_t>(pixels[i] >> 8);
        rgb[i * 3 + 2] = static_cast<std::uint8_t>(pixels[i]);
    }
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    // The first call measures, the second writes into a buffer of that size.
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), width * 3, nullptr)) return false;
    out->resize(size);
    const int ok = png_image_write_to_memory(&image, out->data(), &size, 0, rgb.data(), width * 3, nullptr);
    png_image_free(&image);
    out->resize(ok ? size : 0);
    return ok != 0;
}

// Encoded in memory first, so the file is replaced whole or not at all.
bool EncodePngFile(const std::string& path, int width, int height, const std::uint32_t* pixels) {
    std::vector<std::uint8_t> encoded;
    if (!EncodeRgbPng(width, height, pixels, &encoded)) return false;
    return files::ReplaceFile(path, std::string_view(reinterpret_cast<const char*>(encoded.data()), encoded.size()));
}

// The most bytes deflate can produce from one compressed byte: a 258-byte match coded in two
// bits, four to a byte. Image data shorter than the pixels need divided by this cannot hold
// them, whatever it decompresses to.
constexpr std::uint64_t kDeflateMaxExpansion = 1032;

constexpr std::uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

// The image data the file holds: the lengths of its IDAT chunks, clipped to the bytes present.
std::uint64_t ImageDataBytes(const std::uint8_t* data, std::size_t size) {
    std::uint64_t total = 0;
    for (std::size_t at = sizeof kPngSignature; size - at >= 8;) {
        const std::uint64_t length = BigEndian32(data + at);
        const std::uint8_t* type = data + at + 4;
        if (std::memcmp(type, "IEND", 4) == 0) break;
        const std::size_t body = at + 8;
        if (std::memcmp(type, "IDAT", 4) == 0) total += std::min<std::uint64_t>(length, size - body);
        if (length + 4 > size - body) break;  // the chunk and its CRC run past the end
        at = body + static_cast<std::size_t>(length) + 4;
    }
    return total;
}

struct MemoryStream {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at;
};

void ReadFromMemory(png_structp png, png_bytep out, std::size_t count) {
    auto* stream = static_cast<MemoryStream*>(png_get_io_ptr(png));
    if (count > stream->size - stream->at) png_error(png, "unexpected end of file");
    std::memcpy(out, stream->data + stream->at, count);
    stream->at += count;
}

// libpng's error handler must not return: it goes back to the setjmp of the step that called
// into libpng. Warnings, and the errors libpng counts as benign when reading, are dropped.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnPngWarning(png_structp, png_const_charp) {}

// One decode through libpng's full interface, so that its own limits are set before it reads
// the header. Each step returns false when libpng reported an error; between a step's setjmp
// and the libpng calls that may jump back to it there is nothing with a destructor.
class PngDecoder {
public:
    PngDecoder(const std::uint8_t* data, std::size_t size) : stream_{data, size, 0} {}
    ~PngDecoder() {
        if (png_) png_destroy_read_struct(&png_, info_ ? &info_ : nullptr, nullptr);
    }
    PngDecoder(const PngDecoder&) = delete;
    PngDecoder& operator=(const PngDecoder&) = delete;

    // Reads the chunks before the image data and checks the header against the picture limits
    // and against the image data present; nothing the size of the image is allocated yet.
    bool ReadHeader() {
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
        if (!png_) return false;
        info_ = png_create_info_struct(png_);
        if (!info_) return false;
        if (setjmp(png_jmpbuf(png_))) return false;
        png_set_read_fn(png_, &stream_, ReadFromMemory);
        png_set_user_limits(png_, limits::kMaxSurfaceSide, limits::kMaxSurfaceSide);
        png_set_chunk_malloc_max(png_, limits::kMaxPictureChunkBytes);
        // Only the palette and transparency shape the pixels; text, colour profiles and
        // unknown chunks are skipped without being read into memory or decompressed.
        png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_read_info(png_, info_);

        width_ = png_get_image_width(png_, info_);
        height_ = png_get_image_height(png_, info_);
        if (!limits::PictureSizeAllowed(width_, height_)) return false;
        const std::uint64_t bits_per_pixel =
            std::uint64_t{png_get_bit_depth(png_, info_)} * png_get_channels(png_, info_);
        const std::uint64_t pixel_bytes = static_cast<std::uint64_t>(width_) * height_ * bits_per_pixel / 8;
        return pixel_bytes <= kDeflateMaxExpansion * (ImageDataBytes(stream_.data, stream_.size) + 1);
    }

    // Decodes every row as 8-bit RGBA bytes into `rgba` (width * height * 4 bytes), then reads
    // to the end chunk so that a file cut short after its image data is refused too.
    bool ReadImage(std::uint8_t* rgba) {
        if (setjmp(png_jmpbuf(png_))) return false;
        png_set_expand(png_);  // palettes, low-depth grey and transparency chunks to 8-bit channels
        png_set_scale_16(png_);
        png_set_gray_to_rgb(png_);
        png_set_add_alpha(png_, 0xFF, PNG_FILLER_AFTER);  // only where no alpha channel came from above
        const int passes = png_set_interlace_handling(png_);
        png_read_update_info(png_, info_);
        if (png_get_rowbytes(png_, info_) != static_cast<std::size_t>(width_) * 4) return false;
        // Each interlace pass fills in its own pixels of the rows and leaves the others alone.
        for (int pass = 0; pass < passes; ++pass)
            for (std::uint32_t y = 0; y < height_; ++y)
                png_read_row(png_, rgba + static_cast<std::size_t>(y) * width_ * 4, nullptr);
        png_read_end(png_, nullptr);
        return true;
    }

    int width() const { return static_cast<int>(width_); }
    int height() const { return static_cast<int>(height_); }

private:
    MemoryStream stream_;
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    std::uint32_t width_ = 0, height_ = 0;
};

bool DecodeWithLibpng(const std::uint8_t* data, std::size_t size, int* width, int* height,
                      std::vector<std::uint32_t>* pixels) {
    if (!data || !width || !height || !pixels) return false;
    if (size < sizeof kPngSignature || std::memcmp(data, kPngSignature, sizeof kPngSignature) != 0) return false;
    PngDecoder decoder(data, size);
    if (!decoder.ReadHeader()) return false;
    std::vector<std::uint32_t> words(static_cast<std::size_t>(decoder.width()) * decoder.height());
    auto* bytes = reinterpret_cast<std::uint8_t*>(words.data());
    if (!decoder.ReadImage(bytes)) return false;
    // RGBA bytes to 0xAARRGGBB words in place, independent of the machine's byte order.
    for (std::uint32_t& word : words) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&word);
        word = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    }
    *width = decoder.width();
    *height = decoder.height();
    *pixels = std::move(words);
    return true;
}

bool ReadPngFile(const std::string& path, int* width, int* height, std::vector<std::uint32_t>* pixels) {
    const files::FileContents file = files::ReadWholeFile(
        path, files::ReadOptions{.max_bytes = static_cast<std::uintmax_t>(limits::kMaxPictureFileBytes)});
    if (!file.ok()) return false;
    return DecodeWithLibpng(reinterpret_cast<const std::uint8_t*>(file.bytes.data()), file.bytes.size(), width, height,
                            pixels);
}

bool WriteBitmapPng(HDC dc, const std::string& path) {
    // Mono pixels come out as 0 or 0x00FFFFFF words: black and white.
    const HBITMAP bitmap = GetCurrentBitmap(dc);
    SIZE size;
    if (!GetBitmapSize(bitmap, &size)) return false;
    std::vector<std::uint32_t> words(static_cast<std::size_t>(size.cx) * size.cy);
    const RECT all{0, 0, size.cx, size.cy};
    return GetBitmapBits32(bitmap, &all, words.data()) == size.cy &&
           EncodePngFile(path, size.cx, size.cy, words.data());
}

}  // namespace

// Each holds buffers the size of the image: a failed allocation is a failed call.
bool WritePng(const std::string& path, int width, int height, const std::uint32_t* pixels) {
    return detail::Guarded(false, [&] { return EncodePngFile(path, width, height, pixels); });
}

bool EncodePng(int width, int height, const std::uint32_t* pixels, std::vector<std::uint8_t>* out) {
    return detail::Guarded(false, [&] { return EncodeRgbPng(width, height, pixels, out); });
}

bool DecodePng(const std::uint8_t* data, std::size_t size, int* width, int* height,
               std::vector<std::uint32_t>* pixels) {
    return detail::Guarded(false, [&] { return DecodeWithLibpng(data, size, width, height, pixels); });
}

bool ReadPng(const std::string& path, int* width, int* height, std::vector<std::uint32_t>* pixels) {
    return detail::Guarded(false, [&] { return ReadPngFile(path, width, height, pixels); });
}

bool WriteDcPng(HDC dc, const std::string& path) {
    return detail::Guarded(false, [&] { return WriteBitmapPng(dc, path); });
}

}  // namespace ov::gdi
