#include "platform/TextCodec.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/ModelAdminBase.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qv::test {
namespace {

std::u16string Units(std::size_t count, char16_t unit = u'a') {
    return std::u16string(count, unit);
}
std::string Chars(std::size_t count, char c = 'a') {
    return std::string(count, c);
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
    std::optional<std::string> Comment(std::uint32_t site) {
        return ReadSiteValue(m_connection, site, kMdServerComment, kIisMdUtServer, kMetadataInherit);
    }

    MetabaseModel m_model;
    MetabaseConnection m_connection;
};

TEST_F(MetabaseReads, ReadSiteValueGrowsItsBufferUpTo1298Characters) {
    const std::u16string values[] = {
        Units(129),           Units(1298, u'b'), Units(1299), u"", std::u16string(u"Caf\u00e9\0tail", 9),
        u"\u65e5\u672c\u8a9e"};
    for (std::size_t i = 0; i < std::size(values); ++i)
        m_model.SetText(u"/LM/W3SVC/" + std::u16string(1, static_cast<char16_t>(u'1' + i)), kMdServerComment,
                        kIisMdUtServer, values[i], kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC/3000000000", kMdServerComment, kIisMdUtServer, u"high", kMetadataInherit);
    Connect();

    EXPECT_EQ(Comment(1), Chars(129));
    EXPECT_EQ(Comment(2), Chars(1298, 'b'));
    EXPECT_FALSE(Comment(3)); // never a cut value
    EXPECT_FALSE(Comment(4));
    EXPECT_EQ(Comment(5), TextCodec::FromUtf16(u"Caf\u00e9")); // text ends at its first zero unit
    // Narrow text may take more bytes than the UTF-16 value did; it is never cut for that.
    EXPECT_EQ(Comment(6), TextCodec::FromUtf16(u"\u65e5\u672c\u8a9e"));
    EXPECT_FALSE(Comment(9));
    EXPECT_EQ(Comment(3000000000u), "high"); // the site's number is unsigned
}

TEST_F(MetabaseReads, ReadSiteRootValueReadsPathsUpTo259Characters) {
    const std::uint32_t lengths[] = {129, 130, 259, 260};
    for (std::uint32_t site = 1; site <= 4; ++site)
        m_model.SetText(u"/LM/W3SVC/" + std::u16string(1, static_cast<char16_t>(u'0' + site)) + u"/ROOT",
                        kMdVrPath, kIisMdUtFile, u"/" + Units(lengths[site - 1] - 1), kMetadataInherit);
    m_model.AddKey(u"/LM/W3SVC/5"); // no Root
    m_model.SetText(u"/LM/W3SVC/6/Root", kMdVrPath, kIisMdUtFile, u"", kMetadataInherit);
    Connect();
    const std::pair<std::uint32_t, std::optional<std::string>> cases[] = {{1, "/" + Chars(128)},
                                                                          {2, "/" + Chars(129)},
                                                                          {3, "/" + Chars(258)},
                                                                          {4, {}},
                                                                          {5, {}},
                                                                          {9, {}},
                                                                          {6, ""}};
    for (const auto& [site, root] : cases)
        EXPECT_EQ(ReadSiteRootValue(m_connection, site, kMdVrPath), root) << site;
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

    std::uint32_t length = 0;
    const auto number =
        read("/W3SVC/AppPools/P", kMdAppPoolIdentityType, kIisMdUtServer, kDwordMetadata, &length);
    ASSERT_TRUE(number);
    ASSERT_EQ(number->size(), 5u);
    std::uint32_t value = 0;
    std::memcpy(&value, number->data(), 4);
    EXPECT_EQ(value, 0x01020304u);
    EXPECT_EQ((*number)[4], '\0');
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(read("/W3SVC/AppPools/P", kMdWamUserName, kIisMdUtFile, kStringMetadata, &length),
              Chars(3000, 'u'));
    EXPECT_EQ(length, 3000u);

    // An empty text is a value; a number asked as text is none.
    EXPECT_EQ(read("/W3SVC", kMdWamUserName, kIisMdUtFile, kStringMetadata, &length), "");
    EXPECT_FALSE(read("/W3SVC/AppPools/P", kMdAppPoolIdentityType, kIisMdUtServer, kStringMetadata, &length));
    EXPECT_FALSE(
        read("/W3SVC/AppPools/Missing", kMdAppPoolIdentityType, kIisMdUtServer, kDwordMetadata, &length));
    // A path that does not fit the call's buffer is never sent.
    EXPECT_FALSE(
        read("/W3SVC/AppPools/" + Chars(250), kMdWamUserName, kIisMdUtFile, kStringMetadata, &length));
}

} // namespace
} // namespace qv::test
