// The Win32 side in-process. Wine keeps no file's security descriptor (it makes one from the Unix mode), so
// the DACL a grant writes is checked as it is made, and grants running together are checked on registry
// keys, whose descriptors Wine keeps. What locks a directory: SetaclTest.
#include "DaclText.h"
#include "platform/ComputerName.h"
#include "win32/DaclGrant.h"
#include "win32/ObjectAcl.h"
#include "win32/WindowsAccount.h"

#include <optional>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

namespace qv::setacl {
namespace {

constexpr ACCESS_MASK kRead = 0x1200a9;   // read and execute
constexpr ACCESS_MASK kModify = 0x1301bf; // and write and delete

std::string AclText(ACL* dacl) {
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, dacl, FALSE);
    return DaclText(&descriptor);
}

// The outcome and the DACL a grant leaves, from the DACL given as SDDL text.
std::string Granted(const std::string& before, const char* account, ACCESS_MASK rights) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(before.c_str(), SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return "bad SDDL";
    BOOL present = FALSE, defaulted = FALSE;
    ACL* dacl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted);
    if (!present || before == "D:NO_ACCESS_CONTROL") // which Wine reads as an empty list
        dacl = nullptr;
    std::string error;
    const std::optional<WindowsAccount> sid = WindowsAccount::Find(account, &error);
    if (!sid)
        return error;
    std::vector<DWORD> after;
    const DaclGrant::Outcome outcome = DaclGrant::Add(dacl, sid->Sid(), rights, &after);
    LocalFree(descriptor);
    if (outcome == DaclGrant::Outcome::Unchanged)
        return "unchanged";
    if (outcome == DaclGrant::Outcome::Failed)
        return "failed";
    return AclText(reinterpret_cast<ACL*>(after.data()));
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
        {"D:NO_ACCESS_CONTROL", "SYSTEM", kRead,
         "unchanged"}, // no DACL: a list would take everyone else's rights
        // Other inheritance, an inherited entry or a denial of the account is no grant of these rights.
        {"D:(A;CIIO;0x1200a9;;;BU)(A;OICIID;0x1301bf;;;BU)", "Users", kRead,
         "D:(A;CIIO;0x1200a9;;;BU)(A;OICI;0x1200a9;;;BU)(A;OICIID;0x1301bf;;;BU)"},
        {"D:(D;OICI;0x1200a9;;;SY)", "SYSTEM", kRead, "D:(D;OICI;0x1200a9;;;SY)(A;OICI;0x1200a9;;;SY)"},
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
    const std::optional<WindowsAccount> users = WindowsAccount::Find("Users", &error);
    const std::optional<WindowsAccount> system = WindowsAccount::Find("SYSTEM", &error);
    ASSERT_TRUE(users && system) << error;
    const std::string path = "Software\\Quorvane setacl test " + std::to_string(std::random_device()());
    for (int round = 0; round < 50; ++round) { // without the lock, grants got lost in most runs of 20
        const std::string key = path + "\\" + std::to_string(round);
        HKEY handle = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &handle, nullptr),
                  ERROR_SUCCESS);
        RegCloseKey(handle);
        const std::string name = "CURRENT_USER\\" + key;
        const std::string before = DaclText(name, SE_REGISTRY_KEY);
        ASSERT_NE(before, "unreadable");

        // As the suite starts them on an older server: read and write for the account, then for SYSTEM.
        std::vector<std::thread> grants;
        for (const WindowsAccount* account : {&*users, &*system}) {
            for (ACCESS_MASK rights : {kRead, kModify}) {
                grants.emplace_back([&, account, rights] {
                    std::string reason;
                    EXPECT_TRUE(
                        ObjectAcl::Grant(name, SE_REGISTRY_KEY, name, account->Sid(), rights, &reason))
                        << reason;
                });
            }
        }
        for (std::thread& grant : grants)
            grant.join();
        const std::string after = DaclText(name, SE_REGISTRY_KEY);
        for (const char* entry : {"(A;OICI;0x1301bf;;;BU)", "(A;OICI;0x1301bf;;;SY)"})
            EXPECT_NE(after.find(entry), std::string::npos) << after;
        EXPECT_EQ(LostEntries(before, after), "") << after;
    }
    RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
}

} // namespace
} // namespace qv::setacl
