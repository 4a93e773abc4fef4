#include "DialogSizes.h"

#include "platform/RegistryKey.h"
#include "platform/WinError.h"

namespace qv {

namespace {

void Put(unsigned char* at, std::int32_t value) {
    const auto bits = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<unsigned char>(bits >> (8 * i));
}

std::int32_t Get(std::string_view data, std::size_t at) {
    std::uint32_t bits = 0;
    for (std::size_t i = 0; i < 4; ++i)
        bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(data[at + i])) << (8 * i);
    return static_cast<std::int32_t>(bits);
}

} // namespace

DialogSizes DialogSizes::AtClose(std::int32_t clientWidth, std::int32_t clientHeight,
                                 std::int32_t sitesColumn, std::int32_t statusColumn) {
    DialogSizes sizes;
    sizes.right = clientWidth + 8;
    sizes.bottom = clientHeight;
    sizes.sitesColumn = sitesColumn;
    sizes.statusColumn = statusColumn;
    return sizes;
}

std::array<unsigned char, DialogSizes::kBytes> DialogSizes::Encode() const {
    std::array<unsigned char, kBytes> bytes{};
    const std::int32_t numbers[] = {left, top, right, bottom, sitesColumn, statusColumn};
    for (std::size_t i = 0; i < 6; ++i)
        Put(bytes.data() + 4 * i, numbers[i]);
    return bytes;
}

std::optional<DialogSizes> DialogSizes::Decode(std::string_view data) {
    if (data.size() != kBytes)
        return std::nullopt;
    DialogSizes sizes;
    sizes.left = Get(data, 0);
    sizes.top = Get(data, 4);
    sizes.right = Get(data, 8);
    sizes.bottom = Get(data, 12);
    const std::int32_t sites = Get(data, 16);
    const std::int32_t status = Get(data, 20);
    sizes.sitesColumn = sites > 0 ? sites : kDefaultSitesColumn;
    sizes.statusColumn = status > 0 ? status : kDefaultStatusColumn;
    return sizes;
}

std::optional<DialogSizes> DialogSizes::Load() {
    RegistryKey key;
    if (key.Open(kKey, RegAccess::Read) != kErrorSuccess)
        return std::nullopt;
    std::string data;
    if (key.ReadValue(kValue, nullptr, data, kBytes) != kErrorSuccess)
        return std::nullopt;
    return Decode(data);
}

bool DialogSizes::Save() const {
    RegistryKey key;
    if (key.Open(kKey, RegAccess::Write) != kErrorSuccess &&
        key.Create(kKey, RegAccess::Write) != kErrorSuccess)
        return false;
    const auto bytes = Encode();
    return key.SetValue(kValue, kRegBinary, bytes.data(), static_cast<std::uint32_t>(bytes.size())) ==
           kErrorSuccess;
}

} // namespace qv
