#pragma once
// The records of all web sites in memory, sorted by site number, with the default record; loads them from
// the web server and the registry and saves them back.
#include "SiteSettings.h"
#include "platform/TimedLock.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qv {

class MetabaseConnection;
class RegistryKey;

class SettingsStore {
public:
    explicit SettingsStore(std::string installDirectory);
    ~SettingsStore();

    // Builds the store from the web server's sites. False when the server has no numbered site (then the
    // default record is not loaded either).
    bool LoadAllSites();
    // The same over a connection the caller opened (and closes).
    bool LoadAllSites(MetabaseConnection& connection);
    // Loads one site from template (or the default entry when null) and inserts it in order. Null when no
    // record could be made or inserted (a lock not had within its wait); such a record is released.
    SiteSettings* AddSite(MetabaseConnection& connection, std::uint32_t siteId, const SiteSettings* templ);
    std::unique_ptr<SiteSettings> LoadSite(MetabaseConnection& connection, std::uint32_t siteId,
                                           const SiteSettings& templ);
    std::unique_ptr<SiteSettings> BuildSiteFromTemplate(MetabaseConnection& connection, std::uint32_t siteId,
                                                        const SiteSettings& templ);
    // 0, or the registry error when the record's key could neither be opened nor created.
    long SaveSettings(SiteSettings& record);
    // The Setup Wizard's variant: writes LogThreshold too and never relocates the error directory.
    long SaveSettingsForWizard(SiteSettings& record);
    // The same, naming each value whose write failed in valuesNotWritten (all twelve when the key could not
    // be had, or when the store lost the batch that held them).
    long SaveSettingsForWizard(SiteSettings& record, std::vector<std::string>& valuesNotWritten);
    void ReleaseAllSites();

    const std::vector<std::unique_ptr<SiteSettings>>& Sites() const { return m_sites; }
    std::size_t Capacity() const { return m_capacity; }
    SiteSettings& DefaultRecord() { return m_default; }
    const std::string& InstallDirectory() const { return m_installDirectory; }
    TimedLock& ListLock() { return m_listLock; }

private:
    long Save(SiteSettings& record, bool forWizard, std::vector<std::string>* valuesNotWritten = nullptr);
    // The twelve values in the handler's order; loadedDirectory follows Directory, LogDir gets its tokens.
    void TransferValues(RegistryKey* key, SiteSettings& record, const SiteSettings& templ,
                        unsigned mode) const;
    void RelocateErrorDirectory(SiteSettings& record) const;

    std::string m_installDirectory;
    SiteSettings m_default;
    std::vector<std::unique_ptr<SiteSettings>> m_sites;
    std::size_t m_capacity = 0;
    TimedLock m_listLock;
};

} // namespace qv
