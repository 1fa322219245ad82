#include "platform/files/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace ov::files {

namespace {

bool WriteAll(int fd, std::string_view contents) {
    while (!contents.empty()) {
        const ssize_t written = ::write(fd, contents.data(), contents.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        contents.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view contents) {
    const std::filesystem::path target(path);
    if (target.filename().empty()) return false;
    // A hidden sibling, so the rename stays within one file system and is atomic.
    std::filesystem::path temporary = target.parent_path() / ("." + target.filename().string() + ".XXXXXX");
    std::string name = temporary.string();
    const int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    // mkstemp creates the file readable by its owner only; give it the mode a newly created
    // file would have had.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, contents) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(name.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(name.c_str());
    return ok;
}

}  // namespace ov::files
