// Runs the built permission tool on temporary directories and reads the ACLs it leaves.
#include <acl/libacl.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/acl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadAll(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The rights of the named entry (ACL_USER or ACL_GROUP) as "rwx" text, or none when there is no entry.
std::optional<std::string> EntryRights(const fs::path& dir, acl_type_t type, acl_tag_t tag, id_t id) {
    acl_t acl = acl_get_file(dir.c_str(), type);
    if (!acl)
        return std::nullopt;
    std::optional<std::string> rights;
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t entryTag = ACL_UNDEFINED_TAG;
        acl_get_tag_type(entry, &entryTag);
        if (entryTag != tag)
            continue;
        void* qualifier = acl_get_qualifier(entry);
        const id_t entryId = *static_cast<id_t*>(qualifier);
        acl_free(qualifier);
        if (entryId != id)
            continue;
        acl_permset_t permset = nullptr;
        acl_get_permset(entry, &permset);
        rights = std::string(acl_get_perm(permset, ACL_READ) ? "r" : "-") +
                 (acl_get_perm(permset, ACL_WRITE) ? "w" : "-") +
                 (acl_get_perm(permset, ACL_EXECUTE) ? "x" : "-");
    }
    acl_free(acl);
    return rights;
}

id_t UserId(const char* name) {
    const passwd* user = getpwnam(name);
    return user ? user->pw_uid : static_cast<id_t>(-1);
}

id_t GroupId(const char* name) {
    const group* found = getgrnam(name);
    return found ? found->gr_gid : static_cast<id_t>(-1);
}

class Setacl : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_root = fs::temp_directory_path() / ("qv-setacl-" + std::to_string(random()));
        m_dir = m_root / "errors dir";
        fs::create_directories(m_dir);
        ASSERT_NE(UserId("nobody"), static_cast<id_t>(-1));
        ASSERT_NE(GroupId("nogroup"), static_cast<id_t>(-1));
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    // Starts the tool (no shell) with the account map of m_map when set, and waits for it.
    Result Start(const std::vector<std::string>& args) {
        const fs::path out = m_root / "out.txt";
        const fs::path err = m_root / "err.txt";
        std::vector<std::string> all = {QV_SETACL};
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& arg : all)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            if (!std::string(*e).starts_with("QUORVANE_SETACL_CONF="))
                env.emplace_back(*e);
        }
        if (!m_map.empty())
            env.push_back("QUORVANE_SETACL_CONF=" + m_map.string());
        std::vector<char*> envp;
        for (std::string& e : env)
            envp.push_back(e.data());
        envp.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        pid_t pid = 0;
        Result result;
        if (posix_spawn(&pid, QV_SETACL, &actions, nullptr, argv.data(), envp.data()) == 0) {
            int status = 0;
            waitpid(pid, &status, 0);
            result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        }
        posix_spawn_file_actions_destroy(&actions);
        result.out = ReadAll(out);
        result.err = ReadAll(err);
        return result;
    }

    void WriteMap(const std::string& text) {
        m_map = m_root / "setacl.conf";
        std::ofstream(m_map) << text;
    }

    std::optional<std::string> Access(acl_tag_t tag, id_t id) const {
        return EntryRights(m_dir, ACL_TYPE_ACCESS, tag, id);
    }
    std::optional<std::string> Default(acl_tag_t tag, id_t id) const {
        return EntryRights(m_dir, ACL_TYPE_DEFAULT, tag, id);
    }

    fs::path m_root;
    fs::path m_dir;
    fs::path m_map;
};

