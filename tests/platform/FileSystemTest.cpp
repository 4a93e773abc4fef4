#include "support/TempMachine.h"

#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "platform/Process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace qv::test {
namespace {

TEST(FileSystemTest, StoredPathsMapIntoTheMachineAndNothingElseMaps) {
    TempMachine machine;
    const std::string m = machine.Str();
    struct Case {
        const char* stored;
        std::string posix;  // the local path on POSIX
        bool keptOnWindows; // Windows keeps whole paths as they are and refuses the rest
    };
    const Case cases[] = {
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
        {"\\wwwroot", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored);
        if (kPathSeparator == '/') {
            EXPECT_EQ(FileSystem::LocalPath(c.stored), c.posix);
        } else if (std::string(c.stored) != "\\\\fileserver") {
            EXPECT_EQ(FileSystem::LocalPath(c.stored), c.keptOnWindows ? c.stored : "");
        }
        // A text that names nothing fails every operation instead of landing in the current directory.
        if (FileSystem::LocalPath(c.stored).empty()) {
            EXPECT_TRUE(FileSystem::Native(c.stored).empty());
            EXPECT_FALSE(FileSystem::Exists(c.stored));
            EXPECT_FALSE(FileSystem::List(c.stored));
            EXPECT_FALSE(FileSystem::SameLocation(c.stored, c.stored));
        }
    }
}

TEST(FileSystemTest, CreatesEveryMissingDirectoryAndIgnoresFailures) {
    TempMachine machine;
    const std::string base = machine.Str() + kPathSeparator;
    const std::string sep(1, kPathSeparator);
    const auto isDirectory = [](const std::string& path) {
        return std::filesystem::is_directory(FileSystem::Native(path));
    };
    // Nested, with a trailing separator, spaces and non-ASCII letters; "/" separates on both platforms.
    for (const std::string& path :
         {base + "a" + sep + "b" + sep + "c", base + "Log Files" + sep + "W3SVC\xc3\xa9" + sep, base + "x/y/z"}) {
        FileSystem::CreateDirectoryPath(path);
        EXPECT_TRUE(isDirectory(path)) << path;
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
        EXPECT_TRUE(isDirectory(machine.Str() + "/drive_d/a/b/c"));
    }
}

TEST(FileSystemTest, QuotedArgumentsSplitBackWhole) {
    const std::string texts[] = {"plain", "with space", "ends in \\", "C:\\dir\\\\", "\\\\server\\share", ""};
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        const std::optional<std::string> quoted = Process::QuoteArgument(text);
        ASSERT_TRUE(quoted);
        const std::vector<std::string> arguments = Process::SplitCommandLine("\"p\" " + *quoted + " next");
        EXPECT_EQ(arguments, (std::vector<std::string>{"p", text, "next"}));
    }
    // A quotation mark: escaped on POSIX, where names may hold one; refused on Windows, where none can.
    for (const std::string text : {"say \"hi\"", "a\\\"b\\", "\"\\\\\""}) {
        const std::optional<std::string> quoted = Process::QuoteArgument(text);
        EXPECT_EQ(quoted.has_value(), kPathSeparator == '/');
        if (quoted) {
            EXPECT_EQ(Process::SplitCommandLine("p " + *quoted), (std::vector<std::string>{"p", text}));
        }
    }
    EXPECT_FALSE(Process::QuoteProgram("C:\\a\"b\\setacl.exe"));
}

} // namespace
} // namespace qv::test
