#include "SettingsApplier.h"

namespace qv {

namespace {

void SaveOne(SiteSettings& record, const SettingsApplier::SaveRecord& save, SettingsApplier::Result& result) {
    if (record.modified == 0)
        return;
    if (save(record) != 0) {
        result.failedSites.push_back(record.siteId);
        return;
    }
    record.modified = 0;
    ++result.saved;
}

} // namespace

std::size_t SettingsApplier::CountModified(const SiteSettings& defaultRecord,
                                           const std::vector<SiteSettings*>& sites) {
    std::size_t count = defaultRecord.modified != 0 ? 1 : 0;
    for (const SiteSettings* site : sites) {
        if (site != nullptr && site->modified != 0)
            ++count;
    }
    return count;
}

SettingsApplier::Result SettingsApplier::Apply(SiteSettings& defaultRecord,
                                               const std::vector<SiteSettings*>& sites,
                                               const SaveRecord& save) {
    Result result;
    SaveOne(defaultRecord, save, result);
    for (SiteSettings* site : sites) {
        if (site != nullptr)
            SaveOne(*site, save, result);
    }
    return result;
}

} // namespace qv
