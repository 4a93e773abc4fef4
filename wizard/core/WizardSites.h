#pragma once
// The wizard's sites, as its frame loads them at start-up: the Windows version record, one walk of the web
// server's site keys to count the numbered sites (0 is no site), room for count + 1 records, the default
// record (LoadDefaultEntry) and the installation directory, then a second walk that builds each site's record
// from the default record alone (SettingsStore::BuildSiteFromTemplate), in walk order. The sites' own stored
// settings are never read: a deployment gives every site the default entry's values.
//
// No site, or a metabase that cannot be opened: no record, and the frame stays empty (Empty()). A site whose
// record cannot be made is left out.
//
// Use:  WizardSites sites(FindInstallDirectory());  sites.Load();
//       if (sites.Empty()) -> the empty frame; else the pages work on sites.Records().
#include "settings/SettingsStore.h"
#include "settings/SiteSettings.h"

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class MetabaseConnection;

class WizardSites {
public:
    explicit WizardSites(std::string installDirectory);
    ~WizardSites();
    WizardSites(const WizardSites&) = delete;
    WizardSites& operator=(const WizardSites&) = delete;

    // Records the Windows version, opens the system's metabase, loads and closes it. False when no record
    // was made.
    bool Load();
    // The same over a connection the caller opened (and closes); the version record is the caller's.
    bool Load(MetabaseConnection& connection);

    bool Empty() const { return m_records.empty(); }
    std::size_t Count() const { return m_records.size(); }
    // Room made by the first walk: the sites counted + 1 (0 before a load that found a site).
    std::size_t Capacity() const { return m_capacity; }
    // The records in walk order; they live as long as this object.
    const std::vector<std::unique_ptr<SiteSettings>>& Records() const { return m_records; }
    std::vector<SiteSettings*> RecordPointers() const;
    // Position of the record of siteId, or -1.
    int PositionOf(std::uint32_t siteId) const;

    SiteSettings& DefaultRecord() { return m_store.DefaultRecord(); }
    const std::string& InstallDirectory() const { return m_store.InstallDirectory(); }
    // The store that builds and saves the records (its own site list stays empty).
    SettingsStore& Store() { return m_store; }

private:
    SettingsStore m_store;
    std::vector<std::unique_ptr<SiteSettings>> m_records;
    std::size_t m_capacity = 0;
};

} // namespace qv
