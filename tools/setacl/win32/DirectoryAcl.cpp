#include "DirectoryAcl.h"

#include "ObjectAcl.h"
#include "SystemMessage.h"

#include <vector>

namespace qv::setacl {

std::optional<std::string> DirectoryAcl::LockKey(const std::string& directory, std::string* error) {
    const HANDLE handle = CreateFileA(directory.c_str(), FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        *error = "cannot open \"" + directory + "\": " + SystemMessage(GetLastError());
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool isDirectory = GetFileInformationByHandle(handle, &information) &&
                             (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    std::vector<char> path(MAX_PATH);
    DWORD length = 0;
    while (isDirectory &&
           (length = GetFinalPathNameByHandleA(handle, path.data(), path.size(), 0)) >= path.size())
        path.resize(length + 1);
    const DWORD status = GetLastError();
    CloseHandle(handle);
    if (!isDirectory) {
        *error = "not a directory: \"" + directory + "\"";
        return std::nullopt;
    }
    if (length == 0) {
        *error = "cannot find the full path of \"" + directory + "\": " + SystemMessage(status);
        return std::nullopt;
    }
    CharUpperBuffA(path.data(), length);
    return std::string(path.data(), length);
}

bool DirectoryAcl::Grant(const std::string& directory, PSID sid, Rights rights, std::string* error) {
    const std::optional<std::string> key = LockKey(directory, error);
    if (!key)
        return false;
    const ACCESS_MASK mask = rights == Rights::Write
                                 ? FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE
                                 : FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
    return ObjectAcl::Grant(directory, SE_FILE_OBJECT, *key, sid, mask, error);
}

} // namespace qv::setacl
