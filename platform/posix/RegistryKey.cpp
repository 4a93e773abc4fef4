#include "platform/RegistryKey.h"

#include "platform/WinError.h"
#include "platform/posix/KeyStore.h"

namespace qv {

long RegistryKey::Open(std::string_view path, RegAccess access) {
    Close();
    std::uintptr_t handle = 0;
    long result = KeyStore::Instance().OpenKey(path, false, access != RegAccess::Write,
                                               access != RegAccess::Read, nullptr, &handle);
    if (result == kErrorSuccess) {
        m_open = true;
        m_writable = access != RegAccess::Read;
        m_handle = handle;
    }
    return result;
}

long RegistryKey::Create(std::string_view path, RegAccess access, bool* created) {
    Close();
    std::uintptr_t handle = 0;
    bool isNew = false;
    long result = KeyStore::Instance().OpenKey(path, true, access != RegAccess::Write,
                                               access != RegAccess::Read, &isNew, &handle);
    if (result == kErrorSuccess) {
        m_open = true;
        m_writable = access != RegAccess::Read;
        m_handle = handle;
    }
    if (created)
        *created = result == kErrorSuccess && isNew;
    return result;
}

long RegistryKey::QueryValue(std::string_view name, std::uint32_t* type, void* data,
                             std::uint32_t* size) const {
    if (!m_open)
        return kErrorInvalidHandle;
    if (!KeyStore::CanRead(m_handle))
        return kErrorAccessDenied;
    if (data && !size)
        return kErrorInvalidParameter;
    return KeyStore::Instance().QueryValue(m_handle, name, type, data, size);
}

long RegistryKey::SetValue(std::string_view name, std::uint32_t type, const void* data, std::uint32_t size) {
    if (!m_open)
        return kErrorInvalidHandle;
    if (!m_writable)
        return kErrorAccessDenied;
    if (!data && size != 0)
        return kErrorInvalidParameter;
    return KeyStore::Instance().SetValue(m_handle, name, type, data, size);
}

long RegistryKey::DeleteValue(std::string_view name) {
    if (!m_open)
        return kErrorInvalidHandle;
    if (!m_writable)
        return kErrorAccessDenied;
    return KeyStore::Instance().DeleteValue(m_handle, name);
}

long RegistryKey::EnumSubKey(std::uint32_t index, std::string& name) const {
    if (!m_open)
        return kErrorInvalidHandle;
    if (!KeyStore::CanRead(m_handle))
        return kErrorAccessDenied;
    return KeyStore::Instance().EnumSubKey(m_handle, index, name);
}

long RegistryKey::EnumValue(std::uint32_t index, std::string& name) const {
    if (!m_open)
        return kErrorInvalidHandle;
    if (!KeyStore::CanRead(m_handle))
        return kErrorAccessDenied;
    return KeyStore::Instance().EnumValue(m_handle, index, name);
}

void RegistryKey::Close() {
    // The store's connection is shared; a handle owns nothing in it.
    m_open = false;
    m_writable = false;
    m_handle = 0;
}

long RegistryKey::DeleteTree(std::string_view path) {
    return KeyStore::Instance().DeleteTree(path);
}

} // namespace qv
