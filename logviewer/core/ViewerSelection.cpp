#include "ViewerSelection.h"

#include <utility>

namespace qv {

ViewerSelection::ViewerSelection(std::vector<ViewerSite> sites, std::uint32_t requestedSite)
    : m_sites(std::move(sites)) {
    if (m_sites.empty())
        return;
    m_siteIndex = 0;
    for (std::size_t i = 0; i < m_sites.size(); ++i) {
        if (m_sites[i].siteId == requestedSite) {
            m_siteIndex = static_cast<int>(i);
            break;
        }
    }
}

void ViewerSelection::ChooseSite(int index) {
    if (index >= 0 && index < static_cast<int>(m_sites.size()))
        m_siteIndex = index;
}

const std::string& ViewerSelection::LogDirectory() const {
    static const std::string none;
    return m_siteIndex < 0 ? none : m_sites[static_cast<std::size_t>(m_siteIndex)].logDirectory;
}

void ViewerSelection::RebuildFiles(std::vector<LogFileEntry> files, bool chooseNewest) {
    m_files = std::move(files);
    if (m_files.empty())
        m_fileIndex = -1;
    else if (chooseNewest)
        m_fileIndex = static_cast<int>(m_files.size()) - 1;
}

const LogFileEntry* ViewerSelection::SelectedFile() const {
    if (m_fileIndex < 0 || m_fileIndex >= static_cast<int>(m_files.size()))
        return nullptr;
    return &m_files[static_cast<std::size_t>(m_fileIndex)];
}

} // namespace qv
