#pragma once
// One entry of a directory listing, as FileSystem::List gives it.
#include <string>

namespace qv {

struct DirectoryEntry {
    std::string name;
    bool isDirectory = false; // a directory or a link to one
    bool isFile = false;      // a regular file or a link to one
    bool isLink = false;      // a symbolic link
};

} // namespace qv
