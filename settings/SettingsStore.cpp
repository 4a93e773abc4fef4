#include "SettingsStore.h"

#include "PathServices.h"
#include "RegValues.h"
#include "TemplateDeployment.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/RegistryBatch.h"
#include "platform/RegistryKey.h"
#include "platform/TextCodec.h"
#include "platform/WinError.h"
#include "webserver/SiteEnumeration.h"
#include "webserver/WorkerIdentity.h"

#include <algorithm>
#include <iterator>
#include <new>
#include <utility>

namespace qv {

namespace {

constexpr int kLockWaitMs = 30000;
constexpr std::size_t kCapacityStep = 10;
constexpr unsigned kLoadMode = ReadStored | UseTemplate | WriteStored;

// Holds a TimedLock when it could be had within the wait.
class BoundedLock {
public:
    BoundedLock(TimedLock& lock, int milliseconds) : m_lock(lock), m_owned(lock.TryLockFor(milliseconds)) {}
    ~BoundedLock() {
        if (m_owned)
            m_lock.Unlock();
    }
    BoundedLock(const BoundedLock&) = delete;
    BoundedLock& operator=(const BoundedLock&) = delete;
    bool Owned() const { return m_owned; }

private:
    TimedLock& m_lock;
    bool m_owned;
};

std::string SiteKeyName(std::uint32_t siteId) {
    return std::string(kSitesKey) + "\\" + std::to_string(siteId);
}

// Description and root directory from the web server; false for a site without a root.
bool ReadWebServerData(const MetabaseConnection& connection, SiteSettings& record) {
    if (std::optional<std::string> description = ReadSiteDescription(connection, record.siteId))
        record.description = TextCodec::Cut(*description, kMaxText);
    const std::optional<std::string> root = ReadSiteRoot(connection, record.siteId);
    if (!root)
        return false;
    record.siteRoot = TextCodec::Cut(*root, kMaxText);
    return true;
}

// Names the value when its write failed and the caller asked.
void NoteWrite(std::vector<std::string>* failed, const char* name, long result) {
    if (failed != nullptr && result != kErrorSuccess)
        failed->emplace_back(name);
}

constexpr const char* kAllValues[] = {value::EnableDisable,  value::ServerState, value::Dyn404,
                                      value::SendErrorImage, value::Logging,     value::LogThreshold,
                                      value::LogDir,         value::Directory,   value::ExtList,
                                      value::DynExtList,     value::ImgFilters,  value::ImgExts};

// The values of the first batch of a save come first, the four lists after them.
constexpr std::size_t kFirstBatchValues = 8;

void NoteAll(std::vector<std::string>* failed, std::size_t from = 0, std::size_t to = std::size(kAllValues)) {
    if (failed == nullptr)
        return;
    for (std::size_t i = from; i < to; ++i)
        if (std::find(failed->begin(), failed->end(), kAllValues[i]) == failed->end())
            failed->emplace_back(kAllValues[i]);
}

bool HoldsToken(const std::string& path) {
    return path.find("[SITE]") != std::string::npos || path.find("[PROGFILES]") != std::string::npos;
}

} // namespace

SettingsStore::SettingsStore(std::string installDirectory)
    : m_installDirectory(std::move(installDirectory)) {}

SettingsStore::~SettingsStore() = default;

bool SettingsStore::LoadAllSites() {
    MetabaseConnection connection;
    connection.Open();
    const bool loaded = LoadAllSites(connection);
    connection.Close();
    return loaded;
}

bool SettingsStore::LoadAllSites(MetabaseConnection& connection) {
    ReleaseAllSites();
    const std::size_t counted = CountSiteIds(connection);
    if (counted == 0)
        return false;

    LoadDefaultEntry(m_default, m_installDirectory);
    try {
        m_sites.reserve(counted + kCapacityStep);
    } catch (const std::bad_alloc&) {
        return false;
    }
    m_capacity = counted + kCapacityStep;

    // The second walk may meet sites that were added since the first: it stops at the number counted.
    // Its key creations and write-backs go to the registry in batches rather than one by one.
    RegistryBatch batch;
    std::size_t added = 0;
    EnumerateSiteIds(connection, [&](std::uint32_t siteId) {
        AddSite(connection, siteId, &m_default);
        return ++added < counted;
    });
    return true;
}

SiteSettings* SettingsStore::AddSite(MetabaseConnection& connection, std::uint32_t siteId,
                                     const SiteSettings* templ) {
    SiteSettings copy;
    if (templ)
        copy = *templ;
    else
        LoadDefaultEntry(copy, m_installDirectory);

    if (m_capacity == 0) {
        try {
            m_sites.reserve(kCapacityStep);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        m_capacity = kCapacityStep;
    }

    std::unique_ptr<SiteSettings> record = LoadSite(connection, siteId, copy);
    if (!record)
        return nullptr;

    // A record that cannot be inserted is released here: nobody else would own it.
    const BoundedLock listLock(m_listLock, kLockWaitMs);
    if (!listLock.Owned())
        return nullptr;
    const BoundedLock recordLock(record->lock, kLockWaitMs);
    if (!recordLock.Owned())
        return nullptr;
    if (m_sites.size() >= m_capacity) {
        try {
            m_sites.reserve(m_capacity + kCapacityStep);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        m_capacity += kCapacityStep;
    }

    SiteSettings* inserted = record.get();
    m_sites.push_back(std::move(record));
    // Insertion sort: a record passes only neighbours with a greater number, so equal numbers keep their
    // order.
    for (std::size_t i = m_sites.size() - 1; i > 0 && m_sites[i - 1]->siteId > m_sites[i]->siteId; --i)
        std::swap(m_sites[i - 1], m_sites[i]);
    return inserted;
}

std::unique_ptr<SiteSettings> SettingsStore::LoadSite(MetabaseConnection& connection, std::uint32_t siteId,
                                                      const SiteSettings& templ) {
    try {
        auto record = std::make_unique<SiteSettings>();
        record->siteId = siteId;
        record->workerIdentity = FindWorkerAccount(connection, siteId);

        RegistryKey key;
        bool created = false;
        if (siteId != 0) {
            // Without a root the record stays zero and the registry is not touched.
            if (!ReadWebServerData(connection, *record))
                return record;
            const std::string keyName = SiteKeyName(siteId);
            if (key.Open(keyName, RegAccess::ReadWrite) != kErrorSuccess &&
                key.Create(keyName, RegAccess::ReadWrite, &created) != kErrorSuccess)
                return record;
        }
        // The default entry uses no key: every value is the template's.
        TransferValues(siteId != 0 ? &key : nullptr, *record, templ, siteId != 0 ? kLoadMode : UseTemplate);

        if (record->EnableDisable != 0 && created)
            DeployNewSiteTemplates(*record, m_installDirectory);
        return record;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

std::unique_ptr<SiteSettings> SettingsStore::BuildSiteFromTemplate(MetabaseConnection& connection,
                                                                   std::uint32_t siteId,
                                                                   const SiteSettings& templ) {
    try {
        auto record = std::make_unique<SiteSettings>();
        record->siteId = siteId;
        record->workerIdentity = FindWorkerAccount(connection, siteId);
        if (siteId != 0 && !ReadWebServerData(connection, *record))
            return record;
        TransferValues(nullptr, *record, templ, UseTemplate);
        return record;
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

void SettingsStore::TransferValues(RegistryKey* key, SiteSettings& record, const SiteSettings& templ,
                                   unsigned mode) const {
    RegNumber(key, value::EnableDisable, record.EnableDisable, templ.EnableDisable, mode);
    RegNumber(key, value::ServerState, record.ServerState, templ.ServerState, mode);
    RegNumber(key, value::Dyn404, record.Dyn404, templ.Dyn404, mode);
    RegNumber(key, value::SendErrorImage, record.SendErrorImage, templ.SendErrorImage, mode);
    RegNumber(key, value::Logging, record.Logging, templ.Logging, mode);
    RegNumber(key, value::LogThreshold, record.LogThreshold, templ.LogThreshold, mode);
    RegText(key, value::Directory, record.Directory, templ.Directory, mode);
    record.loadedDirectory = record.Directory;
    // The key keeps the template's tokens; the record holds the site's own path.
    RegText(key, value::LogDir, record.LogDir, templ.LogDir, mode);
    ExpandPathTokens(record.LogDir, static_cast<std::int32_t>(record.siteId), m_installDirectory);
    RegList(key, value::ExtList, record.ExtList, templ.ExtList, mode);
    RegList(key, value::DynExtList, record.DynExtList, templ.DynExtList, mode);
    RegList(key, value::ImgFilters, record.ImgFilters, templ.ImgFilters, mode);
    RegList(key, value::ImgExts, record.ImgExts, templ.ImgExts, mode);
}

long SettingsStore::SaveSettings(SiteSettings& record) {
    return Save(record, false);
}

long SettingsStore::SaveSettingsForWizard(SiteSettings& record) {
    return Save(record, true);
}

long SettingsStore::SaveSettingsForWizard(SiteSettings& record, std::vector<std::string>& valuesNotWritten) {
    return Save(record, true, &valuesNotWritten);
}

long SettingsStore::Save(SiteSettings& record, bool forWizard, std::vector<std::string>* valuesNotWritten) {
    std::vector<std::string>* const failed = valuesNotWritten;
    const std::string keyName = record.siteId != 0 ? SiteKeyName(record.siteId) : std::string(kSitesKey);
    RegistryKey key;
    {
        // The values go in batches. This one is committed before the folders are touched: a folder renamed
        // is never left behind a Directory value that a crash takes back, and copies and grants do not
        // hold the store's write lock.
        RegistryBatch batch;
        if (key.Open(keyName, RegAccess::Write) != kErrorSuccess) {
            const long result = key.Create(keyName, RegAccess::ReadWrite);
            if (result != kErrorSuccess) {
                NoteAll(failed);
                return result;
            }
        }

        NoteWrite(failed, value::EnableDisable,
                  RegNumber(&key, value::EnableDisable, record.EnableDisable, 0, WriteStored));
        NoteWrite(failed, value::ServerState,
                  RegNumber(&key, value::ServerState, record.ServerState, 0, WriteStored));
        NoteWrite(failed, value::Dyn404, RegNumber(&key, value::Dyn404, record.Dyn404, 0, WriteStored));
        NoteWrite(failed, value::SendErrorImage,
                  RegNumber(&key, value::SendErrorImage, record.SendErrorImage, 0, WriteStored));
        NoteWrite(failed, value::Logging, RegNumber(&key, value::Logging, record.Logging, 0, WriteStored));
        // The Settings Manager leaves the handler's LogThreshold as it is stored.
        if (forWizard)
            NoteWrite(failed, value::LogThreshold,
                      RegNumber(&key, value::LogThreshold, record.LogThreshold, 0, WriteStored));
        NoteWrite(failed, value::LogDir, RegText(&key, value::LogDir, record.LogDir, {}, WriteStored));
        NoteWrite(failed, value::Directory,
                  RegText(&key, value::Directory, record.Directory, {}, WriteStored));
        // A lost transaction takes every write of the batch with it.
        if (failed != nullptr && batch.End() != kErrorSuccess)
            NoteAll(failed, 0, kFirstBatchValues);
    }

    if (!forWizard)
        RelocateErrorDirectory(record);

    // A path that still holds a token (the default entry's) names no directory of any site.
    if (record.Logging != 0 && !HoldsToken(record.LogDir))
        PrepareSiteDirectory(m_installDirectory, record.LogDir, record);

    RegistryBatch batch;
    NoteWrite(failed, value::ExtList, RegList(&key, value::ExtList, record.ExtList, {}, WriteStored));
    NoteWrite(failed, value::DynExtList,
              RegList(&key, value::DynExtList, record.DynExtList, {}, WriteStored));
    NoteWrite(failed, value::ImgFilters,
              RegList(&key, value::ImgFilters, record.ImgFilters, {}, WriteStored));
    NoteWrite(failed, value::ImgExts, RegList(&key, value::ImgExts, record.ImgExts, {}, WriteStored));
    if (failed != nullptr && batch.End() != kErrorSuccess)
        NoteAll(failed, kFirstBatchValues);
    return kErrorSuccess;
}

void SettingsStore::RelocateErrorDirectory(SiteSettings& record) const {
    if (FileNamesEqual(record.Directory, record.loadedDirectory))
        return;
    // The default entry has no site root: its folders would be made and moved at the top of the drive.
    if (record.siteId == 0 || record.siteRoot.empty()) {
        record.loadedDirectory = record.Directory;
        return;
    }

    const std::string oldDirectory = JoinPathAlways(record.siteRoot, record.loadedDirectory);
    const std::string newDirectory = JoinPathAlways(record.siteRoot, record.Directory);
    // An old name that leads to the site root itself (an empty one) is no folder to move out of: the
    // site's own files would go into the error directory.
    const bool oldExists =
        FileSystem::Exists(oldDirectory) && !FileSystem::SameLocation(oldDirectory, record.siteRoot);
    const bool newExists = FileSystem::Exists(newDirectory);

    if (oldExists && !newExists) {
        if (FileSystem::RenameNoOverwrite(oldDirectory, newDirectory))
            record.loadedDirectory = record.Directory;
        return;
    }

    std::string source;
    if (oldExists) {
        source = oldDirectory;
        GrantDirectoryAccess(m_installDirectory, newDirectory, record.workerIdentity);
    } else {
        source = TemplatesDirectory(m_installDirectory);
        if (newExists)
            GrantDirectoryAccess(m_installDirectory, newDirectory, record.workerIdentity);
        else
            PrepareSiteDirectory(m_installDirectory, newDirectory, record);
    }
    if (FillErrorDirectory(source, newDirectory, oldExists))
        record.loadedDirectory = record.Directory;
}

void SettingsStore::ReleaseAllSites() {
    m_sites.clear();
    m_sites.shrink_to_fit();
    m_capacity = 0;
}

} // namespace qv
