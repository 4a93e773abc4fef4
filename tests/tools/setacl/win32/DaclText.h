#pragma once
// DACLs as SDDL text, for comparing what a grant leaves.
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <string>

namespace qv::setacl {

// "unreadable" when there is no DACL to read.
inline std::string DaclText(PSECURITY_DESCRIPTOR descriptor) {
    char* text = nullptr;
    if (descriptor)
        ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, nullptr);
    const std::string result(text ? text : "unreadable");
    LocalFree(text);
    return result;
}

inline std::string DaclText(const std::string& name, SE_OBJECT_TYPE type) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    GetNamedSecurityInfoA(name.c_str(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                          &descriptor);
    const std::string text = DaclText(descriptor);
    LocalFree(descriptor);
    return text;
}

// The entries of before that after lacks.
inline std::string LostEntries(const std::string& before, const std::string& after) {
    std::string lost;
    for (std::size_t open = before.find('('); open != std::string::npos; open = before.find('(', open + 1)) {
        const std::string entry = before.substr(open, before.find(')', open) + 1 - open);
        lost += after.find(entry) == std::string::npos ? entry : "";
    }
    return lost;
}

} // namespace qv::setacl
