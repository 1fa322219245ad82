#include "platform/gdi/replay/manifest.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <set>
#include <unordered_map>

#include "platform/gdi/gdi.h"
#include "platform/json/json_document.h"

namespace ov::gdi::replay {
namespace {

using json_input::Node;
using nlohmann::json;

// A number as the manifest may give it: a JSON integer, or a string holding one in C notation
// ("0x00CC0020", "12"), or a name from one of the conventions tables ("SRCCOPY").
class Numbers {
public:
    explicit Numbers(const Node& root) {
        if (const auto conventions = root.Find("conventions")) {
            conventions->ExpectObject();
            rop_ = conventions->Find("rop_names");
            stretch_ = conventions->Find("stretch_modes");
            pen_ = conventions->Find("pen_styles");
            for (const auto& table : {rop_, stretch_, pen_})
                if (table) table->ExpectObject();
        }
    }

    enum class Table { None, Rop, Stretch, Pen };

    std::int64_t Read(const Node& value, std::int64_t low, std::int64_t high, Table table = Table::None) const {
        const std::optional<Node>& names = table == Table::Rop       ? rop_
                                           : table == Table::Stretch ? stretch_
                                           : table == Table::Pen     ? pen_
                                                                     : kNone;
        std::optional<std::int64_t> number;
        if (value.json().is_number_integer()) {
            number = value.json().is_number_unsigned() && value.json().get<std::uint64_t>() > INT64_MAX
                         ? std::nullopt
                         : std::optional<std::int64_t>(value.json().get<std::int64_t>());
        } else if (value.IsString()) {
            const std::string text = value.Utf8Text();
            if (names) {
                if (const auto named = names->Find(text)) return Read(*named, low, high);
            }
            number = Parse(text);
        }
        if (!number || *number < low || *number > high)
            value.Fail("must be an integer between " + std::to_string(low) + " and " + std::to_string(high) +
                       (names ? " or a name from " + names->where() : std::string()));
        return *number;
    }

    int Int(const Node& value, Table table = Table::None) const {
        return static_cast<int>(Read(value, INT_MIN, INT_MAX, table));
    }
    std::uint32_t Word(const Node& value, Table table = Table::None) const {
        return static_cast<std::uint32_t>(Read(value, 0, UINT32_MAX, table));
    }

private:
    // strtoll with base 0, as the manifest's strings are written: the whole text, nothing past
    // the range of 64 bits.
    static std::optional<std::int64_t> Parse(const std::string& text) {
        if (text.empty()) return std::nullopt;
        errno = 0;
        char* end = nullptr;
        const long long number = std::strtoll(text.c_str(), &end, 0);
        if (errno == ERANGE || end != text.c_str() + text.size()) return std::nullopt;
        return number;
    }

    static inline const std::optional<Node> kNone;
    std::optional<Node> rop_, stretch_, pen_;
};

// The DCs a case defines, by name, in the order they are defined.
class DcNames {
public:
    DcNames() { Define("dst"); }

    int Define(const std::string& name) {
        const int index = static_cast<int>(names_.size());
        names_.push_back(name);
        indices_.emplace(name, index);
        return index;
    }
    std::optional<int> Find(const std::string& name) const {
        const auto it = indices_.find(name);
        return it == indices_.end() ? std::nullopt : std::optional<int>(it->second);
    }
    std::vector<std::string> Take() { return std::move(names_); }

private:
    std::vector<std::string> names_;
    std::unordered_map<std::string, int> indices_;
};

struct Signature {
    const char* name;
    Op::Kind kind;
    std::size_t arguments;  // after the op's name
};

constexpr Signature kSignatures[] = {
    {"NewDib32", Op::Kind::NewDib32, 3},
    {"NewMono", Op::Kind::NewMono, 3},
    {"FillRect", Op::Kind::FillRect, 6},
    {"SelectPen", Op::Kind::SelectPen, 4},
    {"SelectBrush", Op::Kind::SelectSolidBrush, 3},  // "NULL" may leave out the colour
    {"MoveToEx", Op::Kind::MoveToEx, 3},
    {"LineTo", Op::Kind::LineTo, 3},
    {"Rectangle", Op::Kind::Rectangle, 5},
    {"Ellipse", Op::Kind::Ellipse, 5},
    {"SetPixelV", Op::Kind::SetPixelV, 4},
    {"SetPixel", Op::Kind::SetPixel, 4},
    {"GetPixel", Op::Kind::GetPixel, 3},
    {"SetBkColor", Op::Kind::SetBkColor, 2},
    {"SetTextColor", Op::Kind::SetTextColor, 2},
    {"SetStretchBltMode", Op::Kind::SetStretchBltMode, 2},
    {"BitBlt", Op::Kind::BitBlt, 9},
    {"StretchBlt", Op::Kind::StretchBlt, 11},
    {"DumpBits", Op::Kind::DumpBits, 2},
};

class CaseReader {
public:
    CaseReader(const Numbers& numbers, const ManifestLimits& bounds) : numbers_(numbers), bounds_(bounds) {}

