#include "platform/json/json_document.h"

#include "platform/codepage/windows1252.h"
#include "platform/limits.h"

namespace ov::json_input {

namespace {

std::string Join(const std::string& where, const std::string& problem) {
    return where.empty() ? problem : where + ": " + problem;
}

std::string PlaceOfByte(std::string_view text, std::size_t offset) {
    std::size_t line = 1, column = 1;
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

// Brackets outside strings open and close nesting levels; a string's escapes never end it.
// For JSON text this is exactly the parser's nesting, and for anything else it bounds it, so
// refusing here keeps deep input away from the parser and from the recursive destruction and
// comparison of what it would build.
void CheckNesting(std::string_view text) {
    int depth = 0;
    bool in_string = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (in_string) {
            if (c == '\\') ++i;
            else if (c == '"') in_string = false;
        } else if (c == '"') {
            in_string = true;
        } else if (c == '[' || c == '{') {
            if (++depth > limits::kMaxJsonDepth)
                throw ShapeError(PlaceOfByte(text, i),
                                 "nested deeper than " + std::to_string(limits::kMaxJsonDepth) + " levels");
        } else if ((c == ']' || c == '}') && depth > 0) {
            --depth;
        }
    }
}

const char* KindName(const nlohmann::json& value) {
    switch (value.type()) {
        case nlohmann::json::value_t::null: return "null";
        case nlohmann::json::value_t::object: return "an object";
        case nlohmann::json::value_t::array: return "an array";
        case nlohmann::json::value_t::string: return "a string";
        case nlohmann::json::value_t::boolean: return "a boolean";
        case nlohmann::json::value_t::binary: return "binary data";
        case nlohmann::json::value_t::discarded: return "nothing";
        default: return "a number";
    }
}

}  // namespace

ShapeError::ShapeError(const std::string& where, const std::string& problem)
    : std::runtime_error(Join(where, problem)), where_(where), problem_(problem) {}

nlohmann::json ParseDocument(std::string_view text) {
    const std::string repaired = codepage::RepairUtf8(text);
    CheckNesting(repaired);
    try {
        return nlohmann::json::parse(repaired);
    } catch (const nlohmann::json::parse_error& error) {
        // The offset is one past the byte the parser stopped at.
        throw ShapeError(PlaceOfByte(repaired, error.byte > 0 ? error.byte - 1 : 0), "not valid JSON");
    } catch (const nlohmann::json::exception&) {
        // A number beyond the range of a double.
        throw ShapeError({}, "not valid JSON: a number out of range");
    }
}

Node::Node(const nlohmann::json& value, std::string where) : value_(&value), where_(std::move(where)) {}

void Node::Fail(const std::string& problem) const { throw ShapeError(where_, problem); }

const Node& Node::ExpectObject() const {
    if (!value_->is_object()) Fail(std::string("must be an object, not ") + KindName(*value_));
    return *this;
}

std::optional<Node> Node::Find(std::string_view member) const {
    ExpectObject();
    const auto it = value_->find(member);
    if (it == value_->end()) return std::nullopt;
    return Node(*it, where_.empty() ? std::string(member) : where_ + "." + std::string(member));
}

Node Node::operator[](std::string_view member) const {
    std::optional<Node> found = Find(member);
    if (!found) Fail("missing \"" + std::string(member) + "\"");
    return std::move(*found);
}

const Node& Node::ExpectArray() const {
    if (!value_->is_array()) Fail(std::string("must be an array, not ") + KindName(*value_));
    return *this;
}

std::size_t Node::Size() const { return ExpectArray().value_->size(); }

Node Node::At(std::size_t index) const {
    if (index >= Size()) Fail("has no item " + std::to_string(index));
    return Node((*value_)[index], where_ + "[" + std::to_string(index) + "]");
}

std::string Node::Text() const { return codepage::Utf8ToWindows1252(Utf8Text()); }

std::string Node::Utf8Text() const {
    if (!value_->is_string()) Fail(std::string("must be a string, not ") + KindName(*value_));
    return value_->get<std::string>();
}

double Node::Number() const {
    if (!value_->is_number()) Fail(std::string("must be a number, not ") + KindName(*value_));
    return value_->get<double>();
}

bool Node::Boolean() const {
    if (!value_->is_boolean()) Fail(std::string("must be true or false, not ") + KindName(*value_));
    return value_->get<bool>();
}

nlohmann::json TextToJson(std::string_view text) { return codepage::Windows1252ToUtf8(text); }

}  // namespace ov::json_input
