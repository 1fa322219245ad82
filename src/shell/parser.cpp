#include "shell/parser.h"

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

#include "platform/limits.h"
#include "platform/runtime/compare.h"
#include "platform/runtime/dates.h"

namespace ov::shell {

std::string SyntaxError::Report() const { return "syntax error at line " + std::to_string(line_) + ": " + message_; }

namespace {

bool IsIdentifierStart(char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; }
bool IsIdentifierChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// Input as a message quotes it: a long stretch is cut, so a message stays a line's worth
// whatever was typed.
std::string Shown(std::string_view text) {
    constexpr std::size_t kShown = 40;
    if (text.size() <= kShown) return std::string(text);
    return std::string(text.substr(0, kShown)) + "...";
}

int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

ValueExpr Literal(Variant value) {
    ValueExpr expr;
    expr.kind = ValueExpr::Kind::Literal;
    expr.literal = std::move(value);
    return expr;
}

// An integer literal is Integer when it fits 16 bits, else Long, else Double.
Variant SmallestIntegerType(double value) {
    if (value >= -32768 && value <= 32767) return Variant::FromInteger(static_cast<std::int16_t>(value));
    if (value >= -2147483648.0 && value <= 2147483647.0) return Variant::FromLong(static_cast<std::int32_t>(value));
    return Variant::FromDouble(value);
}

constexpr const char* kHostSettings[] = {"UserMode", "TwipsPerPixelX", "TwipsPerPixelY", "FontName",
                                         "FontSize", "FontBold",       "FontSmoothing",  "Now"};

struct Conversion {
    const char* name;
    VarType type;
};
constexpr Conversion kConversions[] = {
    {"CInt", VarType::Integer}, {"CLng", VarType::Long},     {"CSng", VarType::Single}, {"CDbl", VarType::Double},
    {"CStr", VarType::String},  {"CBool", VarType::Boolean}, {"CDate", VarType::Date},  {"CByte", VarType::Byte},
};

constexpr const char* kFontAttributes[] = {"Bold", "Italic", "Underline", "Strikethrough"};

// A cursor over one line. Every Expect*/Parse* either consumes what it names or throws.
class LineParser {
public:
    // The syntax line of every keyword statement, in the order `orvelle shell --help` lists them.
    static std::vector<const char*> KeywordSyntax();
    LineParser(std::string_view text, int line) : text_(text), line_(line) {}

    std::optional<ov::shell::Statement> ParseLine();
    ValueExpr WholeValue() {
        ValueExpr value = Value();
        ExpectEnd();
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& message) const { throw SyntaxError(line_, message); }

    void SkipBlanks() {
        while (pos_ < text_.size() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }
    char Peek() {
        SkipBlanks();
        return pos_ < text_.size() ? text_[pos_] : '\0';
    }
    bool AtEnd() { return Peek() == '\0'; }
    bool TryChar(char c) {
        if (Peek() != c) return false;
        ++pos_;
        return true;
    }
    void ExpectChar(char c) {
        if (!TryChar(c)) Fail(std::string("expected '") + c + "'" + Found());
    }
    void ExpectEnd() {
        if (!AtEnd()) Fail("unexpected '" + Excerpt() + "'");
    }
    std::string Found() {
        if (AtEnd()) return " at end of line";
        return " before '" + Excerpt() + "'";
    }
    std::string Excerpt() const { return Shown(text_.substr(pos_)); }

    std::optional<std::string> TryIdentifier() {
        if (!IsIdentifierStart(Peek())) return std::nullopt;
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsIdentifierChar(text_[pos_])) ++pos_;
        return std::string(text_.substr(start, pos_ - start));
    }
    std::string ExpectIdentifier(const char* what) {
        auto identifier = TryIdentifier();
        if (!identifier) Fail(std::string("expected ") + what + Found());
        return *identifier;
    }
    // Consumes the keyword when it is the next whole identifier.
    bool TryKeyword(std::string_view keyword) {
        const std::size_t saved = pos_;
        auto identifier = TryIdentifier();
        if (identifier && EqualsIgnoreCase(*identifier, keyword)) return true;
        pos_ = saved;
        return false;
    }

    bool PeekKeyword(std::string_view keyword) {
        const std::size_t saved = pos_;
        const bool found = TryKeyword(keyword);
        pos_ = saved;
        return found;
    }

