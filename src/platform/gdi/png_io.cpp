#include "platform/gdi/png_io.h"

#include <png.h>

#include <cstring>


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
    const int ok = png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), width * 3, nullptr);
    png_image_free(&image);
    return ok != 0;
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
    // Mono pixels come out as 0 or 0x00FFFFFF words: black and white.
    const HBITMAP bitmap = GetCurrentBitmap(dc);
    SIZE size;
    if (!GetBitmapSize(bitmap, &size)) return false;
    std::vector<std::uint32_t> words(static_cast<std::size_t>(size.cx) * size.cy);
    const RECT all{0, 0, size.cx, size.cy};
    return GetBitmapBits32(bitmap, &all, words.data()) == size.cy && WritePng(path, size.cx, size.cy, words.data());
}

}  // namespace ov::gdi
