#include "platform/RegistryKey.h"

#include "platform/WinError.h"

#include <algorithm>

namespace qv {

namespace {

// How often a value that keeps growing between asking its size and reading it is asked again.
constexpr int kReadAttempts = 8;

long AllNames(const RegistryKey& key, long (RegistryKey::*enumerate)(std::uint32_t, std::string&) const,
              std::vector<std::string>& names) {
    names.clear();
    std::string name;
    for (std::uint32_t index = 0;; ++index) {
        const long result = (key.*enumerate)(index, name);
        if (result != kErrorSuccess)
            return result == kErrorNoMoreItems ? kErrorSuccess : result;
        names.push_back(name);
    }
}

} // namespace

// Ownership is the same on both backends; Open, Create, Close and the value calls are the backend's.
RegistryKey::~RegistryKey() {
    Close();
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept
    : m_open(other.m_open), m_writable(other.m_writable), m_handle(other.m_handle) {
    other.m_open = false;
    other.m_writable = false;
    other.m_handle = 0;
}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        m_open = other.m_open;
        m_writable = other.m_writable;
        m_handle = other.m_handle;
        other.m_open = false;
        other.m_writable = false;
        other.m_handle = 0;
    }
    return *this;
}

long RegistryKey::ReadValue(std::string_view name, std::uint32_t* type, std::string& data) const {
    std::uint32_t size = 0;
    long result = QueryValue(name, type, nullptr, &size);
    for (int attempt = 0; attempt <= kReadAttempts && (result == kErrorSuccess || result == kErrorMoreData);
         ++attempt) {
        data.resize(size);
        result = QueryValue(name, type, data.data(), &size);
        if (result == kErrorSuccess) {
            data.resize(size);
            return result;
        }
    }
    data.clear();
    return result;
}

long RegistryKey::ReadValue(std::string_view name, std::uint32_t* type, std::string& data,
                            std::uint32_t maxBytes) const {
    data.resize(maxBytes);
    std::uint32_t size = maxBytes;
    const long result = QueryValue(name, type, data.data(), &size);
    data.resize(result == kErrorSuccess ? std::min(size, maxBytes) : 0);
    return result;
}

long RegistryKey::ReadText(std::string_view name, std::uint32_t maxChars, std::string& text,
                           std::uint32_t* type) const {
    const long result = ReadValue(name, type, text, maxChars + 1);
    if (result != kErrorSuccess)
        return result;
    text.resize(std::min(text.find('\0'), text.size()));
    if (text.size() <= maxChars)
        return kErrorSuccess;
    text.clear();
    return kErrorMoreData;
}

long RegistryKey::SubKeyNames(std::vector<std::string>& names) const {
    return AllNames(*this, &RegistryKey::EnumSubKey, names);
}

long RegistryKey::ValueNames(std::vector<std::string>& names) const {
    return AllNames(*this, &RegistryKey::EnumValue, names);
}

} // namespace qv
