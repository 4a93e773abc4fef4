#include "RegKeyPath.h"

#include "platform/AsciiText.h"

#include <algorithm>
#include <array>

namespace qv {

namespace {

constexpr std::string_view kRootName = "HKEY_LOCAL_MACHINE";

bool IsOtherRoot(std::string_view root) {
    static constexpr std::array<std::string_view, 10> others = {
        "HKCU", "HKEY_CURRENT_USER",   "HKCR", "HKEY_CLASSES_ROOT",    "HKU", "HKEY_USERS",
        "HKCC", "HKEY_CURRENT_CONFIG", "HKPD", "HKEY_PERFORMANCE_DATA"};
    return std::any_of(others.begin(), others.end(),
                       [root](std::string_view name) { return AsciiText::EqualNoCase(root, name); });
}

} // namespace

std::optional<RegKeyPath> RegKeyPath::Parse(std::string_view text, std::string* error) {
    auto fail = [error](std::string message) -> std::optional<RegKeyPath> {
        if (error)
            *error = std::move(message);
        return std::nullopt;
    };
    if (text.starts_with("\\\\"))
        return fail("Remote registries are not supported: only HKEY_LOCAL_MACHINE (HKLM) of this machine.");
    while (text.ends_with('\\'))
        text.remove_suffix(1);
    const std::size_t separator = text.find('\\');
    const std::string_view root = text.substr(0, separator);
    if (!AsciiText::EqualNoCase(root, "HKLM") && !AsciiText::EqualNoCase(root, kRootName)) {
        if (IsOtherRoot(root))
            return fail("Only HKEY_LOCAL_MACHINE (HKLM) is supported.");
        return fail("Invalid key name.");
    }
    if (separator == std::string_view::npos)
        return RegKeyPath(std::string());
    std::string_view subKey = text.substr(separator + 1);
    if (subKey.empty() || subKey.find("\\\\") != std::string_view::npos || subKey.front() == '\\')
        return fail("Invalid key name.");
    return RegKeyPath(std::string(subKey));
}

RegKeyPath RegKeyPath::FromSubKey(std::string subKey) {
    return RegKeyPath(std::move(subKey));
}

std::string RegKeyPath::Display() const {
    std::string result(kRootName);
    if (!m_subKey.empty()) {
        result += '\\';
        result += m_subKey;
    }
    return result;
}

RegKeyPath RegKeyPath::Child(std::string_view name) const {
    if (m_subKey.empty())
        return RegKeyPath(std::string(name));
    return RegKeyPath(m_subKey + "\\" + std::string(name));
}

} // namespace qv
