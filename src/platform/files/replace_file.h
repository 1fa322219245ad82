#pragma once
// Every file the library writes (forms, property bags, PNG images) replaces its target whole or
// not at all: the bytes go to a new temporary file in the target's directory, which is flushed
// to disk and then renamed over the target. A failure part-way (a full disk, a killed process)
// leaves the old file as it was, or no file, and never a truncated one.
#include <string>
#include <string_view>

namespace ov::files {

// Writes `contents` as the file at `path` (UTF-8 file-system path). False, with the target and
// its directory as they were, when the temporary file cannot be created, written or renamed.
bool ReplaceFile(const std::string& path, std::string_view contents);

}  // namespace ov::files
