// Runs the built permission tool (POSIX) on temporary directories and reads the ACLs it leaves.
#include <grp.h>
#include <pwd.h>
#include <sys/acl.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// The rights of an entry ("user:nobody", "group:nogroup", "mask:") as "rwx" text, "none" when it has none.
std::string Rights(const fs::path& dir, const std::string& entry, acl_type_t type = ACL_TYPE_ACCESS) {
    acl_t acl = acl_get_file(dir.c_str(), type);
    char* text = acl ? acl_to_text(acl, nullptr) : nullptr;
    const std::string lines = "\n" + std::string(text ? text : "");
    acl_free(text);
    acl_free(acl);
    const std::size_t at = lines.find("\n" + entry + ":");
    return at == std::string::npos ? "none" : lines.substr(at + entry.size() + 2, 3);
}
// The access and the default ACL's rights of an entry.
std::string BothRights(const fs::path& dir, const std::string& entry) {
    return Rights(dir, entry) + Rights(dir, entry, ACL_TYPE_DEFAULT);
}

class Setacl : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir);
        unsetenv("QUORVANE_SETACL_CONF");
        ASSERT_TRUE(getpwnam("nobody") && getgrnam("nogroup"));
    }
    void TearDown() override {
        unsetenv("QUORVANE_SETACL_CONF");
        fs::remove_all(m_root, m_error);
    }

    // Runs the tool to its end: the exit code, stdout and stderr joined by '|'. (No argument holds a "'".)
    std::string Run(const Args& args) const {
        static std::atomic<int> runs = 0; // grants run from several threads
        const std::string out = (m_root / ("out" + std::to_string(++runs))).string(), err = out + ".err";
        std::string command = "'" QV_SETACL "'";
        for (const std::string& arg : args)
            command += " '" + arg + "'";
        const int status = std::system((command + " >'" + out + "' 2>'" + err + "'").c_str());
        std::string result = std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        for (const std::string& file : {out, err})
            result += "|" + std::string(std::istreambuf_iterator<char>(std::ifstream(file).rdbuf()), {});
        return result;
    }
    std::string Grant(const std::string& account, const std::string& right, const fs::path& dir) const {
        return Run({dir.string(), "/dir", "/grant", account, right, "/silent"});
    }
    void WriteMap(const std::string& text) {
        std::ofstream(m_root / "setacl.conf") << text;
        setenv("QUORVANE_SETACL_CONF", (m_root / "setacl.conf").c_str(), 1);
    }

    const fs::path m_root =
        fs::temp_directory_path() / ("qv-setacl-" + std::to_string(std::random_device()()));
    const fs::path m_dir = m_root / "errors dir";
    std::error_code m_error;
};

