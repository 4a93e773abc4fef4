#pragma once
// The Windows environment that server configuration refers to: "%SystemDrive%\inetpub" and the system
// directory where IIS keeps its files. Win32 asks the system; POSIX answers with the defaults of a 64-bit
// Windows installed on C:, so that a machine directory reads as such a server.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

class WindowsEnvironment {
public:
    // Replaces every %NAME% (names without letter case, as Windows compares them). A '%' without a partner
    // stays as it is; an unknown name gives none, so that a half-expanded path is never taken.
    static std::optional<std::string> Expand(std::string_view text);
    // The same with another lookup (tests).
    static std::optional<std::string>
    ExpandWith(std::string_view text,
               const std::function<std::optional<std::string>(std::string_view)>& lookup);
    // One variable, or none.
    static std::optional<std::string> Variable(std::string_view name);
    // The 64-bit system directory as a stored path: "C:\Windows\System32" on POSIX; on Windows
    // %windir%\System32, or %windir%\Sysnative for a 32-bit program on 64-bit Windows, where System32 is
    // redirected to the 32-bit one.
    static std::string NativeSystemDirectory();
};

} // namespace qv