    // A file argument: a quoted string, or the run of non-blank characters.
    std::string FileArgument() {
        if (Peek() == '"') return StringLiteral();
        const std::size_t start = pos_;
        while (pos_ < text_.size() && text_[pos_] != ' ' && text_[pos_] != '\t') ++pos_;
        if (pos_ == start) Fail("expected a file name" + Found());
        return std::string(text_.substr(start, pos_ - start));
    }

    // A class name, possibly a ProgID ("OrvelleControls.OV3DLine").
    std::string ClassName() {
        std::string name = ExpectIdentifier("a class name");
        while (pos_ < text_.size() && text_[pos_] == '.') {
            ++pos_;
            name += "." + ExpectIdentifier("a class name");
        }
        return name;
    }

    Target ParseTarget() {
        Target target;
        target.name = ExpectIdentifier("a target");
        if (pos_ < text_.size() && text_[pos_] == '(') {
            ++pos_;
            SkipBlanks();
            const std::size_t start = pos_;
            while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_;
            if (pos_ == start || pos_ - start > 5) Fail("expected an array index" + Found());
            target.index = std::atoi(std::string(text_.substr(start, pos_ - start)).c_str());
            ExpectChar(')');
        }
        return target;
    }

    std::string StringLiteral();
    ValueExpr DateLiteral();
    ValueExpr HexLiteral();
    ValueExpr NumberLiteral();
    ValueExpr Value();
    ValueExpr FunctionCall(const std::string& name);
    // `(` already consumed: values up to `)`, empty slots allowed (an optional argument not given).
    std::vector<ValueExpr> ParenthesisedArguments();
    // To the end of the line. With `blank_separated`, blanks separate values as commas do.
    std::vector<ValueExpr> TrailingArguments(bool blank_separated);
    void NoIdentifierCharAfterLiteral() {
        if (pos_ < text_.size() && (IsIdentifierChar(text_[pos_]) || text_[pos_] == '.'))
            Fail("malformed literal" + Found());
    }

    Placement ParsePlacement();
    KeyStroke KeyChord();
    ValueExpr ObjectName(std::string name);
    // Member segments after `object`; with `keep_last` the last one is left unread.
    ValueExpr MemberPath(ValueExpr object, bool keep_last = false);
    ov::shell::Statement MemberStatement(ValueExpr object, bool by_reference);
    ov::shell::Statement PrintStatement();
    // The statements that start with a keyword (KeywordRules): each reads the rest of its line.
    struct KeywordRule {
        const char* keyword;
        const char* syntax;
        ov::shell::Statement (LineParser::*parse)(std::string_view keyword);
    };
    static const std::vector<KeywordRule>& KeywordRules();
    ov::shell::Statement HostStatement(std::string_view keyword);
    ov::shell::Statement SetStatement(std::string_view keyword);
    ov::shell::Statement SysColorStatement(std::string_view keyword);
    ov::shell::Statement NewStatement(std::string_view keyword);
    ov::shell::Statement LoadStatement(std::string_view keyword);
    ov::shell::Statement SaveStatement(std::string_view keyword);
    ov::shell::Statement BagStatement(std::string_view keyword);
    ov::shell::Statement ResizeStatement(std::string_view keyword);
    ov::shell::Statement LifecycleStatement(std::string_view keyword);
    ov::shell::Statement FireStatement(std::string_view keyword);
    ov::shell::Statement OnStatement(std::string_view keyword);
    ov::shell::Statement WaitStatement(std::string_view keyword);
    ov::shell::Statement InspectStatement(std::string_view keyword);
    ov::shell::Statement SnapStatement(std::string_view keyword);
    ov::shell::Statement FocusStatement(std::string_view keyword);
    ov::shell::Statement TextStatement(std::string_view keyword);
    ov::shell::Statement KeyStatement(std::string_view keyword);
    ov::shell::Statement ClickStatement(std::string_view keyword);
    ov::shell::Statement DragStatement(std::string_view keyword);
    ov::shell::Statement SelectStatement(std::string_view keyword);
    ov::shell::Statement PixelStatement(std::string_view keyword);

    // Nested calls (conversions, RGB, Font, LoadPicture) recurse; deeper than the limit is a
    // syntax error before the stack runs out.
    class NestingGuard {
    public:
        explicit NestingGuard(LineParser& parser) : parser_(parser) {
            if (++parser_.depth_ > limits::kMaxExpressionDepth)
                parser_.Fail("expression nested deeper than " + std::to_string(limits::kMaxExpressionDepth) + " calls");
        }
        ~NestingGuard() { --parser_.depth_; }
        NestingGuard(const NestingGuard&) = delete;
        NestingGuard& operator=(const NestingGuard&) = delete;

    private:
        LineParser& parser_;
    };

