#include "uiform/xml_tree.h"

#include <cstdint>

#include "platform/codepage/windows1252.h"

namespace ov::uiform {

std::string XmlElement::Attribute(std::string_view key, std::string_view fallback) const {
    for (const auto& [k, v] : attributes)
        if (k == key) return v;
    return std::string(fallback);
}

bool XmlElement::HasAttribute(std::string_view key) const {
    for (const auto& attribute : attributes)
        if (attribute.first == key) return true;
    return false;
}

const XmlElement* XmlElement::Child(std::string_view child_name) const {
    for (const XmlElement& child : children)
        if (child.name == child_name) return &child;
    return nullptr;
}

std::string XmlElement::ChildText(std::string_view child_name) const {
    const XmlElement* child = Child(child_name);
    return child ? child->text : std::string();
}

XmlElement& XmlElement::Add(std::string child_name, std::string child_text) {
    children.push_back(XmlElement{std::move(child_name), {}, {}, std::move(child_text)});
    return children.back();
}

XmlElement& XmlElement::Set(std::string key, std::string value) {
    attributes.emplace_back(std::move(key), std::move(value));
    return *this;
}

namespace {

constexpr int kMaxDepth = 256;

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    XmlElement Document() {
        SkipMisc();
        if (AtEnd() || Peek() != '<') Fail("no root element");
        XmlElement root = Element(0);
        SkipMisc();
        if (!AtEnd()) Fail("content after the root element");
        return root;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        int line = 1;
        for (std::size_t i = 0; i < pos_ && i < text_.size(); ++i) line += text_[i] == '\n';
        throw XmlError("line " + std::to_string(line) + ": " + what);
    }

    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return text_[pos_]; }
    bool Starts(std::string_view s) const { return text_.substr(pos_, s.size()) == s; }
    static bool IsSpace(char ch) { return ch == ' ' || ch == '\t' || ch == '\r' || ch == '\n'; }
    static bool IsNameChar(char ch) {
        return !IsSpace(ch) && ch != '<' && ch != '>' && ch != '/' && ch != '=' && ch != '"' && ch != '\'' &&
               ch != '&' && ch != '?' && ch != '!';
    }

    void SkipSpace() {
        while (!AtEnd() && IsSpace(Peek())) ++pos_;
    }

    void SkipPast(std::string_view end, const char* what) {
        const std::size_t found = text_.find(end, pos_);
        if (found == std::string_view::npos) Fail(std::string("unterminated ") + what);
        pos_ = found + end.size();
    }

    // Whitespace, comments, processing instructions and a DOCTYPE outside elements.
    void SkipMisc() {
        for (;;) {
            SkipSpace();
            if (Starts("<?")) SkipPast("?>", "processing instruction");
            else if (Starts("<!--")) SkipPast("-->", "comment");
            else if (Starts("<!DOCTYPE")) SkipPast(">", "DOCTYPE");
            else return;
        }
    }

    std::string Name() {
        const std::size_t start = pos_;
        while (!AtEnd() && IsNameChar(Peek())) ++pos_;
        if (pos_ == start) Fail("a name was expected");
        return std::string(text_.substr(start, pos_ - start));
    }

