#include "platform/RegistryKey.h"

namespace qv {

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

} // namespace qv
