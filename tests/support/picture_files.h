#pragma once
// Picture files built byte by byte: BMP, ICO, PNG, placeable WMF and EMF, each with the fields a
// test wants to get wrong as parameters. Used by the picture tests, the PNG decoder tests and
// the program that writes the fuzzers' seed files.
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace ov::picture_files {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, std::uint32_t v) {
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}
inline void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline void PutBigEndian32(Bytes& b, std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) b.push_back((v >> shift) & 0xFF);
}
// Overwrites four bytes at `at` (little-endian), as far as they lie inside the file.
inline void Poke32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (std::size_t i = 0; i < 4 && at + i < b.size(); ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}
inline void Append(Bytes& to, const Bytes& from) { to.insert(to.end(), from.begin(), from.end()); }

// ---- BMP ----

// A 40-byte info header; `height` negative for top-down rows.
inline Bytes InfoHeader(int width, int height, int bits, std::uint32_t compression = 0, std::uint32_t colours = 0) {
    Bytes b;
    Put32(b, 40);
    Put32(b, static_cast<std::uint32_t>(width));
    Put32(b, static_cast<std::uint32_t>(height));
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(bits));
    Put32(b, compression);
    Put32(b, 0);
    Put32(b, 2835);
    Put32(b, 2835);
    Put32(b, colours);
    Put32(b, 0);
    return b;
}

// A BMP file: file header, info header, palette (0x00RRGGBB entries) and the bits as given.
inline Bytes BmpFile(const Bytes& info, const std::vector<std::uint32_t>& palette, const Bytes& bits) {
    Bytes b{'B', 'M'};
    const std::uint32_t offset = 14 + static_cast<std::uint32_t>(info.size() + 4 * palette.size());
    Put32(b, offset + static_cast<std::uint32_t>(bits.size()));
    Put32(b, 0);
    Put32(b, offset);
    Append(b, info);
    for (std::uint32_t c : palette) Put32(b, c);
    Append(b, bits);
    return b;
}

inline std::size_t DibStride(int width, int bits) { return ((static_cast<std::size_t>(width) * bits + 31) / 32) * 4; }

// ---- ICO ----

// An icon image: the DIB header with the doubled height, a black-and-white palette where
// indexed, `colour` bits (zeros when empty) and an AND mask of `mask_byte`.
inline Bytes IconDib(int width, int height, int bits, const Bytes& colour = {}, std::uint8_t mask_byte = 0) {
    Bytes dib = InfoHeader(width, 2 * height, bits, 0, bits <= 8 ? 2 : 0);
    if (bits <= 8)
        for (std::uint32_t c : {0x000000u, 0xFFFFFFu}) Put32(dib, c);
    Bytes bits_part = colour;
    bits_part.resize(DibStride(width, bits) * height, 0);
    Append(dib, bits_part);
    dib.resize(dib.size() + DibStride(width, 1) * height, mask_byte);
    return dib;
}

struct IcoEntry {
    int width, height, bits;
    Bytes image;  // a DIB (header with doubled height, colour bits, AND mask) or a PNG
};

// An icon file whose directory lists the entries in order, their images following it.
inline Bytes IcoFile(const std::vector<IcoEntry>& entries) {
    Bytes b;
    Put16(b, 0);
    Put16(b, 1);
    Put16(b, static_cast<std::uint32_t>(entries.size()));
    std::uint32_t offset = 6 + 16 * static_cast<std::uint32_t>(entries.size());
    for (const IcoEntry& e : entries) {
        b.push_back(static_cast<std::uint8_t>(e.width));
        b.push_back(static_cast<std::uint8_t>(e.height));
        b.push_back(0);
        b.push_back(0);
        Put16(b, 1);
        Put16(b, static_cast<std::uint32_t>(e.bits));
        Put32(b, static_cast<std::uint32_t>(e.image.size()));
        Put32(b, offset);
        offset += static_cast<std::uint32_t>(e.image.size());
    }
    for (const IcoEntry& e : entries) Append(b, e.image);
    return b;
}
inline Bytes IcoFile(int width, int height, int bits, const Bytes& image) {
    return IcoFile({{width, height, bits, image}});
}

// ---- PNG ----

inline Bytes PngChunk(const char* type, const Bytes& data) {
    Bytes b;
    PutBigEndian32(b, static_cast<std::uint32_t>(data.size()));
    b.insert(b.end(), type, type + 4);
    Append(b, data);
    const uLong crc = crc32(0, b.data() + 4, static_cast<uInt>(b.size() - 4));
    PutBigEndian32(b, static_cast<std::uint32_t>(crc));
    return b;
}

