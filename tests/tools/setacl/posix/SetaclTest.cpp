// Runs the built permission tool (POSIX) on temporary directories and reads the ACLs it leaves.
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <spawn.h>
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

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Args = std::vector<std::string>;

// Runs the tool (no shell) to its end with its output in files of dir; the exit code, stdout and stderr
// joined by '|'.
std::string RunTool(Args args, const fs::path& dir) {
    static std::atomic<int> runs = 0; // grants run from several threads
    const std::string out = (dir / ("out" + std::to_string(++runs))).string(), err = out + ".err";
    args.insert(args.begin(), QV_SETACL);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    int status = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0)
        waitpid(pid, &status, 0);
    posix_spawn_file_actions_destroy(&actions);
    std::string result = std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    for (const std::string& file : {out, err}) {
        std::ifstream in(file);
        result += "|" + std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return result;
}

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

class Setacl : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(m_dir);
        unsetenv("QUORVANE_SETACL_CONF");
        ASSERT_TRUE(getpwnam("nobody") && getgrnam("nogroup"));
    }
    void TearDown() override {
        unsetenv("QUORVANE_SETACL_CONF");
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    std::string Run(const Args& args) const { return RunTool(args, m_root); }
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
};

TEST_F(Setacl, GrantsAddRightsInheritedByNewDirectoriesForMappedAccounts) {
    const std::string spoken = Run({m_dir.string(), "/dir", "/grant", "MACHINE\\nogroup", "/write"});
    EXPECT_TRUE(spoken.starts_with("0|setacl: write (rwx)") && spoken.ends_with("group nogroup\n|"))
        << spoken;
    // Each step: an account, a right, then the entry it must leave (access and default ACL).
    struct Step {
        const char* map; // the account map in force, when there is one
        const char* account;
        const char* right;
        const char* entry;
        const char* rights;
    };
    const Step steps[] = {
        {nullptr, "nobody", "/read", "user:nobody", "r-x"},
        {nullptr, "nogroup", "/read", "group:nogroup", "rwx"}, // rights are only added
        {nullptr, "SYSTEM", "/read", "user:root", "r-x"}, // built in: SYSTEM is root, the qualifier dropped
        // The map file compares names without case and can name a user for a group's name.
        {"# test map\n  iis_wpg = group:nogroup  # the workers\n\nsystem=nobody\n", "X\\IIS_WPG", "/write",
         "group:nogroup", "rwx"},
        {"system=nobody\nWeb\\Worker = user:nobody\n", "SYSTEM", "/write", "user:nobody", "rwx"},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.account);
        if (step.map)
            WriteMap(step.map);
        EXPECT_EQ(Grant(step.account, step.right, m_dir), "0||");
        EXPECT_EQ(Rights(m_dir, step.entry) + Rights(m_dir, step.entry, ACL_TYPE_DEFAULT),
                  std::string(step.rights) + step.rights);
    }
    // The mask lets the rights through, and a directory made inside inherits them.
    const fs::path inner = m_dir / "inner";
    fs::create_directory(inner);
    EXPECT_EQ(Rights(inner, "group:nogroup") + Rights(inner, "user:nobody", ACL_TYPE_DEFAULT), "rwxrwx");
    EXPECT_EQ(Rights(m_dir, "mask:"), "rwx");

    // Without a map IIS_WPG is the web server's group, and a name that is a user and a group is the user.
    unsetenv("QUORVANE_SETACL_CONF");
    if (getpwnam("www-data") && getgrnam("www-data")) {
        const fs::path other = m_root / "other";
        fs::create_directory(other);
        EXPECT_EQ(Grant("\\IIS_WPG", "/write", other) + Grant("www-data", "/read", other), "0||0||");
        EXPECT_EQ(Rights(other, "group:www-data") + Rights(other, "user:www-data"), "rwxr-x");
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
        for (acl_type_t type : {ACL_TYPE_ACCESS, ACL_TYPE_DEFAULT})
            EXPECT_EQ(Rights(dir, "user:nobody", type) + Rights(dir, "group:nogroup", type), "rwxrwx");
    }
}

TEST_F(Setacl, FailuresExitWithOneAndChangeNothing) {
    std::ofstream(m_root / "file") << "x";
    const std::string dir = m_dir.string();
    struct Case {
        const char* map; // the account map file's text, "absent" for a missing one
        Args args;
        const char* reason; // part of the message; none for a silent run
    };
    const Case cases[] = {
        {nullptr, {(m_root / "missing").string(), "/dir", "/grant", "nobody", "/read"}, "No such file"},
        {nullptr, {(m_root / "file").string(), "/dir", "/grant", "nobody", "/read"}, "not a directory"},
        {nullptr, {dir, "/dir", "/grant", "no-such-account-qv", "/read"}, "unknown account"},
        {nullptr, {dir, "/dir", "/grant", "MACHINE\\", "/read"}, "no account name"},
        {nullptr, {dir, "/dir", "/bogus", "/silent"}, nullptr}, // the command line itself: GrantRequestTest
        // procfs keeps no ACLs; the tool's own descriptor directory is harmless to try.
        {nullptr, {"/proc/self/fd", "/dir", "/grant", "nobody", "/read"}, "keeps no access control lists"},
        // A map file that is named but missing or malformed is an error, not a silent fallback.
        {"absent", {dir, "/dir", "/grant", "nobody", "/read"}, "absent.conf"},
        {"IIS_WPG www-data\n", {dir, "/dir", "/grant", "nobody", "/read"}, "setacl.conf:1"},
        {"IIS_WPG = group:no-such-group-qv\n",
         {dir, "/dir", "/grant", "IIS_WPG", "/read"},
         "unknown account"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reason ? c.reason : "silent");
        if (c.map && std::string(c.map) == "absent")
            setenv("QUORVANE_SETACL_CONF", (m_root / "absent.conf").c_str(), 1);
        else if (c.map)
            WriteMap(c.map);
        const std::string result = Run(c.args);
        EXPECT_TRUE(result.starts_with("1||")) << result;
        EXPECT_TRUE(c.reason ? result.find(c.reason) != std::string::npos : result == "1||") << result;
    }
    EXPECT_EQ(Rights(m_dir, "user:nobody") + Rights(m_dir, "user:nobody", ACL_TYPE_DEFAULT), "nonenone");
}

} // namespace
