// Malformed and hostile picture files, a table per loader. Each row asserts the error number
// (481, or the picture the loader's rule gives), that no graphics object outlives the attempt,
// and, for what is refused, that the loader never allocated room for the pixels the header
// claimed. Then every prefix of a valid file of each kind, and every header word of those files
// set to extreme values.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/gdi/gdi.h"
#include "platform/gdi/icon.h"
#include "platform/limits.h"
#include "platform/picture/picture.h"
#include "platform/runtime/automation_error.h"
#include "support/picture_files.h"
#include "support/scratch_dir.h"

#if defined(__SANITIZE_ADDRESS__)
#define ORVELLE_WATCH_ALLOCATIONS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORVELLE_WATCH_ALLOCATIONS 1
#endif
#endif
#ifdef ORVELLE_WATCH_ALLOCATIONS
// The address sanitizer's runtime exports this with both compilers; only clang ships a header.
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*on_allocate)(const volatile void*, std::size_t),
                                                         void (*on_free)(const volatile void*));
#endif

namespace ov {
namespace {

using namespace picture_files;

// The largest single allocation since the last Reset, seen through the address sanitizer's
// allocation hook (which sees libpng's allocations as well as ours). Without the sanitizer it
// sees nothing and reports 0.
class AllocationWatch {
public:
    static void Reset() {
        Install();
        largest_.store(0, std::memory_order_relaxed);
    }
    static std::size_t Largest() { return largest_.load(std::memory_order_relaxed); }

private:
    static void Install() {
#ifdef ORVELLE_WATCH_ALLOCATIONS
        static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnAllocate, OnFree) != 0;
        (void)installed;
#endif
    }
    static void OnAllocate(const volatile void*, std::size_t size) {
        std::size_t seen = largest_.load(std::memory_order_relaxed);
        while (size > seen && !largest_.compare_exchange_weak(seen, size, std::memory_order_relaxed)) {}
    }
    static void OnFree(const volatile void*) {}
    static inline std::atomic<std::size_t> largest_{0};
};

// What a refused file may allocate at most: its own copy and the decoders' small working
// buffers, never its pixels.
constexpr std::size_t kRefusalAllocationSlack = 256 * 1024;

struct Outcome {
    std::int32_t error = 0;
    PictureType type = PictureType::None;
    int width = 0, height = 0;  // pixels for bitmaps and icons, HIMETRIC for metafiles
    std::size_t largest_allocation = 0;
    bool objects_released = false;
};

Outcome Load(const Bytes& file) {
    Outcome outcome;
    const gdi::LiveObjects before = gdi::CountLiveObjects();
    AllocationWatch::Reset();
    try {
        const auto picture = LoadPictureFromMemory(file);
        outcome.type = picture->type();
        const bool metafile =
            picture->type() == PictureType::Metafile || picture->type() == PictureType::EnhancedMetafile;
        outcome.width = metafile ? picture->width_himetric() : picture->width_pixels();
        outcome.height = metafile ? picture->height_himetric() : picture->height_pixels();
    } catch (const AutomationError& e) {
        outcome.error = e.number();
    }
    outcome.largest_allocation = AllocationWatch::Largest();
    outcome.objects_released = gdi::CountLiveObjects() == before;
    return outcome;
}

struct Case {
    const char* name;
    Bytes file;
    std::int32_t error;         // 0: the file loads
    int width = 0, height = 0;  // of what loads
};

void ExpectOutcomes(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const Outcome o = Load(c.file);
        EXPECT_EQ(o.error, c.error) << c.name;
        EXPECT_TRUE(o.objects_released) << c.name;
        if (c.error == 0) {
            EXPECT_EQ(o.width, c.width) << c.name;
            EXPECT_EQ(o.height, c.height) << c.name;
        } else {
            EXPECT_LE(o.largest_allocation, c.file.size() + kRefusalAllocationSlack)
                << c.name << ": refused after allocating";
        }
    }
}

template <typename Edit>
Bytes Edited(Bytes file, Edit edit) {
    edit(file);
    return file;
}
Bytes Poked(Bytes file, std::size_t at, std::uint32_t value) {
    Poke32(file, at, value);
    return file;
}

