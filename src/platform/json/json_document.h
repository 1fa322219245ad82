#pragma once
// The library's JSON files come from outside: anything may be in them. ParseDocument refuses
// what the parser must not see (nesting past the limit) and repairs what it would refuse for a
// byte's sake (invalid UTF-8); Node walks the parsed document and checks each value's shape as
// the reader takes it, so a wrong shape is reported with its place instead of surfacing as a
// parser exception somewhere later:
//
//   const nlohmann::json document = json_input::ParseDocument(text);
//   const json_input::Node root(document);
//   for (std::size_t i = 0; i < root["controls"].Size(); ++i) {
//       const json_input::Node control = root["controls"].At(i);
//       std::string name = control["name"].Text();   // "controls[3].name: must be a string"
//   }
//
// Strings are UTF-8 in the file and Windows-1252 inside the library: Text() converts, and
// TextToJson converts back for writing.
#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

namespace ov::json_input {

// A document that is not what its reader expects: the place ("controls[2].properties[0].value",
// empty for the document as a whole) and what is wrong there.
class ShapeError : public std::runtime_error {
public:
    ShapeError(const std::string& where, const std::string& problem);
    const std::string& where() const { return where_; }
    const std::string& problem() const { return problem_; }

private:
    std::string where_;
    std::string problem_;
};

// Parses a whole document. Invalid UTF-8 bytes read as '?'. Throws ShapeError for text that is
// not JSON (the place is the byte offset) and for arrays and objects nested deeper than
// limits::kMaxJsonDepth, which are refused before the parser builds anything.
nlohmann::json ParseDocument(std::string_view text);

// A value inside a parsed document and its place. The document must outlive the node.
class Node {
public:
    explicit Node(const nlohmann::json& value, std::string where = {});

    const nlohmann::json& json() const { return *value_; }
    const std::string& where() const { return where_; }
    bool IsNull() const { return value_->is_null(); }
    bool IsString() const { return value_->is_string(); }
    bool IsNumber() const { return value_->is_number(); }

    // Objects. Each throws unless the value is an object; operator[] also when the member is
    // missing.
    const Node& ExpectObject() const;
    std::optional<Node> Find(std::string_view member) const;
    Node operator[](std::string_view member) const;

    // Arrays. Each throws unless the value is an array.
    const Node& ExpectArray() const;
    std::size_t Size() const;
    Node At(std::size_t index) const;

    // Leaves; each throws unless the value has that kind.
    std::string Text() const;      // a string, as Windows-1252
    std::string Utf8Text() const;  // a string as the file holds it (file names)
    double Number() const;
    bool Boolean() const;

    // Throws ShapeError for this place.
    [[noreturn]] void Fail(const std::string& problem) const;

private:
    const nlohmann::json* value_;
    std::string where_;
};

// Library text (Windows-1252) as a JSON string (UTF-8).
nlohmann::json TextToJson(std::string_view text);

}  // namespace ov::json_input
