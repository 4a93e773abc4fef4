#include "DirectoryGrant.h"

#include "DirectoryAcl.h"
#include "WindowsAccount.h"

namespace qv::setacl {

const char* DirectoryGrant::Help() {
    return R"(Usage: setacl.exe DIRECTORY /dir /grant ACCOUNT /read|/write [/silent]

Gives ACCOUNT read and execute (/read) or modify (/write) rights on DIRECTORY, inherited by its
subdirectories and files. The entry is added to the directory's access control list; nothing is taken
away. Options compare without letter case.

ACCOUNT is any name the system knows: DOMAIN\user, user@domain, IIS AppPool\name, SYSTEM, a group. A
qualifier that is empty or this computer's name is dropped when the whole name is unknown
("MACHINE\SYSTEM" is SYSTEM).

/silent prints nothing. Exit status 0 when the rights were given, 1 otherwise: a missing directory, an
unknown account or bad arguments, in which case nothing is changed.
)";
}

bool DirectoryGrant::Apply(const GrantRequest& request, const char*, std::string* done, std::string* error) {
    const std::optional<WindowsAccount> account = WindowsAccount::Find(request.account, error);
    if (!account)
        return false;
    const DirectoryAcl::Rights rights =
        request.write ? DirectoryAcl::Rights::Write : DirectoryAcl::Rights::Read;
    if (!DirectoryAcl::Grant(request.directory, account->Sid(), rights, error))
        return false;
    *done = std::string(rights == DirectoryAcl::Rights::Write ? "modify" : "read and execute") + " on \"" +
            request.directory + "\" for " + account->Name();
    return true;
}

} // namespace qv::setacl
