#include "platform/TextCodec.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/ModelAdminBase.h"
#include "webserver/SiteEnumeration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <tuple>
#include <vector>

namespace qv::test {
namespace {

class MetabaseReads : public ::testing::Test {
protected:
    void Connect() {
        m_connection.Attach(std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(m_model)));
    }
    void TearDown() override { // every read closes the keys it opened
        const auto* admin = static_cast<const ModelAdminBase*>(m_connection.Get());
        EXPECT_EQ(admin ? admin->OpenHandleCount() : 0u, 0u);
    }
    static std::u16string Site(std::uint32_t site) {
        return u"/LM/W3SVC/" + TextCodec::ToUtf16(std::to_string(site));
    }

    MetabaseModel m_model;
    MetabaseConnection m_connection;
};

TEST_F(MetabaseReads, SitesAreTheNumberedChildrenInTheMetabasesOrder) {
    for (const char16_t* name :
         {u"10", u"AppPools", u"Caf\u00e9", u"Info", u"2", u"0", u"12abc", u"7", u"07", u"1"})
        m_model.AddKey(std::u16string(u"/LM/W3SVC/") + name);
    m_model.AddKey(u"/LM/MSFTPSVC/3");
    m_model.SetText(u"/LM/W3SVC/AppPools/DefaultAppPool", kMdServerComment, kIisMdUtServer, u"not a site",
                    kMetadataInherit);
    Connect();
    const auto walk = [&](std::size_t stopAfter) {
        std::vector<std::uint32_t> ids;
        EnumerateSiteIds(m_connection, [&](std::uint32_t id) {
            ids.push_back(id);
            return ids.size() != stopAfter;
        });
        return ids;
    };
    EXPECT_EQ(walk(0), (std::vector<std::uint32_t>{10, 2, 12, 7, 7, 1}));
    EXPECT_EQ(walk(2), (std::vector<std::uint32_t>{10, 2}));
    EXPECT_EQ(EnumSiteKey(m_connection, 2), TextCodec::FromUtf16(u"Caf\u00e9")); // the narrow code page's
    EXPECT_FALSE(EnumSiteKey(m_connection, 10));
    EXPECT_FALSE(EnumSiteKey(m_connection, 0xFFFFFFFFu));
    // Names as strtoul reads them; "07", "12abc" and names without digits are walked above.
    const std::pair<const char*, std::uint32_t> names[] = {
        {"  +5", 5}, {"-1", 4294967295u}, {"4294967295", 4294967295u}, {"99999999999999999999", 4294967295u},
        {"", 0},     {"- 1", 0}};
    for (const auto& [name, id] : names)
        EXPECT_EQ(SiteIdFromKeyName(name), id) << name;
    m_connection.Close(); // nothing is read without a connection
    EXPECT_TRUE(walk(0).empty());
    EXPECT_FALSE(ReadSiteDescription(m_connection, 1));
    std::uint32_t length = 99;
    EXPECT_FALSE(
        ReadServiceValue(m_connection, "/W3SVC", kMdWamUserName, kIisMdUtFile, kStringMetadata, 1, &length));
    EXPECT_EQ(length, 0u);
}

// Description lengths of 129 and 1298 and roots of 129, 130, 259 and 260 characters: QvSitesTest.
TEST_F(MetabaseReads, SiteValuesAreReadWholeOrNotAtAll) {
    const std::pair<std::uint32_t, std::u16string> comments[] = {{1, std::u16string(1298, u'a')},
                                                                 {2, std::u16string(1299, u'a')},
                                                                 {3, u""},
                                                                 {4, std::u16string(u"Caf\u00e9\0tail", 9)},
                                                                 {5, u"\u65e5\u672c\u8a9e"},
                                                                 {3000000000u, u"high"}};
    for (const auto& [site, text] : comments)
        m_model.SetText(Site(site), kMdServerComment, kIisMdUtServer, text, kMetadataInherit);
    const std::pair<std::uint32_t, std::u16string> roots[] = {
        {1, u"/" + std::u16string(258, u'a')}, {2, u"/" + std::u16string(259, u'a')}, {3, u""}};
    for (const auto& [site, root] : roots)
        m_model.SetText(Site(site) + u"/Root", kMdVrPath, kIisMdUtFile, root, kMetadataInherit);
    Connect();
    using Value = std::optional<std::string>;
    const std::tuple<std::uint32_t, Value, Value> cases[] = {
        {1, std::string(1298, 'a'), "/" + std::string(258, 'a')},
        {2, {}, {}},                                 // never a cut value
        {3, {}, ""},                                 // an empty description is none, an empty root is a root
        {4, TextCodec::FromUtf16(u"Caf\u00e9"), {}}, // text ends at its first zero unit; no Root key
        // Narrow text may take more bytes than the UTF-16 value did; it is never cut for that.
        {5, TextCodec::FromUtf16(u"\u65e5\u672c\u8a9e"), {}},
        {9, {}, {}},
        {3000000000u, "high", {}}}; // the site's number is unsigned
    for (const auto& [site, comment, root] : cases) {
        EXPECT_EQ(ReadSiteDescription(m_connection, site), comment) << site;
        EXPECT_EQ(ReadSiteRoot(m_connection, site), root) << site;
    }
}

TEST_F(MetabaseReads, ReadServiceValueGivesNumbersAsFiveBytesAndTextOfAnyLength) {
    m_model.SetDword(u"/LM/W3SVC/AppPools/P", kMdAppPoolIdentityType, kIisMdUtServer, 0x01020304,
                     kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC/AppPools/P", kMdWamUserName, kIisMdUtFile, std::u16string(3000, u'u'),
                    kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC", kMdWamUserName, kIisMdUtFile, u"", kMetadataInherit);
    Connect();
    std::uint32_t length = 0;
    const auto number = [&](const std::string& path) {
        return ReadServiceValue(m_connection, path, kMdAppPoolIdentityType, kIisMdUtServer, kDwordMetadata,
                                kMetadataInherit, &length);
    };
    const auto text = [&](const std::string& path) {
        return ReadServiceValue(m_connection, path, kMdWamUserName, kIisMdUtFile, kStringMetadata,
                                kMetadataInherit, &length);
    };
    // A number is its four bytes in machine order and a zero byte.
    std::string bytes(5, '\0');
    const std::uint32_t value = 0x01020304;
    std::memcpy(bytes.data(), &value, 4);
    EXPECT_EQ(number("/W3SVC/AppPools/P"), bytes);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(text("/W3SVC/AppPools/P"), std::string(3000, 'u'));
    EXPECT_EQ(length, 3000u);
    EXPECT_EQ(text("/W3SVC"), ""); // an empty text is a value
    EXPECT_FALSE(number("/W3SVC/AppPools/Missing"));
    EXPECT_FALSE(
        text("/W3SVC/AppPools/" + std::string(250, 'a'))); // never sent: it does not fit the call's buffer
}

} // namespace
} // namespace qv::test
