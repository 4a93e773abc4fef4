// setacl: gives a user or group read or write rights on a directory, for the command lines the suite starts:
// setacl "DIR" /dir /grant "ACCOUNT" /read|/write /silent
// On Windows it is a program without a console, so that nothing flashes up when the suite starts it.
#include "DirectoryGrant.h"
#include "GrantRequest.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace qv::setacl;
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    GrantRequest request;
    std::string error;
    const bool parsed = ParseGrantRequest(args, &request, &error);
    const auto fail = [&request](const std::string& reason) {
        if (!request.silent)
            std::cerr << "setacl: " << reason << '\n';
        return 1;
    };
    if (!parsed)
        return fail(error + " (setacl --help tells more)");
    if (request.help) {
        std::cout << DirectoryGrant::Help();
        return 0;
    }
    std::string done;
    if (!DirectoryGrant::Apply(request, argc > 0 ? argv[0] : "setacl", &done, &error))
        return fail(error);
    if (!request.silent)
        std::cout << "setacl: " << done << '\n';
    return 0;
}
