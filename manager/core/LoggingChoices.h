#pragma once
// What the Logging page's buttons act on: the Log Viewer's command line for the shown site, and the folders
// the directory chooser starts from and hands back.
#include <cstddef>
#include <optional>
#include <string>

namespace qv {

class SettingsSession;

class LoggingChoices {
public:
    static constexpr const char* kViewerProgram = "qv_logviewer";
    static constexpr const char* kChooserTitle = "Choose Logging Directory";
    // The longest LogDir the page takes from its edit box.
    static constexpr std::size_t kMaxLogDir = 259;

    // The Log Viewer in the installation directory.
    static std::string ViewerPath(const std::string& installDirectory);
    // The viewer's command line on the base record's site ("/0" for the default entry); nothing without a
    // base or when the program file is missing.
    static std::optional<std::string> ViewerCommand(const SettingsSession& session);
    // The folder the chooser opens at: the edit's text as a local path when it names an existing folder;
    // empty for "Varies", a path token or anything else.
    static std::string StartFolder(const std::string& editText);
    // The chosen folder with a final separator, cut to kMaxLogDir.
    static std::string ChosenFolder(const std::string& folder);
};

} // namespace qv
