// setacl.exe and its Win32 side. Wine keeps no file's security descriptor, so the DACL a grant writes is
// checked as it is made, and grants running together on registry keys, whose descriptors Wine keeps.
#include "platform/ComputerName.h"
#include "win32/DaclGrant.h"
#include "win32/DirectoryAcl.h"
#include "win32/ObjectAcl.h"
#include "win32/WindowsAccount.h"

#include <aclapi.h>
#include <process.h>
#include <sddl.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace qv::setacl {
namespace {

namespace fs = std::filesystem;
constexpr ACCESS_MASK kRead = 0x1200a9;   // read and execute
constexpr ACCESS_MASK kModify = 0x1301bf; // and write and delete

// The DACL as SDDL text, "unreadable" when there is none to read.
std::string DaclText(PSECURITY_DESCRIPTOR descriptor) {
    char* text = nullptr;
    if (descriptor)
        ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                             DACL_SECURITY_INFORMATION, &text, nullptr);
    const std::string result(text ? text : "unreadable");
    LocalFree(text);
    return result;
}
std::string DaclText(const std::string& name, SE_OBJECT_TYPE type) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    GetNamedSecurityInfoA(name.c_str(), type, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr, nullptr,
                          &descriptor);
    const std::string text = DaclText(descriptor);
    LocalFree(descriptor);
    return text;
}

// The entries of before that after lacks.
std::string LostEntries(const std::string& before, const std::string& after) {
    std::string lost;
    for (std::size_t open = before.find('('); open != std::string::npos; open = before.find('(', open + 1)) {
        const std::string entry = before.substr(open, before.find(')', open) + 1 - open);
        lost += after.find(entry) == std::string::npos ? entry : "";
    }
    return lost;
}

// The outcome and the DACL a grant leaves, from the DACL given as SDDL text.
std::string Granted(const std::string& before, const char* account, ACCESS_MASK rights) {
    std::string error;
    const std::optional<WindowsAccount> sid = WindowsAccount::Find(account, &error);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!sid || !ConvertStringSecurityDescriptorToSecurityDescriptorA(before.c_str(), SDDL_REVISION_1,
                                                                      &descriptor, nullptr))
        return sid ? "bad SDDL" : error;
    BOOL present = FALSE, defaulted = FALSE;
    ACL* dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    std::vector<DWORD> after; // Wine reads NO_ACCESS_CONTROL as an empty list
    const bool none = !present || before == "D:NO_ACCESS_CONTROL";
    const DaclGrant::Outcome outcome = DaclGrant::Add(none ? nullptr : dacl, sid->Sid(), rights, &after);
    LocalFree(descriptor);
    SECURITY_DESCRIPTOR made;
    InitializeSecurityDescriptor(&made, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&made, TRUE, reinterpret_cast<ACL*>(after.data()), FALSE);
    return outcome == DaclGrant::Outcome::Unchanged ? "unchanged"
           : outcome == DaclGrant::Outcome::Failed  ? "failed"
                                                    : DaclText(&made);
}

TEST(DaclGrant, AddsOneInheritableEntryKeepingEveryOtherInWindowsOrder) {
    const std::tuple<const char*, const char*, ACCESS_MASK, const char*> cases[] = {
        {"D:", "Users", kRead, "D:(A;OICI;0x1200a9;;;BU)"},
        // After the explicit entries, denials first among them, and before the inherited ones.
        {"D:(D;;FA;;;WD)(A;OICI;FA;;;SY)(A;OICIID;FA;;;BA)", "Users", kModify,
         "D:(D;;FA;;;WD)(A;OICI;FA;;;SY)(A;OICI;0x1301bf;;;BU)(A;OICIID;FA;;;BA)"},
        // Read then write: one entry, so that grants repeated on every save do not grow the list.
        {"D:(A;OICI;0x1200a9;;;BU)(A;OICI;FA;;;SY)", "Users", kModify,
         "D:(A;OICI;0x1301bf;;;BU)(A;OICI;FA;;;SY)"},
        {"D:(A;OICI;0x1301bf;;;BU)", "Users", kRead, "unchanged"},
        {"D:NO_ACCESS_CONTROL", "SYSTEM", kRead, "unchanged"}, // a list would take everyone else's rights
        // Other inheritance or an inherited entry is no grant of these rights.
        {"D:(A;CIIO;0x1200a9;;;BU)(A;OICIID;0x1301bf;;;BU)", "Users", kRead,
         "D:(A;CIIO;0x1200a9;;;BU)(A;OICI;0x1200a9;;;BU)(A;OICIID;0x1301bf;;;BU)"},
    };
    for (const auto& [before, account, rights, after] : cases)
        EXPECT_EQ(Granted(before, account, rights), after) << before;
    // A DACL holds at most 65532 bytes: this one is full, with room for the account's rights to be merged in.
    std::string full = "D:(A;OICI;0x1200a9;;;BU)";
    for (int i = 0; i < 3275; ++i)
        full += "(A;;FA;;;WD)";
    EXPECT_EQ(Granted(full, "SYSTEM", kRead), "failed");
    EXPECT_EQ(Granted(full, "Users", kModify).substr(0, 24), "D:(A;OICI;0x1301bf;;;BU)");
}

