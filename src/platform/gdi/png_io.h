#pragma once
// PNG export and import of pixel buffers and device contexts (libpng's simplified API).
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

// Writes an opaque 8-bit RGB PNG from width*height pixels 0x00RRGGBB, row-major, top-down.
bool WritePng(const std::string& path, int width, int height, const std::uint32_t* pixels_0x00RRGGBB);

// Reads any PNG libpng understands into 0xAARRGGBB pixels, row-major, top-down.
bool ReadPng(const std::string& path, int* width, int* height, std::vector<std::uint32_t>* pixels_0xAARRGGBB);

// Writes the bitmap selected into `dc` (a mono bitmap as black and white).
bool WriteDcPng(HDC dc, const std::string& path);

}  // namespace ov::gdi
