#include "UnattendedMode.h"

#include "DeploymentPlan.h"
#include "DeploymentRunner.h"
#include "SettingsBackup.h"
#include "WizardCommandLine.h"
#include "WizardSites.h"
#include "platform/OsVersion.h"
#include "settings/PathServices.h"
#include "webserver/MetabaseConnection.h"

#include <ostream>

namespace qv {

namespace {

constexpr const char* kUsageHint = "Type \"qv_wizard /?\" for usage.\n";
constexpr int kGoOn = -1;

std::string SiteNumbers(const WizardSites& sites) {
    std::string text;
    for (const auto& record : sites.Records())
        text += (text.empty() ? "" : ", ") + std::to_string(record->siteId);
    return text;
}

} // namespace

UnattendedMode::UnattendedMode(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}

int UnattendedMode::Answered(const std::vector<std::string>& args) {
    const WizardCommandLine::Parsed parsed = WizardCommandLine::Parse(args);
    switch (parsed.mode) {
    case WizardCommandLine::Mode::Usage:
        m_out << WizardCommandLine::Usage();
        return kDone;
    case WizardCommandLine::Mode::Error:
        m_err << "ERROR: " << parsed.error << "\n" << kUsageHint;
        return kBadCommandLine;
    case WizardCommandLine::Mode::Window:
        m_err << "ERROR: Without /unattended the wizard opens its window.\n" << kUsageHint;
        return kBadCommandLine;
    case WizardCommandLine::Mode::Unattended:
        break;
    }
    return kGoOn;
}

int UnattendedMode::Run(const std::vector<std::string>& args) {
    if (const int code = Answered(args); code != kGoOn)
        return code;
    // As the window starts: the version record before the web server is asked.
    OsVersion::Record();
    MetabaseConnection connection;
    connection.Open();
    const int code = Deploy(args, connection, FindInstallDirectory());
    connection.Close();
    return code;
}

int UnattendedMode::Run(const std::vector<std::string>& args, MetabaseConnection& connection,
                        const std::string& installDirectory) {
    if (const int code = Answered(args); code != kGoOn)
        return code;
    return Deploy(args, connection, installDirectory);
}

int UnattendedMode::Deploy(const std::vector<std::string>& args, MetabaseConnection& connection,
                           const std::string& installDirectory) {
    const WizardCommandLine::Parsed parsed = WizardCommandLine::Parse(args);
    WizardSites sites(installDirectory);
    if (!sites.Load(connection)) {
        m_err << "ERROR: The web server has no web site. Nothing was written.\n";
        return kFailed;
    }

    // The choice, as the site selection page would leave it; every number is checked before anything is set.
    const std::vector<SiteSettings*> records = sites.RecordPointers();
    for (std::uint32_t siteId : parsed.siteIds) {
        if (sites.PositionOf(siteId) < 0) {
            m_err << "ERROR: The web server has no site " << siteId << " (its sites: " << SiteNumbers(sites)
                  << "). Nothing was written.\n"
                  << kUsageHint;
            return kBadCommandLine;
        }
    }
    for (SiteSettings* record : records) {
        switch (parsed.sites) {
        case WizardCommandLine::Sites::Default:
            break; // every record starts with the default entry's EnableDisable
        case WizardCommandLine::Sites::All:
            record->EnableDisable = 1;
            break;
        case WizardCommandLine::Sites::None:
            record->EnableDisable = 0;
            break;
        case WizardCommandLine::Sites::List:
            record->EnableDisable = 0;
            for (std::uint32_t siteId : parsed.siteIds)
                if (record->siteId == siteId)
                    record->EnableDisable = 1;
            break;
        }
    }

    const SettingsBackup::Result backup = SettingsBackup::Write(installDirectory);
    switch (backup.status) {
    case SettingsBackup::Status::Failed:
        m_err << "ERROR: The stored settings could not be backed up: " << backup.error
              << "\nNothing was written.\n";
        return kFailed;
    case SettingsBackup::Status::NothingToSave:
        m_out << "Backup: no stored settings to back up.\n";
        break;
    case SettingsBackup::Status::Written:
        m_out << "Backup: " << backup.path << " (restore with: qv_reg import \"" << backup.path << "\")\n";
        break;
    }

    DeploymentPlan::Inputs inputs;
    inputs.directory = parsed.directory.value_or(sites.DefaultRecord().Directory);
    inputs.createExampleFiles = parsed.createExampleFiles;
    inputs.createRulesFile = parsed.createRulesFile;
    const DeploymentPlan plan(sites.DefaultRecord(), records, inputs);
    const DeploymentReport report = DeploymentRunner(sites.Store()).Run(plan);

    m_out << report.Lines() << report.Summary() << "\n";
    return report.Complete() ? kDone : kFailed;
}

int RunUnattended(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return UnattendedMode(out, err).Run(args);
}

} // namespace qv
