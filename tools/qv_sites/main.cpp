// qv_sites: what the suite reads from the web server, one site a line in the metabase's order:
// site number, description, root directory and worker account, separated by tabs. It reads what the suite's
// programs read: applicationHost.config on Windows 6.0 and later where there is one, else the metabase.
#include "platform/FileSystem.h"
#include "platform/MachineDirectory.h"
#include "platform/OsVersion.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/SiteEnumeration.h"
#include "webserver/WorkerIdentity.h"

#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

void Usage(std::FILE* out) {
    std::fputs(
        "Usage: qv_sites [--machine DIR] [--source]\n"
        "Lists the web sites of the web server: number, description, root directory and worker account,\n"
        "tab-separated, one site a line. --machine reads another machine directory (POSIX). --source first\n"
        "names on stderr what was read: applicationHost.config (IIS 7 to 10) or the metabase (IIS 5 and "
        "6).\n",
        out);
}

// A field keeps the line's shape: tabs and line breaks inside it become spaces.
std::string Field(const std::optional<std::string>& text) {
    std::string field = text.value_or(std::string());
    for (char& c : field) {
        if (c == '\t' || c == '\n' || c == '\r')
            c = ' ';
    }
    return field;
}

// One line: what the connection read, so that an administrator can tell which configuration counts. A file
// stored as a Windows path is shown with the local file it is, where that differs.
void ShowSource(const qv::MetabaseConnection& connection) {
    std::string name = connection.SourceName();
    const std::string local = qv::FileSystem::LocalPath(name);
    if (!local.empty() && local != name)
        name += " (" + local + ")";
    switch (connection.Source()) {
    case qv::WebServerSource::ApplicationHost:
        std::fprintf(stderr, "source: applicationHost.config %s\n", name.c_str());
        break;
    case qv::WebServerSource::Metabase:
        std::fprintf(stderr, "source: metabase %s\n", name.c_str());
        break;
    case qv::WebServerSource::None:
        std::fputs("source: none (no web server found)\n", stderr);
        break;
    }
}

} // namespace

int main(int argc, char** argv) {
    bool showSource = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--machine") == 0 && i + 1 < argc) {
            qv::MachineDirectory::Set(argv[++i]);
        } else if (std::strcmp(argv[i], "--source") == 0) {
            showSource = true;
        } else if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "qv_sites: unexpected argument \"%s\"\n", argv[i]);
            Usage(stderr);
            return 2;
        }
    }

    // The version decides how worker accounts are found, as at the programs' start-up.
    qv::OsVersion::Record();
    qv::MetabaseConnection connection;
    connection.Open();
    if (showSource)
        ShowSource(connection);
    std::vector<std::uint32_t> siteIds;
    qv::EnumerateSiteIds(connection, [&](std::uint32_t siteId) {
        siteIds.push_back(siteId);
        return true;
    });
    for (std::uint32_t siteId : siteIds) {
        const std::optional<std::string> worker = qv::FindWorkerAccount(connection, siteId);
        const std::optional<std::string> description = qv::ReadSiteDescription(connection, siteId);
        // The root as this system reaches it: a drive or UNC path lands in the machine directory.
        const std::optional<std::string> stored = qv::ReadSiteRoot(connection, siteId);
        const std::optional<std::string> root =
            stored ? std::optional<std::string>(qv::FileSystem::LocalPath(*stored)) : std::nullopt;
        std::printf("%u\t%s\t%s\t%s\n", static_cast<unsigned>(siteId), Field(description).c_str(),
                    Field(root).c_str(), Field(worker).c_str());
    }
    connection.Close();
    return 0;
}