    // A character reference or predefined entity after '&'.
    void Reference(std::string& out) {
        const std::size_t end = text_.find(';', pos_);
        if (end == std::string_view::npos || end - pos_ > 12) Fail("malformed character reference");
        const std::string_view ref = text_.substr(pos_ + 1, end - pos_ - 1);
        pos_ = end + 1;
        if (ref == "lt") out += '<';
        else if (ref == "gt") out += '>';
        else if (ref == "amp") out += '&';
        else if (ref == "quot") out += '"';
        else if (ref == "apos") out += '\'';
        else if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            const std::string_view digits = ref.substr(hex ? 2 : 1);
            if (digits.empty()) Fail("malformed character reference");
            std::uint32_t code = 0;
            for (char ch : digits) {
                int digit = -1;
                if (ch >= '0' && ch <= '9') digit = ch - '0';
                else if (hex && ch >= 'a' && ch <= 'f') digit = ch - 'a' + 10;
                else if (hex && ch >= 'A' && ch <= 'F') digit = ch - 'A' + 10;
                if (digit < 0) Fail("malformed character reference");
                code = code * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
                if (code > 0x10FFFF) Fail("character reference out of range");
            }
            if (code == 0 || (code >= 0xD800 && code <= 0xDFFF)) Fail("character reference out of range");
            AppendUtf8(out, code);
        } else {
            Fail("unknown entity &" + std::string(ref) + ";");
        }
    }

    XmlElement Element(int depth) {
        if (depth > kMaxDepth) Fail("elements nested too deeply");
        ++pos_;  // '<'
        XmlElement element;
        element.name = Name();
        for (;;) {
            SkipSpace();
            if (AtEnd()) Fail("unterminated tag <" + element.name + ">");
            if (Starts("/>")) {
                pos_ += 2;
                return element;
            }
            if (Peek() == '>') {
                ++pos_;
                break;
            }
            std::string key = Name();
            SkipSpace();
            if (AtEnd() || Peek() != '=') Fail("'=' expected after attribute " + key);
            ++pos_;
            SkipSpace();
            if (AtEnd() || (Peek() != '"' && Peek() != '\'')) Fail("quoted value expected for attribute " + key);
            const char quote = Peek();
            ++pos_;
            std::string value;
            while (!AtEnd() && Peek() != quote) {
                if (Peek() == '<') Fail("'<' in attribute " + key);
                if (Peek() == '&') Reference(value);
                else value += text_[pos_++];
            }
            if (AtEnd()) Fail("unterminated attribute " + key);
            ++pos_;
            element.attributes.emplace_back(std::move(key), std::move(value));
        }
        // Content up to the matching end tag.
        for (;;) {
            if (AtEnd()) Fail("missing </" + element.name + ">");
            if (Starts("</")) {
                pos_ += 2;
                const std::string end_name = Name();
                if (end_name != element.name) Fail("</" + end_name + "> closes <" + element.name + ">");
                SkipSpace();
                if (AtEnd() || Peek() != '>') Fail("'>' expected");
                ++pos_;
                // Indentation between child elements is no text of the element.
                if (!element.children.empty() &&
                    element.text.find_first_not_of(" \t\r\n") == std::string::npos)
                    element.text.clear();
                return element;
            }
            if (Starts("<!--")) {
                SkipPast("-->", "comment");
            } else if (Starts("<![CDATA[")) {
                pos_ += 9;
                const std::size_t end = text_.find("]]>", pos_);
                if (end == std::string_view::npos) Fail("unterminated CDATA section");
                element.text.append(text_.substr(pos_, end - pos_));
                pos_ = end + 3;
            } else if (Starts("<?")) {
                SkipPast("?>", "processing instruction");
            } else if (Peek() == '<') {
                element.children.push_back(Element(depth + 1));
            } else if (Peek() == '&') {
                Reference(element.text);
            } else {
                element.text += text_[pos_++];
            }
        }
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

std::string Escaped(std::string_view text, bool attribute) {
    std::string out;
    for (char ch : text) {
        switch (ch) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += attribute ? "&quot;" : "\""; break;
            case '\n': out += attribute ? "&#10;" : "\n"; break;
            case '\r': out += "&#13;"; break;
            case '\t': out += attribute ? "&#9;" : "\t"; break;
            default: out += ch;
        }
    }
    return out;
}

void Write(const XmlElement& element, int depth, std::string& out) {
    out.append(static_cast<std::size_t>(depth), ' ');
    out += '<' + element.name;
    for (const auto& [key, value] : element.attributes) out += ' ' + key + "=\"" + Escaped(value, true) + '"';
    if (element.children.empty() && element.text.empty()) {
        out += "/>\n";
        return;
    }
    out += '>';
    if (element.children.empty()) {
        out += Escaped(element.text, false) + "</" + element.name + ">\n";
        return;
    }
    out += '\n';
    for (const XmlElement& child : element.children) Write(child, depth + 1, out);
    out.append(static_cast<std::size_t>(depth), ' ');
    out += "</" + element.name + ">\n";
}

}  // namespace

XmlElement ParseXml(std::string_view text) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    // A .ui file is UTF-8, as Qt writes it.
    if (const std::string repaired = codepage::RepairUtf8(text); repaired != text) {
        std::size_t bad = 0;
        while (bad < text.size() && bad < repaired.size() && text[bad] == repaired[bad]) ++bad;
        int line = 1;
        for (std::size_t i = 0; i < bad; ++i) line += text[i] == '\n';
        throw XmlError("line " + std::to_string(line) + ": not well-formed UTF-8");
    }
    return Parser(text).Document();
}

std::string WriteXml(const XmlElement& root) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    Write(root, 0, out);
    return out;
}

}  // namespace ov::uiform
