#pragma once
// A key of HKEY_LOCAL_MACHINE as written on a command line or in a .reg file: "HKLM\SOFTWARE\x" or
// "HKEY_LOCAL_MACHINE\SOFTWARE\x". Other roots are refused: the suite's store has HKLM only.
#include <optional>
#include <string>
#include <string_view>

namespace qv {

class RegKeyPath {
public:
    // The key, or no key with the message that says why in *error.
    static std::optional<RegKeyPath> Parse(std::string_view text, std::string* error);
    static RegKeyPath FromSubKey(std::string subKey);

    // The path below HKEY_LOCAL_MACHINE, empty for the root itself.
    const std::string& SubKey() const { return m_subKey; }
    bool IsRoot() const { return m_subKey.empty(); }
    // "HKEY_LOCAL_MACHINE\SOFTWARE\x", as reg.exe shows keys.
    std::string Display() const;
    RegKeyPath Child(std::string_view name) const;

private:
    explicit RegKeyPath(std::string subKey) : m_subKey(std::move(subKey)) {}
    std::string m_subKey;
};

} // namespace qv
