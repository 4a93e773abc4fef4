#include "webserver/SiteEnumeration.h"
#include "webserver/ModelAdminBase.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv::test {
namespace {

void Connect(MetabaseConnection& connection, const MetabaseModel& model) {
    connection.Attach(std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(model)));
}

std::vector<std::uint32_t> Walk(const MetabaseConnection& connection, std::size_t stopAfter = 0) {
    std::vector<std::uint32_t> ids;
    EnumerateSiteIds(connection, [&](std::uint32_t id) {
        ids.push_back(id);
        return stopAfter == 0 || ids.size() < stopAfter;
    });
    return ids;
}

TEST(SiteEnumeration, WalksNumberedChildrenInTheMetabasesOrder) {
    MetabaseModel model;
    for (const char16_t* name :
         {u"10", u"AppPools", u"Filters", u"Info", u"2", u"0", u"12abc", u"7", u"07", u"1"})
        model.AddKey(std::u16string(u"/LM/W3SVC/") + name);
    model.SetText(u"/LM/W3SVC/AppPools/DefaultAppPool", kMdServerComment, kIisMdUtServer, u"not a site",
                  kMetadataInherit);
    MetabaseConnection connection;
    Connect(connection, model);
    EXPECT_EQ(Walk(connection), (std::vector<std::uint32_t>{10, 2, 12, 7, 7, 1}));
    EXPECT_EQ(Walk(connection, 2), (std::vector<std::uint32_t>{10, 2}));
    MetabaseConnection empty;
    EXPECT_TRUE(Walk(empty).empty());
}

TEST(SiteEnumeration, KeyNamesReadAsUnsignedNumbers) {
    const std::pair<const char*, std::uint32_t> cases[] = {{"12abc", 12},
                                                           {"AppPools", 0},
                                                           {"07", 7},
                                                           {"  +5", 5},
                                                           {"-1", 4294967295u},
                                                           {"4294967295", 4294967295u},
                                                           {"99999999999999999999", 4294967295u},
                                                           {"", 0},
                                                           {"- 1", 0}};
    for (const auto& [name, id] : cases)
        EXPECT_EQ(SiteIdFromKeyName(name), id) << name;
}

TEST(SiteEnumeration, DescriptionsAndRootsComeFromTheSiteAndItsRoot) {
    MetabaseModel model;
    model.SetText(u"/LM/W3SVC/1", kMdServerComment, kIisMdUtServer, u"Default Web Site", kMetadataInherit);
    model.SetText(u"/LM/W3SVC/1/ROOT", kMdVrPath, kIisMdUtFile, u"C:\\Inetpub\\wwwroot", kMetadataInherit);
    model.SetText(u"/LM/W3SVC/1/ROOT/deep", kMdServerComment, kIisMdUtServer, u"deeper", kMetadataInherit);
    model.SetText(u"/LM/W3SVC/2", kMdServerComment, kIisMdUtServer, u"", kMetadataInherit);
    model.SetText(u"/LM/W3SVC/2/Root", kMdVrPath, kIisMdUtFile, u"/srv/www/two", kMetadataInherit);
    MetabaseConnection connection;
    Connect(connection, model);
    EXPECT_EQ(ReadSiteDescription(connection, 1), "Default Web Site");
    EXPECT_EQ(ReadSiteRoot(connection, 1), "C:\\Inetpub\\wwwroot");
    EXPECT_FALSE(ReadSiteDescription(connection, 2));
    EXPECT_EQ(ReadSiteRoot(connection, 2), "/srv/www/two");
    EXPECT_FALSE(ReadSiteDescription(connection, 3));
    EXPECT_FALSE(ReadSiteRoot(connection, 3));
}

} // namespace
} // namespace qv::test