TEST_F(Setacl, GrantsReadAndWriteWithInheritance) {
    const Result read = Start({m_dir.string(), "/dir", "/grant", "MACHINE\\nobody", "/read"});
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_NE(read.out.find("nobody"), std::string::npos);
    EXPECT_EQ(Access(ACL_USER, UserId("nobody")), "r-x");
    EXPECT_EQ(Default(ACL_USER, UserId("nobody")), "r-x");

    const Result write = Start({m_dir.string(), "/DIR", "/Grant", "\\nogroup", "/WRITE", "/Silent"});
    EXPECT_EQ(write.exitCode, 0) << write.err;
    EXPECT_EQ(write.out + write.err, "");
    EXPECT_EQ(Access(ACL_GROUP, GroupId("nogroup")), "rwx");
    EXPECT_EQ(Default(ACL_GROUP, GroupId("nogroup")), "rwx");
    EXPECT_EQ(Access(ACL_USER, UserId("nobody")), "r-x");

    // Rights are only added: a read grant after a write grant keeps the write right.
    EXPECT_EQ(Start({m_dir.string(), "/dir", "/grant", "nogroup", "/read", "/silent"}).exitCode, 0);
    EXPECT_EQ(Access(ACL_GROUP, GroupId("nogroup")), "rwx");

    // The mask lets the rights through, and a directory made inside inherits them.
    const fs::path inner = m_dir / "inner";
    fs::create_directory(inner);
    EXPECT_EQ(EntryRights(inner, ACL_TYPE_ACCESS, ACL_GROUP, GroupId("nogroup")), "rwx");
    EXPECT_EQ(EntryRights(inner, ACL_TYPE_DEFAULT, ACL_USER, UserId("nobody")), "r-x");
    acl_t acl = acl_get_file(m_dir.c_str(), ACL_TYPE_ACCESS);
    ASSERT_NE(acl, nullptr);
    char* text = acl_to_text(acl, nullptr);
    EXPECT_NE(std::string(text).find("mask::rwx"), std::string::npos) << text;
    acl_free(text);
    acl_free(acl);
}

TEST_F(Setacl, WindowsAccountsMapToLocalOnes) {
    // Built in: IIS_WPG is the web server's group, SYSTEM is root; the qualifier is dropped.
    if (GroupId("www-data") != static_cast<id_t>(-1)) {
        EXPECT_EQ(Start({m_dir.string(), "/dir", "/grant", "\\IIS_WPG", "/write", "/silent"}).exitCode, 0);
        EXPECT_EQ(Access(ACL_GROUP, GroupId("www-data")), "rwx");
    }
    EXPECT_EQ(Start({m_dir.string(), "/dir", "/grant", "SYSTEM", "/read", "/silent"}).exitCode, 0);
    EXPECT_EQ(Access(ACL_USER, 0), "r-x");

    // The map file changes both, compares names without case, and can name a user for a group's name.
    WriteMap(
        "# test map\n  iis_wpg = group:nogroup  # the workers\n\nsystem=nobody\nWeb\\Worker = user:nobody\n");
    EXPECT_EQ(Start({m_dir.string(), "/dir", "/grant", "X\\IIS_WPG", "/write", "/silent"}).exitCode, 0);
    EXPECT_EQ(Access(ACL_GROUP, GroupId("nogroup")), "rwx");
    EXPECT_EQ(Start({m_dir.string(), "/dir", "/grant", "SYSTEM", "/write", "/silent"}).exitCode, 0);
    EXPECT_EQ(Access(ACL_USER, UserId("nobody")), "rwx");

    // A name that is a user and a group is the user.
    if (UserId("www-data") != static_cast<id_t>(-1) && GroupId("www-data") != static_cast<id_t>(-1)) {
        const fs::path other = m_root / "other";
        fs::create_directory(other);
        EXPECT_EQ(Start({other.string(), "/dir", "/grant", "www-data", "/read", "/silent"}).exitCode, 0);
        EXPECT_EQ(EntryRights(other, ACL_TYPE_ACCESS, ACL_USER, UserId("www-data")), "r-x");
        EXPECT_EQ(EntryRights(other, ACL_TYPE_ACCESS, ACL_GROUP, GroupId("www-data")), std::nullopt);
    }
}

