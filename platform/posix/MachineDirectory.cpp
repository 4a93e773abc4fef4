#include "platform/MachineDirectory.h"

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

} // namespace qv
