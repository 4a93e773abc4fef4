#pragma once
// A Windows account name as its security identifier, found with LookupAccountName: "DOMAIN\user",
// "user@domain", "IIS AppPool\name", "SYSTEM", groups.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qv::setacl {

class WindowsAccount {
public:
    // The suite qualifies accounts with this computer's name (or with nothing: "\IIS_WPG"), which the
    // well-known ones do not carry (SYSTEM is NT AUTHORITY\SYSTEM); such a qualifier is dropped when the
    // whole name finds nothing. Any other qualifier stays, so that another domain's user never becomes a
    // local one. None with the reason.
    static std::optional<WindowsAccount> Find(std::string_view name, std::string* error);

    PSID Sid() const { return const_cast<DWORD*>(m_sid.data()); }
    std::string SidText() const;                       // S-1-5-18
    const std::string& Name() const { return m_name; } // DOMAIN\name as the system spells it

private:
    std::vector<DWORD> m_sid; // DWORDs keep the identifier aligned
    std::string m_name;
};

} // namespace qv::setacl
