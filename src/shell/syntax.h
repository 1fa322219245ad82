#pragma once
// The parsed form of one shell statement. The parser produces these without touching the host;
// the interpreter evaluates their values and carries them out. Values stay unevaluated
// expressions because some of them (object names, pictures, fonts, explicit conversions) can
// only be resolved, or can only fail, when the statement runs.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "platform/runtime/variant.h"

namespace ov::shell {

struct ValueExpr;

// One `.NAME` or `.NAME(ARGS)` of a member path.
struct MemberSegment {
    std::string name;
    std::vector<ValueExpr> args;
};

// Font("Name", size[, Bold][, Italic][, Underline][, Strikethrough]). Each attribute slot holds
// either the keyword (stored as the literal True) or a positional value converted with CBool.
struct FontExpr {
    std::shared_ptr<ValueExpr> name;
    std::shared_ptr<ValueExpr> size;
    std::array<std::shared_ptr<ValueExpr>, 4> attributes;  // bold, italic, underline, strikethrough
};

struct ValueExpr {
    enum class Kind {
        Literal,      // numbers, strings, dates, True/False/Nothing/Empty/Null
        ObjectName,   // an object created earlier in the script
        Rgb,          // RGB(r, g, b)
        LoadPicture,  // LoadPicture("path")
        Font,         // Font(...)
        Convert,      // CInt(v) ... CDate(v)
        MissingArg,   // an empty slot in an argument list: the optional argument is not given
        Member,       // OBJECT.NAME[(ARGS)].NAME...: each member read from the previous result
    };
    Kind kind = Kind::Literal;
    Variant literal;
    std::string name;                     // ObjectName
    VarType convert_to = VarType::Empty;  // Convert
    std::vector<ValueExpr> args;          // Rgb (3), LoadPicture (1), Convert (1), Member (1: the object)
    FontExpr font;                        // Font
    // Member: the members read in turn, kept flat so that a long path nests no deeper.
    std::vector<MemberSegment> path;
};

// `[in CONTAINER] [at LEFT TOP [WIDTH HEIGHT]]` of `new` and `load`.
struct Placement {
    std::optional<std::string> container;
    std::optional<std::pair<ValueExpr, ValueExpr>> position;  // left, top
    std::optional<std::pair<ValueExpr, ValueExpr>> extent;    // width, height
};

struct HostStmt {
    std::vector<std::pair<std::string, ValueExpr>> settings;
};
struct SysColorStmt {
    ValueExpr index;
    ValueExpr colour;
};
struct NewStmt {
    std::string name;
    std::string class_name;
    Placement placement;
};
struct LoadStmt {
    std::string name;
    std::string class_name;
    std::string bag_file;
    Placement placement;
};
struct SaveStmt {
    std::string name;
    std::string bag_file;
};
struct BagStmt {
    std::string name;
};
struct ResizeStmt {
    std::string name;
    ValueExpr width;
    ValueExpr height;
};
struct LifecycleStmt {
    enum class Action { Show, Hide, Paint, Terminate };
    Action action;
    std::string name;
};
// OBJECT.MEMBER = VALUE and OBJECT.MEMBER(ARGS) = VALUE, where OBJECT is a name (`form`
// included) or a member path (`M.Font.Bold = True`). `Set OBJECT.MEMBER = VALUE` assigns by
// reference (`by_reference`), as a put of any object value does.
struct PutStmt {
    ValueExpr object;
    std::string member;
    std::vector<ValueExpr> args;
    ValueExpr value;
    bool by_reference = false;
};
// OBJECT.MEMBER [ARGS] and OBJECT.MEMBER(ARGS) as a statement.
struct CallStmt {
    ValueExpr object;
    std::string member;
    std::vector<ValueExpr> args;
};
// ? VALUE: any value expression, member paths included (`? P.Picture.Type`).
struct PrintStmt {
    ValueExpr value;
};
// Set NAME = VALUE: NAME names the object VALUE gives (Nothing forgets it) in later statements.
struct SetStmt {
    std::string name;
    ValueExpr value;
};
// The target of `fire` and `inspect`: `surface`, a constituent's name, or `name(i)` for an
// element of a constituent array.
struct Target {
    std::string name;
    std::optional<int> index;
    std::string Text() const { return index ? name + "(" + std::to_string(*index) + ")" : name; }
};
struct FireStmt {
    std::string name;
    Target target;
    std::string event;
    std::vector<ValueExpr> args;
};
struct OnStmt {
    std::string name;
    std::string event;
    std::string arg_name;
    ValueExpr value;
};
struct WaitStmt {
    ValueExpr milliseconds;
};
struct InspectStmt {
    std::string name;
    Target target;
};
struct SnapStmt {
    std::string name;
    std::string file;
};  // name `form` snaps the whole form
struct PixelStmt {
    std::string name;
    ValueExpr x;
    ValueExpr y;
};

// Input into a control's text box: `focus NAME`, `blur NAME`, `type NAME "TEXT"`,
// `key NAME [Shift+][Ctrl+]KEY`, `select NAME START LENGTH`, `paste NAME "TEXT"`, and the left
// mouse button on it: `click NAME X Y [Shift]`, `drag NAME X1 Y1 X2 Y2`, `dblclick NAME X Y`
// (coordinates in the control's scale units).
struct KeyStroke {
    std::int16_t key_code = 0;
    std::int16_t shift = 0;  // 1 Shift, 2 Ctrl
    std::int16_t ascii = 0;  // the KeyPress code the key sends, 0 for none
};
// The names `key` knows besides letters and digits, with their virtual key codes.
struct NamedKey {
    const char* name;
    std::int16_t key_code;
    std::int16_t ascii;  // the character the key sends whatever the modifiers, 0 for none
};
inline constexpr NamedKey kNamedKeys[] = {
    {"Home", 36, 0},   {"End", 35, 0},      {"Left", 37, 0},   {"Right", 39, 0},  {"Up", 38, 0}, {"Down", 40, 0},
    {"Delete", 46, 0}, {"Backspace", 8, 8}, {"Insert", 45, 0}, {"Enter", 13, 13}, {"Tab", 9, 9}, {"Escape", 27, 27},
};
struct TextInputStmt {
    enum class Action { Focus, Blur, Type, Key, Select, Paste, Click, Drag, DoubleClick };
    Action action;
    std::string name;
    std::string text;                 // Type, Paste
    KeyStroke key;                    // Key
    std::optional<ValueExpr> start;   // Select
    std::optional<ValueExpr> length;  // Select
    std::vector<ValueExpr> points;    // Click, DoubleClick: X Y; Drag: X1 Y1 X2 Y2
    bool shift = false;               // Click
};

using Statement = std::variant<HostStmt, SysColorStmt, NewStmt, LoadStmt, SaveStmt, BagStmt, ResizeStmt, LifecycleStmt,
                               PutStmt, CallStmt, PrintStmt, SetStmt, FireStmt, OnStmt, WaitStmt, InspectStmt, SnapStmt,
                               PixelStmt, TextInputStmt>;

}  // namespace ov::shell
