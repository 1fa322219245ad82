// The drawing-call manifest at the boundary: hostile manifests are refused whole with the place
// of the fault and nothing written, and the names of what is written never leave OUTDIR.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/gdi/gdi.h"
#include "platform/gdi/replay/manifest.h"
#include "platform/gdi/replay/replay.h"
#include "platform/json/json_document.h"

namespace ov::gdi {
namespace {

namespace fs = std::filesystem;

// One case of `ops`, 4 x 4, named `name`.
std::string OneCase(const std::string& ops, const std::string& name = "\"a\"") {
    return R"({"cases":[{"name":)" + name + R"(,"width":4,"height":4,"background":"0x0","ops":[)" + ops + "]}]}";
}

std::string Nested(int depth) { return R"({"cases":)" + std::string(depth, '[') + std::string(depth, ']') + "}"; }

struct Refused {
    const char* what;
    std::string manifest;
    const char* message;  // part of the error
};

TEST(ReplayManifest, HostileManifestsAreRefusedWithThePlaceOfTheFault) {
    const Refused cases[] = {
        {"not JSON", "{\"cases\": [", "not valid JSON"},
        {"an array for the document", "[]", "must be an object"},
        {"no cases", "{}", "missing \"cases\""},
        {"cases as an object", R"({"cases":{}})", "cases: must be an array"},
        {"null case", R"({"cases":[null]})", "cases[0]: must be an object"},
        {"name a number", OneCase("", "7"), "cases[0].name: must be a string"},
        {"name with a parent step", OneCase("", "\"../x\""), "not a safe file name"},
        {"absolute name", OneCase("", "\"/tmp/x\""), "not a safe file name"},
        {"empty name", OneCase("", "\"\""), "not a safe file name"},
        {"name with a backslash", OneCase("", "\"a\\\\b\""), "not a safe file name"},
        {"hidden name", OneCase("", "\".x\""), "not a safe file name"},
        {"width a string", R"({"cases":[{"name":"a","width":"wide","height":4,"background":0,"ops":[]}]})",
         "cases[0].width: must be an integer"},
        {"width past the limits", R"({"cases":[{"name":"a","width":40000,"height":4,"background":0,"ops":[]}]})",
         "cases[0]: 40000 x 4 is not a bitmap size"},
        {"pixels past the limits", R"({"cases":[{"name":"a","width":9000,"height":9000,"background":0,"ops":[]}]})",
         "is not a bitmap size"},
        {"negative height", R"({"cases":[{"name":"a","width":4,"height":-4,"background":0,"ops":[]}]})",
         "is not a bitmap size"},
        {"width past 64 bits",
         R"({"cases":[{"name":"a","width":99999999999999999999,"height":4,"background":0,"ops":[]}]})",
         "cases[0].width: must be an integer"},
        {"background out of range",
         R"({"cases":[{"name":"a","width":4,"height":4,"background":"0x100000000","ops":[]}]})",
         "cases[0].background: must be an integer between 0 and 4294967295"},
        {"ops null", R"({"cases":[{"name":"a","width":4,"height":4,"background":0,"ops":null}]})",
         "cases[0].ops: must be an array"},
        {"op an object", OneCase("{}"), "cases[0].ops[0]: must be an array"},
        {"empty op", OneCase("[]"), "cases[0].ops[0]: must name an op"},
        {"unknown op", OneCase(R"(["Polygon","dst"])"), "unknown op \"Polygon\""},
        {"too few arguments", OneCase(R"(["LineTo","dst",1])"), "LineTo takes 3 arguments, not 2"},
        {"coordinate past int", OneCase(R"(["LineTo","dst",2147483648,0])"), "cases[0].ops[0][2]: must be an integer"},
        {"coordinate a fraction", OneCase(R"(["LineTo","dst",1.5,0])"), "cases[0].ops[0][2]: must be an integer"},
        {"coordinate text", OneCase(R"(["LineTo","dst","1 0",0])"), "cases[0].ops[0][2]: must be an integer"},
        {"unknown DC", OneCase(R"(["LineTo","src",1,1])"), "no DC named \"src\""},
        {"DC used before it is defined", OneCase(R"(["LineTo","s",1,1],["NewDib32","s",2,2])"), "no DC named \"s\""},
        {"DC defined twice", OneCase(R"(["NewDib32","s",2,2],["NewMono","s",2,2])"),
         "a DC named \"s\" is already defined"},
        {"dst defined again", OneCase(R"(["NewDib32","dst",2,2])"), "already defined"},
        {"DC bitmap past the limits", OneCase(R"(["NewDib32","s",2147483647,2147483647])"), "is not a bitmap size"},
        {"pen style out of range", OneCase(R"(["SelectPen","dst",9,1,"0x0"])"), "must be an integer between 0 and 5"},
        {"unknown brush kind", OneCase(R"(["SelectBrush","dst","HATCH","0x0"])"), "must be \"SOLID\" or \"NULL\""},
        {"unknown rop name", OneCase(R"(["BitBlt","dst",0,0,1,1,"dst",0,0,"COPY"])"), "cases[0].ops[0][9]"},
        {"unsafe DumpBits tag", OneCase(R"(["DumpBits","dst","../../x"])"), "not a safe file name"},
        {"DumpBits tag making another case's image",
         R"({"cases":[{"name":"a","width":4,"height":4,"background":0,"ops":[["DumpBits","dst","b"]]},)"
         R"({"name":"a__b","width":4,"height":4,"background":0,"ops":[]}]})",
         "the image \"a__b\" is written twice"},
        {"duplicate case names",
         R"({"cases":[{"name":"a","width":4,"height":4,"background":0,"ops":[]},)"
         R"({"name":"A","width":4,"height":4,"background":0,"ops":[]}]})",
         "cases[1].name: another case is named \"A\""},
        {"conventions an array", R"({"conventions":[],"cases":[]})", "conventions: must be an object"},
        {"rop table entry not a number",
         R"({"conventions":{"rop_names":{"X":[]}},"cases":[{"name":"a","width":4,"height":4,)"
         R"("background":0,"ops":[["BitBlt","dst",0,0,1,1,"dst",0,0,"X"]]}]})",
         "conventions.rop_names.X: must be an integer"},
        {"nesting past the limit", Nested(limits::kMaxJsonDepth + 1), "nested deeper than"},
        {"nesting a hundred thousand deep", Nested(100000), "nested deeper than"},
    };
    const fs::path dir = fs::temp_directory_path() / ("orvelle_replay_" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path out = dir / "out";
    for (const Refused& k : cases) {
        try {
            replay::ReadManifest(k.manifest);
            ADD_FAILURE() << k.what << ": accepted";
        } catch (const json_input::ShapeError& e) {
            EXPECT_NE(std::string(e.what()).find(k.message), std::string::npos) << k.what << ": " << e.what();
        }
        // Through the command's function: refused whole, nothing written anywhere.
        const fs::path manifest = dir / "manifest.json";
        std::ofstream(manifest, std::ios::binary) << k.manifest;
        std::string errors;
        EXPECT_EQ(replay::ReplayManifestToDirectory(manifest.string(), out.string(), &errors), -1) << k.what;
        EXPECT_NE(errors.find("invalid manifest"), std::string::npos) << k.what << ": " << errors;
        EXPECT_FALSE(fs::exists(out)) << k.what;
        EXPECT_FALSE(fs::exists(dir / "x.png")) << k.what;
    }
    std::string errors;
    EXPECT_EQ(replay::ReplayManifestToDirectory((dir / "missing.json").string(), out.string(), &errors), -1);
    EXPECT_EQ(errors, "cannot open " + (dir / "missing.json").string() + "\n");
    fs::remove_all(dir);
}

TEST(ReplayManifest, AcceptedManifestWritesEachImageOnceAndLeaksNothing) {
    const std::string text =
        R"({"conventions":{"rop_names":{"SRCCOPY":"0x00CC0020"}},"cases":[)"
        R"({"name":"first","width":3,"height":2,"background":"0x000000FF","ops":[)"
        R"(["NewMono","m",3,2],["SelectBrush","dst","NULL"],["SelectBrush","dst","SOLID","0x00FF0000"],)"
        R"(["BitBlt","m",0,0,3,2,"dst",0,0,"SRCCOPY"],["DumpBits","m","mask"],["GetPixel","dst",1,1],)"
        R"(["SetPixel","dst",0,0,"0x00123456"]]},)"
        R"({"name":"second.case-2","width":1,"height":1,"background":"16777215","ops":[]}]})";
    const replay::Manifest manifest = replay::ReadManifest(text);
    ASSERT_EQ(manifest.cases.size(), 2u);
    const replay::CaseResult first = replay::RunCase(manifest.cases[0]);
    EXPECT_EQ(first.error, "");
    EXPECT_EQ(first.leaked_objects, 0);
    ASSERT_EQ(first.images.size(), 2u);
    EXPECT_EQ(first.images[0].name, "first__mask");
    EXPECT_EQ(first.images[0].pixels[4], 0u);  // red is not the background colour: black
    EXPECT_EQ(first.images[1].pixels[0], 0x00563412u);
    EXPECT_EQ(first.images[1].pixels[4], 0x00FF0000u);  // red as a pixel word
    ASSERT_EQ(first.queries.size(), 2u);
    EXPECT_EQ(first.queries[0]["result"], "0x000000FF");
    EXPECT_EQ(first.queries[0]["op_index"], 5);
    EXPECT_EQ(first.queries[1]["call"].dump(), R"(["SetPixel","dst",0,0,"0x00123456"])");
    EXPECT_EQ(replay::RunCase(manifest.cases[1]).images.at(0).pixels.at(0), 0x00FFFFFFu);
}

}  // namespace
}  // namespace ov::gdi