    std::string_view text_;
    int line_;
    std::size_t pos_ = 0;
    int depth_ = 0;
};

std::string LineParser::StringLiteral() {
    ExpectChar('"');
    std::string out;
    for (;;) {
        if (pos_ >= text_.size()) Fail("unterminated string");
        const char c = text_[pos_++];
        if (c == '"') break;
        if (c != '\\') {
            out += c;
            continue;
        }
        if (pos_ >= text_.size()) Fail("unterminated string");
        const char e = text_[pos_++];
        switch (e) {
            case '"': out += '"'; break;
            case '\\': out += '\\'; break;
            case '0': out += '\0'; break;
            case 't': out += '\t'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 'x': {
                const int high = pos_ < text_.size() ? HexDigitValue(text_[pos_]) : -1;
                const int low = pos_ + 1 < text_.size() ? HexDigitValue(text_[pos_ + 1]) : -1;
                if (high < 0 || low < 0) Fail("\\x needs two hex digits");
                out += static_cast<char>(high * 16 + low);
                pos_ += 2;
                break;
            }
            default: Fail(std::string("unknown escape \\") + e);
        }
    }
    return out;
}

ValueExpr LineParser::DateLiteral() {
    ExpectChar('#');
    const std::size_t close = text_.find('#', pos_);
    if (close == std::string_view::npos) Fail("unterminated date literal");
    const std::string_view body = text_.substr(pos_, close - pos_);
    const auto serial = ParseIsoDateText(body);
    if (!serial) Fail("invalid date #" + Shown(body) + "#");
    pos_ = close + 1;
    NoIdentifierCharAfterLiteral();
    return Literal(Variant::FromDate(*serial));
}

// &H followed by up to eight hex digits, read as a 32-bit two's complement value so that
// &H8000000F is the Long -2147483633. A trailing & makes it a Long whatever its size.
ValueExpr LineParser::HexLiteral() {
    ExpectChar('&');
    if (pos_ >= text_.size() || (text_[pos_] != 'H' && text_[pos_] != 'h')) Fail("expected &H");
    ++pos_;
    std::uint32_t value = 0;
    int digits = 0;
    while (pos_ < text_.size() && HexDigitValue(text_[pos_]) >= 0) {
        value = value * 16 + static_cast<std::uint32_t>(HexDigitValue(text_[pos_++]));
        if (++digits > 8) Fail("hex literal wider than 32 bits");
    }
    if (digits == 0) Fail("expected hex digits after &H");
    const bool force_long = pos_ < text_.size() && text_[pos_] == '&';
    if (force_long) ++pos_;
    NoIdentifierCharAfterLiteral();
    const auto signed_value = static_cast<std::int32_t>(value);
    return Literal(force_long ? Variant::FromLong(signed_value) : SmallestIntegerType(signed_value));
}

ValueExpr LineParser::NumberLiteral() {
    SkipBlanks();
    const std::size_t start = pos_;
    if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '&') {
        // A signed hex literal: negate the 32-bit value.
        const bool negative = text_[start] == '-';
        ValueExpr hex = HexLiteral();
        if (!negative) return hex;
        const double negated = -static_cast<double>(hex.literal.integral());
        return Literal(hex.literal.type() == VarType::Long && negated <= 2147483647.0
                           ? Variant::FromLong(static_cast<std::int32_t>(negated))
                           : SmallestIntegerType(negated));
    }
    int digits = 0;
    bool fractional = false;
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_, ++digits;
    if (pos_ < text_.size() && text_[pos_] == '.') {
        fractional = true;
        ++pos_;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_, ++digits;
    }
    if (digits == 0) Fail("expected a value" + Found());
    if (pos_ < text_.size() && (text_[pos_] == 'e' || text_[pos_] == 'E')) {
        fractional = true;
        ++pos_;
        if (pos_ < text_.size() && (text_[pos_] == '-' || text_[pos_] == '+')) ++pos_;
        int exponent_digits = 0;
        while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_]))) ++pos_, ++exponent_digits;
        if (exponent_digits == 0) Fail("malformed exponent");
    }
    const std::string number(text_.substr(start, pos_ - start));
    bool force_long = false;
    if (!fractional && pos_ < text_.size() && text_[pos_] == '&') force_long = true, ++pos_;
    NoIdentifierCharAfterLiteral();
    errno = 0;
    const double value = std::strtod(number.c_str(), nullptr);
    if (errno == ERANGE && (value > 1 || value < -1)) Fail("number out of range: " + Shown(number));
    if (fractional) return Literal(Variant::FromDouble(value));
    if (force_long) {
        if (value < -2147483648.0 || value > 2147483647.0) Fail("Long literal out of range: " + Shown(number));
        return Literal(Variant::FromLong(static_cast<std::int32_t>(value)));
    }
    return Literal(SmallestIntegerType(value));
}

