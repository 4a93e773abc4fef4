#include "GrantRequest.h"

#include "platform/AsciiText.h"

#include <sstream>

namespace qv::setacl {

namespace {

bool IsHelp(const std::string& arg) {
    const std::string lower = AsciiText::Lower(arg);
    return lower == "/?" || lower == "-h" || lower == "--help" || lower == "/help";
}

bool IsOption(const std::string& word) {
    const std::string lower = AsciiText::Lower(word);
    return lower == "/dir" || lower == "/grant" || lower == "/read" || lower == "/write" ||
           lower == "/silent";
}

// The suite quotes the directory as it is, and its log directories end in a backslash: "C:\logs\" /dir ...
// Split by the Windows rules, that backslash makes the closing quote a literal one, and the rest of the
// command line runs on into the first argument (an account with a space in it splits there, the space
// lost). No directory or account holds a quotation mark, so the quote marks where the directory ended.
std::vector<std::string> Rejoined(const std::vector<std::string>& args) {
    const std::size_t quote = args.empty() ? std::string::npos : args[0].find('"');
    if (quote == std::string::npos)
        return args;
    std::string line;
    for (const std::string& arg : args)
        line += (line.empty() ? "" : " ") + arg;
    std::istringstream rest(line.substr(quote + 1));
    std::vector<std::string> words;
    for (std::string word; rest >> word;)
        words.push_back(word);
    if (words.empty() || AsciiText::Lower(words[0]) != "/dir")
        return args; // a name with a quotation mark in it, handed on as it is
    std::vector<std::string> rejoined = {line.substr(0, quote) + '\\'};
    bool afterGrant = false;
    bool inAccount = false; // the words of the account, which the split took apart at its spaces
    for (const std::string& word : words) {
        if (inAccount && !IsOption(word)) {
            rejoined.back() += " " + word;
            continue;
        }
        rejoined.push_back(word);
        inAccount = afterGrant && !IsOption(word);
        afterGrant = AsciiText::Lower(word) == "/grant";
    }
    return rejoined;
}

} // namespace

bool ParseGrantRequest(const std::vector<std::string>& given, GrantRequest* request, std::string* error) {
    *request = GrantRequest{};
    const std::vector<std::string> args = Rejoined(given);
    // Known before the arguments are checked, so that a bad command line stays silent too.
    for (std::size_t i = 1; i < args.size(); ++i)
        request->silent = request->silent || AsciiText::Lower(args[i]) == "/silent";
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
        const std::string option = AsciiText::Lower(args[i]);
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
        } else if (option != "/silent") {
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
