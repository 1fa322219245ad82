// PNG export and import round trips.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "platform/gdi/png_io.h"

namespace ov::gdi {
namespace {

std::string TempPath(const char* name) {
    return (std::filesystem::temp_directory_path() / (std::string("orvelle_gdi_") + name)).string();
}

TEST(PngIo, RoundTripKeepsEveryPixel) {
    std::vector<std::uint32_t> pixels(7 * 5);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint32_t>(i * 0x030507 + 0x102030) & 0xFFFFFF;
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

TEST(PngIo, FailuresAreReported) {
    int w = 0, h = 0;
    std::vector<std::uint32_t> pixels;
    EXPECT_FALSE(ReadPng(TempPath("does_not_exist.png"), &w, &h, &pixels));
    EXPECT_FALSE(WritePng("/nonexistent-dir/x.png", 1, 1, pixels.data()));
    EXPECT_FALSE(WriteDcPng(0xDEADBEEF, TempPath("never.png")));
}

}  // namespace
}  // namespace ov::gdi