    Case Read(const Node& node) {
        node.ExpectObject();
        Case c;
        c.name = node["name"].Utf8Text();
        if (!IsSafeImageName(c.name)) node["name"].Fail(UnsafeName(c.name));
        c.width = numbers_.Int(node["width"]);
        c.height = numbers_.Int(node["height"]);
        CheckSize(node, c.width, c.height);
        c.background = numbers_.Word(node["background"]);
        if (const auto caveats = node.Find("caveats")) c.has_caveats = !caveats->IsNull() && !caveats->json().empty();
        const Node ops = node["ops"];
        if (ops.Size() > bounds_.max_ops) ops.Fail("has more than " + std::to_string(bounds_.max_ops) + " ops");
        DcNames dcs;
        for (std::size_t i = 0; i < ops.Size(); ++i) c.ops.push_back(ReadOp(ops.At(i), dcs));
        c.dc_names = dcs.Take();
        return c;
    }

private:
    static std::string UnsafeName(const std::string& name) {
        return "\"" + name + "\" is not a safe file name (1 to 100 of A-Z a-z 0-9 _ - . not starting with a dot)";
    }

    void CheckSize(const Node& where, std::int64_t width, std::int64_t height) const {
        if (width < 1 || height < 1 || width > bounds_.max_side || height > bounds_.max_side ||
            width * height > bounds_.max_pixels || !limits::SurfaceSizeAllowed(width, height))
            where.Fail(std::to_string(width) + " x " + std::to_string(height) + " is not a bitmap size from 1 x 1 to " +
                       std::to_string(bounds_.max_side) + " x " + std::to_string(bounds_.max_side) + " and " +
                       std::to_string(bounds_.max_pixels) + " pixels");
    }

    int DcAt(const Node& value, const DcNames& dcs) const {
        const std::string name = value.Utf8Text();
        const auto index = dcs.Find(name);
        if (!index) value.Fail("no DC named \"" + name + "\" is defined before this op");
        return *index;
    }

