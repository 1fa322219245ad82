#pragma once
// Reading a file whole, the counterpart of ReplaceFile.
#include <string>

namespace ov::files {

// Reads the file at `path` into `contents`. False when it cannot be opened or read (contents
// then unspecified); callers decide beforehand what a missing or oversized file means to them.
bool ReadWholeFile(const std::string& path, std::string* contents);

}  // namespace ov::files
