#include "platform/files/read_file.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

namespace ov::files {

bool ReadWholeFile(const std::string& path, std::string* contents) {
    // Only a regular file has an end to read to: a folder fails to read (the stream throws), and
    // a device or pipe may never end.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) return false;
        contents->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        return !in.bad();
    } catch (const std::ios_base::failure&) {
        return false;
    }
}

}  // namespace ov::files
