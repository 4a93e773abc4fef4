#include "DirectoryAcl.h"

#include <acl/libacl.h>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/acl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qv::setacl {

namespace {

class Acl {
public:
    explicit Acl(acl_t acl = nullptr) : m_acl(acl) {}
    ~Acl() {
        if (m_acl)
            acl_free(m_acl);
    }
    Acl(const Acl&) = delete;
    Acl& operator=(const Acl&) = delete;
    acl_t Get() const { return m_acl; }
    acl_t* Address() { return &m_acl; }
    void Reset(acl_t acl) {
        if (m_acl)
            acl_free(m_acl);
        m_acl = acl;
    }

private:
    acl_t m_acl;
};

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

std::string Reason(const std::string& what, const std::string& directory, int error) {
    if (error == EOPNOTSUPP || error == ENOTSUP)
        return "the file system of \"" + directory + "\" keeps no access control lists";
    return what + " \"" + directory + "\": " + std::strerror(error);
}

// Adds the rights to the entry of the account, making the entry when there is none, and recomputes the
// mask so that the rights take effect.
bool AddRights(acl_t* acl, const LocalAccount& account, acl_perm_t rights) {
    const acl_tag_t tag = account.kind == LocalAccount::Kind::User ? ACL_USER : ACL_GROUP;
    acl_entry_t entry = nullptr;
    acl_entry_t found = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(*acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t entryTag = ACL_UNDEFINED_TAG;
        if (acl_get_tag_type(entry, &entryTag) != 0 || entryTag != tag)
            continue;
        void* qualifier = acl_get_qualifier(entry);
        if (!qualifier)
            return false;
        const id_t id = tag == ACL_USER ? *static_cast<uid_t*>(qualifier) : *static_cast<gid_t*>(qualifier);
        acl_free(qualifier);
        if (id == account.id) {
            found = entry;
            break;
        }
    }
    if (!found) {
        if (acl_create_entry(acl, &found) != 0 || acl_set_tag_type(found, tag) != 0)
            return false;
        const uid_t uid = account.id;
        const gid_t gid = account.id;
        if (acl_set_qualifier(found, tag == ACL_USER ? static_cast<const void*>(&uid) : &gid) != 0)
            return false;
        acl_permset_t empty = nullptr;
        if (acl_get_permset(found, &empty) != 0 || acl_clear_perms(empty) != 0)
            return false;
    }
    acl_permset_t permset = nullptr;
    if (acl_get_permset(found, &permset) != 0)
        return false;
    for (acl_perm_t perm : {ACL_READ, ACL_WRITE, ACL_EXECUTE}) {
        if ((rights & perm) && acl_add_perm(permset, perm) != 0)
            return false;
    }
    if (acl_set_permset(found, permset) != 0)
        return false;
    return acl_calc_mask(acl) == 0 && acl_valid(*acl) == 0;
}

} // namespace

bool DirectoryAcl::Grant(const std::string& directory, const LocalAccount& account, Rights rights,
                         std::string* error) {
    const acl_perm_t perms =
        rights == Rights::Write ? (ACL_READ | ACL_WRITE | ACL_EXECUTE) : (ACL_READ | ACL_EXECUTE);
    Descriptor fd(open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0) {
        const int openError = errno;
        *error = openError == ENOTDIR ? "not a directory: \"" + directory + "\""
                                      : Reason("cannot open", directory, openError);
        return false;
    }
    // The suite starts two or four grants on one directory at once; each reads, changes and writes the ACL,
    // so they take turns or one would undo another.
    while (flock(fd.Get(), LOCK_EX) != 0) {
        if (errno != EINTR) {
            *error = Reason("cannot lock", directory, errno);
            return false;
        }
    }
    struct stat status {};
    if (fstat(fd.Get(), &status) != 0) {
        *error = Reason("cannot examine", directory, errno);
        return false;
    }

    Acl original(acl_get_fd(fd.Get()));
    if (!original.Get()) {
        *error = Reason("cannot read the access control list of", directory, errno);
        return false;
    }
    Acl access(acl_dup(original.Get()));
    if (!access.Get() || !AddRights(access.Address(), account, perms)) {
        *error = Reason("cannot make the access control list of", directory, errno);
        return false;
    }

    Acl defaults(acl_get_file(directory.c_str(), ACL_TYPE_DEFAULT));
    if (!defaults.Get()) {
        *error = Reason("cannot read the default access control list of", directory, errno);
        return false;
    }
    if (acl_entries(defaults.Get()) == 0)
        defaults.Reset(acl_from_mode(status.st_mode)); // the owner, group and others start as the mode says
    if (!defaults.Get() || !AddRights(defaults.Address(), account, perms)) {
        *error = Reason("cannot make the default access control list of", directory, errno);
        return false;
    }

    if (acl_set_fd(fd.Get(), access.Get()) != 0) {
        *error = Reason("cannot set the access control list of", directory, errno);
        return false;
    }
    if (acl_set_file(directory.c_str(), ACL_TYPE_DEFAULT, defaults.Get()) != 0) {
        const int setError = errno;
        acl_set_fd(fd.Get(), original.Get());
        *error = Reason("cannot set the default access control list of", directory, setError);
        return false;
    }
    return true;
}

} // namespace qv::setacl
