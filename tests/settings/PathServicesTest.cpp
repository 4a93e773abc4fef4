#include "settings/PathServices.h"
#include "CleanRegistryTest.h"
#include "platform/MachineDirectory.h"
#include "platform/NativePath.h"
#include "platform/Paths.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace qv::test {
namespace {

namespace fs = std::filesystem;

class PathServicesTest : public CleanRegistryTest {
protected:
    bool IsDirectory(const std::string& path) { return fs::is_directory(NativePath(path)); }
    std::string Base() { return m_machine.Str() + kPathSeparator; }
};

const std::string sep(1, kPathSeparator);

TEST_F(PathServicesTest, DefaultInstallDirectoryEndsInASeparator) {
    const std::string expected =
        kPathSeparator == '\\' ? "C:\\Program Files\\Helmark\\Quorvane\\" : "/opt/Helmark/Quorvane/";
    EXPECT_EQ(DefaultInstallDirectory(), expected);

    // No product key, then a key without "ProgFiles": the default.
    EXPECT_EQ(FindInstallDirectory(), expected);
    StoreText(kProductKey, "Other", "x");
    EXPECT_EQ(FindInstallDirectory(), expected);
}

TEST_F(PathServicesTest, InstallDirectoryComesFromProgFiles) {
    const std::string stored = Base() + "Apps" + sep + "Qu\xc3\xb6rvane" + sep; // non-ASCII letters
    StoreText(kProductKey, "ProgFiles", stored);
    EXPECT_EQ(FindInstallDirectory(), stored);

    // Names are appended to it directly, so a missing final separator is added.
    StoreText(kProductKey, "progfiles", Base() + "Apps");
    EXPECT_EQ(FindInstallDirectory(), Base() + "Apps" + sep);

    // 259 characters fit the buffer with the terminator.
    const std::string longest = std::string(258, 'p') + sep;
    StoreText(kProductKey, "ProgFiles", longest);
    EXPECT_EQ(FindInstallDirectory(), longest);
}

TEST_F(PathServicesTest, InstallDirectoryThatDoesNotFitLeavesTheDefault) {
    StoreText(kProductKey, "ProgFiles", std::string(260, 'p'));
    EXPECT_EQ(FindInstallDirectory(), DefaultInstallDirectory());
    Store(kProductKey, "ProgFiles", kRegBinary, std::string(260, 'p')); // no terminator anywhere
    EXPECT_EQ(FindInstallDirectory(), DefaultInstallDirectory());
    StoreText(kProductKey, "ProgFiles", std::string(4000, 'p'));
    EXPECT_EQ(FindInstallDirectory(), DefaultInstallDirectory());
    StoreText(kProductKey, "ProgFiles", "");
    EXPECT_EQ(FindInstallDirectory(), DefaultInstallDirectory());
}

TEST_F(PathServicesTest, TokensAreReplacedSiteFirst) {
    const std::string install = DefaultInstallDirectory();
    std::string path = install + "Logs" + sep + "W3SVC[SITE]" + sep;
    ExpandPathTokens(path, 3, install);
    EXPECT_EQ(path, install + "Logs" + sep + "W3SVC3" + sep);

    path = "[PROGFILES]Logs\\[SITE]\\W3SVC[SITE]";
    ExpandPathTokens(path, 12, "/q/");
    EXPECT_EQ(path, "/q/Logs\\12\\W3SVC12");

    // Case matters; a negative number keeps its sign.
    path = "[site][Site][progfiles]|[SITE]";
    ExpandPathTokens(path, -1, "/q/");
    EXPECT_EQ(path, "[site][Site][progfiles]|-1");

    // The installation directory is not searched for "[SITE]" again.
    path = "[PROGFILES]x";
    ExpandPathTokens(path, 4, "/opt/[SITE]/");
    EXPECT_EQ(path, "/opt/[SITE]/x");
}

TEST_F(PathServicesTest, ExpandedPathsAreCutTo259) {
    std::string path = "[PROGFILES]" + std::string(100, 'a');
    ExpandPathTokens(path, 1, std::string(200, 'i'));
    EXPECT_EQ(path, std::string(200, 'i') + std::string(59, 'a'));

    path = std::string(300, 'b');
    ExpandPathTokens(path, 1, "");
    EXPECT_EQ(path.size(), 259u);
}

TEST_F(PathServicesTest, CreatesEveryMissingDirectory) {
    const std::string deep = Base() + "a" + sep + "b" + sep + "c";
    CreateDirectoryPath(deep);
    EXPECT_TRUE(IsDirectory(Base() + "a"));
    EXPECT_TRUE(IsDirectory(Base() + "a" + sep + "b"));
    EXPECT_TRUE(IsDirectory(deep));

    // A trailing separator, spaces and non-ASCII letters.
    const std::string named = Base() + "Log Files" + sep + "W3SVC\xc3\xa9" + sep;
    CreateDirectoryPath(named);
    EXPECT_TRUE(IsDirectory(named));

    // "/" separates on both platforms.
    CreateDirectoryPath(Base() + "x/y/z");
    EXPECT_TRUE(IsDirectory(Base() + "x" + sep + "y" + sep + "z"));

    // Existing paths are left alone, files included.
    CreateDirectoryPath(deep);
    EXPECT_TRUE(IsDirectory(deep));
    const std::string file = Base() + "file.txt";
    std::ofstream(NativePath(file)) << "data";
    CreateDirectoryPath(file);
    EXPECT_TRUE(fs::is_regular_file(NativePath(file)));
}

TEST_F(PathServicesTest, FailuresAreIgnored) {
    const std::string file = Base() + "blocker";
    std::ofstream(NativePath(file)) << "data";
    CreateDirectoryPath(file + sep + "sub" + sep + "dir");
    EXPECT_FALSE(fs::exists(NativePath(file + sep + "sub")));
    CreateDirectoryPath("");
}

TEST_F(PathServicesTest, DrivePathsLandInTheMachine) {
    // Only where drives are mapped into the machine directory; on Windows the path is real.
    if (MachineDirectory::LocalPath("D:\\") == "D:\\")
        GTEST_SKIP() << "drive paths are real here";
    fs::create_directories(m_machine.Path() / "drive_d");
    CreateDirectoryPath("D:\\a\\b\\c");
    EXPECT_TRUE(fs::is_directory(m_machine.Path() / "drive_d" / "a" / "b" / "c"));
}

} // namespace
} // namespace qv::test