TEST_F(Setacl, GrantsStartedTogetherAllTakeEffect) {
    // The suite starts the read and write grants of two accounts at once on one directory.
    for (int round = 0; round < 20; ++round) {
        const fs::path dir = m_root / ("round" + std::to_string(round));
        fs::create_directory(dir);
        std::vector<pid_t> pids;
        const std::vector<std::vector<std::string>> grants = {
            {"nobody", "/read"}, {"nobody", "/write"}, {"nogroup", "/read"}, {"nogroup", "/write"}};
        for (const auto& grant : grants) {
            std::vector<std::string> args = {QV_SETACL, dir.string(), "/dir",   "/grant",
                                             grant[0],  grant[1],     "/silent"};
            std::vector<char*> argv;
            for (std::string& arg : args)
                argv.push_back(arg.data());
            argv.push_back(nullptr);
            pid_t pid = 0;
            ASSERT_EQ(posix_spawn(&pid, QV_SETACL, nullptr, nullptr, argv.data(), environ), 0);
            pids.push_back(pid);
        }
        for (pid_t pid : pids) {
            int status = 0;
            ASSERT_EQ(waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        EXPECT_EQ(EntryRights(dir, ACL_TYPE_ACCESS, ACL_USER, UserId("nobody")), "rwx");
        EXPECT_EQ(EntryRights(dir, ACL_TYPE_ACCESS, ACL_GROUP, GroupId("nogroup")), "rwx");
        EXPECT_EQ(EntryRights(dir, ACL_TYPE_DEFAULT, ACL_USER, UserId("nobody")), "rwx");
        EXPECT_EQ(EntryRights(dir, ACL_TYPE_DEFAULT, ACL_GROUP, GroupId("nogroup")), "rwx");
    }
}

TEST_F(Setacl, FailuresExitWithOneAndChangeNothing) {
    const auto failsWith = [this](const std::vector<std::string>& args, const std::string& reason) {
        const Result result = Start(args);
        EXPECT_EQ(result.exitCode, 1) << args[0];
        EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    };
    failsWith({(m_root / "missing").string(), "/dir", "/grant", "nobody", "/read"}, "No such file");
    std::ofstream(m_root / "file") << "x";
    failsWith({(m_root / "file").string(), "/dir", "/grant", "nobody", "/read"}, "not a directory");
    failsWith({m_dir.string(), "/dir", "/grant", "no-such-account-qv", "/read"}, "unknown account");
    failsWith({m_dir.string(), "/dir", "/grant", "MACHINE\\", "/read"}, "no account name");
    failsWith({}, "no directory");
    failsWith({m_dir.string(), "/grant", "nobody", "/read"}, "/dir");
    failsWith({m_dir.string(), "/dir", "/grant"}, "/grant needs an account");
    failsWith({m_dir.string(), "/dir", "/grant", "nobody"}, "/read");
    failsWith({m_dir.string(), "/dir", "/grant", "nobody", "/read", "/recursive"}, "/recursive");
    failsWith({m_dir.string(), "/dir", "/grant", "nobody", "/grant", "nogroup", "/read"}, "twice");
    EXPECT_EQ(Access(ACL_USER, UserId("nobody")), std::nullopt);
    EXPECT_EQ(Default(ACL_USER, UserId("nobody")), std::nullopt);

    // Silent failures say nothing, also for a bad command line.
    const Result silent = Start({m_dir.string(), "/dir", "/bogus", "/silent"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_EQ(silent.out + silent.err, "");

    // A map file that is named but missing or malformed is an error, not a silent fallback.
    m_map = m_root / "absent.conf";
    failsWith({m_dir.string(), "/dir", "/grant", "nobody", "/read"}, "absent.conf");
    WriteMap("IIS_WPG www-data\n");
    failsWith({m_dir.string(), "/dir", "/grant", "nobody", "/read"}, "setacl.conf:1");
    WriteMap("IIS_WPG = group:\n");
    failsWith({m_dir.string(), "/dir", "/grant", "nobody", "/read"}, "setacl.conf:1");
    WriteMap("IIS_WPG = group:no-such-group-qv\n");
    failsWith({m_dir.string(), "/dir", "/grant", "IIS_WPG", "/read"}, "unknown account");
}

TEST_F(Setacl, FileSystemWithoutAclsIsRefused) {
    // procfs keeps no ACLs; the tool's own descriptor directory is harmless to try.
    if (!fs::exists("/proc/self/fd"))
        GTEST_SKIP() << "no procfs";
    const Result result = Start({"/proc/self/fd", "/dir", "/grant", "nobody", "/read"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("keeps no access control lists"), std::string::npos) << result.err;
}

TEST_F(Setacl, HelpDescribesTheAccountMap) {
    const Result result = Start({"--help"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.out.find("QUORVANE_SETACL_CONF"), std::string::npos);
    EXPECT_NE(result.out.find("IIS_WPG = group:www-data"), std::string::npos);
    EXPECT_EQ(Start({"/?"}).exitCode, 0);
}

} // namespace
