#include "CleanRegistryTest.h"
#include "platform/Paths.h"
#include "settings/PathServices.h"
#include "settings/SiteSettings.h"

#include <string>
#include <tuple>
#include <vector>

namespace qv::test {
namespace {

using Items = std::vector<std::string>;
const std::string sep(1, kPathSeparator);

// The built-in values themselves are checked against the guide's settings table (TemplatesTest).
using DefaultEntryTest = CleanRegistryTest;

TEST_F(DefaultEntryTest, ListsAreEmptyWithoutSitesKeyAndStoredValuesReplaceTheBuiltIn) {
    const std::string install = "inst" + sep;
    const auto loaded = [&] {
        SiteSettings record;
        record.siteId = 7; // the record starts over
        ParseList(record.ExtList, "old");
        LoadDefaultEntry(record, install);
        EXPECT_EQ(record.siteId, 0u);
        return record;
    };
    SiteSettings record = loaded();
    for (const ValueList* list : {&record.ExtList, &record.DynExtList, &record.ImgFilters, &record.ImgExts})
        EXPECT_TRUE(list->Empty());
    EXPECT_EQ(RegistryKey().Open(kSitesKey, RegAccess::Read), kErrorFileNotFound); // nothing created
    LoadDefaultEntry(record, std::string(250, 'i') + sep); // the log path is cut at 260
    EXPECT_EQ(record.LogDir, std::string(250, 'i') + sep + "Logs" + sep + "W3SV");
    StoreText(kSitesKey, "serverstate", "1"); // names compare without letter case
    StoreText(kSitesKey, "Directory", "Fehler\xc3\xa4");
    StoreText(kSitesKey, "LogDir", "[PROGFILES]Logs\\[SITE]\\");
    StoreText(kSitesKey, "DynExtList", "");
    StoreText(kSitesKey, "ImgExts", "png,png,PNG");
    record = loaded();
    EXPECT_EQ(record.ServerState, 1);
    EXPECT_EQ(record.loadedDirectory, "Fehler\xc3\xa4");
    EXPECT_EQ(record.LogDir, "[PROGFILES]Logs\\[SITE]\\"); // tokens stay in the default entry
    EXPECT_TRUE(record.DynExtList.Empty());                // stored empty: not the built-in list
    EXPECT_EQ(record.ImgExts.Items(), (Items{"png", "PNG"}));
    EXPECT_FALSE(record.ExtList.Empty() || record.ImgFilters.Empty()); // not stored: the built-in lists
    EXPECT_FALSE(Stored(kSitesKey, "ImgFilters"));                     // nothing written back
}

using PathServicesTest = CleanRegistryTest;

TEST_F(PathServicesTest, InstallDirectoryComesFromProgFilesWhenItFitsAndTokensAreReplacedSiteFirst) {
    const std::string fallback = DefaultInstallDirectory(), base = m_machine.Str() + sep;
    EXPECT_EQ(FindInstallDirectory(), fallback); // no product key
    const std::string stored = base + "Qu\xc3\xb6rvane" + sep;
    const std::string longest = std::string(258, 'p') + sep; // fits with the terminator
    const std::tuple<std::uint32_t, std::string, std::string> cases[] = {
        {kRegSz, stored + '\0', stored},
        {kRegSz, base + "Apps" + '\0', base + "Apps" + sep}, // names are appended directly
        {kRegSz, longest + '\0', longest},
        {kRegSz, std::string(260, 'p') + '\0', fallback},
        {kRegBinary, std::string(260, 'p'), fallback}, // no terminator anywhere
        {kRegSz, std::string(1, '\0'), fallback}};
    for (const auto& [type, bytes, found] : cases) {
        Store(kProductKey, "progfiles", type, bytes); // names compare without letter case
        EXPECT_EQ(FindInstallDirectory(), found) << bytes.substr(0, 20);
    }
    // Tokens are replaced site first, and the result cut to 259.
    const std::tuple<std::string, std::int32_t, std::string, std::string> tokens[] = {
        {"[PROGFILES]Logs\\[SITE]\\W3SVC[SITE]", 12, "/q/", "/q/Logs\\12\\W3SVC12"},
        {"[site][Site][progfiles]|[SITE]", -1, "/q/", "[site][Site][progfiles]|-1"},
        {"[PROGFILES]x", 4, "/opt/[SITE]/", "/opt/[SITE]/x"}, // not searched again
        {"[PROGFILES]" + std::string(100, 'a'), 1, std::string(200, 'i'),
         std::string(200, 'i') + std::string(59, 'a')},
        {std::string(300, 'b'), 1, "", std::string(259, 'b')}};
    for (auto [path, site, install, expanded] : tokens) {
        ExpandPathTokens(path, site, install);
        EXPECT_EQ(path, expanded);
    }
}

} // namespace
} // namespace qv::test
