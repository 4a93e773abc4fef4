#include "CleanRegistryTest.h"
#include "platform/Paths.h"
#include "settings/SiteSettings.h"

#include <string>
#include <vector>

namespace qv::test {
namespace {

using Items = std::vector<std::string>;

class DefaultEntryTest : public CleanRegistryTest {
protected:
    SiteSettings Loaded() {
        SiteSettings record;
        LoadDefaultEntry(record, m_install);
        return record;
    }
    // The number of values on the Sites key, to see that loading writes nothing.
    static int ValueCount() {
        RegistryKey key;
        if (key.Open(kSitesKey, RegAccess::Read) != kErrorSuccess)
            return -1;
        std::string name;
        int count = 0;
        while (key.EnumValue(static_cast<std::uint32_t>(count), name) == kErrorSuccess)
            ++count;
        return count;
    }

    const std::string m_install = std::string("inst") + kPathSeparator;
    const std::string m_defaultLogDir = m_install + "Logs" + kPathSeparator + "W3SVC[SITE]" + kPathSeparator;
};

void ExpectBuiltInNumbers(const SiteSettings& record) {
    EXPECT_EQ(record.siteId, 0u);
    EXPECT_EQ(record.EnableDisable, 1);
    EXPECT_EQ(record.ServerState, 0);
    EXPECT_EQ(record.Dyn404, 0);
    EXPECT_EQ(record.SendErrorImage, 1);
    EXPECT_EQ(record.Logging, 0);
    EXPECT_EQ(record.LogThreshold, 5);
}

TEST_F(DefaultEntryTest, WithoutSitesKeyListsAndLoadedDirectoryStayEmpty) {
    SiteSettings record = Loaded();
    ExpectBuiltInNumbers(record);
    EXPECT_EQ(record.Directory, "errors");
    EXPECT_EQ(record.LogDir, m_defaultLogDir);
    EXPECT_EQ(record.loadedDirectory, "");
    EXPECT_TRUE(record.ExtList.Empty());
    EXPECT_TRUE(record.DynExtList.Empty());
    EXPECT_TRUE(record.ImgFilters.Empty());
    EXPECT_TRUE(record.ImgExts.Empty());
    EXPECT_EQ(ValueCount(), -1); // nothing created
}

TEST_F(DefaultEntryTest, SitesKeyWithoutValuesGivesTheBuiltInLists) {
    RegistryKey key;
    ASSERT_EQ(key.Create(kSitesKey, RegAccess::ReadWrite), kErrorSuccess);
    key.Close();

    SiteSettings record = Loaded();
    ExpectBuiltInNumbers(record);
    EXPECT_EQ(record.Directory, "errors");
    EXPECT_EQ(record.loadedDirectory, "errors");
    EXPECT_EQ(record.LogDir, m_defaultLogDir);
    EXPECT_EQ(record.ExtList.Items(), (Items{"htm", "html"}));
    EXPECT_EQ(record.DynExtList.Items(), (Items{"asp", "aspx", "php", "cfm"}));
    EXPECT_EQ(record.ImgFilters.Items(), (Items{"*/images/*", "*.gif", "*.jpg", "*.png", "*.bmp"}));
    EXPECT_EQ(record.ImgExts.Items(), (Items{"gif", "jpg", "png", "bmp"}));
    EXPECT_EQ(ValueCount(), 0);
}

TEST_F(DefaultEntryTest, StoredValuesReplaceTheDefaultsWithoutWriting) {
    StoreText(kSitesKey, "EnableDisable", "0");
    StoreText(kSitesKey, "serverstate", "1"); // names compare without letter case
    StoreText(kSitesKey, "Dyn404", "1");
    StoreText(kSitesKey, "SendErrorImage", "0");
    StoreText(kSitesKey, "Logging", "1");
    StoreText(kSitesKey, "LogThreshold", "12abc");
    StoreText(kSitesKey, "Directory", "Fehler\xc3\xa4");
    StoreText(kSitesKey, "LogDir", "[PROGFILES]Logs\\[SITE]\\");
    StoreText(kSitesKey, "ExtList", "html");
    StoreText(kSitesKey, "DynExtList", "");
    StoreText(kSitesKey, "ImgExts", "png,png,PNG");

    SiteSettings record = Loaded();
    EXPECT_EQ(record.EnableDisable, 0);
    EXPECT_EQ(record.ServerState, 1);
    EXPECT_EQ(record.Dyn404, 1);
    EXPECT_EQ(record.SendErrorImage, 0);
    EXPECT_EQ(record.Logging, 1);
    EXPECT_EQ(record.LogThreshold, 12);
    EXPECT_EQ(record.Directory, "Fehler\xc3\xa4");
    EXPECT_EQ(record.loadedDirectory, "Fehler\xc3\xa4");
    EXPECT_EQ(record.LogDir, "[PROGFILES]Logs\\[SITE]\\"); // tokens stay in the default entry
    EXPECT_EQ(record.ExtList.Items(), Items{"html"});
    EXPECT_TRUE(record.DynExtList.Empty()); // stored empty: not the default
    EXPECT_EQ(record.ImgFilters.Items(), (Items{"*/images/*", "*.gif", "*.jpg", "*.png", "*.bmp"}));
    EXPECT_EQ(record.ImgExts.Items(), (Items{"png", "PNG"}));
    EXPECT_EQ(ValueCount(), 11);
    EXPECT_EQ(Stored(kSitesKey, "DynExtList"), std::string("\0", 1));
}

TEST_F(DefaultEntryTest, UnreadableValuesKeepTheDefaults) {
    StoreText(kSitesKey, "Directory", std::string(261, 'd'));
    Store(kSitesKey, "LogDir", kRegBinary, std::string(400, 'l'));
    Store(kSitesKey, "EnableDisable", kRegDword, std::string("\x00\x00\x00\x00", 4));
    StoreText(kSitesKey, "SendErrorImage", "yes");

    SiteSettings record = Loaded();
    EXPECT_EQ(record.Directory, "errors");
    EXPECT_EQ(record.loadedDirectory, "errors");
    EXPECT_EQ(record.LogDir, m_defaultLogDir);
    // Numbers of any form read as text: not decimal gives 0.
    EXPECT_EQ(record.EnableDisable, 0);
    EXPECT_EQ(record.SendErrorImage, 0);
}

TEST_F(DefaultEntryTest, TheRecordStartsOverFromZero) {
    SiteSettings record;
    record.siteId = 7;
    record.modified = 1;
    record.description = "Site";
    record.siteRoot = "root";
    record.workerIdentity = "IUSR";
    record.rules.resize(2);
    record.ruleCount = 2;
    record.pendingLog.resize(1);
    ParseList(record.ExtList, "old");
    LoadDefaultEntry(record, m_install);
    EXPECT_EQ(record.siteId, 0u);
    EXPECT_EQ(record.modified, 0);
    EXPECT_EQ(record.description, "");
    EXPECT_EQ(record.siteRoot, "");
    EXPECT_FALSE(record.workerIdentity);
    EXPECT_TRUE(record.rules.empty());
    EXPECT_EQ(record.ruleCount, 0u);
    EXPECT_TRUE(record.pendingLog.empty());
    EXPECT_TRUE(record.ExtList.Empty());
}

TEST_F(DefaultEntryTest, ALongInstallDirectoryGivesALogDirCutAt260) {
    SiteSettings record;
    LoadDefaultEntry(record, std::string(250, 'i') + kPathSeparator);
    EXPECT_EQ(record.LogDir, std::string(250, 'i') + kPathSeparator + "Logs" + kPathSeparator + "W3SV");
}

} // namespace
} // namespace qv::test
