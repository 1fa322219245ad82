#pragma once
// Reading a file whole, the counterpart of ReplaceFile: the one way the library and its tools
// read files, with the reasons a read fails told apart so that each caller maps them onto its
// own errors.
#include <cstdint>
#include <limits>
#include <string>

namespace ov::files {

enum class ReadError : std::uint8_t {
    None,
    NotFound,        // nothing at the path (or a path through something that is not a folder)
    Directory,       // the path names a folder
    NotRegularFile,  // a pipe, device or socket, refused unless the caller reads streams
    TooLarge,        // more than the caller's limit
    ReadFailed,      // there, but it could not be opened or read (access refused, an I/O error)
};

struct ReadOptions {
    // A larger file is refused before it is read (a stream: as soon as it grows past it).
    std::uintmax_t max_bytes = std::numeric_limits<std::uintmax_t>::max();
    // Pipes and devices are read to their end (a script piped in) instead of being refused.
    // Refused, they are found out on the descriptor opened without waiting, so that neither a
    // pipe nor one swapped in for the name after a check can block the read.
    bool read_streams = false;
};

struct FileContents {
    ReadError error = ReadError::None;
    std::string bytes;  // the whole file when error is None, empty otherwise
    bool ok() const { return error == ReadError::None; }
};

FileContents ReadWholeFile(const std::string& path, const ReadOptions& options = {});

}  // namespace ov::files
