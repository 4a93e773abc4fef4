#pragma once
// The DACL that a grant leaves, made from the one the object has: the rights allowed to the account on the
// directory and, inherited, on its subdirectories and files (container and object inherit). Every entry
// stays. An explicit allowing entry of the account with that same inheritance takes the rights in, so that
// the grants the suite repeats on every save do not grow the list; otherwise the new entry goes after the
// explicit entries and before the inherited ones, the order Windows keeps.
#include <windows.h>

#include <vector>

namespace qv::setacl {

class DaclGrant {
public:
    enum class Outcome {
        Changed,   // *result holds the new DACL
        Unchanged, // the rights are there already; a null DACL allows everyone everything
        Failed,    // beyond the 64 KB of a DACL, or an old list the system cannot read
    };
    static Outcome Add(const ACL* dacl, PSID sid, ACCESS_MASK rights, std::vector<DWORD>* result);
};

} // namespace qv::setacl
