#include "platform/gdi/png_io.h"

#include <png.h>

#include <cstring>

#include "platform/files/replace_file.h"
#include "platform/gdi/objects.h"

namespace ov::gdi {

bool WritePng(const std::string& path, int width, int height, const std::uint32_t* pixels) {
    if (width <= 0 || height <= 0 || !pixels) return false;
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
    // Encoded in memory first, so the file is replaced whole or not at all.
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, rgb.data(), width * 3, nullptr)) return false;
    std::string encoded(size, '\0');
    const int ok = png_image_write_to_memory(&image, encoded.data(), &size, 0, rgb.data(), width * 3, nullptr);
    png_image_free(&image);
    return ok != 0 && files::ReplaceFile(path, std::string_view(encoded).substr(0, size));
}

bool ReadPng(const std::string& path, int* width, int* height, std::vector<std::uint32_t>* pixels) {
    if (!width || !height || !pixels) return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    // BGRA bytes in memory are 0xAARRGGBB words on a little-endian machine; build the words
    // explicitly so the result does not depend on byte order.
    image.format = PNG_FORMAT_RGBA;
    std::vector<std::uint8_t> rgba(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    const std::size_t count = static_cast<std::size_t>(image.width) * image.height;
    pixels->resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* p = &rgba[i * 4];
        (*pixels)[i] = (std::uint32_t{p[3]} << 24) | (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    }
    *width = static_cast<int>(image.width);
    *height = static_cast<int>(image.height);
    return true;
}

bool WriteDcPng(HDC dc, const std::string& path) {
    const detail::Bitmap* bitmap = detail::TargetBitmap(dc);
    if (!bitmap) return false;
    // Mono pixels come out as 0 or 0x00FFFFFF words: black and white.
    if (!bitmap->is_mono()) return WritePng(path, bitmap->width, bitmap->height, bitmap->pixels.data());
    const std::vector<std::uint32_t> words = bitmap->PixelWords();
    return WritePng(path, bitmap->width, bitmap->height, words.data());
}

}  // namespace ov::gdi
