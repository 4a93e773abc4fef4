#include "DaclGrant.h"

#include <cstddef>
#include <cstring>

namespace qv::setacl {

namespace {

constexpr BYTE kInherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
constexpr BYTE kInheritFlags = kInherit | INHERIT_ONLY_ACE | NO_PROPAGATE_INHERIT_ACE | INHERITED_ACE;
constexpr DWORD kMaxAclSize = 0xFFFC;

ACE_HEADER* AceAt(const ACL* dacl, DWORD index) {
    void* ace = nullptr;
    return GetAce(const_cast<ACL*>(dacl), index, &ace) ? static_cast<ACE_HEADER*>(ace) : nullptr;
}

bool IsGrantOf(const ACE_HEADER* ace, PSID sid) {
    return ace->AceType == ACCESS_ALLOWED_ACE_TYPE && (ace->AceFlags & kInheritFlags) == kInherit &&
           EqualSid(const_cast<DWORD*>(&reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace)->SidStart), sid);
}

} // namespace

DaclGrant::Outcome DaclGrant::Add(const ACL* dacl, PSID sid, ACCESS_MASK rights, std::vector<DWORD>* result) {
    result->clear();
    if (!dacl)
        return Outcome::Unchanged;
    DWORD merged = dacl->AceCount; // the entry that takes the rights in, if any
    DWORD insertAt = dacl->AceCount;
    DWORD used = sizeof(ACL);
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        const ACE_HEADER* ace = AceAt(dacl, i);
        if (!ace)
            return Outcome::Failed;
        used += ace->AceSize;
        if ((ace->AceFlags & INHERITED_ACE) && insertAt == dacl->AceCount)
            insertAt = i;
        if (merged == dacl->AceCount && IsGrantOf(ace, sid)) { // never an inherited entry
            if ((reinterpret_cast<const ACCESS_ALLOWED_ACE*>(ace)->Mask & rights) == rights)
                return Outcome::Unchanged;
            merged = i;
        }
    }
    const DWORD newAce = offsetof(ACCESS_ALLOWED_ACE, SidStart) + GetLengthSid(sid);
    const DWORD size = merged == dacl->AceCount ? used + newAce : used;
    if (size > kMaxAclSize)
        return Outcome::Failed;

    result->assign((size + 3) / 4, 0);
    ACL* acl = reinterpret_cast<ACL*>(result->data());
    const DWORD revision = dacl->AclRevision;
    bool ok = InitializeAcl(acl, size, revision);
    for (DWORD i = 0; ok && i <= dacl->AceCount; ++i) {
        if (i == insertAt && merged == dacl->AceCount)
            ok = AddAccessAllowedAceEx(acl, revision, kInherit, rights, sid);
        if (!ok || i == dacl->AceCount)
            break;
        const ACE_HEADER* ace = AceAt(dacl, i);
        std::vector<BYTE> copy(reinterpret_cast<const BYTE*>(ace),
                               reinterpret_cast<const BYTE*>(ace) + ace->AceSize);
        if (i == merged)
            reinterpret_cast<ACCESS_ALLOWED_ACE*>(copy.data())->Mask |= rights;
        ok = AddAce(acl, revision, MAXDWORD, copy.data(), ace->AceSize);
    }
    if (!ok) {
        result->clear();
        return Outcome::Failed;
    }
    return Outcome::Changed;
}

} // namespace qv::setacl
