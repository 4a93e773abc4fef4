#include "platform/TextCodec.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/ModelAdminBase.h"
#include "webserver/SiteEnumeration.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <tuple>

namespace qv::test {
namespace {

std::u16string Units(std::size_t count, char16_t unit = u'a') {
    return std::u16string(count, unit);
}
std::string Chars(std::size_t count, char c = 'a') {
    return std::string(count, c);
}
std::u16string Site(std::uint32_t site) {
    return u"/LM/W3SVC/" + TextCodec::ToUtf16(std::to_string(site));
}

class MetabaseReads : public ::testing::Test {
protected:
    void Connect() {
        m_connection.Attach(std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(m_model)));
    }
    // Every read closes the keys it opened.
    void TearDown() override {
        if (m_connection.Get()) {
            EXPECT_EQ(static_cast<ModelAdminBase*>(m_connection.Get())->OpenHandleCount(), 0u);
        }
    }

    MetabaseModel m_model;
    MetabaseConnection m_connection;
};

// Description lengths of 129 and 1298 and roots of 129, 130, 259 and 260 characters: QvSitesTest.
TEST_F(MetabaseReads, SiteValuesAreReadWholeOrNotAtAll) {
    const std::pair<std::uint32_t, std::u16string> comments[] = {{1, Units(1298)},
                                                                 {2, Units(1299)},
                                                                 {3, u""},
                                                                 {4, std::u16string(u"Caf\u00e9\0tail", 9)},
                                                                 {5, u"\u65e5\u672c\u8a9e"},
                                                                 {3000000000u, u"high"}};
    for (const auto& [site, text] : comments)
        m_model.SetText(Site(site), kMdServerComment, kIisMdUtServer, text, kMetadataInherit);
    m_model.SetText(Site(1) + u"/ROOT", kMdVrPath, kIisMdUtFile, u"/" + Units(258), kMetadataInherit);
    m_model.SetText(Site(2) + u"/Root", kMdVrPath, kIisMdUtFile, u"/" + Units(259), kMetadataInherit);
    m_model.SetText(Site(3) + u"/Root", kMdVrPath, kIisMdUtFile, u"", kMetadataInherit);
    Connect();

    using Value = std::optional<std::string>;
    const std::tuple<std::uint32_t, Value, Value> cases[] = {
        {1, Chars(1298), "/" + Chars(258)},
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
    m_model.SetText(u"/LM/W3SVC/AppPools/P", kMdWamUserName, kIisMdUtFile, Units(3000, u'u'),
                    kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC", kMdWamUserName, kIisMdUtFile, u"", kMetadataInherit);
    Connect();
    const auto read = [&](const std::string& path, std::uint32_t id, std::uint32_t userType,
                          std::uint32_t dataType, std::uint32_t* length) {
        return ReadServiceValue(m_connection, path, id, userType, dataType, kMetadataInherit, length);
    };

    // A number is its four bytes in machine order and a zero byte.
    std::string number(5, '\0');
    const std::uint32_t value = 0x01020304;
    std::memcpy(number.data(), &value, 4);
    std::uint32_t length = 0;
    EXPECT_EQ(read("/W3SVC/AppPools/P", kMdAppPoolIdentityType, kIisMdUtServer, kDwordMetadata, &length),
              number);
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(read("/W3SVC/AppPools/P", kMdWamUserName, kIisMdUtFile, kStringMetadata, &length),
              Chars(3000, 'u'));
    EXPECT_EQ(length, 3000u);

    // An empty text is a value.
    EXPECT_EQ(read("/W3SVC", kMdWamUserName, kIisMdUtFile, kStringMetadata, &length), "");
    EXPECT_FALSE(
        read("/W3SVC/AppPools/Missing", kMdAppPoolIdentityType, kIisMdUtServer, kDwordMetadata, &length));
    // A path that does not fit the call's buffer is never sent.
    EXPECT_FALSE(
        read("/W3SVC/AppPools/" + Chars(250), kMdWamUserName, kIisMdUtFile, kStringMetadata, &length));
}

} // namespace
} // namespace qv::test
