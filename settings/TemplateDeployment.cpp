#include "TemplateDeployment.h"

#include "RulesReader.h"
#include "SiteSettings.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "webserver/WorkerIdentity.h"

namespace qv {

namespace {

// Folder copies never start at the top of a drive.
bool IsRefusedSource(std::string_view source) {
    return source.empty() || source == "C:\\" || source == "/";
}

// CopyFolderFiles, counting the plain files copied and naming those that failed when outcome is given.
bool CopyFolderFilesCounted(std::string_view source, std::string_view target, bool recursive,
                            ExampleFilesOutcome* outcome) {
    if (IsRefusedSource(source) || target.empty())
        return false;
    const auto entries = FileSystem::List(source);
    if (!entries)
        return false;
    for (const DirectoryEntry& entry : *entries) {
        if (entry.name == kRulesFileName)
            continue;
        const std::string from = JoinPath(source, entry.name);
        const std::string to = JoinPath(target, entry.name);
        if (entry.isFile) {
            const bool copied = FileSystem::CopyRegularFile(from, to, true);
            if (outcome != nullptr && copied)
                ++outcome->copied;
            else if (outcome != nullptr)
                outcome->notCopied.push_back(entry.name);
        } else if (entry.isDirectory && recursive && !entry.isLink &&
                   !FileSystem::SameLocation(from, target)) {
            // A target inside the source is not copied into itself, and links do not lead in circles.
            FileSystem::CreateDirectoryPath(to);
            CopyFolderFilesCounted(from, to, true, outcome);
        }
    }
    return true;
}

} // namespace

std::string TemplatesDirectory(const std::string& installDirectory) {
    return JoinPath(installDirectory, kTemplatesFolder);
}

std::string ErrorDirectoryOf(const SiteSettings& record) {
    return JoinPathAlways(record.siteRoot, record.Directory);
}

void DeployNewSiteTemplates(const SiteSettings& record, const std::string& installDirectory) {
    if (record.siteRoot.empty())
        return;
    const std::string templates = TemplatesDirectory(installDirectory);
    const std::string errorDirectory = ErrorDirectoryOf(record);

    const std::string rulesTemplate = JoinPath(templates, kRulesFileName);
    if (FileSystem::IsReadableFile(rulesTemplate))
        FileSystem::CopyRegularFile(rulesTemplate, JoinPathAlways(record.siteRoot, kRulesFileName), false);
    // No directory is made here: without an error directory the two copies simply fail.
    const std::string pageTemplate = JoinPath(templates, kStatic404Page);
    if (FileSystem::IsReadableFile(pageTemplate))
        FileSystem::CopyRegularFile(pageTemplate, JoinPathAlways(errorDirectory, kStatic404Page), false);
    const std::string imageTemplate = JoinPath(templates, k404Image);
    if (record.SendErrorImage != 0 && FileSystem::IsReadableFile(imageTemplate))
        FileSystem::CopyRegularFile(imageTemplate, JoinPathAlways(errorDirectory, k404Image), false);
}

bool CopyRulesTemplate(const SiteSettings& record, const std::string& installDirectory) {
    return CopyRulesTemplateReported(record, installDirectory) == RulesCopyOutcome::Copied;
}

RulesCopyOutcome CopyRulesTemplateReported(const SiteSettings& record, const std::string& installDirectory) {
    if (FileSystem::LocalPath(record.siteRoot).empty())
        return RulesCopyOutcome::NoRoot;
    const std::string source = JoinPath(TemplatesDirectory(installDirectory), kRulesFileName);
    if (!FileSystem::Exists(source))
        return RulesCopyOutcome::TemplateMissing;
    const std::string target = JoinPath(record.siteRoot, kRulesFileName);
    if (FileSystem::CopyRegularFile(source, target, false))
        return RulesCopyOutcome::Copied;
    // The copy never replaces: a file already there is the site's own.
    return FileSystem::Exists(target) ? RulesCopyOutcome::Kept : RulesCopyOutcome::Failed;
}

void PrepareSiteDirectory(const std::string& installDirectory, const std::string& directory,
                          const SiteSettings& record) {
    if (!FileSystem::Exists(directory))
        FileSystem::CreateDirectoryPath(directory);
    GrantDirectoryAccess(installDirectory, directory, record.workerIdentity);
}

bool CreateExampleFiles(const SiteSettings& record, const std::string& installDirectory) {
    const ExampleFilesOutcome outcome = CreateExampleFilesReported(record, installDirectory);
    return !outcome.noRoot && !outcome.templatesMissing;
}

ExampleFilesOutcome CreateExampleFilesReported(const SiteSettings& record,
                                               const std::string& installDirectory) {
    ExampleFilesOutcome outcome;
    // A root that names no directory (a relative text) has nowhere to put them.
    if (FileSystem::LocalPath(record.siteRoot).empty()) {
        outcome.noRoot = true;
        return outcome;
    }
    const std::string target = JoinPath(record.siteRoot, record.Directory);
    PrepareSiteDirectory(installDirectory, target, record);
    outcome.directoryMissing = !FileSystem::Exists(target);
    outcome.templatesMissing = !CopyFolderFilesCounted(TemplatesDirectory(installDirectory) + kPathSeparator,
                                                       target, false, &outcome);
    return outcome;
}

bool CopyFolderFiles(std::string_view source, std::string_view target, bool recursive) {
    return CopyFolderFilesCounted(source, target, recursive, nullptr);
}

bool FillErrorDirectory(std::string_view source, std::string_view target, bool move) {
    if (target.empty())
        return false;
    const auto entries = FileSystem::List(source);
    if (!entries)
        return false;
    for (const DirectoryEntry& entry : *entries) {
        if (!entry.isFile || entry.name == kRulesFileName)
            continue;
        const std::string from = JoinPath(source, entry.name);
        const std::string to = JoinPath(target, entry.name);
        // A file of that name in the target wins; the source's file stays where it is.
        if (move)
            FileSystem::MoveNoOverwrite(from, to);
        else
            FileSystem::CopyRegularFile(from, to, false);
    }
    return true;
}

} // namespace qv