TEST_F(Setacl, GrantsAddRightsInheritedByNewDirectoriesForMappedAccounts) {
    const std::string spoken = Run({m_dir.string(), "/dir", "/grant", "MACHINE\\nogroup", "/write"});
    EXPECT_TRUE(spoken.starts_with("0|setacl: write (rwx)") && spoken.ends_with("group nogroup\n|"))
        << spoken;
    // The account map in force (if any), an account, a right, and the entry and rights it must leave.
    const char* const steps[][5] = {
        {nullptr, "nobody", "/read", "user:nobody", "r-x"},
        {nullptr, "nogroup", "/read", "group:nogroup", "rwx"}, // rights are only added
        {nullptr, "SYSTEM", "/read", "user:root", "r-x"},      // SYSTEM is root, the qualifier dropped
        // The map compares names without case and can name a user for a group's name.
        {"# test map\n  iis_wpg = group:nogroup  # the workers\n\nsystem=nobody\n", "X\\IIS_WPG", "/write",
         "group:nogroup", "rwx"},
        {"system=nobody\nWeb\\Worker = user:nobody\n", "SYSTEM", "/write", "user:nobody", "rwx"},
        // IIS 7 and later: one pool's account, and every other pool's through "IIS AppPool\*".
        {"IIS AppPool\\Shop Pool = user:nobody\niis apppool\\* = group:nogroup\n", "IIS APPPOOL\\shop pool",
         "/read", "user:nobody", "rwx"},
        {nullptr, "IIS AppPool\\Other", "/read", "group:nogroup", "rwx"},
    };
    for (const auto& [map, account, right, entry, rights] : steps) {
        SCOPED_TRACE(account);
        if (map)
            WriteMap(map);
        EXPECT_EQ(Grant(account, right, m_dir), "0||");
        EXPECT_EQ(BothRights(m_dir, entry), std::string(rights) + rights);
    }
    // The mask lets the rights through, and a directory made inside inherits them.
    fs::create_directory(m_dir / "inner");
    EXPECT_EQ(Rights(m_dir / "inner", "group:nogroup") + BothRights(m_dir / "inner", "user:nobody"),
              "rwxrwxrwx");
    EXPECT_EQ(Rights(m_dir, "mask:"), "rwx");

    // Without a map IIS_WPG is the web server's group, and a name that is a user and a group is the user.
    unsetenv("QUORVANE_SETACL_CONF");
    if (getpwnam("www-data") && getgrnam("www-data")) {
        EXPECT_EQ(Grant("\\IIS_WPG", "/write", m_dir) + Grant("www-data", "/read", m_dir), "0||0||");
        EXPECT_EQ(Rights(m_dir, "group:www-data") + Rights(m_dir, "user:www-data"), "rwxr-x");
    }
    // The accounts of IIS 7 and later are the web server's group too.
    if (getgrnam("www-data")) {
        for (const char* account :
             {"IIS_IUSRS", "NT AUTHORITY\\NETWORK SERVICE", "LOCAL SERVICE", "IIS AppPool\\DefaultAppPool"}) {
            const fs::path dir = m_root / account;
            fs::create_directories(dir);
            EXPECT_EQ(Grant(account, "/write", dir), "0||") << account;
            EXPECT_EQ(Rights(dir, "group:www-data"), "rwx") << account;
        }
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
                grants.emplace_back([&, account, right] { EXPECT_EQ(Grant(account, right, dir), "0||"); });
        }
        for (std::thread& grant : grants)
            grant.join();
        EXPECT_EQ(BothRights(dir, "user:nobody") + BothRights(dir, "group:nogroup"), "rwxrwxrwxrwx");
    }
}

TEST_F(Setacl, FailuresExitWithOneAndChangeNothing) {
    std::ofstream(m_root / "file") << "x";
    const std::string dir = m_dir.string(), missing = (m_root / "missing").string();
    EXPECT_EQ(Run({dir, "/dir", "/bogus", "/silent"}), "1||"); // silent even when refused
    // The account map's text ("absent": named but missing), the directory, the account, part of the message.
    const std::string cases[][4] = {
        {"", missing, "nobody", "No such file"},
        {"", (m_root / "file").string(), "nobody", "not a directory"},
        {"", dir, "no-such-account-qv", "unknown account"},
        {"", dir, "MACHINE\\", "no account name"},
        {"", "/proc/self/fd", "nobody", "keeps no access control lists"}, // procfs keeps no ACLs
        // A map file named but missing or malformed is an error, not a silent fallback.
        {"absent", dir, "nobody", "absent.conf"},
        {"IIS_WPG www-data\n", dir, "nobody", "setacl.conf:1"},
        {"IIS_WPG = group:no-such-group-qv\n", dir, "IIS_WPG", "unknown account"},
    };
    for (const auto& [map, directory, account, reason] : cases) {
        SCOPED_TRACE(reason);
        if (map == "absent")
            setenv("QUORVANE_SETACL_CONF", (m_root / "absent.conf").c_str(), 1);
        else if (!map.empty())
            WriteMap(map);
        const std::string result = Run({directory, "/dir", "/grant", account, "/read"});
        EXPECT_TRUE(result.starts_with("1||") && result.find(reason) != std::string::npos) << result;
    }
    EXPECT_EQ(BothRights(m_dir, "user:nobody"), "nonenone");
}

} // namespace