// A w x h BMP of the given depth with all-zero bits (and a two-entry palette where indexed).
Bytes PlainBmp(int width, int height, int bits) {
    const std::vector<std::uint32_t> palette =
        bits <= 8 ? std::vector<std::uint32_t>{0x000000, 0xFFFFFF} : std::vector<std::uint32_t>{};
    return BmpFile(InfoHeader(width, height, bits, 0, static_cast<std::uint32_t>(palette.size())), palette,
                   Bytes(DibStride(width, bits) * static_cast<std::size_t>(height < 0 ? -height : height), 0));
}

Bytes Rle8Bmp(int width, int height, const Bytes& stream) {
    return BmpFile(InfoHeader(width, height, 8, 1, 2), {0x000000, 0xFFFFFF}, stream);
}

Bytes Rgb8Png(std::uint32_t width, std::uint32_t height) {
    return PngFile({width, height}, Scanlines(width, height, false, [](std::uint32_t x, std::uint32_t y) {
                       return Bytes{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y), 0};
                   }));
}

// A PNG whose header says one thing and whose image data is a few bytes of nothing.
Bytes PngClaiming(const PngHeader& header) { return PngFile(header, Bytes(16, 0)); }

// The header offsets of the standard metafile header and the first record in a placeable WMF,
// and of the header fields and first record in an EMF.
constexpr std::size_t kWmfSizeWords = 22 + 6, kWmfFirstRecord = 22 + 18;
constexpr std::size_t kEmfHeaderSize = 4, kEmfFileBytes = 48, kEmfFirstRecord = 88;

TEST(PictureInput, BmpHeadersAreCheckedAgainstTheLimitsAndTheData) {
    const Bytes valid = PlainBmp(3, 2, 24);
    ExpectOutcomes({
        {"32768 x 32768 in 54 bytes", BmpFile(InfoHeader(32768, 32768, 24), {}, {}), 481},
        {"8192 x 8192, inside the pixel cap, no pixels", BmpFile(InfoHeader(8192, 8192, 24), {}, {}), 481},
        {"height INT_MIN", BmpFile(InfoHeader(4, INT_MIN, 24), {}, Bytes(64, 0)), 481},
        {"negative width", BmpFile(InfoHeader(-4, 4, 24), {}, Bytes(64, 0)), 481},
        {"zero width", BmpFile(InfoHeader(0, 4, 24), {}, Bytes(64, 0)), 481},
        {"zero height", BmpFile(InfoHeader(4, 0, 24), {}, Bytes(64, 0)), 481},
        {"wider than a surface", BmpFile(InfoHeader(40000, 1, 1), {0, 0xFFFFFF}, Bytes(5000, 0)), 481},
        {"bits offset past the end", Poked(valid, 10, 0xFFFFFFF0u), 481},
        {"bits offset one byte late", Poked(valid, 10, 55), 481},
        {"depth 0", PlainBmp(2, 2, 0), 481},
        {"depth 2", PlainBmp(2, 2, 2), 481},
        {"depth 64", PlainBmp(2, 2, 64), 481},
        {"JPEG compression", BmpFile(InfoHeader(2, 2, 24, 4), {}, Bytes(16, 0)), 481},
        {"bit fields on 24 bits", BmpFile(InfoHeader(2, 2, 24, 3), {0xFF0000, 0xFF00, 0xFF}, Bytes(16, 0)), 481},
        {"RLE8 on 4 bits", BmpFile(InfoHeader(2, 2, 4, 1, 2), {0, 0xFFFFFF}, {0, 1}), 481},
        {"RLE8 top-down", Rle8Bmp(2, -2, {0, 1}), 481},
        {"RLE8 stream ends with rows left", Rle8Bmp(4, 2, {4, 1, 0, 0}), 481},
        {"RLE8 absolute run past the data", Rle8Bmp(4, 2, {0, 4, 1, 1}), 481},
        {"RLE8 delta cut short", Rle8Bmp(4, 2, {0, 2, 1}), 481},
        {"header size 13", Poked(valid, 14, 13), 481},
        {"header size 200", Poked(valid, 14, 200), 481},
        {"palette cut short", BmpFile(InfoHeader(1, 1, 8), {0, 0xFFFFFF}, {}), 481},
        {"valid", valid, 0, 3, 2},
        {"1 x 1 of 1 bit", PlainBmp(1, 1, 1), 0, 1, 1},
        {"top-down", PlainBmp(3, -2, 32), 0, 3, 2},
        // Run-length bitmaps can skip every pixel, so only the pixel cap bounds them.
        {"RLE8 of 2048 x 2048 that ends at once", Rle8Bmp(2048, 2048, {0, 1}), 0, 2048, 2048},
        {"RLE8 delta past the top row ends it", Rle8Bmp(4, 2, {0, 2, 255, 255}), 0, 4, 2},
    });
}

