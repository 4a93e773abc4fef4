#pragma once
// Adds rights for one user or group to a directory's POSIX ACL, and the same to its default ACL so that
// files and directories made in it later inherit them. Rights are only ever added.
#include "AccountMap.h"

#include <string>

namespace qv::setacl {

class DirectoryAcl {
public:
    enum class Rights { Read, Write }; // r-x, rwx

    // False with the reason; on failure the directory keeps the ACLs it had.
    static bool Grant(const std::string& directory, const LocalAccount& account, Rights rights,
                      std::string* error);
};

} // namespace qv::setacl
