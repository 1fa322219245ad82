// Writes the picture fuzzers' seed files: small valid files of each kind, built by the same
// helpers as the picture tests, into DIR/fuzz_picture_KIND/. Run it after a change to what the
// loaders accept and commit the result:  make_picture_seeds fuzz/corpus
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "../tests/support/picture_files.h"

namespace {

using namespace ov::picture_files;

using Seeds = std::vector<std::pair<std::string, Bytes>>;

Seeds BmpSeeds() {
    const std::vector<std::uint32_t> four = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    Bytes core;  // 12-byte core header, 2 x 1, 24-bit
    for (std::uint32_t v : {12u}) Put32(core, v);
    for (std::uint32_t v : {2u, 1u, 1u, 24u}) Put16(core, v);
    Bytes fields = InfoHeader(2, 2, 16, 3);
    for (std::uint32_t m : {0xF800u, 0x07E0u, 0x001Fu}) Put32(fields, m);
    Bytes alpha_fields = InfoHeader(2, 1, 32, 6);
    for (std::uint32_t m : {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u}) Put32(alpha_fields, m);
    return {
        {"1bit.bmp", BmpFile(InfoHeader(10, 2, 1, 0, 2), {0x000000, 0xFFFFFF}, {0x81, 0x40, 0, 0, 0x7E, 0xC0, 0, 0})},
        {"4bit.bmp", BmpFile(InfoHeader(3, 2, 4, 0, 4), four, {0x12, 0x30, 0, 0, 0x32, 0x10, 0, 0})},
        {"8bit_top_down.bmp", BmpFile(InfoHeader(3, -2, 8, 0, 4), four, {1, 2, 3, 0, 0, 3, 2, 0})},
        {"rle8.bmp", BmpFile(InfoHeader(4, 3, 8, 1, 4), four, {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 1, 2, 3, 0, 1})},
        {"rle4.bmp", BmpFile(InfoHeader(5, 2, 4, 2, 4), four, {5, 0x12, 0, 0, 0, 5, 0x31, 0x23, 0x10, 0, 0, 1})},
        {"16bit_fields.bmp", BmpFile(fields, {}, {0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF})},
        {"24bit.bmp", BmpFile(InfoHeader(3, 2, 24), {}, {0,   0,   255, 0, 255, 0, 255, 0,  0,  0, 0, 0,
                                                         255, 255, 255, 0, 0,   0, 128, 64, 32, 0, 0, 0})},
        {"32bit_alpha_fields.bmp", BmpFile(alpha_fields, {}, {1, 2, 3, 4, 5, 6, 7, 8})},
        {"core.bmp", BmpFile(core, {}, {0, 0, 255, 255, 0, 0, 0, 0})},
    };
}

Seeds PngSeeds() {
    const Bytes palette = {255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255};
    auto rgb = [](std::uint32_t x, std::uint32_t y) {
        return Bytes{static_cast<std::uint8_t>(40 * x), static_cast<std::uint8_t>(40 * y), 9};
    };
    auto rgba16 = [](std::uint32_t x, std::uint32_t y) {
        return Bytes{1, static_cast<std::uint8_t>(x), 2, static_cast<std::uint8_t>(y), 3, 0, 0x80, 0};
    };
    return {
        {"grey1.png", PngFile({3, 2, 1, 0}, {0, 0b10100000, 0, 0b01000000})},
        {"grey8_trns.png", PngFile({2, 1, 8, 0}, {0, 0x40, 0x80}, {PngChunk("tRNS", {0, 0x40})})},
        {"grey_alpha.png", PngFile({1, 2, 8, 4}, {0, 0x10, 0x80, 2, 0x20, 0x10})},
        {"rgb.png", PngFile({3, 3}, Scanlines(3, 3, false, rgb))},
        {"rgba16.png", PngFile({2, 2, 16, 6}, Scanlines(2, 2, false, rgba16))},
        {"palette2_trns.png",
         PngFile({4, 1, 2, 3}, {0, 0b00011011}, {PngChunk("PLTE", palette), PngChunk("tRNS", {0, 0x80})})},
        {"interlaced.png", PngFile({5, 5, 8, 2, 1}, Scanlines(5, 5, true, rgb))},
        {"text_chunk.png",
         PngFile({1, 1}, {0, 1, 2, 3}, {PngChunk("tEXt", {'a', 0, 'b'}), PngChunk("gAMA", {0, 0, 0xB1, 0x8F})})},
    };
}

Seeds IcoSeeds() {
    auto png = PngFile({2, 2, 8, 6}, {0, 1, 2, 3, 4, 5, 6, 7, 8, 0, 9, 10, 11, 12, 13, 14, 15, 16});
    return {
        {"24bit_mask.ico",
         IcoFile(2, 2, 24, IconDib(2, 2, 24, {255, 0, 0, 255, 0, 0, 0, 0, 0, 0, 255, 255, 255, 255, 0, 0}, 0x80))},
        {"32bit_alpha.ico", IcoFile(2, 1, 32, IconDib(2, 1, 32, {0, 0, 255, 255, 0, 0, 255, 0}))},
        {"1bit.ico", IcoFile(8, 2, 1, IconDib(8, 2, 1, {0xA5, 0, 0, 0, 0x5A, 0, 0, 0}, 0x0F))},
        {"8bit.ico", IcoFile(2, 2, 8, IconDib(2, 2, 8, {1, 0, 0, 0, 0, 1, 0, 0}))},
        {"png.ico", IcoFile(2, 2, 32, png)},
        {"two_sizes.ico",
         IcoFile({{1, 1, 24, IconDib(1, 1, 24)}, {2, 2, 4, IconDib(2, 2, 4, {0x10, 0, 0, 0, 0x01, 0, 0, 0})}})},
    };
}

Seeds WmfSeeds() {
    return {
        {"empty.wmf", WmfFile(0, 0, 1440, 720, 1440)},
        {"records.wmf", WmfFile(-100, -50, 900, 600, 576,
                                {WmfRecord(0x0103, {8}), WmfRecord(0x020B, {0, 0}), WmfRecord(0x020C, {600, 900}),
                                 WmfRecord(0x0418, {100, 200, 10, 20})})},
    };
}

Seeds EmfSeeds() {
    return {
        {"empty.emf", EmfFile(0, 0, 2540, 2540)},
        {"records.emf", EmfFile(100, 200, 5100, 3200,
                                {EmfRecord(17, {1}), EmfRecord(27, {10, 10}), EmfRecord(54, {90, 40}),
                                 EmfRecord(42, {5, 5, 80, 60})})},
    };
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIR\n", argv[0]);
        return 2;
    }
    const std::filesystem::path root = argv[1];
    const std::pair<const char*, Seeds> kinds[] = {
        {"bmp", BmpSeeds()}, {"png", PngSeeds()}, {"ico", IcoSeeds()}, {"wmf", WmfSeeds()}, {"emf", EmfSeeds()},
    };
    for (const auto& [kind, seeds] : kinds) {
        const std::filesystem::path dir = root / (std::string("fuzz_picture_") + kind);
        std::filesystem::create_directories(dir);
        for (const auto& [name, bytes] : seeds) {
            std::ofstream out(dir / name, std::ios::binary);
            out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
            if (!out) {
                std::fprintf(stderr, "cannot write %s\n", (dir / name).c_str());
                return 1;
            }
        }
    }
    return 0;
}
