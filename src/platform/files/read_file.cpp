#include "platform/files/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ov::files {

namespace {

class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

ReadError OpenError(int error_number) {
    return error_number == ENOENT || error_number == ENOTDIR ? ReadError::NotFound : ReadError::ReadFailed;
}

FileContents Failed(ReadError error) { return FileContents{error, {}}; }

// Reads to the end of the file, which may have grown or shrunk since it was measured: the
// measured size straight into place, then whatever follows.
ReadError ReadToEnd(int fd, std::uintmax_t expected_size, std::uintmax_t max_bytes, std::string* out) {
    out->resize(static_cast<std::size_t>(expected_size));
    std::size_t filled = 0;
    while (filled < out->size()) {
        const ssize_t got = ::read(fd, out->data() + filled, out->size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return ReadError::ReadFailed;
        if (got == 0) {  // the file shrank while it was read
            out->resize(filled);
            return ReadError::None;
        }
        filled += static_cast<std::size_t>(got);
    }
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return ReadError::ReadFailed;
        if (got == 0) return ReadError::None;
        if (static_cast<std::uintmax_t>(got) > max_bytes - out->size()) return ReadError::TooLarge;
        out->append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

FileContents ReadWholeFile(const std::string& path, const ReadOptions& options) {
    // Without waiting when streams are refused: a pipe opened this way neither blocks the open
    // nor, once found out below, the read. A stream the caller wants is opened as usual, so a
    // named pipe waits for its writer.
    const int flags = O_RDONLY | O_CLOEXEC | (options.read_streams ? 0 : O_NONBLOCK);
    const Descriptor fd(::open(path.c_str(), flags));
    if (fd.get() < 0) return Failed(OpenError(errno));
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return Failed(ReadError::ReadFailed);
    if (S_ISDIR(info.st_mode)) return Failed(ReadError::Directory);
    const bool regular = S_ISREG(info.st_mode);
    if (!regular && !options.read_streams) return Failed(ReadError::NotRegularFile);
    const auto size = regular ? static_cast<std::uintmax_t>(info.st_size) : 0;
    if (size > options.max_bytes) return Failed(ReadError::TooLarge);
    FileContents contents;
    contents.error = ReadToEnd(fd.get(), size, options.max_bytes, &contents.bytes);
    if (!contents.ok()) contents.bytes.clear();
    return contents;
}

}  // namespace ov::files
