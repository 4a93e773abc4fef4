#include "ViewerPlacement.h"

#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <cstring>
#include <string>

namespace qv {

namespace {

constexpr const char* kWindowValue = "win";
constexpr const char* kColumnsValue = "cols";

// The value's bytes when it has exactly the size asked for.
template <std::size_t N> bool ReadExactly(const RegistryKey& key, const char* name, std::int32_t (&out)[N]) {
    std::string data;
    if (key.ReadValue(name, nullptr, data, sizeof(out)) != kErrorSuccess || data.size() != sizeof(out))
        return false;
    std::memcpy(out, data.data(), sizeof(out));
    return true;
}

} // namespace

ViewerPlacement::ViewerPlacement(const std::array<std::int32_t, 8>& defaultColumns)
    : m_defaults(defaultColumns), m_columns(defaultColumns) {}

void ViewerPlacement::Load() {
    RegistryKey key;
    if (key.Open(kKey, RegAccess::Read) != kErrorSuccess)
        return;
    std::int32_t window[4];
    if (ReadExactly(key, kWindowValue, window))
        m_window = WindowRect{window[0], window[1], window[2], window[3]};
    std::int32_t columns[8];
    if (ReadExactly(key, kColumnsValue, columns)) {
        for (std::size_t i = 0; i < m_columns.size(); ++i)
            m_columns[i] = columns[i] > 0 ? columns[i] : m_defaults[i];
    }
}

void ViewerPlacement::Save() const {
    RegistryKey key;
    if (key.Open(kKey, RegAccess::Write) != kErrorSuccess &&
        key.Create(kKey, RegAccess::Write) != kErrorSuccess)
        return;
    if (m_window) {
        const std::int32_t window[4] = {m_window->left, m_window->top, m_window->right, m_window->bottom};
        key.SetValue(kWindowValue, kRegBinary, window, sizeof(window));
    }
    key.SetValue(kColumnsValue, kRegBinary, m_columns.data(), sizeof(std::int32_t) * m_columns.size());
}

} // namespace qv
