// PNG export and import round trips, and the decoder's colour types, depths and interlacing.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/gdi/png_io.h"
#include "../../support/picture_files.h"

namespace ov::gdi {
namespace {

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("orvelle_gdi_") + name)).string();
}

TEST(PngIo, RoundTripKeepsEveryPixel) {
    std::vector<std::uint32_t> pixels(7 * 5);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint32_t>(i * 0x030507 + 0x102030) & 0xFFFFFF;
    const std::string path = TempPath("roundtrip.png");
    ASSERT_TRUE(WritePng(path, 7, 5, pixels.data()));
    int w = 0, h = 0;
    std::vector<std::uint32_t> back;
    ASSERT_TRUE(ReadPng(path, &w, &h, &back));
    ASSERT_EQ(w, 7);
    ASSERT_EQ(h, 5);
    for (std::size_t i = 0; i < pixels.size(); ++i) EXPECT_EQ(back[i], 0xFF000000u | pixels[i]) << i;
    std::remove(path.c_str());
}

TEST(PngIo, DcExportWritesMonoAsBlackAndWhite) {
    HDC dc = CreateCompatibleDC(0);
    HBITMAP mono = CreateBitmap(3, 1, 1, 1, nullptr);
    HGDIOBJ old = SelectObject(dc, mono);
    SetPixelV(dc, 1, 0, 0xFFFFFF);
    const std::string path = TempPath("mono.png");
    ASSERT_TRUE(WriteDcPng(dc, path));
    int w = 0, h = 0;
    std::vector<std::uint32_t> back;
    ASSERT_TRUE(ReadPng(path, &w, &h, &back));
    EXPECT_EQ(back, (std::vector<std::uint32_t>{0xFF000000u, 0xFFFFFFFFu, 0xFF000000u}));
    SelectObject(dc, old);
    DeleteObject(mono);
    DeleteDC(dc);
    std::remove(path.c_str());
}

// Each colour type and depth the decoder expands, read back as 0xAARRGGBB words.
TEST(PngIo, DecodesEveryColourTypeToArgb) {
    using namespace picture_files;
    auto scale16 = [](std::uint32_t v) { return (v * 255 + 32767) / 65535; };
    auto argb = [](std::uint32_t a, std::uint32_t r, std::uint32_t g, std::uint32_t b) {
        return (a << 24) | (r << 16) | (g << 8) | b;
    };
    auto interlaced_pixel = [](std::uint32_t x, std::uint32_t y) {
        return Bytes{static_cast<std::uint8_t>(40 * x), static_cast<std::uint8_t>(40 * y),
                     static_cast<std::uint8_t>(x + 7 * y)};
    };
    std::vector<std::uint32_t> interlaced_expected;
    for (std::uint32_t y = 0; y < 5; ++y)
        for (std::uint32_t x = 0; x < 5; ++x) interlaced_expected.push_back(argb(255, 40 * x, 40 * y, x + 7 * y));
    struct Case {
        const char* name;
        Bytes file;
        int width, height;
        std::vector<std::uint32_t> expected;
    };
    const std::vector<Case> cases = {
        {"grey, 1 bit",
         PngFile({3, 1, 1, 0}, {0, 0b10100000}),
         3,
         1,
         {argb(255, 255, 255, 255), argb(255, 0, 0, 0), argb(255, 255, 255, 255)}},
        {"grey, 8 bits, one value transparent",
         PngFile({2, 1, 8, 0}, {0, 0x40, 0x80}, {PngChunk("tRNS", {0, 0x40})}),
         2,
         1,
         {argb(0, 0x40, 0x40, 0x40), argb(255, 0x80, 0x80, 0x80)}},
        {"grey and alpha", PngFile({1, 1, 8, 4}, {0, 0x10, 0x80}), 1, 1, {argb(0x80, 0x10, 0x10, 0x10)}},
        {"RGB, 16 bits",
         PngFile({1, 1, 16, 2}, {0, 0x12, 0x34, 0xAB, 0xCD, 0xFF, 0xFF}),
         1,
         1,
         {argb(255, scale16(0x1234), scale16(0xABCD), 255)}},
        {"RGBA, 8 bits", PngFile({1, 1, 8, 6}, {0, 1, 2, 3, 4}), 1, 1, {argb(4, 1, 2, 3)}},
        {"palette, 2 bits, partly transparent",
         PngFile({4, 1, 2, 3}, {0, 0b00011011},
                 {PngChunk("PLTE", {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255}), PngChunk("tRNS", {0, 0x80})}),
         4,
         1,
         {argb(0, 255, 0, 0), argb(0x80, 0, 255, 0), argb(255, 0, 0, 255), argb(255, 255, 255, 255)}},
        {"palette index past the palette is black",
         PngFile({1, 1, 8, 3}, {0, 7}, {PngChunk("PLTE", {255, 255, 255, 9, 9, 9})}),
         1,
         1,
         {argb(255, 0, 0, 0)}},
        {"interlaced RGB, 5 x 5", PngFile({5, 5, 8, 2, 1}, Scanlines(5, 5, true, interlaced_pixel)), 5, 5,
         interlaced_expected},
    };
    for (const Case& c : cases) {
        int w = 0, h = 0;
        std::vector<std::uint32_t> pixels;
        ASSERT_TRUE(DecodePng(c.file.data(), c.file.size(), &w, &h, &pixels)) << c.name;
        EXPECT_EQ(w, c.width) << c.name;
        EXPECT_EQ(h, c.height) << c.name;
        EXPECT_EQ(pixels, c.expected) << c.name;
    }
}

TEST(PngIo, FailuresAreReported) {
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    EXPECT_FALSE(ReadPng(TempPath("does_not_exist.png"), &w, &h, &pixels));
    EXPECT_FALSE(ReadPng(std::filesystem::temp_directory_path().string(), &w, &h, &pixels));
    EXPECT_FALSE(WritePng("/nonexistent-dir/x.png", 1, 1, pixels.data()));
    EXPECT_FALSE(WriteDcPng(0xDEADBEEF, TempPath("never.png")));
}

}  // namespace
}  // namespace ov::gdi
