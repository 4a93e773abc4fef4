#include "support/TempMachine.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <tuple>

namespace qv::test {
namespace {

TEST(FileSystemTest, StoredPathsMapIntoTheMachineAndNothingElseMaps) {
    TempMachine machine;
    const std::string m = machine.Str();
    // The stored text, its local path on POSIX, and whether Windows keeps it (whole paths) or refuses it.
    const std::tuple<const char*, std::string, bool> cases[] = {
        {"E:\\inetpub\\wwwroot", m + "/drive_e/inetpub/wwwroot", true},
        {"c:/a//b/./c/", m + "/drive_c/a/b/c/", true},
        {"C:\\..\\..\\etc\\x", m + "/drive_c/etc/x", true}, // never above the drive
        {"C:\\", m + "/drive_c/", true},
        {"\\\\fileserver\\web\\farm", m + "/unc/fileserver/web/farm", true},
        {"\\\\fileserver\\web\\..\\..\\x", m + "/unc/fileserver/web/x", true}, // never above the share
        {"\\\\fileserver", "", true},
        {"/srv/www/a\\b", "/srv/www/a\\b", false},
        {"", "", false},
        {"wwwroot", "", false},
        {".\\x", "", false},
        {"C:wwwroot", "", false},
        {"\\wwwroot", "", false}};
    for (const auto& [stored, posix, keptOnWindows] : cases) {
        SCOPED_TRACE(stored);
        EXPECT_EQ(FileSystem::LocalPath(stored), kPathSeparator == '/' ? posix : keptOnWindows ? stored : "");
        // A text that names nothing fails every operation instead of landing in the current directory.
        EXPECT_TRUE(!FileSystem::LocalPath(stored).empty() ||
                    (FileSystem::Native(stored).empty() && !FileSystem::Exists(stored) &&
                     !FileSystem::List(stored) && !FileSystem::SameLocation(stored, stored)));
    }
}

TEST(FileSystemTest, CreatesEveryMissingDirectoryAndIgnoresFailures) {
    TempMachine machine;
    const std::string base = machine.Str() + kPathSeparator, sep(1, kPathSeparator);
    // Nested, with a trailing separator, spaces and non-ASCII letters; "/" separates on both platforms.
    for (const std::string& path : {base + "a" + sep + "b" + sep + "c",
                                    base + "Log Files" + sep + "W3SVC\xc3\xa9" + sep, base + "x/y/z"}) {
        FileSystem::CreateDirectoryPath(path);
        EXPECT_TRUE(std::filesystem::is_directory(FileSystem::Native(path))) << path;
    }
    // A file in the way is left alone, and nothing is made below it.
    const std::string file = base + "blocker";
    std::ofstream(FileSystem::Native(file)) << "data";
    FileSystem::CreateDirectoryPath(file);
    FileSystem::CreateDirectoryPath(file + sep + "sub" + sep + "dir");
    EXPECT_TRUE(std::filesystem::is_regular_file(FileSystem::Native(file)));
    // Where drives are mapped into the machine directory, a drive path lands there.
    if (kPathSeparator == '/') {
        FileSystem::CreateDirectoryPath("D:\\a\\b\\c");
        EXPECT_TRUE(std::filesystem::is_directory(machine.Str() + "/drive_d/a/b/c"));
    }
}

TEST(FileSystemTest, JoinsKeepTheStoredPathsSeparators) {
    const std::string native(1, kPathSeparator);
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\Inetpub\\wwwroot", "C:\\Inetpub\\wwwroot\\rules.qv"},
        {"C:\\Inetpub\\wwwroot\\", "C:\\Inetpub\\wwwroot\\rules.qv"},
        {"\\\\fileserver\\web", "\\\\fileserver\\web\\rules.qv"},
        {"srv" + native + "www", "srv" + native + "www" + native + "rules.qv"},
        {"", native + "rules.qv"},
    };
    for (const auto& [dir, joined] : cases)
        EXPECT_EQ(JoinPath(dir, "rules.qv"), joined) << dir;
}

} // namespace
} // namespace qv::test
