#pragma once
// The installation's templates folder and its four uses: a new site's files when its settings are created,
// filling a renamed error directory, the Setup Wizard's example files, and a missing rules file; and the
// making of a site's directories with rights for its worker.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace qv {

struct SiteSettings;

inline constexpr const char* kTemplatesFolder = "Templates";
inline constexpr const char* kStatic404Page = "404.htm";
inline constexpr const char* k404Image = "404.gif";

// The templates folder of the installation directory.
std::string TemplatesDirectory(const std::string& installDirectory);
// siteRoot and Directory joined: the site's error directory.
std::string ErrorDirectoryOf(const SiteSettings& record);

// A site whose settings key was just created: the rules file into the site root, 404.htm and (when the
// site sends images) 404.gif into an error directory that already exists. Never overwrites, creates no
// directory, reports nothing.
void DeployNewSiteTemplates(const SiteSettings& record, const std::string& installDirectory);

// Copies the rules file template into the site root unless the site has a rules file. True when the copy
// was made; false when the template is missing, the site has no root or already has its rules file.
bool CopyRulesTemplate(const SiteSettings& record, const std::string& installDirectory);

// Creates the directory with its parents when nothing of that path exists, then grants the record's worker
// access to it.
void PrepareSiteDirectory(const std::string& installDirectory, const std::string& directory,
                          const SiteSettings& record);

// The Setup Wizard's example files: creates the error directory when missing, grants the site's worker
// access, and copies every template file but the rules file into it, replacing files of the same name.
// True when the templates folder could be listed.
bool CreateExampleFiles(const SiteSettings& record, const std::string& installDirectory);

// What CreateExampleFiles did, for a caller that reports it.
struct ExampleFilesOutcome {
    bool noRoot = false;           // the site root names no directory: nothing was tried
    bool directoryMissing = false; // the error directory is not there after the attempt to make it
    bool templatesMissing = false; // the templates folder could not be listed
    std::size_t copied = 0;
    std::vector<std::string> notCopied; // template files whose copy failed
    bool Complete() const { return !noRoot && !directoryMissing && !templatesMissing && notCopied.empty(); }
};
ExampleFilesOutcome CreateExampleFilesReported(const SiteSettings& record,
                                               const std::string& installDirectory);

// What CopyRulesTemplate did: Kept when the site has its rules file already.
enum class RulesCopyOutcome { Copied, Kept, TemplateMissing, NoRoot, Failed };
RulesCopyOutcome CopyRulesTemplateReported(const SiteSettings& record, const std::string& installDirectory);

// Copies the files of source into target, replacing files of the same name and skipping "rules.qv"; folders
// only when recursive (symbolic links to folders are not followed). Refuses the empty source and the root of
// the system drive ("C:\", and "/" as its POSIX equivalent). True when the source could be listed.
bool CopyFolderFiles(std::string_view source, std::string_view target, bool recursive);

// Fills a new error directory on save: every plain file of source but "rules.qv" is copied into target, or
// moved there when move is set; a file whose name exists in target stays where it is. False when source
// could not be listed.
bool FillErrorDirectory(std::string_view source, std::string_view target, bool move);

} // namespace qv