TEST(PictureInput, PngHeadersAreCheckedBeforeDecoding) {
    const Bytes valid = Rgb8Png(3, 2);
    // A true bomb: 16384 x 16384 of one-bit grey, 32 MiB of zeros that deflate to a few KiB.
    const Bytes bomb = PngFile({16384, 16384, 1, 0}, Bytes(16384 * std::size_t{1 + 2048}, 0));
    ExpectOutcomes({
        {"1,000,000 x 1,000,000 in a few bytes", PngClaiming({1000000, 1000000}), 481},
        {"16384 x 16384 bomb", bomb, 481},
        {"4096 x 4096 RGBA with 16 bytes of data", PngClaiming({4096, 4096, 8, 6}), 481},
        {"zero width", PngClaiming({0, 4}), 481},
        {"depth 3", PngClaiming({2, 2, 3, 0}), 481},
        {"palette image without a palette", PngFile({1, 1, 8, 3}, {0, 0}), 481},
        {"palette over 256 entries", PngFile({1, 1, 8, 3}, {0, 0}, {PngChunk("PLTE", Bytes(3 * 257, 0))}), 481},
        {"no image data", Edited(valid, [](Bytes& b) { b.erase(b.begin() + 33, b.end() - 12); }), 481},
        {"header checksum wrong", Edited(valid, [](Bytes& b) { b[29] ^= 1; }), 481},
        {"image data checksum wrong", Edited(valid, [](Bytes& b) { b[b.size() - 13] ^= 1; }), 481},
        {"rows missing from the image data", PngFile({3, 4}, Bytes(2 * 10, 0)), 481},
        {"valid", valid, 0, 3, 2},
        {"bytes after the end chunk", Edited(valid, [](Bytes& b) { b.insert(b.end(), 100, 0xEE); }), 0, 3, 2},
        {"palette larger than the depth indexes",
         PngFile({2, 1, 1, 3}, {0, 0}, {PngChunk("PLTE", Bytes(3 * 16, 0x40))}), 0, 2, 1},
        {"text chunk over the chunk limit is skipped",
         PngFile({3, 2},
                 Scanlines(3, 2, false,
                           [](auto, auto) {
                               return Bytes{1, 2, 3};
                           }),
                 {PngChunk("zTXt", Bytes(limits::kMaxPictureChunkBytes + 16, 'x'))}),
         0, 3, 2},
    });
}

TEST(PictureInput, IcoDirectoriesAreCheckedAgainstTheFile) {
    const Bytes valid = IcoFile(2, 2, 24, IconDib(2, 2, 24));
    const std::size_t entry = 6, image = 22;
    ExpectOutcomes({
        {"no entries", Poked(valid, 4, 0), 481},
        {"65535 entries in a short file", Edited(valid, [](Bytes& b) { b[4] = b[5] = 0xFF; }), 481},
        {"image offset 0xFFFFFFFF", Poked(valid, entry + 12, 0xFFFFFFFFu), 481},
        {"image size 0xFFFFFFFF", Poked(valid, entry + 8, 0xFFFFFFFFu), 481},
        {"image one byte past the end", Poked(valid, entry + 8, static_cast<std::uint32_t>(valid.size() - image + 1)),
         481},
        {"image too short for its mask", Poked(valid, entry + 8, static_cast<std::uint32_t>(valid.size() - image - 1)),
         481},
        {"image height INT_MIN", Poked(valid, image + 8, 0x80000000u), 481},
        {"image of 32768 x 32768",
         Edited(valid,
                [](Bytes& b) {
                    Poke32(b, image + 4, 32768);
                    Poke32(b, image + 8, 65536);
                }),
         481},
        {"image of 4096 x 4096 without its bits", IcoFile(0, 0, 32, InfoHeader(4096, 8192, 32)), 481},
        {"run-length image", IcoFile(2, 2, 8, Poked(IconDib(2, 2, 8), 16, 1)), 481},
        {"PNG image of 1,000,000 x 1,000,000", IcoFile(0, 0, 32, PngClaiming({1000000, 1000000})), 481},
        {"a cursor file", Poked(valid, 2, 2), 481},
        {"valid", valid, 0, 2, 2},
        {"PNG image", IcoFile(3, 2, 32, Rgb8Png(3, 2)), 0, 3, 2},
        {"top-down image", Poked(valid, image + 8, static_cast<std::uint32_t>(-4)), 0, 2, 2},
        {"two sizes: the one nearest 32 wins",
         IcoFile({{16, 16, 24, IconDib(16, 16, 24)}, {32, 32, 1, IconDib(32, 32, 1)}}), 0, 32, 32},
    });
}

