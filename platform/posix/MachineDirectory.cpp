#include "platform/MachineDirectory.h"

#include <cctype>
#include <cstdlib>
#include <mutex>

namespace qv {

namespace {
std::mutex g_mutex;
std::string g_override;
bool g_overridden = false;
} // namespace

std::string MachineDirectory::Path() {
    {
        std::lock_guard lock(g_mutex);
        if (g_overridden)
            return g_override;
    }
    const char* env = std::getenv("QUORVANE_MACHINE");
    std::string path = (env && *env) ? env : "/var/lib/quorvane";
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

void MachineDirectory::Set(std::string path) {
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    std::lock_guard lock(g_mutex);
    g_override = std::move(path);
    g_overridden = true;
}

std::string MachineDirectory::LocalPath(std::string_view windowsPath) {
    // "E:\dir\x" or "E:/dir/x" -> <machine>/drive_e/dir/x, as Wine lays out its drives.
    if (windowsPath.size() >= 2 && std::isalpha(static_cast<unsigned char>(windowsPath[0])) &&
        windowsPath[1] == ':') {
        std::string result = Path() + "/drive_";
        result += static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
        std::string_view rest = windowsPath.substr(2);
        if (!rest.empty() && rest.front() != '\\' && rest.front() != '/')
            result += '/';
        for (char c : rest)
            result += (c == '\\') ? '/' : c;
        return result;
    }
    return std::string(windowsPath);
}

} // namespace qv
