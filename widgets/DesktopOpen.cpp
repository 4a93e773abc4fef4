#include "DesktopOpen.h"

#include "platform/ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>
#include <QWidget>

#include <utility>

namespace qv {

namespace {

DesktopOpen::Opener& CurrentOpener() {
    static DesktopOpen::Opener opener;
    return opener;
}

} // namespace

bool DesktopOpen::File(const QString& path, QWidget* owner) {
    if (const Opener& opener = CurrentOpener())
        return opener(path);
    // effectiveWinId: the top-level window's handle without making a native one for a child.
    const auto handle = owner ? static_cast<std::uintptr_t>(owner->window()->effectiveWinId()) : 0;
    switch (ShellOpen::File(path.toLocal8Bit().toStdString(), handle)) {
    case ShellOpenResult::Opened:
        return true;
    case ShellOpenResult::Failed:
        return false;
    case ShellOpenResult::NotHandled:
        break;
    }
    // A path is never read as a URL: '#' and '%' stay part of the file name.
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

DesktopOpen::Opener DesktopOpen::SetOpener(Opener opener) {
    return std::exchange(CurrentOpener(), std::move(opener));
}

} // namespace qv
