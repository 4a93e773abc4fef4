#pragma once
// Gives the account of a command line its rights on the directory: POSIX ACLs or a Windows DACL, chosen by
// the build.
#include "GrantRequest.h"

#include <string>

namespace qv::setacl {

class DirectoryGrant {
public:
    // The text of --help.
    static const char* Help();
    // True with what was given in *done; false with the reason in *error, the directory unchanged.
    static bool Apply(const GrantRequest& request, const char* argv0, std::string* done, std::string* error);
};

} // namespace qv::setacl
