#pragma once
// A fresh folder under the system's temporary directory for the running test, named after the
// process and the test so parallel runs never share one, removed with everything in it.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ov::testing_support {

class ScratchDir {
public:
    explicit ScratchDir(std::string_view prefix);
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path of `name` inside the folder; nothing is created.
    std::string Path(std::string_view name) const;
    // Writes `bytes` to `name` inside the folder and returns its path.
    std::string Write(std::string_view name, std::string_view bytes) const;
    std::string Write(std::string_view name, const std::vector<std::uint8_t>& bytes) const;
    // The whole contents of a file, empty when it cannot be read.
    static std::string Read(const std::string& path);

private:
    std::filesystem::path path_;
};

}  // namespace ov::testing_support
