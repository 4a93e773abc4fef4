#include "GrantRequest.h"

#include <algorithm>
#include <cctype>

namespace qv::setacl {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool IsHelp(const std::string& arg) {
    const std::string lower = Lower(arg);
    return lower == "/?" || lower == "-h" || lower == "--help" || lower == "/help";
}

} // namespace

bool ParseGrantRequest(const std::vector<std::string>& args, GrantRequest* request, std::string* error) {
    *request = GrantRequest{};
    if (args.size() == 1 && IsHelp(args[0])) {
        request->help = true;
        return true;
    }
    if (args.empty()) {
        *error = "no directory given";
        return false;
    }
    request->directory = args[0];
    if (request->directory.empty()) {
        *error = "the directory is empty";
        return false;
    }
    bool isDirectory = false;
    bool haveAccount = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string option = Lower(args[i]);
        if (option == "/dir") {
            isDirectory = true;
        } else if (option == "/grant") {
            if (haveAccount) {
                *error = "/grant given twice";
                return false;
            }
            if (i + 1 >= args.size()) {
                *error = "/grant needs an account";
                return false;
            }
            request->account = args[++i];
            haveAccount = true;
        } else if (option == "/read") {
            request->read = true;
        } else if (option == "/write") {
            request->write = true;
        } else if (option == "/silent") {
            request->silent = true;
        } else {
            *error = "unknown argument \"" + args[i] + "\"";
            return false;
        }
    }
    if (!isDirectory) {
        *error = "only directories are supported: /dir is missing";
        return false;
    }
    if (!haveAccount || request->account.empty()) {
        *error = "no account given with /grant";
        return false;
    }
    if (!request->read && !request->write) {
        *error = "neither /read nor /write given";
        return false;
    }
    return true;
}

} // namespace qv::setacl
