// The version record is the system's true version, the one Windows writes down for itself, even where
// GetVersionEx answers 6.2 to programs without a manifest (8.1 and later; the Windows lane runs Wine as 10).
#include "platform/OsVersion.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace qv {
namespace {

// Windows 10 and later keep their version as two numbers; older ones only as the text "6.1".
void SystemsOwnRecord(int& major, int& minor) {
    RegistryKey key;
    ASSERT_EQ(key.Open("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", RegAccess::Read), kErrorSuccess);
    std::uint32_t number = 0, size = sizeof(number);
    if (key.QueryValue("CurrentMajorVersionNumber", nullptr, &number, &size) == kErrorSuccess) {
        major = static_cast<int>(number);
        size = sizeof(number);
        ASSERT_EQ(key.QueryValue("CurrentMinorVersionNumber", nullptr, &number, &size), kErrorSuccess);
        minor = static_cast<int>(number);
        return;
    }
    char text[32] = {};
    size = sizeof(text) - 1;
    ASSERT_EQ(key.QueryValue("CurrentVersion", nullptr, text, &size), kErrorSuccess);
    ASSERT_EQ(std::sscanf(text, "%d.%d", &major, &minor), 2) << text;
}

TEST(OsVersionWin32Test, RecordsTheVersionTheSystemRecordsForItself) {
    int major = 0, minor = 0;
    SystemsOwnRecord(major, minor);
    OsVersion::Record();
    EXPECT_EQ(OsVersion::Major(), major);
    EXPECT_EQ(OsVersion::Minor(), minor);
    EXPECT_EQ(OsVersion::IsIis6(), major == 5 && minor >= 2);
}

} // namespace
} // namespace qv
