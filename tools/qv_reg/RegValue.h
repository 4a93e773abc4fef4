#pragma once
// One registry value as the tool handles it: name, type and the bytes as the registry API gives them.
#include <cstdint>
#include <string>

namespace qv {

struct RegValue {
    std::string name; // empty: the key's default value
    std::uint32_t type = 0;
    std::string data;

    bool operator==(const RegValue&) const = default;
};

} // namespace qv
