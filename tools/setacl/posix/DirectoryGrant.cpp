#include "DirectoryGrant.h"

#include "AccountMap.h"
#include "DirectoryAcl.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace qv::setacl {

namespace {

const char* const kHelp = R"(Usage: setacl DIRECTORY /dir /grant ACCOUNT /read|/write [/silent]

Gives ACCOUNT read (r-x) or write (rwx) rights on DIRECTORY: an entry of the directory's POSIX access
control list, and the same entry in its default list so that files and directories made in it later
inherit the rights. Rights are only added, never taken away. Options compare without letter case.

ACCOUNT is a Windows account name; a qualifier before a backslash is dropped ("MACHINE\IIS_WPG" and
"\IIS_WPG" both name IIS_WPG), except in a pool's account "IIS AppPool\POOL". The name is then looked up in the account map, and the local name found
there (or the name itself) is taken as a user or, failing that, as a group.

Account map: the file setacl.conf beside this program, or the file named by the environment variable
QUORVANE_SETACL_CONF. Lines of the form
    NAME = user:LOCALNAME      a local user
    NAME = group:LOCALNAME     a local group
    NAME = LOCALNAME           a user of that name, else a group
with NAME compared without letter case; "#" starts a comment. Built in, unless the file says otherwise:
    IIS_WPG = group:www-data           (the web server's group, and so are:)
    IIS_IUSRS, NETWORK SERVICE, LOCAL SERVICE = group:www-data
    IIS AppPool\* = group:www-data     (every pool's account; IIS AppPool\POOL maps one pool)
    SYSTEM  = user:root

/silent prints nothing. Exit status 0 when the rights were given, 1 otherwise (the reason on standard
error): a missing directory, an unknown account, bad arguments, or a file system without ACLs, in which
case nothing is changed.
)";

std::filesystem::path MapFile(const char* argv0, bool* mustExist) {
    if (const char* named = std::getenv("QUORVANE_SETACL_CONF"); named && *named) {
        *mustExist = true;
        return named;
    }
    *mustExist = false;
    std::error_code error;
    std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        program = std::filesystem::absolute(argv0, error);
    return program.parent_path() / "setacl.conf";
}

} // namespace

const char* DirectoryGrant::Help() {
    return kHelp;
}

bool DirectoryGrant::Apply(const GrantRequest& request, const char* argv0, std::string* done,
                           std::string* error) {
    AccountMap accounts;
    bool mustExist = false;
    const std::filesystem::path mapFile = MapFile(argv0, &mustExist);
    if (!accounts.Load(mapFile, mustExist, error))
        return false;
    const std::optional<LocalAccount> account = accounts.Resolve(request.account, error);
    if (!account)
        return false;
    const DirectoryAcl::Rights rights =
        request.write ? DirectoryAcl::Rights::Write : DirectoryAcl::Rights::Read;
    if (!DirectoryAcl::Grant(request.directory, *account, rights, error))
        return false;
    *done = std::string(rights == DirectoryAcl::Rights::Write ? "write (rwx)" : "read (r-x)") + " on \"" +
            request.directory + "\" for " + (account->kind == LocalAccount::Kind::User ? "user " : "group ") +
            account->name;
    return true;
}

} // namespace qv::setacl