TEST(WindowsAccount, FindsNamesTheSuiteGivesAndDropsOnlyThisComputersQualifier) {
    const std::string computer = ComputerName::Get();
    const std::pair<std::string, const char*> cases[] = {
        {"SYSTEM", "S-1-5-18"},
        {computer + "\\SYSTEM", "S-1-5-18"},
        {"\\SYSTEM", "S-1-5-18"},
        {"BUILTIN\\Users", "S-1-5-32-545"},
        {"ANOTHER-DOMAIN\\SYSTEM", "unknown account \"ANOTHER-DOMAIN\\SYSTEM\""},
        {"", "unknown account"},
        {computer + "\\", "unknown account"},
    };
    for (const auto& [name, expected] : cases) {
        std::string error;
        const std::optional<WindowsAccount> account = WindowsAccount::Find(name, &error);
        EXPECT_EQ(account ? account->SidText() : error.substr(0, std::string(expected).size()), expected)
            << name;
    }
}

TEST(ObjectAcl, GrantsStartedTogetherAllLandAndKeepWhatWasThere) {
    std::string error;
    const std::optional<WindowsAccount> users = WindowsAccount::Find("Users", &error),
                                        system = WindowsAccount::Find("SYSTEM", &error);
    ASSERT_TRUE(users && system) << error;
    const std::string path = "Software\\Quorvane setacl test " + std::to_string(std::random_device()());
    for (int round = 0; round < 50; ++round) { // without the lock, grants got lost in most runs of 20
        const std::string key = path + "\\" + std::to_string(round), name = "CURRENT_USER\\" + key;
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &handle, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
        const std::string before = DaclText(name, SE_REGISTRY_KEY);
        ASSERT_NE(before, "unreadable");
        // As the suite starts them on an older server: read and write for the account, then for SYSTEM.
        std::vector<std::thread> grants;
        for (const WindowsAccount* account : {&*users, &*system}) {
            for (ACCESS_MASK rights : {kRead, kModify})
                grants.emplace_back([&, account, rights] {
                    std::string reason;
                    EXPECT_TRUE(
                        ObjectAcl::Grant(name, SE_REGISTRY_KEY, name, account->Sid(), rights, &reason))
                        << reason;
                });
        }
        for (std::thread& grant : grants)
            grant.join();
        const std::string after = DaclText(name, SE_REGISTRY_KEY);
        EXPECT_TRUE(after.find("(A;OICI;0x1301bf;;;BU)") != std::string::npos &&
                    after.find("(A;OICI;0x1301bf;;;SY)") != std::string::npos &&
                    LostEntries(before, after).empty())
            << before << " -> " << after;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
}

class Setacl : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir); }
    void TearDown() override { fs::remove_all(m_root, m_error); }

    const fs::path m_root =
        fs::temp_directory_path() / ("qv-setacl-" + std::to_string(std::random_device()()));
    const fs::path m_dir = m_root / "errors dir";
    std::error_code m_error;
};

// IIS 6 qualifies the account with the computer's name and gives log directories a trailing backslash; older
// servers give the account as it is, then SYSTEM. All start at once, failures among them, and exit with 1.
TEST_F(Setacl, RunsTheSuitesCommandLinesSideBySideAndKeepsWhatWasThere) {
    std::ofstream((m_root / "file").string()) << "x";
    const std::string before = DaclText(m_dir.string(), SE_FILE_OBJECT);
    ASSERT_NE(before, "unreadable");
    const std::string dir = "\"" + m_dir.string() + "\"", trailing = "\"" + m_dir.string() + "\\\"";
    const std::string qualified = "\"" + ComputerName::Get() + "\\Users\"";
    const std::string lines[] = {
        trailing + " /dir /grant " + qualified + " /read /silent",
        trailing + " /dir /grant " + qualified + " /write /silent",
        dir + " /dir /grant \"Users\" /read /silent",
        dir + " /dir /grant \"Users\" /write /silent",
        dir + " /dir /grant SYSTEM /read /silent",
        dir + " /dir /grant SYSTEM /write /silent",
        "\"" + (m_root / "missing").string() + "\" /dir /grant SYSTEM /read /silent",
        "\"" + (m_root / "file").string() + "\" /dir /grant SYSTEM /read /silent",
        dir + " /dir /grant \"ANOTHER-DOMAIN\\SYSTEM\" /write /silent",
        dir + " /dir /grant SYSTEM /silent",
    };
    std::vector<intptr_t> started;
    for (const std::string& arguments : lines) // joined with a space, as they are
        started.push_back(_spawnl(_P_NOWAIT, QV_SETACL, "\"" QV_SETACL "\"", arguments.c_str(), nullptr));
    std::vector<int> codes;
    for (intptr_t process : started) {
        int code = -1;
        codes.push_back(process != -1 && _cwait(&code, process, 0) != -1 ? code : -1);
    }
    EXPECT_EQ(codes, std::vector<int>({0, 0, 0, 0, 0, 0, 1, 1, 1, 1}));
    // Wine makes a directory's DACL from its Unix mode, so only the entries that were there can be checked.
    EXPECT_EQ(LostEntries(before, DaclText(m_dir.string(), SE_FILE_OBJECT)), "");
}

TEST_F(Setacl, EverySpellingOfADirectoryTakesTheSameLock) {
    std::string error;
    const std::optional<std::string> key = DirectoryAcl::LockKey(m_dir.string(), &error);
    ASSERT_TRUE(key) << error;
    for (std::string other :
         {m_dir.string() + "\\", m_dir.string() + "\\.\\", m_dir.string() + "\\..\\Errors Dir"}) {
        EXPECT_EQ(DirectoryAcl::LockKey(other, &error), key) << other;
        for (char& c : other)
            c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(DirectoryAcl::LockKey(other, &error), key) << other;
    }
    fs::create_directory(m_root / "other");
    EXPECT_NE(DirectoryAcl::LockKey((m_root / "other").string(), &error), key);
}

} // namespace
} // namespace qv::setacl
