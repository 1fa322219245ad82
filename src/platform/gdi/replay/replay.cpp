#include "platform/gdi/replay/replay.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "platform/files/read_file.h"
#include "platform/files/replace_file.h"
#include "platform/gdi/gdi.h"
#include "platform/gdi/png_io.h"
#include "platform/json/json_document.h"

namespace ov::gdi::replay {
namespace {

using nlohmann::json;

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// A failure of the drawing layer while a case runs (the manifest itself was checked).
struct CaseFailure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The objects one case creates, released at its end in the order real callers use: select the
// originals back, delete the DCs, then what was selected into them. Each object is recorded as
// soon as it exists, so a case that stops half-way leaks nothing.
class CaseObjects {
public:
    explicit CaseObjects(const Case& test_case) : names_(test_case.dc_names) { dcs_.reserve(names_.size()); }
    ~CaseObjects() {
        for (Dc& dc : dcs_) {
            SelectObject(dc.handle, dc.original_bitmap);
            SelectObject(dc.handle, GetStockObject(BLACK_PEN));
            SelectObject(dc.handle, GetStockObject(WHITE_BRUSH));
            DeleteDC(dc.handle);
            DeleteObject(dc.bitmap);
            if (dc.pen) DeleteObject(dc.pen);
            if (dc.brush) DeleteObject(dc.brush);
        }
    }
    CaseObjects(const CaseObjects&) = delete;
    CaseObjects& operator=(const CaseObjects&) = delete;

    // The next DC of the case (they are defined in order) over a new bitmap.
    HDC NewDc(int index, HBITMAP bitmap) {
        const std::string& name = names_.at(static_cast<std::size_t>(index));
        if (!bitmap) throw CaseFailure("bitmap creation failed for " + name);
        const HDC handle = CreateCompatibleDC(0);
        if (!handle) {
            DeleteObject(bitmap);
            throw CaseFailure("DC creation failed for " + name);
        }
        Dc dc;
        dc.handle = handle;
        dc.bitmap = bitmap;
        dc.original_bitmap = SelectObject(handle, bitmap);
        dcs_.push_back(dc);  // reserved: never throws
        return handle;
    }

    HDC operator[](int index) const { return dcs_.at(static_cast<std::size_t>(index)).handle; }

    // Selects a pen or brush the case created and deletes the one it replaces.
    void SelectOwnedPen(int index, HPEN pen) { Replace(index, pen, &Dc::pen, true); }
    void SelectBrush(int index, HBRUSH brush, bool owned) { Replace(index, brush, &Dc::brush, owned); }

private:
    struct Dc {
        HDC handle = 0;
        HBITMAP bitmap = 0, original_bitmap = 0;
        HPEN pen = 0;
        HBRUSH brush = 0;
    };

    void Replace(int index, HGDIOBJ object, HGDIOBJ Dc::*slot, bool owned) {
        Dc& dc = dcs_.at(static_cast<std::size_t>(index));
        if (!object) throw CaseFailure("object creation failed");
        SelectObject(dc.handle, object);
        if (dc.*slot) DeleteObject(dc.*slot);
        dc.*slot = owned ? object : 0;
    }

