#pragma once
// The dialog's saved sizes: value "sizes" of the key Settings below the dialog key, REG_BINARY of 24 bytes,
// six little-endian 32-bit numbers: left, top, right, bottom of the client area when the dialog was last
// closed (right increased by 8), then the widths of the "Web Sites" and "Status" columns in pixels.
#include "settings/ProductKeys.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

class DialogSizes {
public:
    static constexpr auto kKeyPath = KeyBelow(kDialogKeyPath, "Settings");
    static constexpr const char* kKey = kKeyPath.data();
    static constexpr const char* kValue = "sizes";
    static constexpr std::size_t kBytes = 24;
    static constexpr std::int32_t kDefaultSitesColumn = 130;
    static constexpr std::int32_t kDefaultStatusColumn = 50;

    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t sitesColumn = kDefaultSitesColumn;
    std::int32_t statusColumn = kDefaultStatusColumn;

    // What closing stores: the client rectangle from (0,0), right increased by 8, and the two widths.
    static DialogSizes AtClose(std::int32_t clientWidth, std::int32_t clientHeight, std::int32_t sitesColumn,
                               std::int32_t statusColumn);
    std::int32_t Width() const { return right - left; }

    std::array<unsigned char, kBytes> Encode() const;
    // None unless data holds exactly 24 bytes. A column width below 1 takes its default, so that a column
    // dragged shut comes back at the next start.
    static std::optional<DialogSizes> Decode(std::string_view data);

    // None when the key or the value cannot be read or has another size.
    static std::optional<DialogSizes> Load();
    // Opens the key for writing, or creates it; false when neither works or the write fails.
    bool Save() const;

    bool operator==(const DialogSizes&) const = default;
};

} // namespace qv
