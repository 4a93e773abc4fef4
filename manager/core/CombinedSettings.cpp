#include "CombinedSettings.h"

#include "settings/PathServices.h"

namespace qv {

namespace {

void CombineFlag(std::int32_t& combined, std::int32_t value) {
    if (combined != CombinedSettings::kVaries && combined != value)
        combined = CombinedSettings::kVaries;
}

void CombineText(std::string& combined, const std::string& value) {
    if (!CombinedSettings::Varies(combined) && combined != value)
        combined = CombinedSettings::kVariesText;
}

void WriteFlag(std::int32_t& target, std::int32_t combined) {
    if (!CombinedSettings::Varies(combined))
        target = combined;
}

} // namespace

void CombinedSettings::TakeBase(const SiteSettings& record) {
    m_values = record;
    m_values.modified = 0;
}

void CombinedSettings::ClearBase() {
    m_values.siteId = kNoBase;
    m_values.modified = 0;
}

void CombinedSettings::Combine(const SiteSettings& record) {
    CombineFlag(m_values.EnableDisable, record.EnableDisable);
    CombineFlag(m_values.ServerState, record.ServerState);
    CombineFlag(m_values.Dyn404, record.Dyn404);
    CombineFlag(m_values.SendErrorImage, record.SendErrorImage);
    CombineFlag(m_values.Logging, record.Logging);
    CombineText(m_values.Directory, record.Directory);
    CombineText(m_values.LogDir, record.LogDir);
}

void CombinedSettings::WriteInto(SiteSettings& record, const ListChangeFlags& lists,
                                 const std::string& installDirectory) const {
    record.modified = 1;
    WriteFlag(record.EnableDisable, m_values.EnableDisable);
    WriteFlag(record.ServerState, m_values.ServerState);
    WriteFlag(record.Dyn404, m_values.Dyn404);
    WriteFlag(record.SendErrorImage, m_values.SendErrorImage);
    WriteFlag(record.Logging, m_values.Logging);
    if (!Varies(m_values.Directory) && record.Directory != m_values.Directory)
        record.Directory = m_values.Directory;
    if (lists.IsSet(ListChangeFlags::ExtList))
        CopyList(record.ExtList, m_values.ExtList);
    if (lists.IsSet(ListChangeFlags::DynExtList))
        CopyList(record.DynExtList, m_values.DynExtList);
    if (lists.IsSet(ListChangeFlags::ImgExts))
        CopyList(record.ImgExts, m_values.ImgExts);
    if (lists.IsSet(ListChangeFlags::ImgFilters))
        CopyList(record.ImgFilters, m_values.ImgFilters);
    if (!Varies(m_values.LogDir)) {
        record.LogDir = m_values.LogDir;
        if (record.siteId != 0)
            ExpandPathTokens(record.LogDir, static_cast<std::int32_t>(record.siteId), installDirectory);
    }
}

} // namespace qv
