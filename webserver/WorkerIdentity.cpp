#include "WorkerIdentity.h"

#include "platform/ComputerName.h"
#include "platform/FileSystem.h"
#include "platform/OsVersion.h"
#include "platform/Paths.h"
#include "platform/Process.h"

#include <cstring>
#include <mutex>
#include <vector>

namespace qv {

namespace {

constexpr const char* kWorkerProcessGroup = "IIS_WPG";
// IIS 7's successor of IIS_WPG: the group every worker process runs in.
constexpr const char* kIisUsersGroup = "IIS_IUSRS";
constexpr std::size_t kMaxAccount = 259;
constexpr std::size_t kMaxToolPath = 259;
constexpr std::size_t kMaxCommandLine = 511;

constexpr std::uint32_t kIdentityLocalService = 1;
constexpr std::uint32_t kIdentityNetworkService = 2;
constexpr std::uint32_t kIdentitySpecificUser = 3;
constexpr std::uint32_t kIdentityApplicationPoolIdentity = 4;

std::mutex g_mutex;
std::optional<std::string> g_qualifier;
CommandStarter g_starter;

std::optional<std::string> ReadText(const MetabaseConnection& connection, const std::string& path,
                                    std::uint32_t propertyId, std::uint32_t userType) {
    std::uint32_t length = 0;
    return ReadServiceValue(connection, path, propertyId, userType, kStringMetadata, kMetadataInherit,
                            &length);
}

// An account as the record keeps it: none when empty, and never a cut name.
std::optional<std::string> Account(std::optional<std::string> text) {
    if (!text || text->empty() || text->size() > kMaxAccount)
        return std::nullopt;
    return text;
}

void Start(const std::string& commandLine) {
    CommandStarter starter;
    {
        std::lock_guard lock(g_mutex);
        starter = g_starter;
    }
    if (starter)
        starter(commandLine);
    else
        Process::StartHidden(commandLine);
}

// The pool's AppPoolIdentityType, as the pool has it or inherits it.
std::optional<std::uint32_t> ReadIdentityType(const MetabaseConnection& connection,
                                              const std::string& poolPath) {
    std::uint32_t length = 0;
    const std::optional<std::string> identity =
        ReadServiceValue(connection, poolPath, kMdAppPoolIdentityType, kIisMdUtServer, kDwordMetadata,
                         kMetadataInherit, &length);
    if (!identity || identity->size() < sizeof(std::uint32_t))
        return std::nullopt;
    std::uint32_t identityType = 0;
    std::memcpy(&identityType, identity->data(), sizeof identityType);
    return identityType;
}

// IIS 7 to 10: the identity of the pool the site's root application runs in.
std::optional<std::string> FindPoolIdentity(const MetabaseConnection& connection, std::uint32_t siteId) {
    const std::optional<std::string> pool =
        ReadText(connection, "/W3SVC/" + std::to_string(siteId) + "/ROOT", kMdAppAppPoolId, kIisMdUtServer);
    if (!pool || pool->empty())
        return std::nullopt;
    const std::string poolPath = "/W3SVC/AppPools/" + *pool;
    const std::optional<std::uint32_t> identityType = ReadIdentityType(connection, poolPath);
    if (!identityType)
        return std::nullopt;
    switch (*identityType) {
    case kIdentityLocalService:
        return std::string("LOCAL SERVICE");
    case kIdentityNetworkService:
        return std::string("NETWORK SERVICE");
    case kIdentitySpecificUser:
        return Account(ReadText(connection, poolPath, kMdWamUserName, kIisMdUtFile));
    case kIdentityApplicationPoolIdentity:
        return Account("IIS AppPool\\" + *pool);
    default:
        return std::nullopt; // LocalSystem needs no grant
    }
}

} // namespace

std::optional<std::string> FindWorkerAccount(const MetabaseConnection& connection, std::uint32_t siteId) {
    if (connection.Source() == WebServerSource::ApplicationHost)
        return FindPoolIdentity(connection, siteId);
    if (!OsVersion::IsIis6())
        return Account(ReadText(connection, "/W3SVC", kMdWamUserName, kIisMdUtFile));

    // IIS 5 isolation mode: the worker is no application pool's.
    const std::optional<std::string> isolation =
        ReadText(connection, "/W3SVC", kMdGlobalStandardAppModeEnabled, kIisMdUtServer);
    if (isolation && !isolation->empty() && isolation->front() == '1')
        return std::nullopt;

    const std::optional<std::string> pool =
        ReadText(connection, "/W3SVC/" + std::to_string(siteId), kMdAppAppPoolId, kIisMdUtServer);
    if (!pool)
        return std::nullopt;
    const std::string poolPath = "/W3SVC/AppPools/" + *pool;

    const std::optional<std::uint32_t> identityType = ReadIdentityType(connection, poolPath);
    if (!identityType)
        return std::nullopt;
    switch (*identityType & 0xFFu) {
    case kIdentityLocalService:
    case kIdentityNetworkService:
        return std::string(kWorkerProcessGroup);
    case kIdentitySpecificUser:
        return Account(ReadText(connection, poolPath, kMdWamUserName, kIisMdUtFile));
    default:
        return std::nullopt; // LocalSystem and anything unknown
    }
}

void GrantDirectoryAccess(const std::string& installDirectory, const std::string& directory,
                          const std::optional<std::string>& account) {
    // Windows 6.0 and later run IIS 7 or later, whose workers are all in IIS_IUSRS.
    const char* group = OsVersion::Major() >= 6 ? kIisUsersGroup : kWorkerProcessGroup;
    const std::string grantee = account && !account->empty() ? *account : std::string(group);
    // Limits count the paths as stored; the tool is given the paths of this system.
    const std::string tool = JoinPathAlways(installDirectory, std::string("setacl") + kProgramSuffix);
    if (tool.size() > kMaxToolPath || !FileSystem::IsNonDirectory(tool) || !FileSystem::Exists(directory))
        return;

    // IIS 6 names local accounts by the computer ("MACHINE\account"); one that names its domain already
    // ("DOMAIN\account") is taken as it is.
    const bool qualify = OsVersion::IsIis6() && grantee.find('\\') == std::string::npos;
    const std::string name = qualify ? AccountQualifier() + "\\" + grantee : grantee;

    // The command lines of one grant; nothing when a text cannot be quoted (a quotation mark on Windows, or
    // in the program's path), rather than split into other arguments for the tool.
    const auto commands = [&](const std::string& program, const std::string& target) {
        std::vector<std::string> lines;
        const std::optional<std::string> quotedProgram = Process::QuoteProgram(program);
        const std::optional<std::string> quotedTarget = Process::QuoteArgument(target);
        const std::optional<std::string> quotedName = Process::QuoteArgument(name);
        if (!quotedProgram || !quotedTarget || !quotedName)
            return lines;
        const std::string head = *quotedProgram + " " + *quotedTarget + " /dir /grant ";
        lines.push_back(head + *quotedName + " /read /silent");
        lines.push_back(head + *quotedName + " /write /silent");
        if (!OsVersion::IsIis6()) {
            lines.push_back(head + "SYSTEM /read /silent");
            lines.push_back(head + "SYSTEM /write /silent");
        }
        return lines;
    };
    // A cut command line could grant rights on another path: one too long, counted as stored, is not started.
    const std::vector<std::string> stored = commands(tool, directory);
    for (const std::string& line : stored) {
        if (line.size() > kMaxCommandLine)
            return;
    }
    // Nobody waits for the tool: the commands run side by side with each other and with the caller.
    if (!stored.empty()) {
        for (const std::string& line :
             commands(FileSystem::LocalPath(tool), FileSystem::LocalPath(directory)))
            Start(line);
    }
}

std::string AccountQualifier() {
    std::lock_guard lock(g_mutex);
    if (!g_qualifier)
        g_qualifier = ComputerName::Get();
    return *g_qualifier;
}

void SetAccountQualifier(std::optional<std::string> qualifier) {
    std::lock_guard lock(g_mutex);
    g_qualifier = std::move(qualifier);
}

void SetPermissionToolStarter(CommandStarter starter) {
    std::lock_guard lock(g_mutex);
    g_starter = std::move(starter);
}

} // namespace qv
