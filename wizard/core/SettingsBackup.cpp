#include "SettingsBackup.h"

#include "settings/ProductKeys.h"

namespace qv {

SettingsBackup::Result SettingsBackup::Write(const std::string& installDirectory, std::time_t now) {
    (void)installDirectory;
    (void)now;
    return {};
}

std::string SettingsBackup::BaseName(std::time_t now) {
    (void)now;
    return {};
}

std::string SettingsBackup::KeyPath() {
    return std::string(kProductKey) + "\\Value";
}

} // namespace qv
