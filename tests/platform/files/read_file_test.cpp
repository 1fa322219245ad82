// Reading a file whole: its bytes exactly, and each way a read fails told apart.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

#include "platform/files/read_file.h"
#include "support/scratch_dir.h"

namespace ov::files {
namespace {

const char* Name(ReadError error) {
    switch (error) {
        case ReadError::None: return "None";
        case ReadError::NotFound: return "NotFound";
        case ReadError::Directory: return "Directory";
        case ReadError::NotRegularFile: return "NotRegularFile";
        case ReadError::TooLarge: return "TooLarge";
        case ReadError::ReadFailed: return "ReadFailed";
    }
    return "?";
}

TEST(ReadWholeFile, EachKindOfPath) {
    const testing_support::ScratchDir scratch("orvelle_read");
    const std::string bytes("line one\n\0\xFF binary", 19);
    const std::string file = scratch.Write("file.bin", bytes);
    const std::string empty = scratch.Write("empty", std::string());
    const std::string folder = scratch.Path("folder");
    std::filesystem::create_directory(folder);
    const std::string fifo = scratch.Path("fifo");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string loop = scratch.Path("loop");
    std::filesystem::create_symlink(loop, loop);
    const std::string link = scratch.Path("link");
    std::filesystem::create_symlink(file, link);

    struct Case {
        const char* name;
        std::string path;
        ReadOptions options;
        ReadError error;
        std::string bytes;
    };
    const Case cases[] = {
        {"a file", file, {}, ReadError::None, bytes},
        {"an empty file", empty, {}, ReadError::None, ""},
        {"a link to a file", link, {}, ReadError::None, bytes},
        {"exactly the limit", file, {.max_bytes = 19}, ReadError::None, bytes},
        {"one byte over the limit", file, {.max_bytes = 18}, ReadError::TooLarge, ""},
        {"missing", scratch.Path("missing"), {}, ReadError::NotFound, ""},
        {"below a file", file + "/inside", {}, ReadError::NotFound, ""},
        {"missing folder", scratch.Path("none/file"), {}, ReadError::NotFound, ""},
        {"a folder", folder, {}, ReadError::Directory, ""},
        {"a folder, streams read", folder, {.read_streams = true}, ReadError::Directory, ""},
        // Refused without waiting for a writer that never comes.
        {"a named pipe", fifo, {}, ReadError::NotRegularFile, ""},
        {"a device", "/dev/null", {}, ReadError::NotRegularFile, ""},
        {"a device, streams read", "/dev/null", {.read_streams = true}, ReadError::None, ""},
        {"a device past the limit", "/dev/zero", {.max_bytes = 100000, .read_streams = true}, ReadError::TooLarge, ""},
        // There, but not to be opened (a loop of links) or not to be read (memory never mapped).
        {"a loop of links", loop, {}, ReadError::ReadFailed, ""},
        {"a read that fails", "/proc/self/mem", {}, ReadError::ReadFailed, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const FileContents got = ReadWholeFile(c.path, c.options);
        EXPECT_STREQ(Name(got.error), Name(c.error));
        EXPECT_EQ(got.ok(), c.error == ReadError::None);
        EXPECT_EQ(got.bytes, c.bytes);
    }
}

// A pipe a script arrives through is read to its end; refused, it is refused at once.
TEST(ReadWholeFile, PipesAreReadOnlyWhenAskedFor) {
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string sent(200000, 'x');  // more than a pipe holds: written while it is read
    const std::string path = "/dev/fd/" + std::to_string(ends[0]);
    EXPECT_EQ(ReadWholeFile(path).error, ReadError::NotRegularFile);
    std::thread writer([&] {
        std::size_t done = 0;
        while (done < sent.size()) {
            const ssize_t n = ::write(ends[1], sent.data() + done, sent.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        ::close(ends[1]);
    });
    const FileContents got = ReadWholeFile(path, ReadOptions{.read_streams = true});
    writer.join();
    EXPECT_EQ(got.error, ReadError::None);
    EXPECT_EQ(got.bytes, sent);
    ::close(ends[0]);
}

}  // namespace
}  // namespace ov::files
