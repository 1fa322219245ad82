#pragma once
// Every file the library writes (forms, property bags, PNG images) replaces its target whole or
// not at all: the bytes go to a new temporary file in the target's directory, which is flushed
// to disk and then renamed over the target. A failure part-way (a full disk, a killed process)
// leaves the old file as it was, or no file, and never a truncated one.
#include <set>
#include <string>
#include <string_view>

namespace ov::files {

// Writes `contents` as the file at `path` (UTF-8 file-system path). False, with the target and
// its directory as they were, when the temporary file cannot be created, written or renamed.
bool ReplaceFile(const std::string& path, std::string_view contents);

// Many files written as one batch (a replay's images): each replaces its target whole, as
// ReplaceFile does, but none is flushed on its own; Commit makes the whole batch durable with
// one flush of each file system written to, so a batch of thousands of files costs one wait
// for the disk instead of one each. Until Commit, a crash may lose files of the batch (the old
// file or none then remains, or a renamed file whose bytes had not reached the disk yet).
class BatchWriter {
public:
    // False, with the target as it was, as for ReplaceFile.
    bool Replace(const std::string& path, std::string_view contents);
    // Flushes everything written to the folders of this batch; false when a flush fails.
    bool Commit();

private:
    std::set<std::string> folders_;
};

}  // namespace ov::files
