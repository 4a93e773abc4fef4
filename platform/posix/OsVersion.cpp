#include "platform/OsVersion.h"

#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <charconv>
#include <string>

namespace qv {

namespace {

// "5.2" -> 5, 2; anything else is no version.
bool ParseVersion(std::string_view text, int* major, int* minor) {
    std::size_t dot = text.find('.');
    if (dot == std::string_view::npos)
        return false;
    std::string_view majorText = text.substr(0, dot);
    std::string_view minorText = text.substr(dot + 1);
    auto parse = [](std::string_view part, int* number) {
        if (part.empty() || part.size() > 4)
            return false;
        auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), *number);
        return error == std::errc() && end == part.data() + part.size();
    };
    return parse(majorText, major) && parse(minorText, minor);
}

} // namespace

void OsVersion::Record() {
    int major = 5;
    int minor = 2;
    RegistryKey key;
    if (key.Open("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", RegAccess::Read) == kErrorSuccess) {
        char buffer[32] = {};
        std::uint32_t size = sizeof buffer - 1;
        std::uint32_t type = 0;
        if (key.QueryValue("CurrentVersion", &type, buffer, &size) == kErrorSuccess &&
            (type == kRegSz || type == kRegExpandSz)) {
            std::string text(buffer, size);
            while (!text.empty() && text.back() == '\0')
                text.pop_back();
            int parsedMajor = 0;
            int parsedMinor = 0;
            if (ParseVersion(text, &parsedMajor, &parsedMinor)) {
                major = parsedMajor;
                minor = parsedMinor;
            }
        }
    }
    Set(major, minor);
}

} // namespace qv
