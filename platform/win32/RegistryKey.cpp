#include "platform/RegistryKey.h"

#include "platform/WinError.h"

#include <windows.h>

#include <vector>

namespace qv {

namespace {

REGSAM SamFor(RegAccess access) {
    switch (access) {
    case RegAccess::Read:
        return KEY_READ;
    case RegAccess::Write:
        return KEY_WRITE;
    case RegAccess::ReadWrite:
        return KEY_READ | KEY_WRITE;
    }
    return KEY_READ;
}

HKEY AsHkey(std::uintptr_t handle) {
    return reinterpret_cast<HKEY>(handle);
}

// The ANSI calls want zero-terminated text; string_view may not be.
std::string Terminated(std::string_view text) {
    return std::string(text);
}

// A zero inside a name would cut it short without a word ("a\0b" would name "a"): refused, as on POSIX.
bool HasZero(std::string_view text) {
    return text.find('\0') != std::string_view::npos;
}

// A path that names HKEY_LOCAL_MACHINE itself: nothing but separators.
bool IsRoot(std::string_view path) {
    return path.find_first_not_of('\\') == std::string_view::npos;
}

} // namespace

long RegistryKey::Open(std::string_view path, RegAccess access) {
    Close();
    if (HasZero(path))
        return kErrorInvalidParameter;
    HKEY key = nullptr;
    const LONG result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, Terminated(path).c_str(), 0, SamFor(access), &key);
    if (result != ERROR_SUCCESS)
        return result;
    m_handle = reinterpret_cast<std::uintptr_t>(key);
    m_open = true;
    m_writable = access != RegAccess::Read;
    return kErrorSuccess;
}

long RegistryKey::Create(std::string_view path, RegAccess access, bool* created) {
    Close();
    if (created)
        *created = false;
    if (HasZero(path))
        return kErrorInvalidParameter;
    HKEY key = nullptr;
    DWORD disposition = 0;
    const LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, Terminated(path).c_str(), 0, nullptr,
                                        REG_OPTION_NON_VOLATILE, SamFor(access), nullptr, &key, &disposition);
    if (result != ERROR_SUCCESS)
        return result;
    m_handle = reinterpret_cast<std::uintptr_t>(key);
    m_open = true;
    m_writable = access != RegAccess::Read;
    if (created)
        *created = disposition == REG_CREATED_NEW_KEY;
    return kErrorSuccess;
}

long RegistryKey::QueryValue(std::string_view name, std::uint32_t* type, void* data,
                             std::uint32_t* size) const {
    if (!m_open)
        return kErrorInvalidHandle;
    if (HasZero(name))
        return kErrorInvalidParameter;
    DWORD valueType = REG_NONE;
    DWORD bytes = size ? *size : 0;
    const LONG result = RegQueryValueExA(AsHkey(m_handle), Terminated(name).c_str(), nullptr, &valueType,
                                         static_cast<BYTE*>(data), size ? &bytes : nullptr);
    if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA) {
        if (type)
            *type = valueType;
        if (size)
            *size = bytes;
    }
    return result;
}

long RegistryKey::SetValue(std::string_view name, std::uint32_t type, const void* data, std::uint32_t size) {
    if (!m_open)
        return kErrorInvalidHandle;
    if ((!data && size != 0) || HasZero(name))
        return kErrorInvalidParameter;
    return RegSetValueExA(AsHkey(m_handle), Terminated(name).c_str(), 0, type, static_cast<const BYTE*>(data),
                          size);
}

long RegistryKey::DeleteValue(std::string_view name) {
    if (!m_open)
        return kErrorInvalidHandle;
    if (HasZero(name))
        return kErrorInvalidParameter;
    return RegDeleteValueA(AsHkey(m_handle), Terminated(name).c_str());
}

long RegistryKey::EnumSubKey(std::uint32_t index, std::string& name) const {
    if (!m_open)
        return kErrorInvalidHandle;
    // Key names are at most 255 characters; a DBCS code page may need two bytes for each.
    std::vector<char> buffer(512);
    DWORD length = static_cast<DWORD>(buffer.size());
    const LONG result =
        RegEnumKeyExA(AsHkey(m_handle), index, buffer.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (result != ERROR_SUCCESS)
        return result;
    name.assign(buffer.data(), length);
    return kErrorSuccess;
}

long RegistryKey::EnumValue(std::uint32_t index, std::string& name) const {
    if (!m_open)
        return kErrorInvalidHandle;
    // Value names are at most 16383 characters; start small and grow only for the rare long one.
    std::vector<char> buffer(256);
    for (;;) {
        DWORD length = static_cast<DWORD>(buffer.size());
        const LONG result = RegEnumValueA(AsHkey(m_handle), index, buffer.data(), &length, nullptr, nullptr,
                                          nullptr, nullptr);
        if (result == ERROR_MORE_DATA && buffer.size() < 65536) {
            buffer.resize(buffer.size() * 4);
            continue;
        }
        if (result != ERROR_SUCCESS)
            return result;
        name.assign(buffer.data(), length);
        return kErrorSuccess;
    }
}

void RegistryKey::Close() {
    if (m_open)
        RegCloseKey(AsHkey(m_handle));
    m_open = false;
    m_writable = false;
    m_handle = 0;
}

long RegistryKey::DeleteTree(std::string_view path) {
    // RegDeleteTreeA on an empty path would empty HKEY_LOCAL_MACHINE itself.
    if (IsRoot(path))
        return kErrorAccessDenied;
    if (HasZero(path))
        return kErrorInvalidParameter;
    return RegDeleteTreeA(HKEY_LOCAL_MACHINE, Terminated(path).c_str());
}

} // namespace qv
