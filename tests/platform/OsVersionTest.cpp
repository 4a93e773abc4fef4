// On POSIX the version record comes from the machine's registry; what cannot be read there is Windows
// Server 2003 (5.2).
#include "platform/OsVersion.h"
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

using namespace std::string_literals;

namespace qv {
namespace {

TEST(OsVersionTest, RecordReadsTheMachinesCurrentVersionOrFallsBackTo2003) {
    struct Case {
        std::optional<std::pair<std::uint32_t, std::string>> value;
        int major, minor;
    };
    const Case cases[] = {
        {{{kRegSz, "6.1\0"s}}, 6, 1},
        {{{kRegSz, "10.0"}}, 10, 0}, // the terminating zero is optional
        {{{kRegSz, "six\0"s}}, 5, 2},
        {{{kRegSz, "6.\0"s}}, 5, 2},
        {{{kRegDword, "\6\6\6\6"}}, 5, 2},
        {{{kRegSz, std::string(100, '6')}}, 5, 2},
        {std::nullopt, 5, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value ? c.value->second : "(missing)");
        test::TempMachine machine;
        if (c.value) {
            RegistryKey key;
            ASSERT_EQ(key.Create("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", RegAccess::ReadWrite),
                      kErrorSuccess);
            const auto& [type, bytes] = *c.value;
            ASSERT_EQ(
                key.SetValue("CurrentVersion", type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
                kErrorSuccess);
        }
        OsVersion::Set(6, 3);
        OsVersion::Record();
        EXPECT_EQ(OsVersion::Major(), c.major);
        EXPECT_EQ(OsVersion::Minor(), c.minor);
        EXPECT_EQ(OsVersion::IsIis6(), c.major == 5);
    }
}

} // namespace
} // namespace qv
