#include "platform/gdi/replay/replay.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <stdexcept>

#include "platform/gdi/gdi.h"
#include "platform/gdi/png_io.h"

namespace ov::gdi::replay {
namespace {

using nlohmann::json;

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", value);
    return text;
}

// A number given as a JSON number, a hex/decimal string, or a name from one of the
// manifest's convention tables.
std::int64_t NumberOf(const json& value, const json& table = json()) {
    if (value.is_number_integer()) return value.get<std::int64_t>();
    if (value.is_string()) {
        const std::string text = value.get<std::string>();
        if (table.is_object() && table.contains(text)) return NumberOf(table.at(text));
        std::size_t used = 0;
        const long long number = std::stoll(text, &used, 0);
        if (used != text.size()) throw std::invalid_argument("not a number: " + text);
        return number;
    }
    throw std::invalid_argument("not a number: " + value.dump());
}

int IntArg(const json& op, std::size_t i) { return static_cast<int>(NumberOf(op.at(i))); }
COLORREF ColourArg(const json& op, std::size_t i) { return static_cast<COLORREF>(NumberOf(op.at(i))); }

// The objects one case creates, released at its end in the order real callers use: select the
// originals back, delete the DCs, then what was selected into them.
class CaseObjects {
public:
    ~CaseObjects() {
        for (auto& [name, dc] : dcs_) {
            SelectObject(dc.handle, dc.original_bitmap);
            SelectObject(dc.handle, GetStockObject(BLACK_PEN));
            SelectObject(dc.handle, GetStockObject(WHITE_BRUSH));
            DeleteDC(dc.handle);
            DeleteObject(dc.bitmap);
            if (dc.pen) DeleteObject(dc.pen);
            if (dc.brush) DeleteObject(dc.brush);
        }
    }

    HDC NewDc(const std::string& name, HBITMAP bitmap) {
        if (dcs_.count(name)) throw std::invalid_argument("DC defined twice: " + name);
        if (!bitmap) throw std::runtime_error("bitmap creation failed for " + name);
        Dc dc;
        dc.handle = CreateCompatibleDC(0);
        dc.bitmap = bitmap;
        dc.original_bitmap = SelectObject(dc.handle, bitmap);
        dcs_[name] = dc;
        return dc.handle;
    }

    HDC operator[](const json& name) const {
        auto it = dcs_.find(name.get<std::string>());
        if (it == dcs_.end()) throw std::invalid_argument("unknown DC " + name.dump());
        return it->second.handle;
    }

    // Selects a pen or brush the case created and deletes the one it replaces.
    void SelectOwnedPen(const json& name, HPEN pen) { Replace(name, pen, &Dc::pen); }
    void SelectOwnedBrush(const json& name, HBRUSH brush, bool owned) { Replace(name, brush, &Dc::brush, owned); }

private:
    struct Dc {
        HDC handle = 0;
        HBITMAP bitmap = 0, original_bitmap = 0;
        HPEN pen = 0;
        HBRUSH brush = 0;
    };

    void Replace(const json& name, HGDIOBJ object, HGDIOBJ Dc::*slot, bool owned = true) {
        Dc& dc = dcs_.at(name.get<std::string>());
        if (!object) throw std::runtime_error("object creation failed");
        SelectObject(dc.handle, object);
        if (dc.*slot) DeleteObject(dc.*slot);
        dc.*slot = owned ? object : 0;
    }

    std::map<std::string, Dc> dcs_;
};

Image Capture(HDC dc, const std::string& name) {
    Image image;
    image.name = name;
    const HBITMAP bitmap = GetCurrentBitmap(dc);
    SIZE size;
    if (!GetBitmapSize(bitmap, &size)) throw std::runtime_error("no bitmap to capture for " + name);
    image.width = size.cx;
    image.height = size.cy;
    image.pixels.resize(static_cast<std::size_t>(size.cx) * size.cy);
    const RECT all{0, 0, size.cx, size.cy};
    if (GetBitmapBits32(bitmap, &all, image.pixels.data()) != size.cy)
        throw std::runtime_error("cannot read the bitmap of " + name);
    return image;
}

}  // namespace

Replayer::Replayer(const json& manifest) {
    const json conventions = manifest.value("conventions", json::object());
    names_["rop"] = conventions.value("rop_names", json::object());
    names_["stretch"] = conventions.value("stretch_modes", json::object());
    names_["pen"] = conventions.value("pen_styles", json::object());
    cases_ = manifest.value("cases", json::array());
}

