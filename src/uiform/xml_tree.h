#pragma once
// A small XML reader and writer for Qt's .ui files: elements, attributes and text, with the
// predefined and numeric character references, CDATA sections, comments and processing
// instructions (skipped). Enough for the .ui format; no DTDs, no namespaces.
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ov::uiform {

// Malformed XML; the message gives the line.
class XmlError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct XmlElement {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    std::vector<XmlElement> children;
    std::string text;  // the character data directly inside, concatenated (UTF-8)

    // The attribute's value, or `fallback` when it is absent.
    std::string Attribute(std::string_view key, std::string_view fallback = {}) const;
    bool HasAttribute(std::string_view key) const;
    // The first child element of that name, or nullptr.
    const XmlElement* Child(std::string_view child_name) const;
    // The text of the first child of that name ("" when there is none).
    std::string ChildText(std::string_view child_name) const;

    // Builders for the writer.
    XmlElement& Add(std::string child_name, std::string child_text = {});
    XmlElement& Set(std::string key, std::string value);
};

// Parses a whole document (its one root element). Throws XmlError.
XmlElement ParseXml(std::string_view text);
// The document with an XML declaration, one space of indentation per level, as Qt writes .ui.
std::string WriteXml(const XmlElement& root);

}  // namespace ov::uiform
