#pragma once
// What Windows gives the suite (the HKLM registry, the IIS metabase, the drives) lives on POSIX in one
// directory, the machine: $QUORVANE_MACHINE, default /var/lib/quorvane. On Windows it is unused. Stored
// paths reach it through FileSystem::LocalPath.
#include <string>

namespace qv {

class MachineDirectory {
public:
    // The machine directory, without a trailing separator.
    static std::string Path();
    // Switches the process to another machine (tests, qv_sites --machine); closes the open key store.
    static void Set(std::string path);
};

} // namespace qv
