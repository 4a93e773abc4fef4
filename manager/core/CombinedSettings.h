#pragma once
// The values shown for the current selection: a full copy of the base record (lists copied, not shared) in
// which each value that differs across the affected records carries a marker: 2 for a flag, "Varies" for a
// text. Pages read and write Values(); only records are ever saved, never this copy.
#include "ListChangeFlags.h"
#include "settings/SiteSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace qv {

class CombinedSettings {
public:
    static constexpr std::int32_t kVaries = 2;
    static constexpr std::string_view kVariesText = "Varies";
    // siteId when there is no base.
    static constexpr std::uint32_t kNoBase = 0xFFFFFFFFu;

    CombinedSettings() { ClearBase(); }

    // Starts a selection step from record; the changed flag is cleared.
    void TakeBase(const SiteSettings& record);
    // Nothing selected: no base, nothing changed.
    void ClearBase();
    bool HasBase() const { return m_values.siteId != kNoBase; }

    // Puts the marker on every shown value that differs from record's (texts compared case-sensitively).
    // The four lists are never compared.
    void Combine(const SiteSettings& record);
    // Writes every value that does not vary into record and marks it modified. Lists only when their flag is
    // set. LogDir gets its path tokens expanded for a site record, not for the default record (siteId 0).
    void WriteInto(SiteSettings& record, const ListChangeFlags& lists,
                   const std::string& installDirectory) const;

    // The changed flag: set by every edit, cleared at every selection step.
    bool Changed() const { return m_values.modified != 0; }
    void MarkChanged() { m_values.modified = 1; }

    const SiteSettings& Values() const { return m_values; }
    SiteSettings& Values() { return m_values; }

    static bool Varies(std::int32_t flag) { return flag == kVaries; }
    static bool Varies(std::string_view text) { return text == kVariesText; }

private:
    SiteSettings m_values;
};

} // namespace qv
