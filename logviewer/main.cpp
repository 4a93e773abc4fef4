// qv_logviewer: a site's daily handler log files. "/N" on the command line selects site N.
#include "ViewerDialog.h"
#include "logviewer/core/ViewerCommandLine.h"
#include "logviewer/core/ViewerSite.h"
#include "platform/FileSystem.h"
#include "platform/MachineDirectory.h"
#include "platform/OsVersion.h"
#include "settings/PathServices.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QStringList>

#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane Log Viewer"));

    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments())
        arguments.push_back(argument.toLocal8Bit().toStdString());
    const std::uint32_t requested =
        qv::ViewerCommandLine::RequestedSite(qv::ViewerCommandLine::Join(arguments));

    std::vector<qv::ViewerSite> sites;
    {
        // The records are read once; the store and its lock go before the window opens.
        qv::OsVersion::Record();
        qv::SettingsStore store(qv::FindInstallDirectory());
        store.LoadAllSites();
        for (const auto& record : store.Sites())
            sites.push_back({record->siteId, record->description, qv::FileSystem::LocalPath(record->LogDir)});
        store.ReleaseAllSites();
    }

    qv::ViewerDialog dialog(std::move(sites), requested);
    dialog.show();
    return app.exec();
}