ValueExpr LineParser::Value() {
    const char c = Peek();
    if (c == '"') return Literal(Variant::FromString(StringLiteral()));
    if (c == '#') return DateLiteral();
    if (c == '&') return HexLiteral();
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == '+') return NumberLiteral();
    auto identifier = TryIdentifier();
    if (!identifier) Fail("expected a value" + Found());
    if (EqualsIgnoreCase(*identifier, "True")) return Literal(Variant::FromBoolean(true));
    if (EqualsIgnoreCase(*identifier, "False")) return Literal(Variant::FromBoolean(false));
    if (EqualsIgnoreCase(*identifier, "Nothing")) return Literal(Variant::FromObject(nullptr));
    if (EqualsIgnoreCase(*identifier, "Empty")) return Literal(Variant());
    if (EqualsIgnoreCase(*identifier, "Null")) return Literal(Variant::Null());
    if (pos_ < text_.size() && text_[pos_] == '(') return MemberPath(FunctionCall(*identifier));
    return MemberPath(ObjectName(*identifier));
}

ValueExpr LineParser::ObjectName(std::string name) {
    ValueExpr object;
    object.kind = ValueExpr::Kind::ObjectName;
    object.name = std::move(name);
    return object;
}

// `.MEMBER[(ARGS)]` segments right after a value, each reading a member of what the path
// gives so far.
ValueExpr LineParser::MemberPath(ValueExpr object, bool keep_last) {
    std::vector<MemberSegment> path;
    while (pos_ < text_.size() && text_[pos_] == '.') {
        const std::size_t segment = pos_;
        ++pos_;
        MemberSegment read{ExpectIdentifier("a member name"), {}};
        if (pos_ < text_.size() && text_[pos_] == '(') {
            const NestingGuard nesting(*this);
            ++pos_;
            read.args = ParenthesisedArguments();
        }
        if (keep_last && !(pos_ < text_.size() && text_[pos_] == '.')) {
            pos_ = segment;  // the caller puts or calls the last member itself
            break;
        }
        path.push_back(std::move(read));
    }
    if (path.empty()) return object;
    ValueExpr member;
    member.kind = ValueExpr::Kind::Member;
    member.args.push_back(std::move(object));
    member.path = std::move(path);
    return member;
}

ValueExpr LineParser::FunctionCall(const std::string& name) {
    const NestingGuard nesting(*this);
    ExpectChar('(');
    ValueExpr call;
    auto expect_count = [&](std::size_t count) {
        if (call.args.size() != count)
            Fail(name + " takes " + std::to_string(count) + " argument" + (count == 1 ? "" : "s"));
        for (const auto& arg : call.args)
            if (arg.kind == ValueExpr::Kind::MissingArg) Fail("missing argument to " + name);
    };
    if (EqualsIgnoreCase(name, "Font")) {
        call.kind = ValueExpr::Kind::Font;
        call.font.name = std::make_shared<ValueExpr>(Value());
        ExpectChar(',');
        call.font.size = std::make_shared<ValueExpr>(Value());
        std::size_t position = 0;
        while (TryChar(',')) {
            if (position >= call.font.attributes.size()) Fail("too many arguments to Font");
            // A bare attribute keyword sets its own slot; any other value fills the next one.
            const std::size_t saved = pos_;
            bool keyword = false;
            if (auto identifier = TryIdentifier(); identifier && (Peek() == ',' || Peek() == ')')) {
                for (std::size_t slot = 0; slot < 4; ++slot) {
                    if (EqualsIgnoreCase(*identifier, kFontAttributes[slot])) {
                        call.font.attributes[slot] = std::make_shared<ValueExpr>(Literal(Variant::FromBoolean(true)));
                        position = slot + 1;
                        keyword = true;
                    }
                }
            }
            if (!keyword) {
                pos_ = saved;
                call.font.attributes[position++] = std::make_shared<ValueExpr>(Value());
            }
        }
        ExpectChar(')');
        return call;
    }
    call.args = ParenthesisedArguments();
    if (EqualsIgnoreCase(name, "RGB")) {
        call.kind = ValueExpr::Kind::Rgb;
        expect_count(3);
        return call;
    }
    if (EqualsIgnoreCase(name, "LoadPicture")) {
        call.kind = ValueExpr::Kind::LoadPicture;
        expect_count(1);
        return call;
    }
    for (const auto& conversion : kConversions) {
        if (EqualsIgnoreCase(name, conversion.name)) {
            call.kind = ValueExpr::Kind::Convert;
            call.convert_to = conversion.type;
            expect_count(1);
            return call;
        }
    }
    Fail("unknown function " + Shown(name));
}

