#pragma once
// The admin base over the IIS Admin Base Object's IMSAdminBase interface: the four methods pass straight
// through, with the record copied field by field. UTF-16 is wchar_t on Windows.
#include "webserver/AdminBase.h"

struct IMSAdminBaseW;

namespace qv {

class ComAdminBase : public AdminBase {
public:
    // Takes over one reference, which the destructor releases.
    explicit ComAdminBase(IMSAdminBaseW* adminBase);
    ~ComAdminBase() override;
    ComAdminBase(const ComAdminBase&) = delete;
    ComAdminBase& operator=(const ComAdminBase&) = delete;

    std::int32_t OpenKey(MetadataHandle handle, const char16_t* path, std::uint32_t permissions,
                         std::uint32_t timeoutMs, MetadataHandle* newHandle) override;
    std::int32_t CloseKey(MetadataHandle handle) override;
    std::int32_t EnumKeys(MetadataHandle handle, const char16_t* path, char16_t* name,
                          std::uint32_t index) override;
    std::int32_t GetData(MetadataHandle handle, const char16_t* path, MetadataRecord* record,
                         std::uint32_t* requiredLen) override;

private:
    IMSAdminBaseW* m_adminBase;
};

} // namespace qv
