#include "LoggingChoices.h"

#include "CombinedSettings.h"
#include "SettingsSession.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Process.h"

#include <filesystem>

namespace qv {

std::string LoggingChoices::ViewerPath(const std::string& installDirectory) {
    return JoinPath(installDirectory, std::string(kViewerProgram) + kProgramSuffix);
}

std::optional<std::string> LoggingChoices::ViewerCommand(const SettingsSession& session) {
    if (!session.HasBase())
        return std::nullopt;
    const SiteSettings* base = session.Rows().RecordOfRow(session.ShownRow());
    const std::string program = ViewerPath(session.InstallDirectory());
    if (!base || !FileSystem::IsNonDirectory(program))
        return std::nullopt;
    const std::optional<std::string> quoted = Process::QuoteProgram(FileSystem::LocalPath(program));
    if (!quoted)
        return std::nullopt;
    return *quoted + " /" + std::to_string(base->siteId);
}

std::string LoggingChoices::StartFolder(const std::string& editText) {
    if (CombinedSettings::Varies(editText) || editText.find('[') != std::string::npos)
        return {};
    const std::filesystem::path folder = FileSystem::Native(editText);
    std::error_code error;
    if (folder.empty() || !std::filesystem::is_directory(folder, error))
        return {};
    return FileSystem::Narrow(folder);
}

std::string LoggingChoices::ChosenFolder(const std::string& folder) {
    std::string result = folder;
    if (result.empty() || (result.back() != kPathSeparator && result.back() != '/'))
        result += kPathSeparator;
    return result.substr(0, kMaxLogDir);
}

} // namespace qv