std::vector<ValueExpr> LineParser::ParenthesisedArguments() {
    std::vector<ValueExpr> args;
    if (TryChar(')')) return args;
    for (;;) {
        const char c = Peek();
        if (c == ',' || c == ')') {
            ValueExpr missing;
            missing.kind = ValueExpr::Kind::MissingArg;
            args.push_back(std::move(missing));
        } else {
            args.push_back(Value());
        }
        if (TryChar(')')) return args;
        ExpectChar(',');
    }
}

std::vector<ValueExpr> LineParser::TrailingArguments(bool blank_separated) {
    std::vector<ValueExpr> args;
    if (AtEnd()) return args;
    for (;;) {
        if (Peek() == ',') {
            ValueExpr missing;
            missing.kind = ValueExpr::Kind::MissingArg;
            args.push_back(std::move(missing));
        } else {
            args.push_back(Value());
        }
        if (AtEnd()) return args;
        if (!TryChar(',') && !blank_separated) Fail("expected ','" + Found());
        if (AtEnd()) Fail("expected a value after ','");
    }
}

Placement LineParser::ParsePlacement() {
    Placement placement;
    while (!AtEnd()) {
        if (!placement.container && TryKeyword("in")) {
            placement.container = ExpectIdentifier("a container name");
        } else if (!placement.position && TryKeyword("at")) {
            ValueExpr left = Value();
            ValueExpr top = Value();
            placement.position.emplace(std::move(left), std::move(top));
            if (!AtEnd() && !PeekKeyword("in")) {
                ValueExpr width = Value();
                ValueExpr height = Value();
                placement.extent.emplace(std::move(width), std::move(height));
            }
        } else {
            Fail("expected 'in' or 'at'" + Found());
        }
    }
    return placement;
}

// `.MEMBER...` after an object: every member but the last is read, the last is put (`=`) or
// called.
Statement LineParser::MemberStatement(ValueExpr object, bool by_reference) {
    object = MemberPath(std::move(object), true);
    ExpectChar('.');
    std::string member = ExpectIdentifier("a member name");
    std::vector<ValueExpr> args;
    const bool parenthesised = pos_ < text_.size() && text_[pos_] == '(';
    if (parenthesised) {
        ++pos_;
        args = ParenthesisedArguments();
    }
    if (TryChar('=')) {
        ValueExpr value = Value();
        ExpectEnd();
        return PutStmt{std::move(object), std::move(member), std::move(args), std::move(value), by_reference};
    }
    if (by_reference) Fail("expected '='" + Found());
    if (!parenthesised) args = TrailingArguments(false);
    ExpectEnd();
    return CallStmt{std::move(object), std::move(member), std::move(args)};
}

Statement LineParser::PrintStatement() {
    ExpectChar('?');
    PrintStmt print{Value()};
    ExpectEnd();
    return print;
}

// `[Shift+][Ctrl+]KEY` (modifiers in either order, any case): KEY a letter, a digit or a named
// key, sent as a US keyboard sends it. A letter types itself (upper case with Shift), with Ctrl
// its control character (Ctrl+C is 3); a digit types itself, with Shift the symbol above it,
// with Ctrl nothing; the named keys send the character of kNamedKeys whatever the modifiers.
KeyStroke LineParser::KeyChord() {
    SkipBlanks();
    KeyStroke stroke;
    for (;;) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && IsIdentifierChar(text_[pos_])) ++pos_;
        const std::string part(text_.substr(start, pos_ - start));
        if (part.empty()) Fail("expected a key" + Found());
        const bool more = pos_ < text_.size() && text_[pos_] == '+';
        if (more) {
            std::int16_t modifier = 0;
            if (EqualsIgnoreCase(part, "Shift")) modifier = 1;
            else if (EqualsIgnoreCase(part, "Ctrl")) modifier = 2;
            if (modifier == 0 || (stroke.shift & modifier) != 0) Fail("unknown key modifier " + Shown(part));
            stroke.shift = static_cast<std::int16_t>(stroke.shift | modifier);
            ++pos_;
            continue;
        }
        const bool with_shift = (stroke.shift & 1) != 0, with_ctrl = (stroke.shift & 2) != 0;
        const char c = part.size() == 1 ? part[0] : '\0';
        if (std::isalpha(static_cast<unsigned char>(c))) {
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            stroke.key_code = upper;
            stroke.ascii = with_ctrl    ? static_cast<std::int16_t>(upper - 'A' + 1)
                           : with_shift ? static_cast<std::int16_t>(upper)
                                        : static_cast<std::int16_t>(std::tolower(static_cast<unsigned char>(c)));
            return stroke;
        }
        if (std::isdigit(static_cast<unsigned char>(c))) {
            static constexpr std::string_view kShiftedDigits = ")!@#$%^&*(";
            stroke.key_code = c;
            stroke.ascii = with_ctrl ? 0 : with_shift ? kShiftedDigits[c - '0'] : c;
            return stroke;
        }
        for (const NamedKey& named : kNamedKeys) {
            if (!EqualsIgnoreCase(named.name, part)) continue;
            stroke.key_code = named.key_code;
            stroke.ascii = named.ascii;
            return stroke;
        }
        Fail("unknown key " + Shown(part));
    }
}