inline Bytes Deflate(const Bytes& raw) {
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(size);
    compress2(out.data(), &size, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(size);
    return out;
}

struct PngHeader {
    std::uint32_t width, height;
    int depth = 8, colour_type = 2;  // 0 grey, 2 RGB, 3 palette, 4 grey + alpha, 6 RGBA
    int interlace = 0;
};

inline Bytes IhdrData(const PngHeader& h) {
    Bytes b;
    PutBigEndian32(b, h.width);
    PutBigEndian32(b, h.height);
    b.push_back(static_cast<std::uint8_t>(h.depth));
    b.push_back(static_cast<std::uint8_t>(h.colour_type));
    b.push_back(0);
    b.push_back(0);
    b.push_back(static_cast<std::uint8_t>(h.interlace));
    return b;
}

// A PNG of the given header, `chunks` (already framed) between the header and the image data,
// and `scanlines` (filter bytes included) compressed into one IDAT chunk.
inline Bytes PngFile(const PngHeader& h, const Bytes& scanlines, const std::vector<Bytes>& chunks = {}) {
    Bytes b{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Append(b, PngChunk("IHDR", IhdrData(h)));
    for (const Bytes& c : chunks) Append(b, c);
    Append(b, PngChunk("IDAT", Deflate(scanlines)));
    Append(b, PngChunk("IEND", {}));
    return b;
}

// Scanlines of an image with whole-byte pixels, each row filter 0, in Adam7 pass order when
// `interlace` is set. `pixel(x, y)` gives the bytes of one pixel.
inline Bytes Scanlines(std::uint32_t width, std::uint32_t height, bool interlace,
                       const std::function<Bytes(std::uint32_t, std::uint32_t)>& pixel) {
    struct Pass {
        std::uint32_t x0, y0, dx, dy;
    };
    const std::vector<Pass> passes = interlace
                                         ? std::vector<Pass>{{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                                             {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}}
                                         : std::vector<Pass>{{0, 0, 1, 1}};
    Bytes b;
    for (const Pass& p : passes) {
        if (p.x0 >= width) continue;  // a pass with no columns has no rows either
        for (std::uint32_t y = p.y0; y < height; y += p.dy) {
            b.push_back(0);
            for (std::uint32_t x = p.x0; x < width; x += p.dx) Append(b, pixel(x, y));
        }
    }
    return b;
}

// Recomputes the CRC of every chunk that lies wholly inside the file, so that a changed field
// reaches the decoder instead of failing its checksum.
inline void FixPngCrcs(Bytes& b) {
    for (std::size_t at = 8; b.size() >= at + 12;) {
        const std::uint64_t length = (std::uint64_t{b[at]} << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
        if (length > b.size() - at - 12) break;
        const uLong crc = crc32(0, b.data() + at + 4, static_cast<uInt>(length + 4));
        for (int i = 0; i < 4; ++i) b[at + 8 + length + i] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
        at += 12 + length;
    }
}

// ---- metafiles ----

// A WMF record: size in 16-bit words (header included), function, parameter words.
inline Bytes WmfRecord(std::uint32_t function, const std::vector<std::uint16_t>& parameters = {}) {
    Bytes b;
    Put32(b, 3 + static_cast<std::uint32_t>(parameters.size()));
    Put16(b, function);
    for (std::uint16_t p : parameters) Put16(b, p);
    return b;
}

// A placeable metafile with the bounding box in units of `inch` per inch: its 22-byte header,
// the standard 18-byte header and the records (an end record is added).
inline Bytes WmfFile(int left, int top, int right, int bottom, int inch, const std::vector<Bytes>& records = {}) {
    Bytes body;
    for (const Bytes& r : records) Append(body, r);
    Append(body, WmfRecord(0));
    Bytes b;
    Put32(b, 0x9AC6CDD7u);
    Put16(b, 0);
    for (int v : {left, top, right, bottom}) Put16(b, static_cast<std::uint32_t>(v) & 0xFFFF);
    Put16(b, static_cast<std::uint32_t>(inch));
    Put32(b, 0);
    std::uint16_t checksum = 0;
    for (std::size_t i = 0; i < b.size(); i += 2) checksum ^= static_cast<std::uint16_t>(b[i] | (b[i + 1] << 8));
    Put16(b, checksum);
    Put16(b, 1);      // in memory
    Put16(b, 9);      // header words
    Put16(b, 0x300);  // version
    Put32(b, static_cast<std::uint32_t>(9 + body.size() / 2));
    Put16(b, 0);  // objects
    Put32(b, 3);  // largest record
    Put16(b, 0);
    Append(b, body);
    return b;
}

// An EMF record: type, size, parameter words.
inline Bytes EmfRecord(std::uint32_t type, const std::vector<std::uint32_t>& parameters = {}) {
    Bytes b;
    Put32(b, type);
    Put32(b, 8 + 4 * static_cast<std::uint32_t>(parameters.size()));
    for (std::uint32_t p : parameters) Put32(b, p);
    return b;
}

// An enhanced metafile with the frame in HIMETRIC: its 88-byte header record, the records and
// an end record.
inline Bytes EmfFile(int left, int top, int right, int bottom, const std::vector<Bytes>& records = {}) {
    Bytes body;
    for (const Bytes& r : records) Append(body, r);
    Append(body, EmfRecord(14, {0, 16, 20}));
    Bytes b;
    Put32(b, 1);
    Put32(b, 88);
    for (int i = 0; i < 4; ++i) Put32(b, 0);  // bounds in device pixels
    for (int v : {left, top, right, bottom}) Put32(b, static_cast<std::uint32_t>(v));
    Put32(b, 0x464D4520u);  // " EMF"
    Put32(b, 0x10000);
    Put32(b, static_cast<std::uint32_t>(88 + body.size()));
    Put32(b, 1 + static_cast<std::uint32_t>(records.size()) + 1);
    Put16(b, 1);
    Put16(b, 0);
    for (int i = 0; i < 3; ++i) Put32(b, 0);                        // description, palette
    for (std::uint32_t v : {1024u, 768u, 320u, 240u}) Put32(b, v);  // device size, pixels and mm
    Append(b, body);
    return b;
}

}  // namespace ov::picture_files
