#include "DeploymentRunner.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/SettingsStore.h"
#include "settings/TemplateDeployment.h"

#include <string>
#include <vector>

namespace qv {

namespace {

using Step = DeploymentPlan::Step;

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : " ") + name;
    return text;
}

// The folder shown in the report, as this system names it.
std::string Shown(const std::string& stored) {
    const std::string local = FileSystem::LocalPath(stored);
    return local.empty() ? stored : local;
}

bool HoldsToken(const std::string& path) {
    return path.find("[SITE]") != std::string::npos || path.find("[PROGFILES]") != std::string::npos;
}

// Whether saving the record makes its log folder (logging on, a path of the site's own).
bool MakesLogFolder(const SiteSettings& record) {
    return record.Logging != 0 && !HoldsToken(record.LogDir);
}

void Save(SettingsStore& store, SiteSettings& record, const std::string& directory,
          DeploymentReport::Entry& entry) {
    record.Directory = directory;
    std::vector<std::string> notWritten;
    const long result = store.SaveSettingsForWizard(record, notWritten);
    if (result != 0)
        entry.failed.push_back("settings key not written (error " + std::to_string(result) + ")");
    else if (!notWritten.empty())
        entry.failed.push_back("values not written: " + Joined(notWritten));
    else
        entry.written.push_back("settings");

    if (!MakesLogFolder(record))
        return;
    if (FileSystem::Exists(record.LogDir))
        entry.written.push_back("log folder " + Shown(record.LogDir));
    else
        entry.failed.push_back("log folder " + Shown(record.LogDir) + " not made");
}

void ExampleFiles(const SiteSettings& record, const std::string& installDirectory,
                  DeploymentReport::Entry& entry) {
    const ExampleFilesOutcome outcome = CreateExampleFilesReported(record, installDirectory);
    if (outcome.noRoot) {
        entry.failed.push_back("no site root for the error folder");
        return;
    }
    const std::string folder = Shown(JoinPath(record.siteRoot, record.Directory));
    if (outcome.directoryMissing)
        entry.failed.push_back("error folder " + folder + " not made");
    else
        entry.written.push_back("error folder " + folder);
    if (outcome.templatesMissing)
        entry.failed.push_back("templates folder " + Shown(TemplatesDirectory(installDirectory)) +
                               " missing");
    else if (outcome.copied > 0)
        entry.written.push_back(std::to_string(outcome.copied) +
                                (outcome.copied == 1 ? " example file" : " example files"));
    for (const std::string& name : outcome.notCopied)
        entry.failed.push_back("example file " + name + " not copied");
}

void RulesFile(const SiteSettings& record, const std::string& installDirectory,
               DeploymentReport::Entry& entry) {
    switch (CopyRulesTemplateReported(record, installDirectory)) {
    case RulesCopyOutcome::Copied:
        entry.written.push_back("rules file");
        break;
    case RulesCopyOutcome::Kept:
        entry.written.push_back("own rules file kept");
        break;
    case RulesCopyOutcome::TemplateMissing:
        entry.failed.push_back("rules file template missing");
        break;
    case RulesCopyOutcome::NoRoot:
        entry.failed.push_back("no site root for the rules file");
        break;
    case RulesCopyOutcome::Failed:
        entry.failed.push_back("rules file not copied");
        break;
    }
}

// Whether any step gives a worker rights on a folder: the permission tool is needed then.
bool GrantsRights(const DeploymentPlan& plan) {
    for (const Step& step : plan.Steps()) {
        if (step.kind == Step::Kind::CreateExampleFiles)
            return true;
        if (step.kind == Step::Kind::SaveSite && MakesLogFolder(*step.record))
            return true;
    }
    return false;
}

} // namespace

DeploymentRunner::DeploymentRunner(SettingsStore& store) : m_store(store) {}

DeploymentReport DeploymentRunner::Run(const DeploymentPlan& plan, const Progress& progress) {
    DeploymentReport report;
    const std::string& installDirectory = m_store.InstallDirectory();
    const std::string tool = JoinPath(installDirectory, std::string("setacl") + kProgramSuffix);
    if (GrantsRights(plan) && !FileSystem::IsNonDirectory(tool))
        report.AddGeneralFailure("permission tool " + Shown(tool) +
                                 " missing: no folder was opened to a site's worker");

    DeploymentReport::Entry* entry = nullptr;
    for (const Step& step : plan.Steps()) {
        SiteSettings& record = *step.record;
        switch (step.kind) {
        case Step::Kind::SaveDefault:
        case Step::Kind::SaveSite:
            if (progress)
                progress(step.siteNumber, plan.SiteCount());
            entry = &report.Add(step.kind == Step::Kind::SaveDefault ? 0 : record.siteId, record.description,
                                step.kind == Step::Kind::SaveSite && record.EnableDisable != 0);
            Save(m_store, record, plan.Directory(), *entry);
            break;
        case Step::Kind::CreateExampleFiles:
            ExampleFiles(record, installDirectory, *entry);
            break;
        case Step::Kind::CopyRulesTemplate:
            RulesFile(record, installDirectory, *entry);
            break;
        }
    }
    return report;
}

} // namespace qv
