#pragma once
// One permission tool command line: setacl DIR /dir /grant ACCOUNT /read|/write [/silent].
#include <string>
#include <vector>

namespace qv::setacl {

struct GrantRequest {
    std::string directory;
    std::string account;
    bool read = false;
    bool write = false;
    bool silent = false;
    bool help = false;
};

// The arguments after the program name, as the Windows rules split the command line. Options compare without
// letter case, as Windows tools do; the directory is always the first argument, since a POSIX path starts
// with the option character. A directory quoted with a backslash before its closing quote ("C:\logs\") comes
// back whole. False with the reason in *error.
bool ParseGrantRequest(const std::vector<std::string>& given, GrantRequest* request, std::string* error);

} // namespace qv::setacl
