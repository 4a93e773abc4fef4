#pragma once
// Adds a grant to the DACL of a named object: a directory, or in the tests a registry key, whose security
// Wine keeps where it keeps none for files.
#include <windows.h>

#include <aclapi.h>

#include <string>

namespace qv::setacl {

class ObjectAcl {
public:
    // The suite starts two or four grants on one directory at once, and each reads, changes and writes the
    // whole DACL: they take turns through a mutex named after lockKey (one name for every spelling of the
    // object), or the last to write would undo the others. False with the reason, the DACL unchanged.
    static bool Grant(const std::string& name, SE_OBJECT_TYPE type, const std::string& lockKey, PSID sid,
                      ACCESS_MASK rights, std::string* error);
};

} // namespace qv::setacl