// --- statements that start with a keyword -------------------------------------------------------

Statement LineParser::HostStatement(std::string_view) {
    HostStmt host;
    while (!AtEnd()) {
        std::string key = ExpectIdentifier("a host setting");
        bool known = false;
        for (const char* setting : kHostSettings) {
            if (EqualsIgnoreCase(key, setting)) {
                key = setting;
                known = true;
            }
        }
        if (!known) Fail("unknown host setting " + Shown(key));
        ExpectChar('=');
        host.settings.emplace_back(std::move(key), Value());
    }
    if (host.settings.empty()) Fail("expected KEY=VALUE after host");
    return host;
}

Statement LineParser::SetStatement(std::string_view) {
    std::string name = ExpectIdentifier("an object name");
    if (pos_ < text_.size() && text_[pos_] == '.') return MemberStatement(ObjectName(std::move(name)), true);
    ExpectChar('=');
    SetStmt stmt{std::move(name), Value()};
    ExpectEnd();
    return stmt;
}

Statement LineParser::SysColorStatement(std::string_view) {
    ValueExpr index = Value();
    ExpectChar('=');
    ValueExpr colour = Value();
    ExpectEnd();
    return SysColorStmt{std::move(index), std::move(colour)};
}

Statement LineParser::NewStatement(std::string_view) {
    NewStmt stmt;
    stmt.name = ExpectIdentifier("an object name");
    stmt.class_name = ClassName();
    stmt.placement = ParsePlacement();
    return stmt;
}

Statement LineParser::LoadStatement(std::string_view) {
    LoadStmt stmt;
    stmt.name = ExpectIdentifier("an object name");
    stmt.class_name = ClassName();
    SkipBlanks();
    stmt.bag_file = FileArgument();
    stmt.placement = ParsePlacement();
    return stmt;
}

Statement LineParser::SaveStatement(std::string_view) {
    SaveStmt stmt;
    stmt.name = ExpectIdentifier("an object name");
    SkipBlanks();
    stmt.bag_file = FileArgument();
    ExpectEnd();
    return stmt;
}

Statement LineParser::BagStatement(std::string_view) {
    BagStmt stmt{ExpectIdentifier("an object name")};
    ExpectEnd();
    return stmt;
}

Statement LineParser::ResizeStatement(std::string_view) {
    std::string name = ExpectIdentifier("an object name");
    ValueExpr width = Value();
    ValueExpr height = Value();
    ExpectEnd();
    return ResizeStmt{std::move(name), std::move(width), std::move(height)};
}

Statement LineParser::LifecycleStatement(std::string_view keyword) {
    constexpr std::pair<const char*, LifecycleStmt::Action> kActions[] = {
        {"show", LifecycleStmt::Action::Show},
        {"hide", LifecycleStmt::Action::Hide},
        {"paint", LifecycleStmt::Action::Paint},
        {"terminate", LifecycleStmt::Action::Terminate}};
    LifecycleStmt stmt{};
    for (const auto& [word, action] : kActions)
        if (EqualsIgnoreCase(keyword, word)) stmt.action = action;
    stmt.name = ExpectIdentifier("an object name");
    ExpectEnd();
    return stmt;
}

Statement LineParser::FireStatement(std::string_view) {
    FireStmt stmt;
    stmt.name = ExpectIdentifier("an object name");
    stmt.target = ParseTarget();
    stmt.event = ExpectIdentifier("an event name");
    stmt.args = TrailingArguments(true);
    return stmt;
}

