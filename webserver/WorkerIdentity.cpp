#include "WorkerIdentity.h"

#include "platform/ComputerName.h"
#include "platform/NativePath.h"
#include "platform/OsVersion.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "settings/PathServices.h"
#include "settings/SiteSettings.h"

#include <cstring>
#include <filesystem>
#include <mutex>

namespace qv {

namespace {

constexpr const char* kWorkerProcessGroup = "IIS_WPG";
constexpr std::size_t kMaxAccount = 259;
constexpr std::size_t kMaxToolPath = 259;
constexpr std::size_t kMaxCommandLine = 511;

constexpr std::uint32_t kIdentityLocalService = 1;
constexpr std::uint32_t kIdentityNetworkService = 2;
constexpr std::uint32_t kIdentitySpecificUser = 3;

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

bool Exists(const std::string& path) {
    std::error_code error;
    return std::filesystem::exists(NativePath(path), error);
}

bool IsFile(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(NativePath(path), error);
    return std::filesystem::exists(status) && !std::filesystem::is_directory(status);
}

void Start(const std::string& commandLine) {
    // A cut command line could grant rights on another path: one too long is not started.
    if (commandLine.size() > kMaxCommandLine)
        return;
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

// Backslashes right before the closing quotation mark are doubled, so that a directory ending in one
// ("C:\logs\") reaches the tool as itself instead of escaping the quotation mark and swallowing the
// arguments after it.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"" + text;
    const std::size_t trailing = text.size() - (text.find_last_not_of('\\') + 1);
    quoted.append(trailing, '\\');
    return quoted + "\"";
}

} // namespace

std::optional<std::string> FindWorkerAccount(const MetabaseConnection& connection, std::uint32_t siteId) {
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

    std::uint32_t length = 0;
    const std::optional<std::string> identity =
        ReadServiceValue(connection, poolPath, kMdAppPoolIdentityType, kIisMdUtServer, kDwordMetadata,
                         kMetadataInherit, &length);
    if (!identity || identity->size() < sizeof(std::uint32_t))
        return std::nullopt;
    std::uint32_t identityType = 0;
    std::memcpy(&identityType, identity->data(), sizeof identityType);
    switch (identityType & 0xFFu) {
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
    const std::string grantee = account && !account->empty() ? *account : std::string(kWorkerProcessGroup);
    const std::string tool =
        JoinPathAlways(installDirectory, kPathSeparator == '\\' ? "setacl.exe" : "setacl");
    if (tool.size() > kMaxToolPath || !IsFile(tool) || !Exists(directory))
        return;

    // A quotation mark inside a quoted argument would split it into other arguments for the tool: no Windows
    // path or account holds one, so such a text is refused rather than handed on.
    const std::string qualifier = OsVersion::IsIis6() ? AccountQualifier() : std::string();
    for (const std::string* text : {&tool, &directory, &grantee, &qualifier}) {
        if (text->find('"') != std::string::npos)
            return;
    }

    // Nobody waits for the tool: the commands run side by side with each other and with the caller.
    const std::string head = Quoted(tool) + " " + Quoted(directory) + " /dir /grant ";
    if (OsVersion::IsIis6()) {
        const std::string qualified = Quoted(qualifier + "\\" + grantee);
        Start(head + qualified + " /read /silent");
        Start(head + qualified + " /write /silent");
    } else {
        Start(head + Quoted(grantee) + " /read /silent");
        Start(head + Quoted(grantee) + " /write /silent");
        Start(head + "SYSTEM /read /silent");
        Start(head + "SYSTEM /write /silent");
    }
}

void PrepareSiteDirectory(const std::string& installDirectory, const std::string& directory,
                          const SiteSettings& record) {
    if (!Exists(directory))
        CreateDirectoryPath(directory);
    GrantDirectoryAccess(installDirectory, directory, record.workerIdentity);
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
