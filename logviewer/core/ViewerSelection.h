#pragma once
// Which site and which log file the viewer shows, and what a site choice, a file choice or Refresh select.
#include "ViewerSite.h"
#include "logviewer/parse/LogFileEntry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qv {

class ViewerSelection {
public:
    // The site with the requested number is selected; the first site when none has it (0 included).
    ViewerSelection(std::vector<ViewerSite> sites, std::uint32_t requestedSite);

    const std::vector<ViewerSite>& Sites() const { return m_sites; }
    int SiteIndex() const { return m_siteIndex; } // -1 without sites
    void ChooseSite(int index);
    // The selected site's log directory; empty without sites.
    const std::string& LogDirectory() const;

    // A new file list: the newest file (the last, since the list runs oldest first) when chooseNewest,
    // else the same position as before, which may now hold another file or none at all.
    void RebuildFiles(std::vector<LogFileEntry> files, bool chooseNewest);
    const std::vector<LogFileEntry>& Files() const { return m_files; }
    int FileIndex() const { return m_fileIndex; } // -1: none
    void ChooseFile(int index) { m_fileIndex = index; }
    // The entry at the selected position; null when there is none (the list reads nothing then).
    const LogFileEntry* SelectedFile() const;

private:
    std::vector<ViewerSite> m_sites;
    int m_siteIndex = -1;
    std::vector<LogFileEntry> m_files;
    int m_fileIndex = -1;
};

} // namespace qv
