// Replacing a file: the new contents arrive whole, and a failure at any point leaves the old
// file as it was and no temporary file behind; a batch of files likewise, flushed once.
#include <gtest/gtest.h>

#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "platform/files/replace_file.h"
#include "support/scratch_dir.h"

namespace ov::files {
namespace {

class ReplaceFileTest : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return scratch_.Path(name); }
    static std::string Read(const std::string& path) { return testing_support::ScratchDir::Read(path); }
    int FilesInDirectory() const {
        int count = 0;
        for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir_)) ++count;
        return count;
    }

    testing_support::ScratchDir scratch_{"orvelle_replace"};
    const std::filesystem::path& dir_ = scratch_.path();
};

TEST_F(ReplaceFileTest, NewContentsReplaceTheOldWhole) {
    const std::string path = Path("form.json");
    std::ofstream(path) << "old contents that are longer than the new ones";
    ASSERT_TRUE(ReplaceFile(path, "new"));
    EXPECT_EQ(Read(path), "new");
    ASSERT_TRUE(ReplaceFile(Path("fresh.json"), std::string("a\0b", 3)));
    EXPECT_EQ(Read(Path("fresh.json")), std::string("a\0b", 3));
    EXPECT_EQ(FilesInDirectory(), 2);
}

// Limits the size of files this process may write, the way a full disk cuts a write short.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        previous_handler_ = std::signal(SIGXFSZ, SIG_IGN);  // a failed write, not a killed process
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previous_handler_);
    }

private:
    rlimit previous_{};
    void (*previous_handler_)(int);
};

TEST_F(ReplaceFileTest, AFailureKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string path = Path("bag.json");
    const struct {
        const char* what;
        std::function<bool()> replace;
    } cases[] = {
        {"a write cut short",
         [&] {
             const FileSizeLimit limit(1024);
             return ReplaceFile(path, std::string(64 * 1024, 'x'));
         }},
        {"a missing directory", [&] { return ReplaceFile(Path("missing/bag.json"), "new"); }},
        {"a directory in the way", [&] { return ReplaceFile(Path("folder"), "new"); }},
        {"no file name", [&] { return ReplaceFile(dir_.string() + "/", "new"); }},
    };
    for (const auto& c : cases) {
        std::filesystem::remove_all(dir_);
        std::filesystem::create_directories(dir_ / "folder");
        std::ofstream(path) << "old";
        EXPECT_FALSE(c.replace()) << c.what;
        EXPECT_EQ(Read(path), "old") << c.what;
        EXPECT_TRUE(std::filesystem::is_directory(dir_ / "folder")) << c.what;
        EXPECT_EQ(FilesInDirectory(), 2) << c.what;  // bag.json and folder, nothing else
    }
}

// A batch replaces each target whole, as ReplaceFile does, and leaves no temporary behind; the
// flush comes once, at Commit.
TEST_F(ReplaceFileTest, BatchReplacesEachFileWholeAndCommitsOnce) {
    std::ofstream(Path("0.png")) << "old contents that are longer than the new ones";
    BatchWriter batch;
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(batch.Replace(Path((std::to_string(i) + ".png").c_str()), std::to_string(i * i)));
    EXPECT_FALSE(batch.Replace(Path("missing/x.png"), "x"));
    EXPECT_FALSE(batch.Replace(Path("folder/"), "x"));
    ASSERT_TRUE(batch.Commit());
    EXPECT_EQ(FilesInDirectory(), 50);
    for (int i = 0; i < 50; ++i) EXPECT_EQ(Read(Path((std::to_string(i) + ".png").c_str())), std::to_string(i * i));
    EXPECT_TRUE(batch.Commit());  // nothing left to flush
}

}  // namespace
}  // namespace ov::files
