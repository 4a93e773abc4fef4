#pragma once
// Saves the modified records: the default record first, then the sites in array order (ascending site
// number). A record whose save failed stays modified, so that the next Apply tries it again.
#include "settings/SiteSettings.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

namespace qv {

class SettingsApplier {
public:
    // Saves one record: 0, or the registry error (SettingsStore::SaveSettings).
    using SaveRecord = std::function<long(SiteSettings&)>;

    struct Result {
        std::size_t saved = 0; // records written successfully
        // Site numbers whose save failed, in the order tried; 0 stands for the default record.
        std::vector<std::uint32_t> failedSites;
        bool Failed() const { return !failedSites.empty(); }
        bool Attempted() const { return saved > 0 || Failed(); }
    };

    // How many records Apply would save; lets the caller size a progress bar before it starts.
    static std::size_t CountModified(const SiteSettings& defaultRecord,
                                     const std::vector<SiteSettings*>& sites);
    static Result Apply(SiteSettings& defaultRecord, const std::vector<SiteSettings*>& sites,
                        const SaveRecord& save);
};

} // namespace qv
