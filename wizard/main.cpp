// qv_wizard, the Setup Wizard. With /unattended (or /?) it runs without a window and before any Qt object
// exists, so that it works where there is no display.
#include "WizardFrame.h"
#include "settings/PathServices.h"
#include "wizard/core/UnattendedMode.h"
#include "wizard/core/WizardCommandLine.h"
#include "wizard/core/WizardSites.h"

#include <QApplication>

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

int main(int argc, char* argv[]) {
    const std::vector<std::string> args(argv + std::min(argc, 1), argv + argc);
    const qv::WizardCommandLine::Parsed parsed = qv::WizardCommandLine::Parse(args);
    if (parsed.mode != qv::WizardCommandLine::Mode::Window)
        return qv::RunUnattended(args, std::cout, std::cerr);

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quorvane Setup Wizard"));
    qv::WizardSites sites(qv::FindInstallDirectory());
    sites.Load();
    qv::WizardFrame frame(sites, parsed.fromSettings);
    frame.exec();
    return 0;
}