TEST(PictureInput, WmfSizesAndRecordsAreChecked) {
    const Bytes valid = WmfFile(0, 0, 1440, 720, 1440, {WmfRecord(0x0103, {8})});
    ExpectOutcomes({
        {"zero units per inch", WmfFile(0, 0, 100, 100, 0), 481},
        {"metafile size past the end",
         Poked(valid, kWmfSizeWords, static_cast<std::uint32_t>(valid.size() / 2 - 11 + 1)), 481},
        {"metafile size 0xFFFFFFFF words", Poked(valid, kWmfSizeWords, 0xFFFFFFFFu), 481},
        {"metafile size smaller than its header", Poked(valid, kWmfSizeWords, 8), 481},
        {"header of 10 words", Edited(valid, [](Bytes& b) { b[24] = 10; }), 481},
        {"record of no words", Poked(valid, kWmfFirstRecord, 0), 481},
        {"record past the end", Poked(valid, kWmfFirstRecord, 0x40000000u), 481},
        {"no end record",
         Edited(valid,
                [](Bytes& b) {
                    b.resize(b.size() - 6);
                    Poke32(b, kWmfSizeWords, static_cast<std::uint32_t>(b.size() / 2 - 11));
                }),
         481},
        {"valid", valid, 0, 2540, 1270},
        {"widest box at one unit an inch", WmfFile(-32768, -32768, 32767, 32767, 1), 0, 65535 * 2540, 65535 * 2540},
        {"inverted box", WmfFile(1440, 720, 0, 0, 1440), 0, 2540, 1270},
        {"empty box", WmfFile(5, 5, 5, 5, 1440), 0, 0, 0},
    });
}

TEST(PictureInput, EmfFramesAndRecordsAreChecked) {
    const Bytes valid = EmfFile(100, 200, 5100, 3200, {EmfRecord(17, {1})});
    ExpectOutcomes({
        {"frame from INT_MIN to INT_MAX", EmfFile(INT_MIN, 0, INT_MAX, 10), 481},
        {"frame height from INT_MAX to INT_MIN", EmfFile(0, INT_MAX, 10, INT_MIN), 481},
        {"file size past the end", Poked(valid, kEmfFileBytes, static_cast<std::uint32_t>(valid.size() + 4)), 481},
        {"file size 0xFFFFFFFF", Poked(valid, kEmfFileBytes, 0xFFFFFFFFu), 481},
        {"header of 84 bytes", Poked(valid, kEmfHeaderSize, 84), 481},
        {"header size not a multiple of four", Poked(valid, kEmfHeaderSize, 90), 481},
        {"header larger than the file", Poked(valid, kEmfHeaderSize, 0xFFFFFFF0u), 481},
        {"record of no bytes", Poked(valid, kEmfFirstRecord + 4, 0), 481},
        {"record size not a multiple of four", Poked(valid, kEmfFirstRecord + 4, 10), 481},
        {"record past the end", Poked(valid, kEmfFirstRecord + 4, 0x7FFFFFF8u), 481},
        {"no end record",
         Edited(valid,
                [](Bytes& b) {
                    b.resize(b.size() - 20);
                    Poke32(b, kEmfFileBytes, static_cast<std::uint32_t>(b.size()));
                }),
         481},
        {"valid", valid, 0, 5000, 3000},
        {"frame of two thousand million", EmfFile(-1000000000, 0, 1000000000, 1), 0, 2000000000, 1},
        {"inverted frame", EmfFile(5100, 3200, 100, 200), 0, 5000, 3000},
    });
}