    const std::vector<std::string>& names_;
    std::vector<Dc> dcs_;
};

Image Capture(HDC dc, const std::string& name) {
    Image image;
    image.name = name;
    const HBITMAP bitmap = GetCurrentBitmap(dc);
    SIZE size;
    if (!GetBitmapSize(bitmap, &size)) throw CaseFailure("no bitmap to capture for " + name);
    image.width = size.cx;
    image.height = size.cy;
    image.pixels.resize(static_cast<std::size_t>(size.cx) * size.cy);
    const RECT all{0, 0, size.cx, size.cy};
    if (GetBitmapBits32(bitmap, &all, image.pixels.data()) != size.cy)
        throw CaseFailure("cannot read the bitmap of " + name);
    return image;
}

void FillWith(HDC dc, const RECT& rect, COLORREF colour) {
    const HBRUSH brush = CreateSolidBrush(colour);
    if (!brush) throw CaseFailure("brush creation failed");
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

void RunOps(const Case& c, CaseObjects& objects, CaseResult& result, std::size_t& op_index) {
    const HDC dst = objects.NewDc(0, CreateDIBSection32(c.width, c.height));
    FillWith(dst, RECT{0, 0, c.width, c.height}, c.background);
    for (const Op& op : c.ops) {
        const auto& a = op.args;
        switch (op.kind) {
            case Op::Kind::NewDib32: objects.NewDc(op.dc, CreateDIBSection32(a[0], a[1])); break;
            case Op::Kind::NewMono: objects.NewDc(op.dc, CreateBitmap(a[0], a[1], 1, 1, nullptr)); break;
            case Op::Kind::FillRect: FillWith(objects[op.dc], RECT{a[0], a[1], a[2], a[3]}, op.colour); break;
            case Op::Kind::SelectPen: objects.SelectOwnedPen(op.dc, CreatePen(a[0], a[1], op.colour)); break;
            case Op::Kind::SelectSolidBrush: objects.SelectBrush(op.dc, CreateSolidBrush(op.colour), true); break;
            case Op::Kind::SelectNullBrush: objects.SelectBrush(op.dc, GetStockObject(NULL_BRUSH), false); break;
            case Op::Kind::MoveToEx: MoveToEx(objects[op.dc], a[0], a[1], nullptr); break;
            case Op::Kind::LineTo: LineTo(objects[op.dc], a[0], a[1]); break;
            case Op::Kind::Rectangle: Rectangle(objects[op.dc], a[0], a[1], a[2], a[3]); break;
            case Op::Kind::Ellipse: Ellipse(objects[op.dc], a[0], a[1], a[2], a[3]); break;
            case Op::Kind::SetPixelV: SetPixelV(objects[op.dc], a[0], a[1], op.colour); break;
            case Op::Kind::SetPixel:
            case Op::Kind::GetPixel: {
                const COLORREF value = op.kind == Op::Kind::SetPixel ? SetPixel(objects[op.dc], a[0], a[1], op.colour)
                                                                     : GetPixel(objects[op.dc], a[0], a[1]);
                result.queries.push_back(json{{"call", op.call}, {"op_index", op_index}, {"result", Hex(value)}});
                break;
            }
            case Op::Kind::SetBkColor: SetBkColor(objects[op.dc], op.colour); break;
            case Op::Kind::SetTextColor: SetTextColor(objects[op.dc], op.colour); break;
            case Op::Kind::SetStretchBltMode: SetStretchBltMode(objects[op.dc], a[0]); break;
            case Op::Kind::BitBlt:
                BitBlt(objects[op.dc], a[0], a[1], a[2], a[3], objects[op.src_dc], a[4], a[5], op.rop);
                break;
            case Op::Kind::StretchBlt:
                StretchBlt(objects[op.dc], a[0], a[1], a[2], a[3], objects[op.src_dc], a[4], a[5], a[6], a[7], op.rop);
                break;
            case Op::Kind::DumpBits: result.images.push_back(Capture(objects[op.dc], c.name + "__" + op.tag)); break;
        }
        ++op_index;
    }
    result.images.push_back(Capture(dst, c.name));
}

}  // namespace

CaseResult RunCase(const Case& test_case) {
    CaseResult result;
    result.name = test_case.name;
    const LiveObjects before = CountLiveObjects();
    std::size_t op_index = 0;
    try {
        CaseObjects objects(test_case);
        RunOps(test_case, objects, result, op_index);
    } catch (const CaseFailure& e) {
        result.error = "op " + std::to_string(op_index) + ": " + e.what();
    } catch (const std::bad_alloc&) {
        result.error = "op " + std::to_string(op_index) + ": out of memory";
    }
    result.leaked_objects = CountLiveObjects().total() - before.total();
    return result;
}

int ReplayManifestToDirectory(const std::string& manifest_path, const std::string& out_dir, std::string* errors) {
    Manifest manifest;
    try {
        const files::FileContents text = files::ReadWholeFile(manifest_path, files::ReadOptions{.read_streams = true});
        if (!text.ok()) {
            *errors += "cannot open " + manifest_path + "\n";
            return -1;
        }
        manifest = ReadManifest(text.bytes);
    } catch (const json_input::ShapeError& e) {
        *errors += "invalid manifest " + manifest_path + ": " + e.what() + "\n";
        return -1;
    } catch (const std::bad_alloc&) {
        *errors += "cannot read " + manifest_path + ": out of memory\n";
        return -1;
    }
    std::error_code ec;
    std::filesystem::create_directories(out_dir, ec);
    json queries = json::object();
    int failed = 0;
    // Each file replaces its target whole; the batch reaches the disk in one flush at the end.
    files::BatchWriter output;
    for (const Case& test_case : manifest.cases) {
        const CaseResult result = RunCase(test_case);
        bool ok = result.error.empty() && result.leaked_objects == 0;
        if (!result.error.empty()) *errors += result.name + ": " + result.error + "\n";
        if (result.leaked_objects != 0)
            *errors += result.name + ": " + std::to_string(result.leaked_objects) + " drawing objects leaked\n";
        for (const Image& image : result.images) {
            // Image names were checked when the manifest was read: plain file names, each once.
            const std::string path = (std::filesystem::path(out_dir) / (image.name + ".png")).string();
            std::vector<std::uint8_t> png;
            if (!EncodePng(image.width, image.height, image.pixels.data(), &png) ||
                !output.Replace(path, std::string_view(reinterpret_cast<const char*>(png.data()), png.size()))) {
                *errors += "cannot write " + path + "\n";
                ok = false;
            }
        }
        if (!result.queries.empty()) queries[result.name] = result.queries;
        if (!ok) ++failed;
    }
    const std::string text =
        json{{"note", "GetPixel/SetPixel return values (COLORREF hex) by case name and op index"}, {"queries", queries}}
            .dump(1) +
        "\n";
    if (!output.Replace((std::filesystem::path(out_dir) / "queries.json").string(), text)) {
        *errors += "cannot write queries.json\n";
        ++failed;
    }
    if (!output.Commit()) {
        *errors += "cannot flush " + out_dir + " to disk\n";
        ++failed;
    }
    return failed;
}

}  // namespace ov::gdi::replay
