// Replays every case of the reference manifest through the public drawing calls and compares
// the result with the reference images pixel by pixel (and the GetPixel/SetPixel results).
// Cases marked with caveats document quirks of the implementation that produced the images;
// they must replay cleanly but their pixels are not required to match.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>

#include "platform/gdi/png_io.h"
#include "platform/gdi/replay/replay.h"

namespace ov::gdi {
namespace {

using nlohmann::json;

const std::string kDir = std::string(ORVELLE_TESTDATA) + "/gdi-reference";

json Load(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    return in ? json::parse(in) : json();
}

TEST(ReferencePixels, EveryCaseWithoutCaveatsMatchesExactly) {
    std::ifstream in(kDir + "/cases.json", std::ios::binary);
    ASSERT_TRUE(in);
    const replay::Manifest manifest =
        replay::ReadManifest(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    const json reference_queries = Load(kDir + "/ref/queries.json").value("queries", json::object());
    ASSERT_GT(manifest.cases.size(), 600u);
    int compared_cases = 0, caveat_cases = 0;
    long long caveat_pixels = 0, caveat_mismatches = 0;
    for (const replay::Case& test_case : manifest.cases) {
        const replay::CaseResult result = replay::RunCase(test_case);
        SCOPED_TRACE(result.name);
        ASSERT_TRUE(result.error.empty()) << result.error;
        EXPECT_EQ(result.leaked_objects, 0);
        const bool caveats = test_case.has_caveats;
        for (const replay::Image& image : result.images) {
            int w = 0, h = 0;
            std::vector<std::uint32_t> expected;
            ASSERT_TRUE(ReadPng(kDir + "/ref/" + image.name + ".png", &w, &h, &expected)) << image.name;
            ASSERT_EQ(w, image.width) << image.name;
            ASSERT_EQ(h, image.height) << image.name;
            int mismatches = 0;
            std::string first;
            for (int i = 0; i < w * h; ++i)
                if ((expected[i] & 0xFFFFFF) != image.pixels[i]) {
                    if (mismatches++ == 0) {
                        char text[96];
                        std::snprintf(text, sizeof text, "first at (%d,%d): reference %06X, got %06X", i % w, i / w,
                                      expected[i] & 0xFFFFFF, image.pixels[i]);
                        first = text;
                    }
                }
            if (caveats) {
                caveat_pixels += w * h;
                caveat_mismatches += mismatches;
            } else {
                EXPECT_EQ(mismatches, 0) << image.name << ": " << first;
            }
        }
        if (!caveats && reference_queries.contains(result.name)) {
            std::map<int, std::string> got;
            for (const json& q : result.queries) got[q["op_index"].get<int>()] = q["result"].get<std::string>();
            for (const json& q : reference_queries[result.name]) {
                const int index = q["op_index"].get<int>();
                EXPECT_EQ(got[index], q["result"].get<std::string>())
                    << "query at op " << index << " " << q["call"].dump();
            }
        }
        caveats ? ++caveat_cases : ++compared_cases;
    }
    EXPECT_GT(compared_cases, 600);
    std::printf("compared %d cases exactly; %d cases with caveats: %lld of %lld pixels differ\n", compared_cases,
                caveat_cases, caveat_mismatches, caveat_pixels);
}

}  // namespace
}  // namespace ov::gdi