Statement LineParser::OnStatement(std::string_view) {
    OnStmt stmt;
    stmt.name = ExpectIdentifier("an object name");
    if (pos_ >= text_.size() || text_[pos_] != '.') Fail("expected NAME.EVENT");
    ++pos_;
    stmt.event = ExpectIdentifier("an event name");
    stmt.arg_name = ExpectIdentifier("an argument name");
    ExpectChar('=');
    stmt.value = Value();
    ExpectEnd();
    return stmt;
}

Statement LineParser::WaitStatement(std::string_view) {
    WaitStmt stmt{Value()};
    ExpectEnd();
    return stmt;
}

Statement LineParser::InspectStatement(std::string_view) {
    InspectStmt stmt;
    stmt.name = ExpectIdentifier("an object name");
    stmt.target = ParseTarget();
    ExpectEnd();
    return stmt;
}

Statement LineParser::SnapStatement(std::string_view) {
    SnapStmt stmt;
    stmt.name = ExpectIdentifier("an object name");
    SkipBlanks();
    stmt.file = FileArgument();
    ExpectEnd();
    return stmt;
}

Statement LineParser::FocusStatement(std::string_view keyword) {
    TextInputStmt stmt;
    stmt.action = EqualsIgnoreCase(keyword, "focus") ? TextInputStmt::Action::Focus : TextInputStmt::Action::Blur;
    stmt.name = ExpectIdentifier("an object name");
    ExpectEnd();
    return stmt;
}

Statement LineParser::TextStatement(std::string_view keyword) {
    TextInputStmt stmt;
    stmt.action = EqualsIgnoreCase(keyword, "type") ? TextInputStmt::Action::Type : TextInputStmt::Action::Paste;
    stmt.name = ExpectIdentifier("an object name");
    SkipBlanks();
    if (Peek() != '"') Fail("expected a quoted text" + Found());
    stmt.text = StringLiteral();
    ExpectEnd();
    return stmt;
}

Statement LineParser::KeyStatement(std::string_view) {
    TextInputStmt stmt;
    stmt.action = TextInputStmt::Action::Key;
    stmt.name = ExpectIdentifier("an object name");
    stmt.key = KeyChord();
    ExpectEnd();
    return stmt;
}

Statement LineParser::ClickStatement(std::string_view keyword) {
    TextInputStmt stmt;
    stmt.action =
        EqualsIgnoreCase(keyword, "click") ? TextInputStmt::Action::Click : TextInputStmt::Action::DoubleClick;
    stmt.name = ExpectIdentifier("an object name");
    stmt.points.push_back(Value());
    stmt.points.push_back(Value());
    if (stmt.action == TextInputStmt::Action::Click && TryKeyword("Shift")) stmt.shift = true;
    ExpectEnd();
    return stmt;
}

Statement LineParser::DragStatement(std::string_view) {
    TextInputStmt stmt;
    stmt.action = TextInputStmt::Action::Drag;
    stmt.name = ExpectIdentifier("an object name");
    for (int i = 0; i < 4; ++i) stmt.points.push_back(Value());
    ExpectEnd();
    return stmt;
}

Statement LineParser::SelectStatement(std::string_view) {
    TextInputStmt stmt;
    stmt.action = TextInputStmt::Action::Select;
    stmt.name = ExpectIdentifier("an object name");
    stmt.start = Value();
    stmt.length = Value();
    ExpectEnd();
    return stmt;
}

Statement LineParser::PixelStatement(std::string_view) {
    std::string name = ExpectIdentifier("an object name");
    ValueExpr x = Value();
    ValueExpr y = Value();
    ExpectEnd();
    return PixelStmt{std::move(name), std::move(x), std::move(y)};
}

