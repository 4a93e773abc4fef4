#pragma once
// Which local user or group stands for a Windows account name. The web server's workers ("IIS_WPG",
// "IIS_IUSRS", "NETWORK SERVICE", "LOCAL SERVICE" and every pool's "IIS AppPool\<pool>", mapped together as
// "IIS AppPool\*") are its group (www-data) and "SYSTEM" is root unless setacl.conf says otherwise; every
// other name is looked up as it is, as a user first and then as a group.
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include <sys/types.h>

namespace qv::setacl {

struct LocalAccount {
    enum class Kind { User, Group };
    Kind kind = Kind::User;
    id_t id = 0;
    std::string name;
};

class AccountMap {
public:
    // The built-in names: the workers' accounts = group:www-data, SYSTEM = user:root.
    AccountMap();

    // Reads "NAME = TARGET" lines; TARGET is user:LOCAL, group:LOCAL or LOCAL (a user first, then a
    // group). "#" starts a comment. A missing file is fine unless mustExist. False with the reason.
    bool Load(const std::filesystem::path& file, bool mustExist, std::string* error);

    // The local account for a Windows account name; a "QUALIFIER\" prefix is dropped except "IIS AppPool\",
    // names of the map compare without letter case. None with the reason when no such local account exists.
    std::optional<LocalAccount> Resolve(std::string_view windowsAccount, std::string* error) const;

    // Drops everything up to the last backslash: "MACHINE\IIS_WPG" and "\IIS_WPG" name IIS_WPG.
    static std::string_view Unqualified(std::string_view windowsAccount);

private:
    // The name a map entry is found by: in lower case, unqualified unless it is a pool's account.
    static std::string Key(std::string_view windowsAccount);

    std::map<std::string, std::string> m_targets; // by Key
};

} // namespace qv::setacl