TEST(PictureInput, WhatIsNoPictureAtAll) {
    Bytes plain_wmf;  // a metafile without the placeable header has no size
    Put16(plain_wmf, 1);
    Put16(plain_wmf, 9);
    Put16(plain_wmf, 0x300);
    plain_wmf.resize(18, 0);
    ExpectOutcomes({
        {"empty", {}, 481},
        {"three bytes", {'B', 'M', 0}, 481},
        {"text", {'n', 'o', 't', ' ', 'a', ' ', 'p', 'i', 'c'}, 481},
        {"PNG signature alone", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, 481},
        {"metafile without placeable header", plain_wmf, 481},
    });
}

// Odd but valid files, read back by pixel.
TEST(PictureInput, OddButValidBitmapsDecodeByTheirRules) {
    struct Probe {
        int x, y;
        gdi::COLORREF colour;
    };
    struct PixelCase {
        const char* name;
        Bytes file;
        std::vector<Probe> probes;
    };
    const std::vector<std::uint32_t> palette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF};
    const std::vector<std::uint32_t> grey_first = {0x808080, 0xFF0000, 0x00FF00, 0x0000FF};
    Bytes core;  // a 12-byte core header, 2 x 1, 24-bit
    Put32(core, 12);
    Put16(core, 2);
    Put16(core, 1);
    Put16(core, 1);
    Put16(core, 24);
    Bytes masked = InfoHeader(1, 1, 32, 3);  // bit fields whose masks span the whole word
    for (int i = 0; i < 3; ++i) Put32(masked, 0xFFFFFFFFu);
    const std::vector<PixelCase> cases = {
        {"RLE8 run longer than its row is cut at the row's end",
         BmpFile(InfoHeader(2, 2, 8, 1, 4), palette, {200, 1, 0, 0, 2, 2, 0, 1}),
         {{0, 1, gdi::RGB(255, 0, 0)}, {1, 1, gdi::RGB(255, 0, 0)}, {0, 0, gdi::RGB(0, 255, 0)}}},
        {"RLE8 delta leaves palette entry 0",
         BmpFile(InfoHeader(3, 2, 8, 1, 4), grey_first, {0, 2, 2, 1, 1, 3, 0, 1}),
         {{0, 0, gdi::RGB(128, 128, 128)}, {2, 0, gdi::RGB(0, 0, 255)}, {0, 1, gdi::RGB(128, 128, 128)}}},
        {"RLE4 of one pixel",
         BmpFile(InfoHeader(1, 1, 4, 2, 4), palette, {1, 0x30, 0, 1}),
         {{0, 0, gdi::RGB(0, 0, 255)}}},
        {"colour count past what the depth indexes",
         BmpFile(InfoHeader(1, 1, 1, 0, 1000), {0x000000, 0x123456}, {0x80, 0, 0, 0}),
         {{0, 0, gdi::RGB(0x12, 0x34, 0x56)}}},
        {"index past the colours given is black",
         BmpFile(InfoHeader(1, 1, 8, 0, 2), {0xFFFFFF, 0xFFFFFF}, {5, 0, 0, 0}),
         {{0, 0, gdi::RGB(0, 0, 0)}}},
        {"masks of the whole word", BmpFile(masked, {}, {0xFF, 0xFF, 0xFF, 0xFF}), {{0, 0, gdi::RGB(255, 255, 255)}}},
        {"core header",
         BmpFile(core, {}, {0, 0, 255, 255, 0, 0, 0, 0}),
         {{0, 0, gdi::RGB(255, 0, 0)}, {1, 0, gdi::RGB(0, 0, 255)}}},
    };
    for (const PixelCase& c : cases) {
        const gdi::LiveObjects before = gdi::CountLiveObjects();
        try {
            const auto picture = LoadPictureFromMemory(c.file);
            for (const Probe& p : c.probes) {
                const gdi::RECT one{p.x, p.y, p.x + 1, p.y + 1};
                std::uint32_t word = 0;
                ASSERT_EQ(gdi::GetBitmapBits32(picture->handle(), &one, &word), 1) << c.name;
                EXPECT_EQ(gdi::ColorFromPixelWord(word), p.colour) << c.name << " at " << p.x << "," << p.y;
            }
        } catch (const AutomationError& e) {
            ADD_FAILURE() << c.name << ": error " << e.number();
        }
        EXPECT_EQ(gdi::CountLiveObjects(), before) << c.name;
    }
}

