#pragma once
// The backup taken before a deployment overwrites the stored settings: the key
// SOFTWARE\Helmark\Quorvane\Value and everything below it, exported as a .reg file by qv_reg's writer
// (UTF-16LE on Windows as reg.exe writes, UTF-8 elsewhere) into "Backups" of the installation directory (made
// when missing), named by the local date and time: "Settings-2026-12-07-040512.reg"; a second backup in the
// same second gets "-2", "-3", ... and never replaces a file. `qv_reg import FILE` restores it.
//
// The deployment writes nothing until Write answered Written or NothingToSave, or the user chose to go on
// without a backup.
#include <ctime>
#include <string>

namespace qv {

class SettingsBackup {
public:
    enum class Status {
        Written,       // the file is there
        NothingToSave, // the settings key does not exist yet: nothing would be overwritten
        Failed,        // no file; error says why
    };

    struct Result {
        Status status = Status::Failed;
        std::string path;  // the file as this system names it (what qv_reg import takes)
        std::string error; // with Failed: one sentence
        bool Usable() const { return status != Status::Failed; }
    };

    static constexpr const char* kFolder = "Backups";

    // now: the local time the name is made from.
    static Result Write(const std::string& installDirectory, std::time_t now = std::time(nullptr));
    // "Settings-YYYY-MM-DD-HHMMSS" (without suffix or extension) for now in local time.
    static std::string BaseName(std::time_t now);
    // The key below HKEY_LOCAL_MACHINE that is saved.
    static std::string KeyPath();
};

} // namespace qv
