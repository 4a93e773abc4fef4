#pragma once
// "Open" for a file: the desktop's default action for it, as the shell does on Windows. Nothing checks that
// the file exists and nothing is reported; the result only tells whether the desktop took it.
#include <QString>

#include <functional>

class QWidget;

namespace qv {

class DesktopOpen {
public:
    using Opener = std::function<bool(const QString& path)>;

    // owner: the window that asks; the shell's windows belong to it.
    static bool File(const QString& path, QWidget* owner = nullptr);

    // Tests replace what opens files; an empty opener gives the desktop back. The one replaced comes back.
    static Opener SetOpener(Opener opener);
};

} // namespace qv
