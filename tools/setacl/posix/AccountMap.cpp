#include "AccountMap.h"

#include "platform/AsciiText.h"

#include <fstream>
#include <grp.h>
#include <pwd.h>

namespace qv::setacl {

namespace {

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<LocalAccount> FindUser(const std::string& name) {
    if (const passwd* user = getpwnam(name.c_str()))
        return LocalAccount{LocalAccount::Kind::User, user->pw_uid, name};
    return std::nullopt;
}

std::optional<LocalAccount> FindGroup(const std::string& name) {
    if (const group* found = getgrnam(name.c_str()))
        return LocalAccount{LocalAccount::Kind::Group, found->gr_gid, name};
    return std::nullopt;
}

constexpr std::string_view kPoolQualifier = "iis apppool\\";
constexpr const char* kAnyPool = "iis apppool\\*";

// Whether a name is a pool's own account, "IIS AppPool\<pool>".
bool IsPoolAccount(std::string_view windowsAccount) {
    return windowsAccount.size() > kPoolQualifier.size() &&
           AsciiText::EqualNoCase(windowsAccount.substr(0, kPoolQualifier.size()), kPoolQualifier);
}

} // namespace

AccountMap::AccountMap() {
    // The web server's workers: IIS 6's group, IIS 7's group, the service accounts pools run as, and every
    // pool's own account.
    for (const char* worker : {"iis_wpg", "iis_iusrs", "network service", "local service", kAnyPool})
        m_targets[worker] = "group:www-data";
    m_targets["system"] = "user:root";
}

std::string AccountMap::Key(std::string_view windowsAccount) {
    return AsciiText::Lower(IsPoolAccount(windowsAccount) ? windowsAccount : Unqualified(windowsAccount));
}

bool AccountMap::Load(const std::filesystem::path& file, bool mustExist, std::string* error) {
    std::ifstream in(file);
    if (!in) {
        if (!mustExist && !std::filesystem::exists(file))
            return true;
        *error = "cannot read " + file.string();
        return false;
    }
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::string_view text = line;
        if (const auto hash = text.find('#'); hash != std::string_view::npos)
            text = text.substr(0, hash);
        text = Trim(text);
        if (text.empty())
            continue;
        const auto equals = text.find('=');
        const std::string_view name = equals == std::string_view::npos ? "" : Trim(text.substr(0, equals));
        const std::string_view target = equals == std::string_view::npos ? "" : Trim(text.substr(equals + 1));
        if (name.empty() || target.empty() || target == "user:" || target == "group:") {
            *error =
                file.string() + ":" + std::to_string(number) + ": expected NAME = [user:|group:]LOCALNAME";
            return false;
        }
        m_targets[Key(name)] = std::string(target);
    }
    return true;
}

std::optional<LocalAccount> AccountMap::Resolve(std::string_view windowsAccount, std::string* error) const {
    const std::string_view name = Unqualified(windowsAccount);
    if (name.empty()) {
        *error = "no account name in \"" + std::string(windowsAccount) + "\"";
        return std::nullopt;
    }
    std::string target(name);
    auto mapped = m_targets.find(Key(windowsAccount));
    if (mapped == m_targets.end() && IsPoolAccount(windowsAccount))
        mapped = m_targets.find(kAnyPool);
    if (mapped != m_targets.end())
        target = mapped->second;

    std::optional<LocalAccount> account;
    if (target.starts_with("user:")) {
        account = FindUser(target.substr(5));
    } else if (target.starts_with("group:")) {
        account = FindGroup(target.substr(6));
    } else {
        account = FindUser(target);
        if (!account)
            account = FindGroup(target);
    }
    if (!account) {
        *error = "unknown account \"" + std::string(windowsAccount) + "\"";
        if (target != name)
            *error += " (" + target + ")";
    }
    return account;
}

std::string_view AccountMap::Unqualified(std::string_view windowsAccount) {
    if (const auto slash = windowsAccount.rfind('\\'); slash != std::string_view::npos)
        windowsAccount.remove_prefix(slash + 1);
    return windowsAccount;
}

} // namespace qv::setacl
