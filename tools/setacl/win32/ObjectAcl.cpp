#include "ObjectAcl.h"

#include "DaclGrant.h"
#include "SystemMessage.h"

#include <cstdint>
#include <cstdio>
#include <vector>

namespace qv::setacl {

namespace {

class MutexLock {
public:
    explicit MutexLock(const std::string& name) : m_mutex(CreateMutexA(nullptr, FALSE, name.c_str())) {
        // An abandoned mutex is ours too: a DACL is written in one call, so it is whole either way.
        const DWORD waited = m_mutex ? WaitForSingleObject(m_mutex, INFINITE) : WAIT_FAILED;
        m_owned = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        m_error = m_owned ? ERROR_SUCCESS : GetLastError();
    }
    ~MutexLock() {
        if (m_owned)
            ReleaseMutex(m_mutex);
        if (m_mutex)
            CloseHandle(m_mutex);
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;
    DWORD Error() const { return m_error; }

private:
    HANDLE m_mutex;
    bool m_owned = false;
    DWORD m_error = ERROR_SUCCESS;
};

class LocalMemory {
public:
    explicit LocalMemory(void* memory) : m_memory(memory) {}
    ~LocalMemory() { LocalFree(m_memory); }
    LocalMemory(const LocalMemory&) = delete;
    LocalMemory& operator=(const LocalMemory&) = delete;

private:
    void* m_memory;
};

// The key hashed, as a path may be longer than a mutex name.
std::string MutexName(const std::string& lockKey) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a: another key sharing it only waits a little longer
    for (unsigned char c : lockKey)
        hash = (hash ^ c) * 1099511628211ull;
    char name[64];
    std::snprintf(name, sizeof name, "Local\\quorvane-setacl-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

} // namespace

bool ObjectAcl::Grant(const std::string& name, SE_OBJECT_TYPE type, const std::string& lockKey, PSID sid,
                      ACCESS_MASK rights, std::string* error) {
    const MutexLock lock(MutexName(lockKey));
    if (lock.Error() != ERROR_SUCCESS) {
        *error = "cannot wait for the other grants on \"" + name + "\": " + SystemMessage(lock.Error());
        return false;
    }
    ACL* dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD status = GetNamedSecurityInfoA(name.c_str(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                         &dacl, nullptr, &descriptor);
    const LocalMemory release(descriptor);
    if (status != ERROR_SUCCESS) {
        *error = "cannot read the access control list of \"" + name + "\": " + SystemMessage(status);
        return false;
    }
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!GetSecurityDescriptorControl(descriptor, &control, &revision))
        control = 0;

    std::vector<DWORD> updated;
    switch (DaclGrant::Add(dacl, sid, rights, &updated)) {
    case DaclGrant::Outcome::Unchanged:
        return true;
    case DaclGrant::Outcome::Failed:
        *error = "cannot add to the access control list of \"" + name + "\": it is full or damaged";
        return false;
    case DaclGrant::Outcome::Changed:
        break;
    }
    // Said either way, so that the write neither cuts the directory off from its parent's entries nor lets
    // them in where it was cut off.
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION | ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                                                   : UNPROTECTED_DACL_SECURITY_INFORMATION);
    std::vector<char> objectName(name.begin(), name.end());
    objectName.push_back('\0');
    status = SetNamedSecurityInfoA(objectName.data(), type, what, nullptr, nullptr,
                                   reinterpret_cast<ACL*>(updated.data()), nullptr);
    if (status != ERROR_SUCCESS) {
        *error = "cannot set the access control list of \"" + name + "\": " + SystemMessage(status);
        return false;
    }
    return true;
}

} // namespace qv::setacl