    Op ReadOp(const Node& node, DcNames& dcs) {
        const std::size_t size = node.Size();
        if (size == 0) node.Fail("must name an op");
        const std::string name = node.At(0).Utf8Text();
        const Signature* signature = nullptr;
        for (const Signature& s : kSignatures)
            if (name == s.name) signature = &s;
        if (!signature) node.At(0).Fail("unknown op \"" + name + "\"");
        Op op;
        op.kind = signature->kind;
        const bool null_brush = op.kind == Op::Kind::SelectSolidBrush && size >= 3 && node.At(2).IsString() &&
                                node.At(2).Utf8Text() == "NULL";
        const std::size_t given = size - 1;
        if (given != signature->arguments && !(null_brush && given == 2))
            node.Fail(name + " takes " + std::to_string(signature->arguments) + " arguments, not " +
                      std::to_string(given));
        auto arg = [&](std::size_t i) { return node.At(i); };
        auto ints = [&](std::size_t from, std::size_t count) {
            for (std::size_t k = 0; k < count; ++k) op.args[k] = numbers_.Int(arg(from + k));
        };
        switch (op.kind) {
            case Op::Kind::NewDib32:
            case Op::Kind::NewMono: {
                const std::string dc_name = arg(1).Utf8Text();
                if (dcs.Find(dc_name)) arg(1).Fail("a DC named \"" + dc_name + "\" is already defined");
                ints(2, 2);
                CheckSize(node, op.args[0], op.args[1]);
                op.dc = dcs.Define(dc_name);
                return op;
            }
            case Op::Kind::DumpBits:
                op.dc = DcAt(arg(1), dcs);
                op.tag = arg(2).Utf8Text();
                if (!IsSafeImageName(op.tag)) arg(2).Fail(UnsafeName(op.tag));
                return op;
            default: break;
        }
        op.dc = DcAt(arg(1), dcs);
        switch (op.kind) {
            case Op::Kind::FillRect:
                ints(2, 4);
                op.colour = numbers_.Word(arg(6));
                break;
            case Op::Kind::SelectPen:
                op.args[0] = static_cast<int>(numbers_.Read(arg(2), PS_SOLID, PS_NULL, Numbers::Table::Pen));
                op.args[1] = numbers_.Int(arg(3));
                op.colour = numbers_.Word(arg(4));
                break;
            case Op::Kind::SelectSolidBrush: {
                const std::string kind = arg(2).Utf8Text();
                if (kind == "NULL") {
                    op.kind = Op::Kind::SelectNullBrush;
                } else if (kind == "SOLID") {
                    op.colour = numbers_.Word(arg(3));
                } else {
                    arg(2).Fail("must be \"SOLID\" or \"NULL\"");
                }
                break;
            }
            case Op::Kind::MoveToEx:
            case Op::Kind::LineTo:
            case Op::Kind::GetPixel: ints(2, 2); break;
            case Op::Kind::Rectangle:
            case Op::Kind::Ellipse: ints(2, 4); break;
            case Op::Kind::SetPixelV:
            case Op::Kind::SetPixel:
                ints(2, 2);
                op.colour = numbers_.Word(arg(4));
                break;
            case Op::Kind::SetBkColor:
            case Op::Kind::SetTextColor: op.colour = numbers_.Word(arg(2)); break;
            case Op::Kind::SetStretchBltMode: op.args[0] = numbers_.Int(arg(2), Numbers::Table::Stretch); break;
            case Op::Kind::BitBlt:
                ints(2, 4);
                op.src_dc = DcAt(arg(6), dcs);
                op.args[4] = numbers_.Int(arg(7));
                op.args[5] = numbers_.Int(arg(8));
                op.rop = numbers_.Word(arg(9), Numbers::Table::Rop);
                break;
            case Op::Kind::StretchBlt:
                ints(2, 4);
                op.src_dc = DcAt(arg(6), dcs);
                for (std::size_t k = 0; k < 4; ++k) op.args[4 + k] = numbers_.Int(arg(7 + k));
                op.rop = numbers_.Word(arg(11), Numbers::Table::Rop);
                break;
            default: break;
        }
        if (op.kind == Op::Kind::GetPixel || op.kind == Op::Kind::SetPixel) op.call = node.json();
        return op;
    }

    const Numbers& numbers_;
    const ManifestLimits& bounds_;
};

std::string Lowercase(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace

bool IsSafeImageName(std::string_view name) {
    if (name.empty() || name.size() > 100 || name.front() == '.') return false;
    for (const char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' ||
                        c == '-' || c == '.';
        if (!ok) return false;
    }
    return true;
}

Manifest ReadManifest(std::string_view text, const ManifestLimits& bounds) {
    const json document = json_input::ParseDocument(text);
    const Node root(document);
    root.ExpectObject();
    const Numbers numbers(root);
    CaseReader reader(numbers, bounds);
    Manifest manifest;
    const Node cases = root["cases"];
    // Every image a case writes is OUTDIR/<name>.png: no two may share a name, ignoring case
    // for file systems that do.
    std::set<std::string> names, images;
    for (std::size_t i = 0; i < cases.Size(); ++i) {
        const Node node = cases.At(i);
        Case c = reader.Read(node);
        if (!names.insert(Lowercase(c.name)).second) node["name"].Fail("another case is named \"" + c.name + "\"");
        auto claim = [&](const std::string& image, const Node& where) {
            if (!images.insert(Lowercase(image)).second) where.Fail("the image \"" + image + "\" is written twice");
        };
        std::size_t op_index = 0;
        for (const Op& op : c.ops) {
            if (op.kind == Op::Kind::DumpBits) claim(c.name + "__" + op.tag, node["ops"].At(op_index));
            ++op_index;
        }
        claim(c.name, node["name"]);
        manifest.cases.push_back(std::move(c));
    }
    return manifest;
}

}  // namespace ov::gdi::replay
