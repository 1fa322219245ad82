#pragma once
// PNG export and import of pixel buffers and device contexts (libpng's simplified API).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"

namespace ov::gdi {

// Writes an opaque 8-bit RGB PNG from width*height pixels 0x00RRGGBB, row-major, top-down.
bool WritePng(const std::string& path, int width, int height, const std::uint32_t* pixels_0x00RRGGBB);

// The same PNG as bytes in memory (`out` is replaced); false when it cannot be encoded.
bool EncodePng(int width, int height, const std::uint32_t* pixels_0x00RRGGBB, std::vector<std::uint8_t>* out);

// Decodes a PNG held in memory into 0xAARRGGBB pixels, row-major, top-down (16-bit channels
// scaled to 8, gamma and colour profiles ignored). Refuses (false) a damaged or truncated file,
// one outside the picture limits, and one whose image data is too short to hold the pixels its
// header claims; the last two before anything the size of the image is allocated.
bool DecodePng(const std::uint8_t* data, std::size_t size, int* width, int* height,
               std::vector<std::uint32_t>* pixels_0xAARRGGBB);

// The same for a file (at most the picture file limit in size).
bool ReadPng(const std::string& path, int* width, int* height, std::vector<std::uint32_t>* pixels_0xAARRGGBB);

// Writes the bitmap selected into `dc` (a mono bitmap as black and white).
bool WriteDcPng(HDC dc, const std::string& path);

}  // namespace ov::gdi
