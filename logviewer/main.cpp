// qv_logviewer: a site's daily handler log files. "/N" on the command line selects site N; with
// "/export:FILE" the rows are written to a file and no window opens (no display is needed), and "/?"
// prints the usage.
#include "ViewerDialog.h"
#include "logviewer/core/ViewerCommandLine.h"
#include "logviewer/core/ViewerExportCommand.h"
#include "logviewer/core/ViewerSite.h"
#include "platform/FileSystem.h"
#include "platform/MachineDirectory.h"
#include "platform/OsVersion.h"
#include "settings/PathServices.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QStringList>

#include <cstdio>
#include <string>
#include <vector>

namespace {

// The records are read once; the store and its lock go before the window opens or the export runs.
std::vector<qv::ViewerSite> LoadSites() {
    std::vector<qv::ViewerSite> sites;
    qv::OsVersion::Record();
    qv::SettingsStore store(qv::FindInstallDirectory());
    store.LoadAllSites();
    for (const auto& record : store.Sites())
        sites.push_back({record->siteId, record->description, qv::FileSystem::LocalPath(record->LogDir)});
    store.ReleaseAllSites();
    return sites;
}

// The runs without a window: before any QApplication, so that no display is opened.
int RunWithoutWindow(const qv::ViewerCommandLine::Parsed& parsed) {
    using qv::ViewerCommandLine;
    if (parsed.mode == ViewerCommandLine::Mode::Usage) {
        std::fputs(ViewerCommandLine::Usage().c_str(), stdout);
        return ViewerCommandLine::kExitOk;
    }
    if (parsed.mode == ViewerCommandLine::Mode::Bad) {
        std::fprintf(stderr, "qv_logviewer: %s\n\n%s", parsed.error.c_str(),
                     ViewerCommandLine::Usage().c_str());
        return ViewerCommandLine::kExitBadUsage;
    }
    std::string message;
    const int code = qv::ViewerExportCommand::Run(parsed, LoadSites(), message);
    std::fprintf(code == ViewerCommandLine::kExitOk ? stdout : stderr, "qv_logviewer: %s\n", message.c_str());
    return code;
}

} // namespace

int main(int argc, char* argv[]) {
    const qv::ViewerCommandLine::Parsed parsed =
        qv::ViewerCommandLine::Parse(std::vector<std::string>(argv, argv + argc));
    if (parsed.mode != qv::ViewerCommandLine::Mode::Window)
        return RunWithoutWindow(parsed);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane Log Viewer"));

    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments())
        arguments.push_back(argument.toLocal8Bit().toStdString());
    const std::uint32_t requested =
        qv::ViewerCommandLine::RequestedSite(qv::ViewerCommandLine::Join(arguments));

    qv::ViewerDialog dialog(LoadSites(), requested);
    dialog.show();
    return app.exec();
}
