#include "WizardSites.h"

#include "platform/OsVersion.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/SiteEnumeration.h"

#include <new>
#include <utility>

namespace qv {

WizardSites::WizardSites(std::string installDirectory) : m_store(std::move(installDirectory)) {}

WizardSites::~WizardSites() = default;

bool WizardSites::Load() {
    OsVersion::Record();
    MetabaseConnection connection;
    connection.Open();
    const bool loaded = Load(connection);
    connection.Close();
    return loaded;
}

bool WizardSites::Load(MetabaseConnection& connection) {
    m_records.clear();
    m_capacity = 0;
    // The walk visits only names that read as a site number other than 0.
    const std::size_t counted = CountSiteIds(connection);
    if (counted == 0)
        return false;

    try {
        m_records.reserve(counted + 1);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_capacity = counted + 1;
    LoadDefaultEntry(m_store.DefaultRecord(), m_store.InstallDirectory());

    // Sites added since the first walk find no room once the array is full.
    EnumerateSiteIds(connection, [&](std::uint32_t siteId) {
        if (std::unique_ptr<SiteSettings> record =
                m_store.BuildSiteFromTemplate(connection, siteId, m_store.DefaultRecord()))
            m_records.push_back(std::move(record));
        return m_records.size() < m_capacity;
    });
    return !m_records.empty();
}

std::vector<SiteSettings*> WizardSites::RecordPointers() const {
    std::vector<SiteSettings*> pointers;
    pointers.reserve(m_records.size());
    for (const auto& record : m_records)
        pointers.push_back(record.get());
    return pointers;
}

int WizardSites::PositionOf(std::uint32_t siteId) const {
    for (std::size_t i = 0; i < m_records.size(); ++i)
        if (m_records[i]->siteId == siteId)
            return static_cast<int>(i);
    return -1;
}

} // namespace qv
