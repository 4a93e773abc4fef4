#pragma once
// What Windows gives the suite (the HKLM registry, the IIS metabase, the drives) lives on POSIX in one
// directory, the machine: $QUORVANE_MACHINE, default /var/lib/quorvane. On Windows it is unused.
#include <string>
#include <string_view>

namespace qv {

class MachineDirectory {
public:
    // The machine directory, without a trailing separator.
    static std::string Path();
    // Switches the process to another machine (tests, qv_sites --machine); closes the open key store.
    static void Set(std::string path);
    // A Windows path of the machine ("E:\inetpub\wwwroot") as a local path ("<machine>/drive_e/inetpub/wwwroot");
    // a POSIX absolute path stays as it is. On Windows every path stays as it is.
    static std::string LocalPath(std::string_view windowsPath);
};

} // namespace qv
