#include "support/scratch_dir.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/files/read_file.h"

namespace ov::testing_support {

ScratchDir::ScratchDir(std::string_view prefix) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = std::filesystem::temp_directory_path() /
            (std::string(prefix) + "_" + std::to_string(::getpid()) + "_" + (test ? test->name() : "outside_a_test"));
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ScratchDir::Path(std::string_view name) const { return (path_ / name).string(); }

std::string ScratchDir::Write(std::string_view name, std::string_view bytes) const {
    const std::string path = Path(name);
    std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

std::string ScratchDir::Write(std::string_view name, const std::vector<std::uint8_t>& bytes) const {
    return Write(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

std::string ScratchDir::Read(const std::string& path) { return files::ReadWholeFile(path).bytes; }

}  // namespace ov::testing_support
