#pragma once
// The viewer's window place and column widths, kept in the key Log below the dialog key: "win", the
// window's screen rectangle (left, top, right, bottom), and "cols", the widths of the eight columns, both
// REG_BINARY of 32-bit signed integers. A value that cannot be read, or has another size, keeps the default.
#include "settings/ProductKeys.h"

#include <array>
#include <cstdint>
#include <optional>

namespace qv {

struct WindowRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

class ViewerPlacement {
public:
    static constexpr auto kKeyPath = KeyBelow(kDialogKeyPath, "Log");
    static constexpr const char* kKey = kKeyPath.data();
    static constexpr std::array<std::int32_t, 8> kDefaultColumns = {70, 60, 100, 100, 200, 200, 100, 100};

    // defaultColumns: the widths that stand where "cols" cannot be read.
    explicit ViewerPlacement(const std::array<std::int32_t, 8>& defaultColumns = kDefaultColumns);

    void Load();
    // Opens the key for writing, or creates it; when neither works nothing is written.
    void Save() const;

    const std::optional<WindowRect>& Window() const { return m_window; }
    void SetWindow(const WindowRect& rect) { m_window = rect; }
    const std::array<std::int32_t, 8>& Columns() const { return m_columns; }
    void SetColumns(const std::array<std::int32_t, 8>& columns) { m_columns = columns; }

private:
    std::optional<WindowRect> m_window;
    std::array<std::int32_t, 8> m_defaults;
    std::array<std::int32_t, 8> m_columns;
};

} // namespace qv
