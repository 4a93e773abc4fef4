#include "ComAdminBase.h"

#include <windows.h>

#include <iadmw.h>

namespace qv {

namespace {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "UTF-16 is wchar_t on Windows");
static_assert(sizeof(METADATA_HANDLE) == sizeof(MetadataHandle));
static_assert(sizeof(HRESULT) == sizeof(std::int32_t));

LPCWSTR Wide(const char16_t* text) {
    return reinterpret_cast<LPCWSTR>(text);
}

} // namespace

ComAdminBase::ComAdminBase(IMSAdminBaseW* adminBase) : m_adminBase(adminBase) {}

ComAdminBase::~ComAdminBase() {
    if (m_adminBase)
        m_adminBase->Release();
}

std::int32_t ComAdminBase::OpenKey(MetadataHandle handle, const char16_t* path, std::uint32_t permissions,
                                   std::uint32_t timeoutMs, MetadataHandle* newHandle) {
    METADATA_HANDLE opened = 0;
    const HRESULT result = m_adminBase->OpenKey(handle, Wide(path), permissions, timeoutMs, &opened);
    if (newHandle)
        *newHandle = opened;
    return result;
}

std::int32_t ComAdminBase::CloseKey(MetadataHandle handle) {
    return m_adminBase->CloseKey(handle);
}

std::int32_t ComAdminBase::EnumKeys(MetadataHandle handle, const char16_t* path, char16_t* name,
                                    std::uint32_t index) {
    return m_adminBase->EnumKeys(handle, Wide(path), reinterpret_cast<LPWSTR>(name), index);
}

std::int32_t ComAdminBase::GetData(MetadataHandle handle, const char16_t* path, MetadataRecord* record,
                                   std::uint32_t* requiredLen) {
    METADATA_RECORD native{};
    native.dwMDIdentifier = record->identifier;
    native.dwMDAttributes = record->attributes;
    native.dwMDUserType = record->userType;
    native.dwMDDataType = record->dataType;
    native.dwMDDataLen = record->dataLen;
    native.pbMDData = record->data;
    native.dwMDDataTag = record->dataTag;
    DWORD required = 0;
    const HRESULT result = m_adminBase->GetData(handle, Wide(path), &native, &required);
    record->identifier = native.dwMDIdentifier;
    record->attributes = native.dwMDAttributes;
    record->userType = native.dwMDUserType;
    record->dataType = native.dwMDDataType;
    record->dataLen = native.dwMDDataLen;
    record->dataTag = native.dwMDDataTag;
    if (requiredLen)
        *requiredLen = required;
    return result;
}

} // namespace qv
