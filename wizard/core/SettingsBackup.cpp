#include "SettingsBackup.h"

#include "RegFileWriter.h"
#include "RegKeyPath.h"
#include "RegTreeExport.h"
#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "settings/ProductKeys.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <random>

namespace qv {

namespace {

// As qv_reg export writes on this system (chosen by CMake).
constexpr RegFileWriter::Encoding kEncoding =
    QV_BACKUP_UTF16 ? RegFileWriter::Encoding::Utf16Le : RegFileWriter::Encoding::Utf8;
// Backups made in one second by concurrent runs each find a free name well before this.
constexpr int kMaxSuffix = 1000;

SettingsBackup::Result Failure(std::string error) {
    SettingsBackup::Result result;
    result.error = std::move(error);
    return result;
}

// Writes bytes to a file of its own in folder; the empty text when it cannot.
std::string WriteScratch(const std::string& folder, const std::string& bytes) {
    const std::string scratch =
        JoinPath(folder, ".Settings-" + std::to_string(std::random_device{}()) + ".tmp");
    const std::filesystem::path native = FileSystem::Native(scratch);
    if (native.empty() || FileSystem::Exists(scratch))
        return {};
    std::ofstream stream(native, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    stream.close();
    if (!stream) {
        std::error_code ignored;
        std::filesystem::remove(native, ignored);
        return {};
    }
    return scratch;
}

} // namespace

SettingsBackup::Result SettingsBackup::Write(const std::string& installDirectory, std::time_t now) {
    const std::string keyPath = KeyPath();
    RegistryKey key;
    const long opened = key.Open(keyPath, RegAccess::Read);
    if (opened == kErrorFileNotFound) {
        Result result;
        result.status = Status::NothingToSave;
        return result;
    }
    if (opened != kErrorSuccess)
        return Failure("The settings cannot be read from the registry (error " + std::to_string(opened) +
                       ").");

    // The whole file is made before anything is written.
    RegFileWriter writer;
    std::string error;
    if (!RegTreeExport::Add(key, RegKeyPath::FromSubKey(keyPath), writer, error))
        return Failure("The settings cannot be exported: " + error + ".");
    const std::string bytes = writer.Bytes(kEncoding);

    const std::string folder = JoinPath(installDirectory, kFolder);
    if (FileSystem::LocalPath(folder).empty() || installDirectory.empty())
        return Failure("The installation directory \"" + installDirectory + "\" names no folder.");
    FileSystem::CreateDirectoryPath(folder);
    if (!FileSystem::Exists(folder) || FileSystem::IsNonDirectory(folder))
        return Failure("The folder " + FileSystem::LocalPath(folder) + " cannot be made.");
    const std::string scratch = WriteScratch(folder, bytes);
    if (scratch.empty())
        return Failure("No file can be written in the folder " + FileSystem::LocalPath(folder) + ".");

    // The copy creates its target exclusively: two runs in the same second take two names.
    Result result =
        Failure("No free file name was found in the folder " + FileSystem::LocalPath(folder) + ".");
    const std::string base = BaseName(now);
    for (int suffix = 1; suffix <= kMaxSuffix; ++suffix) {
        const std::string name = base + (suffix > 1 ? "-" + std::to_string(suffix) : std::string()) + ".reg";
        const std::string target = JoinPath(folder, name);
        if (FileSystem::CopyRegularFile(scratch, target, false)) {
            result.status = Status::Written;
            result.path = FileSystem::LocalPath(target);
            result.error.clear();
            break;
        }
        if (!FileSystem::Exists(target)) {
            result.error = "The file " + FileSystem::LocalPath(target) + " cannot be written.";
            break;
        }
    }
    std::error_code ignored;
    std::filesystem::remove(FileSystem::Native(scratch), ignored);
    return result;
}

std::string SettingsBackup::BaseName(std::time_t now) {
    std::tm local{};
    {
        // localtime shares one result; the window may take its backup off its own thread.
        static std::mutex mutex;
        const std::lock_guard lock(mutex);
        if (const std::tm* converted = std::localtime(&now))
            local = *converted;
    }
    char text[64];
    std::snprintf(text, sizeof text, "Settings-%04d-%02d-%02d-%02d%02d%02d", local.tm_year + 1900,
                  local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return text;
}

std::string SettingsBackup::KeyPath() {
    return std::string(kProductKey) + "\\Value";
}

} // namespace qv
