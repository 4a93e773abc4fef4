// On POSIX the version record comes from the machine's registry.
#include "platform/OsVersion.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>

namespace qv {
namespace {

void WriteCurrentVersion(std::uint32_t type, const std::string& bytes) {
    RegistryKey key;
    ASSERT_EQ(key.Create("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", RegAccess::ReadWrite),
              kErrorSuccess);
    ASSERT_EQ(key.SetValue("CurrentVersion", type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
              kErrorSuccess);
}

TEST(OsVersionTest, RecordReadsTheMachinesCurrentVersion) {
    test::TempMachine machine;
    WriteCurrentVersion(kRegSz, std::string("6.1\0", 4));
    OsVersion::Record();
    EXPECT_EQ(OsVersion::Major(), 6);
    EXPECT_EQ(OsVersion::Minor(), 1);
    EXPECT_FALSE(OsVersion::IsIis6());

    WriteCurrentVersion(kRegSz, "10.0"); // without its terminating zero
    OsVersion::Record();
    EXPECT_EQ(OsVersion::Major(), 10);
    EXPECT_EQ(OsVersion::Minor(), 0);
}

TEST(OsVersionTest, AMissingOrUnreadableVersionIsWindowsServer2003) {
    for (auto [type, bytes] : {std::pair<std::uint32_t, std::string>{kRegSz, std::string("six\0", 4)},
                               {kRegSz, std::string("6.\0", 3)},
                               {kRegDword, std::string(4, '\6')},
                               {kRegSz, std::string(100, '6')}}) {
        test::TempMachine machine;
        WriteCurrentVersion(type, bytes);
        OsVersion::Set(6, 3);
        OsVersion::Record();
        EXPECT_EQ(OsVersion::Major(), 5) << bytes;
        EXPECT_EQ(OsVersion::Minor(), 2) << bytes;
        EXPECT_TRUE(OsVersion::IsIis6());
    }
    test::TempMachine empty;
    OsVersion::Set(6, 3);
    OsVersion::Record();
    EXPECT_EQ(OsVersion::Major(), 5);
    EXPECT_EQ(OsVersion::Minor(), 2);
}

TEST(OsVersionTest, SetOverridesTheRecord) {
    OsVersion::Set(5, 0);
    EXPECT_FALSE(OsVersion::IsIis6());
    OsVersion::Set(5, 2);
    EXPECT_TRUE(OsVersion::IsIis6());
}

} // namespace
} // namespace qv
