#include "WindowsAccount.h"

#include "SystemMessage.h"
#include "platform/AsciiText.h"
#include "platform/ComputerName.h"

#include <sddl.h>

namespace qv::setacl {

namespace {

// DWORD-aligned room for the identifier, and the domain name; zero when the name finds no account.
DWORD Lookup(const std::string& name, std::vector<DWORD>* sid, std::string* domain) {
    sid->assign((SECURITY_MAX_SID_SIZE + 3) / 4, 0);
    DWORD domainSize = 256;
    for (;;) {
        DWORD sidSize = SECURITY_MAX_SID_SIZE;
        domain->assign(domainSize, '\0');
        SID_NAME_USE use = SidTypeUnknown;
        if (LookupAccountNameA(nullptr, name.c_str(), sid->data(), &sidSize, domain->data(), &domainSize,
                               &use)) {
            domain->resize(domainSize);
            return ERROR_SUCCESS;
        }
        const DWORD status = GetLastError();
        if (status != ERROR_INSUFFICIENT_BUFFER || domainSize <= domain->size())
            return status;
    }
}

} // namespace

std::optional<WindowsAccount> WindowsAccount::Find(std::string_view name, std::string* error) {
    WindowsAccount account;
    std::string domain;
    std::string tried(name);
    DWORD status = tried.empty() ? ERROR_NONE_MAPPED : Lookup(tried, &account.m_sid, &domain);
    if (status == ERROR_NONE_MAPPED) {
        const std::size_t slash = tried.find('\\');
        const std::string qualifier = tried.substr(0, slash);
        if (slash != std::string::npos && slash + 1 < tried.size() &&
            (qualifier.empty() || AsciiText::EqualNoCase(qualifier, ComputerName::Get()))) {
            tried.erase(0, slash + 1);
            status = Lookup(tried, &account.m_sid, &domain);
        }
    }
    if (status != ERROR_SUCCESS) {
        *error = status == ERROR_NONE_MAPPED
                     ? "unknown account \"" + std::string(name) + "\""
                     : "cannot look up the account \"" + std::string(name) + "\": " + SystemMessage(status);
        return std::nullopt;
    }
    const std::size_t slash = tried.rfind('\\');
    account.m_name =
        (domain.empty() ? "" : domain + "\\") + tried.substr(slash == std::string::npos ? 0 : slash + 1);
    return account;
}

std::string WindowsAccount::SidText() const {
    char* text = nullptr;
    if (!ConvertSidToStringSidA(Sid(), &text))
        return {};
    std::string result(text);
    LocalFree(text);
    return result;
}

} // namespace qv::setacl
