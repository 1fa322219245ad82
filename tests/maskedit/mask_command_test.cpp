#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Runs the built CLI through the shell and returns what it printed.
std::string RunMaskCommand(const std::string& arguments, int* status = nullptr) {
    const std::string command = std::string("'") + ORVELLE_CLI + "' mask " + arguments + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[512];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe)) out += buffer;
    const int rc = pipe ? pclose(pipe) : -1;
    if (status) *status = rc;
    return out;
}

TEST(MaskCommand, DateMaskWithFixedClock) {
    EXPECT_EQ(RunMaskCommand("--now '2024-06-01 13:05:09' 2 'DD/MM/YY' '01/01/74' '31/04/24' '4'"),
              "mask valid\n"
              "\"01/01/74\" valid=True partial=True date=#1974-01-01 00:00:00#\n"
              "\"31/04/24\" valid=False partial=True date=#1899-12-30 00:00:00#\n"
              "\"4\" valid=False partial=False date=#1899-12-30 00:00:00#\n");
    EXPECT_EQ(RunMaskCommand("--now '2024-06-01 00:00:00' 2 'HH:MM'"), "mask invalid\n");
}

TEST(MaskCommand, TextAndNumericFormatsAndQuoting) {
    EXPECT_EQ(RunMaskCommand("0 '(###) ###-####' '(555) 123-4567' '(5a'"),
              "mask valid\n\"(555) 123-4567\" valid=True partial=True\n\"(5a\" valid=False partial=False\n");
    EXPECT_EQ(RunMaskCommand("1 '-##' '-' '-123'"),
              "mask valid\n\"-\" valid=True partial=True\n\"-123\" valid=False partial=False\n");
    EXPECT_EQ(RunMaskCommand("0 '' \"$(printf 'a\\042b\\134\\tc\\001')\""),
              "mask valid\n\"a\\\"b\\\\\\tc\\x01\" valid=True partial=True\n");
    EXPECT_EQ(RunMaskCommand("0 '[AB'"), "mask invalid\n");
}

TEST(MaskCommand, UsageErrors) {
    for (const char* arguments : {"x y", "--now yesterday 2 DD", "3 '##'", "-1 '##'", "01 '##'", "'' '##'", "1"}) {
        int status = 0;
        EXPECT_EQ(RunMaskCommand(arguments, &status), "") << arguments;
        EXPECT_NE(status, 0) << arguments;
    }
}

TEST(MaskCommand, Utf8TextIsOneCharacterPerLetter) {
    // Four characters for the four-character pattern, and the text printed back as it came.
    EXPECT_EQ(RunMaskCommand("0 '\?\?\?\?' 'caf\xC3\xA9' 'cafe!'"),
              "mask valid\n\"caf\xC3\xA9\" valid=True partial=True\n\"cafe!\" valid=False partial=False\n");
    EXPECT_EQ(RunMaskCommand("0 '\xC3\xA9?' '\xC3\xA9t'"), "mask valid\n\"\xC3\xA9t\" valid=True partial=True\n");
}

}  // namespace
