#include "webserver/SiteEnumeration.h"
#include "webserver/ModelAdminBase.h"

#include "platform/TextCodec.h"

#include <gtest/gtest.h>

#include <vector>

namespace qv::test {
namespace {

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
         {u"10", u"AppPools", u"Caf\u00e9", u"Info", u"2", u"0", u"12abc", u"7", u"07", u"1"})
        model.AddKey(std::u16string(u"/LM/W3SVC/") + name);
    model.AddKey(u"/LM/MSFTPSVC/3");
    model.SetText(u"/LM/W3SVC/AppPools/DefaultAppPool", kMdServerComment, kIisMdUtServer, u"not a site",
                  kMetadataInherit);
    MetabaseConnection connection;
    connection.Attach(
        std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(std::move(model))));
    EXPECT_EQ(Walk(connection), (std::vector<std::uint32_t>{10, 2, 12, 7, 7, 1}));
    EXPECT_EQ(Walk(connection, 2), (std::vector<std::uint32_t>{10, 2}));
    EXPECT_EQ(EnumSiteKey(connection, 2), TextCodec::FromUtf16(u"Caf\u00e9")); // the narrow code page's
    EXPECT_FALSE(EnumSiteKey(connection, 10));
    EXPECT_FALSE(EnumSiteKey(connection, 0xFFFFFFFFu));

    connection.Close(); // nothing is read without a connection
    EXPECT_TRUE(Walk(connection).empty());
    EXPECT_FALSE(ReadSiteDescription(connection, 1));
    std::uint32_t length = 99;
    EXPECT_FALSE(
        ReadServiceValue(connection, "/W3SVC", kMdWamUserName, kIisMdUtFile, kStringMetadata, 1, &length));
    EXPECT_EQ(length, 0u);

    // Names as strtoul reads them; "07", "12abc" and names without digits are walked above.
    const std::pair<const char*, std::uint32_t> names[] = {
        {"  +5", 5}, {"-1", 4294967295u}, {"4294967295", 4294967295u}, {"99999999999999999999", 4294967295u},
        {"", 0},     {"- 1", 0}};
    for (const auto& [name, id] : names)
        EXPECT_EQ(SiteIdFromKeyName(name), id) << name;
}

} // namespace
} // namespace qv::test
