// The bounded JSON reader: nesting is refused past the limit before parsing, damaged UTF-8 is
// read, and every shape fault names its place.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "platform/json/json_document.h"
#include "platform/limits.h"

namespace ov::json_input {
namespace {

std::string Nested(int depth, char open, char close, const std::string& inner = "") {
    std::string text;
    for (int i = 0; i < depth; ++i) text += open == '{' ? std::string("{\"a\":") : std::string(1, open);
    text += inner.empty() ? (open == '{' ? "1" : "") : inner;
    text += std::string(static_cast<std::size_t>(depth), close);
    return text;
}

std::string ParseProblem(const std::string& text) {
    try {
        ParseDocument(text);
    } catch (const ShapeError& error) {
        return error.what();
    }
    return "";
}

TEST(JsonDocument, NestingIsRefusedPastTheLimitWhateverTheDepth) {
    const int limit = limits::kMaxJsonDepth;
    for (const char open : {'[', '{'}) {
        const char close = open == '[' ? ']' : '}';
        SCOPED_TRACE(open);
        EXPECT_EQ(ParseProblem(Nested(limit, open, close)), "");
        EXPECT_NE(ParseProblem(Nested(limit + 1, open, close)).find("nested deeper than"), std::string::npos);
        EXPECT_NE(ParseProblem(Nested(100000, open, close)).find("nested deeper than"), std::string::npos);
        // Unclosed nesting is refused the same way, before the parser could report it.
        EXPECT_NE(ParseProblem(std::string(100000, open)).find("nested deeper than"), std::string::npos);
    }
    // Brackets inside strings, escaped quotes included, are text.
    EXPECT_EQ(ParseProblem("[\"" + std::string(1000, '[') + "\\\"" + std::string(1000, '{') + "\"]"), "");
}

TEST(JsonDocument, NotJsonNamesLineAndColumn) {
    const struct {
        const char* text;
        const char* problem;
    } cases[] = {
        {"garbage", "line 1, column 1: not valid JSON"},
        {"{\n  \"a\": tru\n}", "line 2, column "},
        {"[1, 2", "not valid JSON"},
        {"", "not valid JSON"},
        {"[1e99999]", "not valid JSON"},
    };
    for (const auto& c : cases) EXPECT_NE(ParseProblem(c.text).find(c.problem), std::string::npos) << c.text;
}

TEST(JsonDocument, StringsReadAsWindows1252AndDamagedUtf8AsQuestionMarks) {
    const nlohmann::json document = ParseDocument("[\"caf\xC3\xA9\", \"caf\xE9\", \"\xE2\x82\xAC\xE6\x97\xA5\"]");
    const Node root(document);
    EXPECT_EQ(root.At(0).Text(), "caf\xE9");
    EXPECT_EQ(root.At(0).Utf8Text(), "caf\xC3\xA9");
    EXPECT_EQ(root.At(1).Text(), "caf?");
    EXPECT_EQ(root.At(2).Text(), "\x80?");
    EXPECT_EQ(TextToJson("caf\xE9").get<std::string>(), "caf\xC3\xA9");
}

TEST(JsonDocument, ShapeFaultsNameThePlace) {
    const struct {
        const char* text;
        std::function<void(const Node&)> read;
        const char* message;
    } cases[] = {
        {R"({"a": [1, {"b": "x"}]})", [](const Node& r) { r["a"].At(1)["b"].Number(); },
         "a[1].b: must be a number, not a string"},
        {R"({"a": 1})", [](const Node& r) { r["c"]; }, "missing \"c\""},
        {R"([1])", [](const Node& r) { r.Find("a"); }, "must be an object, not an array"},
        {R"({"a": null})", [](const Node& r) { r["a"].Text(); }, "a: must be a string, not null"},
        {R"({"a": []})", [](const Node& r) { r["a"].At(0); }, "a: has no item 0"},
        {R"({"a": {"b": true}})", [](const Node& r) { r["a"]["b"].Size(); }, "a.b: must be an array, not a boolean"},
        {R"({"a": {"b": 1}})", [](const Node& r) { r["a"]["b"].Boolean(); },
         "a.b: must be true or false, not a number"},
        {R"([[{"k": 2}]])", [](const Node& r) { r.At(0).At(0)["k"].Fail("too big"); }, "[0][0].k: too big"},
    };
    for (const auto& c : cases) {
        const nlohmann::json document = ParseDocument(c.text);
        try {
            c.read(Node(document));
            ADD_FAILURE() << c.text << ": accepted";
        } catch (const ShapeError& error) {
            EXPECT_EQ(std::string(error.what()), c.message) << c.text;
        }
    }
}

}  // namespace
}  // namespace ov::json_input
