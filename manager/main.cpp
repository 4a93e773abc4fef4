// Quorvane, the Settings Manager. A calling program may name one of its windows as the last word of the
// command line; its property sheet is then put away while the dialog runs and given back afterwards.
#include "SettingsManagerDialog.h"
#include "manager/core/ManagerCommandLine.h"
#include "platform/CallerWindow.h"
#include "platform/OsVersion.h"
#include "settings/PathServices.h"
#include "settings/SettingsStore.h"

#include <QApplication>
#include <QGuiApplication>

#include <memory>
#include <optional>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane"));

    std::vector<std::string> arguments;
    for (const QString& argument : QApplication::arguments())
        arguments.push_back(argument.toLocal8Bit().toStdString());
    const std::uint64_t handle =
        qv::ManagerCommandLine::CallerHandle(qv::ManagerCommandLine::Join(arguments));

    // Only a window system with window handles can have a caller; offscreen and Wayland never do.
    std::unique_ptr<qv::CallerWindow> caller;
    const QString platform = QGuiApplication::platformName();
    if (handle != 0 && (platform == QLatin1String("xcb") || platform == QLatin1String("windows"))) {
        caller = std::make_unique<qv::CallerWindow>(handle);
        if (!caller->Exists())
            caller.reset();
    }
    std::optional<qv::SettingsManagerDialog::Caller> callerInfo;
    if (caller) {
        const qv::CallerWindow::Rect rect = caller->ScreenRect();
        callerInfo = qv::SettingsManagerDialog::Caller{
            caller->Title(), QRect(QPoint(rect.left, rect.top), QPoint(rect.right - 1, rect.bottom - 1))};
        caller->Hide();
        caller->Disable();
    }

    // The version is known before any site is loaded or saved: the worker account depends on it.
    qv::OsVersion::Record();
    qv::SettingsStore store(qv::FindInstallDirectory());
    store.LoadAllSites();
    {
        qv::SettingsManagerDialog dialog(store, callerInfo);
        dialog.exec();
    }

    if (caller) {
        caller->ShowNormal();
        caller->Enable();
        caller->BringToTop();
        caller->SelectFirstPage();
        caller->BringToTop();
        caller->Focus();
    }
    store.ReleaseAllSites();
    return 0;
}