// One valid file of each kind.
std::vector<Case> ValidFiles() {
    return {
        {"bmp", PlainBmp(3, 2, 24), 0},
        {"bmp rle",
         BmpFile(InfoHeader(4, 2, 8, 1, 4), {0, 0xFF0000, 0xFF00, 0xFF}, {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 4, 3, 0, 1}),
         0},
        {"png", Rgb8Png(3, 2), 0},
        {"ico", IcoFile(2, 2, 24, IconDib(2, 2, 24)), 0},
        {"ico png", IcoFile(3, 2, 32, Rgb8Png(3, 2)), 0},
        {"wmf", WmfFile(0, 0, 1440, 720, 1440, {WmfRecord(0x0103, {8})}), 0},
        {"emf", EmfFile(100, 200, 5100, 3200, {EmfRecord(17, {1})}), 0},
    };
}

TEST(PictureInput, EveryTruncationIsRefused) {
    for (const Case& valid : ValidFiles()) {
        ASSERT_EQ(Load(valid.file).error, 0) << valid.name;
        for (std::size_t length = 0; length < valid.file.size(); ++length) {
            const Outcome o = Load(Bytes(valid.file.begin(), valid.file.begin() + static_cast<std::ptrdiff_t>(length)));
            EXPECT_EQ(o.error, 481) << valid.name << " cut to " << length << " bytes";
            EXPECT_TRUE(o.objects_released) << valid.name << " cut to " << length;
        }
    }
}

// Every aligned word of each valid file's headers set to values at the edges of 16 and 32 bits
// (PNG checksums repaired so the change reaches the decoder): each result is a refusal or a
// picture inside the limits, and nothing leaks.
TEST(PictureInput, ExtremeHeaderValuesAreRefusedOrBounded) {
    static constexpr std::uint32_t kExtremes[] = {0, 1, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    for (const Case& valid : ValidFiles()) {
        const bool png = valid.file[0] == 0x89;
        for (std::size_t at = 0; at < std::min<std::size_t>(valid.file.size(), 128); at += 2) {
            for (std::uint32_t value : kExtremes) {
                Bytes file = Poked(valid.file, at, value);
                if (png) FixPngCrcs(file);
                const Outcome o = Load(file);
                const std::string where =
                    std::string(valid.name) + " word at " + std::to_string(at) + " = " + std::to_string(value);
                EXPECT_TRUE(o.error == 0 || o.error == 481) << where << ": error " << o.error;
                EXPECT_TRUE(o.objects_released) << where;
                if (o.type == PictureType::Bitmap || o.type == PictureType::Icon) {
                    EXPECT_TRUE(limits::PictureSizeAllowed(o.width, o.height)) << where;
                }
            }
        }
    }
}

class PictureFileInput : public ::testing::Test {
protected:
    testing_support::ScratchDir scratch_{"orvelle_picture_input"};
    const std::filesystem::path& dir_ = scratch_.path();
};

TEST_F(PictureFileInput, PathsThatAreNoPictureFile) {
    const std::string fifo = (dir_ / "pipe.bmp").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // Larger than any picture the limits allow; sparse, so it costs no disk.
    const std::filesystem::path huge = dir_ / "huge.bmp";
    std::ofstream(huge).put('B');
    std::filesystem::resize_file(huge, static_cast<std::uintmax_t>(limits::kMaxPictureFileBytes) + 1);
    struct PathCase {
        const char* name;
        std::string path;
        std::int32_t error;
    };
    const std::vector<PathCase> cases = {
        {"missing", (dir_ / "missing.bmp").string(), 53},
        {"a folder", dir_.string(), 53},
        {"a pipe: refused without waiting for a writer", fifo, 53},
        {"a device", "/dev/zero", 53},
        {"larger than any picture", huge.string(), 481},
    };
    for (const PathCase& c : cases) {
        const gdi::LiveObjects before = gdi::CountLiveObjects();
        AllocationWatch::Reset();
        std::int32_t error = 0;
        try {
            LoadPicture(c.path);
        } catch (const AutomationError& e) {
            error = e.number();
            if (error == 53) {
                EXPECT_EQ(e.description(), "File not found") << c.name;
            }
        }
        EXPECT_EQ(error, c.error) << c.name;
        EXPECT_LE(AllocationWatch::Largest(), kRefusalAllocationSlack) << c.name;
        EXPECT_EQ(gdi::CountLiveObjects(), before) << c.name;
    }
    const auto empty = LoadPicture("");
    EXPECT_EQ(empty->type(), PictureType::None);
    EXPECT_EQ(empty->handle(), 0u);
}

}  // namespace
}  // namespace ov