CaseResult Replayer::Run(const json& test_case) const {
    CaseResult result;
    result.name = test_case.value("name", std::string("unnamed"));
    const LiveObjects before = CountLiveObjects();
    {
        CaseObjects objects;
        std::size_t op_index = 0;
        try {
            const int width = static_cast<int>(NumberOf(test_case.at("width")));
            const int height = static_cast<int>(NumberOf(test_case.at("height")));
            const HDC dst = objects.NewDc("dst", CreateDIBSection32(width, height));
            const RECT all{0, 0, width, height};
            const HBRUSH background = CreateSolidBrush(static_cast<COLORREF>(NumberOf(test_case.at("background"))));
            FillRect(dst, &all, background);
            DeleteObject(background);

            for (const json& op : test_case.at("ops")) {
                const std::string name = op.at(0).get<std::string>();
                if (name == "NewDib32") {
                    objects.NewDc(op.at(1).get<std::string>(), CreateDIBSection32(IntArg(op, 2), IntArg(op, 3)));
                } else if (name == "NewMono") {
                    objects.NewDc(op.at(1).get<std::string>(), CreateBitmap(IntArg(op, 2), IntArg(op, 3), 1, 1, nullptr));
                } else if (name == "FillRect") {
                    const RECT r{IntArg(op, 2), IntArg(op, 3), IntArg(op, 4), IntArg(op, 5)};
                    const HBRUSH brush = CreateSolidBrush(ColourArg(op, 6));
                    FillRect(objects[op.at(1)], &r, brush);
                    DeleteObject(brush);
                } else if (name == "SelectPen") {
                    const int style = static_cast<int>(NumberOf(op.at(2), names_["pen"]));
                    objects.SelectOwnedPen(op.at(1), CreatePen(style, IntArg(op, 3), ColourArg(op, 4)));
                } else if (name == "SelectBrush") {
                    const std::string kind = op.at(2).get<std::string>();
                    if (kind == "NULL") objects.SelectOwnedBrush(op.at(1), GetStockObject(NULL_BRUSH), false);
                    else if (kind == "SOLID") objects.SelectOwnedBrush(op.at(1), CreateSolidBrush(ColourArg(op, 3)), true);
                    else throw std::invalid_argument("unknown brush kind " + kind);
                } else if (name == "MoveToEx") {
                    MoveToEx(objects[op.at(1)], IntArg(op, 2), IntArg(op, 3), nullptr);
                } else if (name == "LineTo") {
                    LineTo(objects[op.at(1)], IntArg(op, 2), IntArg(op, 3));
                } else if (name == "Rectangle") {
                    Rectangle(objects[op.at(1)], IntArg(op, 2), IntArg(op, 3), IntArg(op, 4), IntArg(op, 5));
                } else if (name == "Ellipse") {
                    Ellipse(objects[op.at(1)], IntArg(op, 2), IntArg(op, 3), IntArg(op, 4), IntArg(op, 5));
                } else if (name == "SetPixelV") {
                    SetPixelV(objects[op.at(1)], IntArg(op, 2), IntArg(op, 3), ColourArg(op, 4));
                } else if (name == "SetPixel" || name == "GetPixel") {
                    const COLORREF value = name == "SetPixel"
                                               ? SetPixel(objects[op.at(1)], IntArg(op, 2), IntArg(op, 3), ColourArg(op, 4))
                                               : GetPixel(objects[op.at(1)], IntArg(op, 2), IntArg(op, 3));
                    result.queries.push_back(json{{"call", op}, {"op_index", op_index}, {"result", Hex(value)}});
                } else if (name == "SetBkColor") {
                    SetBkColor(objects[op.at(1)], ColourArg(op, 2));
                } else if (name == "SetTextColor") {
                    SetTextColor(objects[op.at(1)], ColourArg(op, 2));
                } else if (name == "SetStretchBltMode") {
                    SetStretchBltMode(objects[op.at(1)], static_cast<int>(NumberOf(op.at(2), names_["stretch"])));
                } else if (name == "BitBlt") {
                    BitBlt(objects[op.at(1)], IntArg(op, 2), IntArg(op, 3), IntArg(op, 4), IntArg(op, 5), objects[op.at(6)],
                           IntArg(op, 7), IntArg(op, 8), static_cast<std::uint32_t>(NumberOf(op.at(9), names_["rop"])));
                } else if (name == "StretchBlt") {
                    StretchBlt(objects[op.at(1)], IntArg(op, 2), IntArg(op, 3), IntArg(op, 4), IntArg(op, 5), objects[op.at(6)],
                               IntArg(op, 7), IntArg(op, 8), IntArg(op, 9), IntArg(op, 10),
                               static_cast<std::uint32_t>(NumberOf(op.at(11), names_["rop"])));
                } else if (name == "DumpBits") {
                    result.images.push_back(Capture(objects[op.at(1)], result.name + "__" + op.at(2).get<std::string>()));
                } else {
                    throw std::invalid_argument("unknown op " + name);
                }
                ++op_index;
            }
            result.images.push_back(Capture(dst, result.name));
        } catch (const std::exception& e) {
            result.error = "op " + std::to_string(op_index) + ": " + e.what();
        }
    }
    result.leaked_objects = CountLiveObjects().total() - before.total();
    return result;
}

int ReplayManifestToDirectory(const std::string& manifest_path, const std::string& out_dir, std::string* errors) {
    json manifest;
    try {
        std::ifstream in(manifest_path);
        if (!in) {
            *errors += "cannot open " + manifest_path + "\n";
            return -1;
        }
        manifest = json::parse(in);
    } catch (const std::exception& e) {
        *errors += "cannot parse " + manifest_path + ": " + e.what() + "\n";
        return -1;
    }
    std::error_code ec;
    std::filesystem::create_directories(out_dir, ec);
    const Replayer replayer(manifest);
    json queries = json::object();
    int failed = 0;
    for (const json& test_case : replayer.cases()) {
        const CaseResult result = replayer.Run(test_case);
        bool ok = result.error.empty() && result.leaked_objects == 0;
        if (!result.error.empty()) *errors += result.name + ": " + result.error + "\n";
        if (result.leaked_objects != 0)
            *errors += result.name + ": " + std::to_string(result.leaked_objects) + " drawing objects leaked\n";
        for (const Image& image : result.images) {
            const std::string path = (std::filesystem::path(out_dir) / (image.name + ".png")).string();
            if (!WritePng(path, image.width, image.height, image.pixels.data())) {
                *errors += "cannot write " + path + "\n";
                ok = false;
            }
        }
        if (!result.queries.empty()) queries[result.name] = result.queries;
        if (!ok) ++failed;
    }
    std::ofstream out(std::filesystem::path(out_dir) / "queries.json");
    out << json{{"note", "GetPixel/SetPixel return values (COLORREF hex) by case name and op index"},
                {"queries", queries}}.dump(1)
        << "\n";
    if (!out) {
        *errors += "cannot write queries.json\n";
        ++failed;
    }
    return failed;
}

}  // namespace ov::gdi::replay
