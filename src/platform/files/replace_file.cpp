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

// The temporary sibling written, optionally flushed, and renamed over the target.
bool Replace(const std::string& path, std::string_view contents, bool flush) {
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
    bool ok = ::fchmod(fd, 0666 & ~mask) == 0 && WriteAll(fd, contents) && (!flush || ::fsync(fd) == 0);
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(name.c_str(), path.c_str()) == 0;
    if (!ok) ::unlink(name.c_str());
    return ok;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view contents) { return Replace(path, contents, true); }

bool BatchWriter::Replace(const std::string& path, std::string_view contents) {
    if (!files::Replace(path, contents, false)) return false;
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    folders_.insert(folder.empty() ? std::string(".") : folder.string());
    return true;
}

bool BatchWriter::Commit() {
    bool ok = true;
    for (const std::string& folder : folders_) {
        // syncfs flushes the whole file system the folder is on: the batch's file contents and
        // its renames in one call.
        const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            ok = false;
            continue;
        }
        ok = ::syncfs(fd) == 0 && ok;
        ::close(fd);
    }
    folders_.clear();
    return ok;
}

}  // namespace ov::files
