#pragma once
// Reading a file whole, the counterpart of ReplaceFile.
#include <string>

namespace ov::files {

// Reads the file at `path` into `contents`. False when it is not a regular file (missing, a
// folder, a device, a pipe) or cannot be opened or read (contents then unspecified); callers
// decide beforehand what an oversized file means to them.
bool ReadWholeFile(const std::string& path, std::string* contents);

}  // namespace ov::files