// Every statement that starts with a keyword: the keyword, its syntax as `orvelle shell --help`
// lists it, and the method that reads the rest of the line.
const std::vector<LineParser::KeywordRule>& LineParser::KeywordRules() {
    static const std::vector<KeywordRule> rules = {
        {"host", "host SETTING=VALUE ...", &LineParser::HostStatement},
        {"new", "new NAME CLASS [at LEFT TOP [WIDTH HEIGHT]] [in CONTAINER]", &LineParser::NewStatement},
        {"load", "load NAME CLASS FILE [at LEFT TOP [WIDTH HEIGHT]] [in CONTAINER]", &LineParser::LoadStatement},
        {"save", "save NAME FILE", &LineParser::SaveStatement},
        {"bag", "bag NAME", &LineParser::BagStatement},
        {"set", "set NAME = VALUE | set OBJECT.MEMBER = VALUE", &LineParser::SetStatement},
        {"syscolor", "syscolor INDEX = COLOUR", &LineParser::SysColorStatement},
        {"resize", "resize NAME WIDTH HEIGHT", &LineParser::ResizeStatement},
        {"show", "show NAME", &LineParser::LifecycleStatement},
        {"hide", "hide NAME", &LineParser::LifecycleStatement},
        {"paint", "paint NAME", &LineParser::LifecycleStatement},
        {"terminate", "terminate NAME", &LineParser::LifecycleStatement},
        {"fire", "fire NAME TARGET[(INDEX)] EVENT [ARG ...]", &LineParser::FireStatement},
        {"on", "on NAME.EVENT ARGUMENT = VALUE", &LineParser::OnStatement},
        {"wait", "wait MILLISECONDS", &LineParser::WaitStatement},
        {"inspect", "inspect NAME TARGET[(INDEX)]", &LineParser::InspectStatement},
        {"snap", "snap NAME FILE", &LineParser::SnapStatement},
        {"pixel", "pixel NAME X Y", &LineParser::PixelStatement},
        {"focus", "focus NAME", &LineParser::FocusStatement},
        {"blur", "blur NAME", &LineParser::FocusStatement},
        {"type", "type NAME \"TEXT\"", &LineParser::TextStatement},
        {"paste", "paste NAME \"TEXT\"", &LineParser::TextStatement},
        {"key", "key NAME [Shift+][Ctrl+]KEY", &LineParser::KeyStatement},
        {"select", "select NAME START LENGTH", &LineParser::SelectStatement},
        {"click", "click NAME X Y [Shift]", &LineParser::ClickStatement},
        {"dblclick", "dblclick NAME X Y", &LineParser::ClickStatement},
        {"drag", "drag NAME X1 Y1 X2 Y2", &LineParser::DragStatement},
    };
    return rules;
}

std::vector<const char*> LineParser::KeywordSyntax() {
    std::vector<const char*> lines;
    for (const KeywordRule& rule : KeywordRules()) lines.push_back(rule.syntax);
    return lines;
}

std::optional<Statement> LineParser::ParseLine() {
    const char first = Peek();
    if (first == '\0' || first == '#') return std::nullopt;
    if (first == '?') return PrintStatement();
    const std::string word = ExpectIdentifier("a statement");
    // `show.Caption = 1` addresses an object that happens to share a keyword's name.
    if (pos_ < text_.size() && text_[pos_] == '.') return MemberStatement(ObjectName(word), false);
    for (const KeywordRule& rule : KeywordRules())
        if (EqualsIgnoreCase(word, rule.keyword)) return (this->*rule.parse)(word);
    Fail("unknown statement '" + Shown(word) + "'");
}

}  // namespace

namespace {

void RefuseOverlongStatement(std::string_view line, int line_number) {
    if (line.size() > limits::kMaxStatementBytes) throw StatementTooLong(line_number);
}

}  // namespace

std::vector<std::string> StatementSyntax() {
    std::vector<std::string> lines;
    for (const char* syntax : LineParser::KeywordSyntax()) lines.emplace_back(syntax);
    lines.emplace_back(
        "NAME.MEMBER[(ARGS)] = VALUE | NAME.METHOD [ARGS]  (members of members too: M.Font.Bold = True)");
    lines.emplace_back("? VALUE | ? NAME.MEMBER[(ARGS)]");
    std::string settings = "SETTING: ";
    for (std::size_t i = 0; i < std::size(kHostSettings); ++i)
        settings += (i ? ", " : "") + std::string(kHostSettings[i]);
    lines.push_back(std::move(settings));
    std::string keys = "KEY: a letter, a digit, ";
    for (const NamedKey& named : kNamedKeys) keys += std::string(named.name) + " ";
    keys.pop_back();
    lines.push_back(std::move(keys));
    return lines;
}

SyntaxError StatementTooLong(int line_number) {
    return SyntaxError(line_number, "statement longer than " + std::to_string(limits::kMaxStatementBytes) + " bytes");
}

std::optional<Statement> ParseStatement(std::string_view line, int line_number) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    RefuseOverlongStatement(line, line_number);
    return LineParser(line, line_number).ParseLine();
}

ValueExpr ParseValue(std::string_view text, int line_number) {
    RefuseOverlongStatement(text, line_number);
    return LineParser(text, line_number).WholeValue();
}

}  // namespace ov::shell
