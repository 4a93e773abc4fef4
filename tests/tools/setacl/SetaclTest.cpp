// Runs the built permission tool on temporary directories and reads the ACLs it leaves.
#include "ToolRun.h"

#include <acl/libacl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/acl.h>

#include <cstdlib>

#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

// The rights of the named entry (ACL_USER or ACL_GROUP) as "rwx" text, or none when there is no entry.
std::optional<std::string> Rights(const fs::path& dir, acl_tag_t tag, const char* name,
                                  acl_type_t type = ACL_TYPE_ACCESS) {
    const passwd* user = tag == ACL_USER ? getpwnam(name) : nullptr;
    const group* found = tag == ACL_GROUP ? getgrnam(name) : nullptr;
    const id_t id = user ? user->pw_uid : found ? found->gr_gid : static_cast<id_t>(-1);
    acl_t acl = acl_get_file(dir.c_str(), type);
    std::optional<std::string> rights;
    acl_entry_t entry = nullptr;
    for (int which = ACL_FIRST_ENTRY; acl && acl_get_entry(acl, which, &entry) == 1; which = ACL_NEXT_ENTRY) {
        acl_tag_t entryTag = ACL_UNDEFINED_TAG;
        acl_get_tag_type(entry, &entryTag);
        if (entryTag != tag)
            continue;
        void* qualifier = acl_get_qualifier(entry);
        const id_t entryId = *static_cast<id_t*>(qualifier);
        acl_free(qualifier);
        acl_permset_t permset = nullptr;
        acl_get_permset(entry, &permset);
        if (entryId == id)
            rights = std::string(acl_get_perm(permset, ACL_READ) ? "r" : "-") +
                     (acl_get_perm(permset, ACL_WRITE) ? "w" : "-") +
                     (acl_get_perm(permset, ACL_EXECUTE) ? "x" : "-");
    }
    acl_free(acl);
    return rights;
}

