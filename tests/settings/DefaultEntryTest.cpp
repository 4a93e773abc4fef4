#include "CleanRegistryTest.h"
#include "platform/FileSystem.h"
#include "platform/MachineDirectory.h"
#include "platform/Paths.h"
#include "settings/PathServices.h"
#include "settings/SiteSettings.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qv::test {
namespace {

namespace fs = std::filesystem;
using Items = std::vector<std::string>;
const std::string sep(1, kPathSeparator);

class PathServicesTest : public CleanRegistryTest {
protected:
    static bool IsDirectory(const std::string& path) { return fs::is_directory(FileSystem::Native(path)); }
    std::string Base() { return m_machine.Str() + kPathSeparator; }
};

class DefaultEntryTest : public CleanRegistryTest {
protected:
    SiteSettings Loaded() {
        SiteSettings record;
        record.siteId = 7; // the record starts over
        ParseList(record.ExtList, "old");
        LoadDefaultEntry(record, m_install);
        EXPECT_EQ(record.siteId, 0u);
        return record;
    }
    const std::string m_install = std::string("inst") + kPathSeparator;
};

TEST_F(DefaultEntryTest, ListsAreEmptyWithoutSitesKeyAndBuiltInWithoutValues) {
    SiteSettings record = Loaded();
    EXPECT_EQ(record.EnableDisable, 1);
    EXPECT_EQ(record.Directory, "errors");
    EXPECT_EQ(record.LogDir, m_install + "Logs" + kPathSeparator + "W3SVC[SITE]" + kPathSeparator);
    EXPECT_EQ(record.loadedDirectory, "");
    for (const ValueList* list : {&record.ExtList, &record.DynExtList, &record.ImgFilters, &record.ImgExts})
        EXPECT_TRUE(list->Empty());
    RegistryKey key;
    EXPECT_EQ(key.Open(kSitesKey, RegAccess::Read), kErrorFileNotFound); // nothing created
    LoadDefaultEntry(record, std::string(250, 'i') + kPathSeparator);    // the log path is cut at 260
    EXPECT_EQ(record.LogDir, std::string(250, 'i') + sep + "Logs" + sep + "W3SV");

    ASSERT_EQ(key.Create(kSitesKey, RegAccess::ReadWrite), kErrorSuccess);
    key.Close();
    record = Loaded();
    EXPECT_EQ(record.loadedDirectory, "errors");
    EXPECT_EQ(record.ExtList.Items(), (Items{"htm", "html"}));
    EXPECT_EQ(record.DynExtList.Items(), (Items{"asp", "aspx", "php", "cfm"}));
    EXPECT_EQ(record.ImgFilters.Items(), (Items{"*/images/*", "*.gif", "*.jpg", "*.png", "*.bmp"}));
    EXPECT_EQ(record.ImgExts.Items(), (Items{"gif", "jpg", "png", "bmp"}));
    EXPECT_FALSE(Stored(kSitesKey, "ExtList")); // nothing written back
}

TEST_F(DefaultEntryTest, StoredValuesReplaceTheDefaultsWithoutWriting) {
    StoreText(kSitesKey, "serverstate", "1"); // names compare without letter case
    StoreText(kSitesKey, "Directory", "Fehler\xc3\xa4");
    StoreText(kSitesKey, "LogDir", "[PROGFILES]Logs\\[SITE]\\");
    StoreText(kSitesKey, "DynExtList", "");
    StoreText(kSitesKey, "ImgExts", "png,png,PNG");
    SiteSettings record = Loaded();
    EXPECT_EQ(record.ServerState, 1);
    EXPECT_EQ(record.loadedDirectory, "Fehler\xc3\xa4");
    EXPECT_EQ(record.LogDir, "[PROGFILES]Logs\\[SITE]\\"); // tokens stay in the default entry
    EXPECT_TRUE(record.DynExtList.Empty());                // stored empty: not the default
    EXPECT_EQ(record.ExtList.Items(), (Items{"htm", "html"}));
    EXPECT_EQ(record.ImgExts.Items(), (Items{"png", "PNG"}));
    EXPECT_FALSE(Stored(kSitesKey, "ImgFilters"));
}

TEST_F(PathServicesTest, InstallDirectoryComesFromProgFilesWhenItFits) {
    const std::string fallback = DefaultInstallDirectory();
    EXPECT_EQ(fallback, sep == "\\" ? "C:\\Program Files\\Helmark\\Quorvane\\" : "/opt/Helmark/Quorvane/");
    EXPECT_EQ(FindInstallDirectory(), fallback); // no product key
    const auto found = [](std::uint32_t type, const std::string& bytes) {
        Store(kProductKey, "progfiles", type, bytes); // names compare without letter case
        return FindInstallDirectory();
    };
    const std::string stored = Base() + "Qu\xc3\xb6rvane" + sep;
    EXPECT_EQ(found(kRegSz, stored + '\0'), stored);
    EXPECT_EQ(found(kRegSz, Base() + "Apps" + '\0'), Base() + "Apps" + sep); // names are appended directly
    const std::string longest = std::string(258, 'p') + sep;                 // fits with the terminator
    EXPECT_EQ(found(kRegSz, longest + '\0'), longest);
    EXPECT_EQ(found(kRegSz, std::string(260, 'p') + '\0'), fallback);
    EXPECT_EQ(found(kRegBinary, std::string(260, 'p')), fallback); // no terminator anywhere
    EXPECT_EQ(found(kRegSz, std::string(1, '\0')), fallback);
}

std::string Expanded(std::string path, std::int32_t site, const std::string& install) {
    ExpandPathTokens(path, site, install);
    return path;
}

TEST_F(PathServicesTest, TokensAreReplacedSiteFirstAndCutTo259) {
    EXPECT_EQ(Expanded("[PROGFILES]Logs\\[SITE]\\W3SVC[SITE]", 12, "/q/"), "/q/Logs\\12\\W3SVC12");
    EXPECT_EQ(Expanded("[site][Site][progfiles]|[SITE]", -1, "/q/"), "[site][Site][progfiles]|-1");
    EXPECT_EQ(Expanded("[PROGFILES]x", 4, "/opt/[SITE]/"), "/opt/[SITE]/x"); // not searched again
    EXPECT_EQ(Expanded("[PROGFILES]" + std::string(100, 'a'), 1, std::string(200, 'i')),
              std::string(200, 'i') + std::string(59, 'a'));
    EXPECT_EQ(Expanded(std::string(300, 'b'), 1, ""), std::string(259, 'b'));
}

TEST_F(PathServicesTest, CreatesEveryMissingDirectoryAndIgnoresFailures) {
    const std::string deep = Base() + "a" + sep + "b" + sep + "c";
    FileSystem::CreateDirectoryPath(deep);
    EXPECT_TRUE(IsDirectory(Base() + "a" + sep + "b"));
    EXPECT_TRUE(IsDirectory(deep));
    // A trailing separator, spaces, non-ASCII letters; "/" separates on both platforms.
    const std::string named = Base() + "Log Files" + sep + "W3SVC\xc3\xa9" + sep;
    FileSystem::CreateDirectoryPath(named);
    EXPECT_TRUE(IsDirectory(named));
    FileSystem::CreateDirectoryPath(Base() + "x/y/z");
    EXPECT_TRUE(IsDirectory(Base() + "x" + sep + "y" + sep + "z"));

    // A file in the way is left alone, and nothing is made below it.
    const std::string file = Base() + "blocker";
    std::ofstream(FileSystem::Native(file)) << "data";
    FileSystem::CreateDirectoryPath(file);
    FileSystem::CreateDirectoryPath(file + sep + "sub" + sep + "dir");
    EXPECT_TRUE(fs::is_regular_file(FileSystem::Native(file)));
    FileSystem::CreateDirectoryPath("");

    // Where drives are mapped into the machine directory, a drive path lands there.
    if (FileSystem::LocalPath("D:\\") != "D:\\") {
        fs::create_directories(m_machine.Path() / "drive_d");
        FileSystem::CreateDirectoryPath("D:\\a\\b\\c");
        EXPECT_TRUE(fs::is_directory(m_machine.Path() / "drive_d" / "a" / "b" / "c"));
    }
}

} // namespace
} // namespace qv::test