class Setacl : public ::testing::Test {
protected:
    void SetUp() override {
        m_root = fs::temp_directory_path() / ("qv-setacl-" + std::to_string(std::random_device()()));
        m_dir = m_root / "errors dir";
        fs::create_directories(m_dir);
        unsetenv("QUORVANE_SETACL_CONF");
        ASSERT_TRUE(getpwnam("nobody") && getgrnam("nogroup"));
    }
    void TearDown() override {
        unsetenv("QUORVANE_SETACL_CONF");
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    // Runs the tool (no shell); the account map is the one UseMap named.
    qv::test::ToolResult Start(const std::vector<std::string>& args) const {
        return qv::test::ToolRun::Run(QV_SETACL, args, "", m_root.string());
    }
    int Grant(const std::string& account, const std::string& right, const fs::path& dir = {}) const {
        return Start({(dir.empty() ? m_dir : dir).string(), "/dir", "/grant", account, right, "/silent"})
            .exitCode;
    }
    void UseMap(const fs::path& map) { setenv("QUORVANE_SETACL_CONF", map.c_str(), 1); }
    void WriteMap(const std::string& text) {
        std::ofstream(m_root / "setacl.conf") << text;
        UseMap(m_root / "setacl.conf");
    }

    fs::path m_root;
    fs::path m_dir;
};

TEST_F(Setacl, GrantsReadAndWriteWithInheritance) {
    const qv::test::ToolResult read = Start({m_dir.string(), "/dir", "/grant", "MACHINE\\nobody", "/read"});
    EXPECT_EQ(read.exitCode, 0) << read.err;
    EXPECT_NE(read.out.find("nobody"), std::string::npos);
    EXPECT_EQ(Rights(m_dir, ACL_USER, "nobody"), "r-x");
    EXPECT_EQ(Rights(m_dir, ACL_USER, "nobody", ACL_TYPE_DEFAULT), "r-x");

    const qv::test::ToolResult write =
        Start({m_dir.string(), "/DIR", "/Grant", "\\nogroup", "/WRITE", "/Silent"});
    EXPECT_EQ(write.exitCode, 0) << write.err;
    EXPECT_EQ(write.out + write.err, "");
    EXPECT_EQ(Rights(m_dir, ACL_GROUP, "nogroup"), "rwx");
    EXPECT_EQ(Rights(m_dir, ACL_GROUP, "nogroup", ACL_TYPE_DEFAULT), "rwx");
    EXPECT_EQ(Rights(m_dir, ACL_USER, "nobody"), "r-x");

    // Rights are only added: a read grant after a write grant keeps the write right.
    EXPECT_EQ(Grant("nogroup", "/read"), 0);
    EXPECT_EQ(Rights(m_dir, ACL_GROUP, "nogroup"), "rwx");

    // The mask lets the rights through, and a directory made inside inherits them.
    const fs::path inner = m_dir / "inner";
    fs::create_directory(inner);
    EXPECT_EQ(Rights(inner, ACL_GROUP, "nogroup"), "rwx");
    EXPECT_EQ(Rights(inner, ACL_USER, "nobody", ACL_TYPE_DEFAULT), "r-x");
    acl_t acl = acl_get_file(m_dir.c_str(), ACL_TYPE_ACCESS);
    char* text = acl_to_text(acl, nullptr);
    EXPECT_NE(std::string(text ? text : "").find("mask::rwx"), std::string::npos) << text;
    acl_free(text);
    acl_free(acl);
}

TEST_F(Setacl, WindowsAccountsMapToLocalOnes) {
    // Built in: IIS_WPG is the web server's group, SYSTEM is root; the qualifier is dropped.
    if (getgrnam("www-data")) {
        EXPECT_EQ(Grant("\\IIS_WPG", "/write"), 0);
        EXPECT_EQ(Rights(m_dir, ACL_GROUP, "www-data"), "rwx");
    }
    EXPECT_EQ(Grant("SYSTEM", "/read"), 0);
    EXPECT_EQ(Rights(m_dir, ACL_USER, "root"), "r-x");

    // The map file changes both, compares names without case, and can name a user for a group's name.
    WriteMap(
        "# test map\n  iis_wpg = group:nogroup  # the workers\n\nsystem=nobody\nWeb\\Worker = user:nobody\n");
    EXPECT_EQ(Grant("X\\IIS_WPG", "/write"), 0);
    EXPECT_EQ(Rights(m_dir, ACL_GROUP, "nogroup"), "rwx");
    EXPECT_EQ(Grant("SYSTEM", "/write"), 0);
    EXPECT_EQ(Rights(m_dir, ACL_USER, "nobody"), "rwx");

    // A name that is a user and a group is the user.
    if (getpwnam("www-data") && getgrnam("www-data")) {
        const fs::path other = m_root / "other";
        fs::create_directory(other);
        EXPECT_EQ(Grant("www-data", "/read", other), 0);
        EXPECT_EQ(Rights(other, ACL_USER, "www-data"), "r-x");
        EXPECT_EQ(Rights(other, ACL_GROUP, "www-data"), std::nullopt);
    }
}

TEST_F(Setacl, GrantsStartedTogetherAllTakeEffect) {
    // The suite starts the read and write grants of two accounts at once on one directory.
    for (int round = 0; round < 20; ++round) {
        const fs::path dir = m_root / ("round" + std::to_string(round));
        fs::create_directory(dir);
        std::vector<std::thread> grants;
        for (const char* account : {"nobody", "nogroup"}) {
            for (const char* right : {"/read", "/write"})
                grants.emplace_back([&, account, right] { EXPECT_EQ(Grant(account, right, dir), 0); });
        }
        for (std::thread& grant : grants)
            grant.join();
        for (acl_type_t type : {ACL_TYPE_ACCESS, ACL_TYPE_DEFAULT}) {
            EXPECT_EQ(Rights(dir, ACL_USER, "nobody", type), "rwx");
            EXPECT_EQ(Rights(dir, ACL_GROUP, "nogroup", type), "rwx");
        }
    }
}

TEST_F(Setacl, FailuresExitWithOneAndChangeNothing) {
    std::ofstream(m_root / "file") << "x";
    const std::string dir = m_dir.string();
    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{(m_root / "missing").string(), "/dir", "/grant", "nobody", "/read"}, "No such file"},
        {{(m_root / "file").string(), "/dir", "/grant", "nobody", "/read"}, "not a directory"},
        {{dir, "/dir", "/grant", "no-such-account-qv", "/read"}, "unknown account"},
        {{dir, "/dir", "/grant", "MACHINE\\", "/read"}, "no account name"},
        {{}, "no directory"},
        {{dir, "/grant", "nobody", "/read"}, "/dir"},
        {{dir, "/dir", "/grant"}, "/grant needs an account"},
        {{dir, "/dir", "/grant", "nobody"}, "/read"},
        {{dir, "/dir", "/grant", "nobody", "/read", "/recursive"}, "/recursive"},
        {{dir, "/dir", "/grant", "nobody", "/grant", "nogroup", "/read"}, "twice"},
        // procfs keeps no ACLs; the tool's own descriptor directory is harmless to try.
        {{"/proc/self/fd", "/dir", "/grant", "nobody", "/read"}, "keeps no access control lists"},
    };
    const auto failsWith = [this](const std::vector<std::string>& args, const std::string& reason) {
        const qv::test::ToolResult result = Start(args);
        EXPECT_EQ(result.exitCode, 1) << reason;
        EXPECT_NE(result.err.find(reason), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    };
    for (const auto& [args, reason] : cases)
        failsWith(args, reason);
    EXPECT_EQ(Rights(m_dir, ACL_USER, "nobody"), std::nullopt);
    EXPECT_EQ(Rights(m_dir, ACL_USER, "nobody", ACL_TYPE_DEFAULT), std::nullopt);

    // Silent failures say nothing, also for a bad command line.
    const qv::test::ToolResult silent = Start({dir, "/dir", "/bogus", "/silent"});
    EXPECT_EQ(silent.exitCode, 1);
    EXPECT_EQ(silent.out + silent.err, "");

    // A map file that is named but missing or malformed is an error, not a silent fallback.
    UseMap(m_root / "absent.conf");
    failsWith({dir, "/dir", "/grant", "nobody", "/read"}, "absent.conf");
    for (const char* map : {"IIS_WPG www-data\n", "IIS_WPG = group:\n"}) {
        WriteMap(map);
        failsWith({dir, "/dir", "/grant", "nobody", "/read"}, "setacl.conf:1");
    }
    WriteMap("IIS_WPG = group:no-such-group-qv\n");
    failsWith({dir, "/dir", "/grant", "IIS_WPG", "/read"}, "unknown account");
}

} // namespace
