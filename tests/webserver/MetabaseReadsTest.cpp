#include "RecordingAdminBase.h"

#include "platform/TextCodec.h"
#include "webserver/MetabaseConnection.h"

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
        m_connection.Attach(std::make_unique<RecordingAdminBase>(
            std::make_shared<const MetabaseModel>(m_model), &m_calls, &m_openHandles));
    }
    std::vector<AdminCall> GetDataCalls() const {
        std::vector<AdminCall> result;
        for (const AdminCall& call : m_calls) {
            if (call.method == "GetData")
                result.push_back(call);
        }
        return result;
    }

    MetabaseModel m_model;
    MetabaseConnection m_connection;
    std::vector<AdminCall> m_calls;
    std::size_t m_openHandles = 0;
};

TEST_F(MetabaseReads, NothingIsReadWithoutAConnection) {
    MetabaseConnection empty;
    std::uint32_t length = 99;
    EXPECT_FALSE(EnumSiteKey(empty, 0));
    EXPECT_FALSE(ReadSiteValue(empty, 1, kMdServerComment, kIisMdUtServer, kMetadataInherit));
    EXPECT_FALSE(ReadSiteRootValue(empty, 1, kMdVrPath));
    EXPECT_FALSE(
        ReadServiceValue(empty, "/W3SVC", kMdWamUserName, kIisMdUtFile, kStringMetadata, 1, &length));
    EXPECT_EQ(length, 0u);
}

TEST_F(MetabaseReads, EnumSiteKeyNamesEachChildOfTheServiceOnceAndClosesItsKey) {
    m_model.AddKey(u"/LM/W3SVC/1");
    m_model.AddKey(u"/LM/W3SVC/Caf\u00e9");
    m_model.AddKey(u"/LM/W3SVC/12abc/ROOT");
    Connect();
    EXPECT_EQ(EnumSiteKey(m_connection, 0), "1");
    EXPECT_EQ(EnumSiteKey(m_connection, 1), TextCodec::FromUtf16(u"Caf\u00e9")); // the narrow code page's
    EXPECT_EQ(EnumSiteKey(m_connection, 2), "12abc");
    EXPECT_FALSE(EnumSiteKey(m_connection, 3));
    EXPECT_FALSE(EnumSiteKey(m_connection, 0xFFFFFFFFu));
    EXPECT_EQ(m_openHandles, 0u);
    ASSERT_GE(m_calls.size(), 3u);
    EXPECT_EQ(m_calls[0].method, "OpenKey");
    EXPECT_EQ(m_calls[0].path, u"/LM");
    EXPECT_EQ(m_calls[0].timeoutMs, 60000u);
    EXPECT_EQ(m_calls[1].method, "EnumKeys");
    EXPECT_EQ(m_calls[1].path, u"/W3SVC");
    EXPECT_EQ(m_calls[2].method, "CloseKey");
}

TEST_F(MetabaseReads, EnumSiteKeyOnAServerWithoutTheServiceGivesNothing) {
    m_model.AddKey(u"/LM/MSFTPSVC/1");
    Connect();
    EXPECT_FALSE(EnumSiteKey(m_connection, 0));
    EXPECT_EQ(m_openHandles, 0u);
}

TEST_F(MetabaseReads, ReadSiteValueGrowsItsBufferUpTo1298Characters) {
    m_model.SetText(u"/LM/W3SVC/1", kMdServerComment, kIisMdUtServer, Units(129), kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC/2", kMdServerComment, kIisMdUtServer, Units(1298, u'b'), kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC/3", kMdServerComment, kIisMdUtServer, Units(1299), kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC/4", kMdServerComment, kIisMdUtServer, u"", kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC/5", kMdServerComment, kIisMdUtServer,
                    std::u16string_view(u"Caf\u00e9\0tail", 9), kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC/7", kMdServerComment, kIisMdUtServer, u"\u65e5\u672c\u8a9e",
                    kMetadataInherit);
    Connect();

    EXPECT_EQ(ReadSiteValue(m_connection, 1, kMdServerComment, kIisMdUtServer, kMetadataInherit), Chars(129));
    ASSERT_EQ(GetDataCalls().size(), 1u); // from the first buffer
    const AdminCall first = GetDataCalls()[0];
    EXPECT_EQ(first.path, u"/1");
    EXPECT_EQ(first.record.dataLen, 260u);
    EXPECT_EQ(first.record.dataType, kAllMetadata);
    EXPECT_EQ(first.record.userType, kIisMdUtServer);
    EXPECT_EQ(first.record.attributes, kMetadataInherit);
    EXPECT_EQ(m_calls[0].path, u"/LM/W3SVC");
    EXPECT_EQ(m_calls[0].timeoutMs, 60000u);

    m_calls.clear();
    EXPECT_EQ(ReadSiteValue(m_connection, 2, kMdServerComment, kIisMdUtServer, kMetadataInherit),
              Chars(1298, 'b'));
    ASSERT_EQ(GetDataCalls().size(), 2u); // one larger buffer
    EXPECT_EQ(GetDataCalls()[1].record.dataLen, 2598u);

    EXPECT_FALSE(ReadSiteValue(m_connection, 3, kMdServerComment, kIisMdUtServer, kMetadataInherit));
    EXPECT_FALSE(ReadSiteValue(m_connection, 4, kMdServerComment, kIisMdUtServer, kMetadataInherit));
    // Text ends at its first zero unit.
    EXPECT_EQ(ReadSiteValue(m_connection, 5, kMdServerComment, kIisMdUtServer, kMetadataInherit),
              TextCodec::FromUtf16(u"Caf\u00e9"));
    EXPECT_FALSE(ReadSiteValue(m_connection, 6, kMdServerComment, kIisMdUtServer, kMetadataInherit));
    // Narrow text may take more bytes than the UTF-16 value did; it is never cut for that.
    EXPECT_EQ(ReadSiteValue(m_connection, 7, kMdServerComment, kIisMdUtServer, kMetadataInherit),
              TextCodec::FromUtf16(u"\u65e5\u672c\u8a9e"));
    EXPECT_EQ(m_openHandles, 0u);
}

TEST_F(MetabaseReads, ReadSiteValueNamesTheSiteByItsUnsignedNumber) {
    m_model.SetText(u"/LM/W3SVC/3000000000", kMdServerComment, kIisMdUtServer, u"high", kMetadataInherit);
    Connect();
    EXPECT_EQ(ReadSiteValue(m_connection, 3000000000u, kMdServerComment, kIisMdUtServer, kMetadataInherit),
              "high");
}

TEST_F(MetabaseReads, ReadSiteRootValueReadsPathsUpTo259Characters) {
    const std::uint32_t lengths[] = {129, 130, 259, 260};
    for (std::uint32_t site = 0; site < 4; ++site) {
        const std::u16string key =
            u"/LM/W3SVC/" + std::u16string(1, static_cast<char16_t>(u'1' + site)) + u"/ROOT";
        m_model.SetText(key, kMdVrPath, kIisMdUtFile, u"/" + Units(lengths[site] - 1), kMetadataInherit);
    }
    m_model.AddKey(u"/LM/W3SVC/5"); // no Root
    m_model.SetText(u"/LM/W3SVC/6/Root", kMdVrPath, kIisMdUtFile, u"", kMetadataInherit);
    Connect();

    EXPECT_EQ(ReadSiteRootValue(m_connection, 1, kMdVrPath), "/" + Chars(128));
    ASSERT_EQ(GetDataCalls().size(), 1u);
    const AdminCall first = GetDataCalls()[0];
    EXPECT_EQ(m_calls[0].path, u"/LM/W3SVC/1");
    EXPECT_EQ(m_calls[0].timeoutMs, 60000u);
    EXPECT_EQ(first.path, u"/Root");
    EXPECT_EQ(first.record.dataLen, 260u);
    EXPECT_EQ(first.record.attributes, kMetadataInherit);
    EXPECT_EQ(first.record.userType, kIisMdUtFile);
    EXPECT_EQ(first.record.dataType, kAllMetadata);

    EXPECT_EQ(ReadSiteRootValue(m_connection, 2, kMdVrPath), "/" + Chars(129));
    EXPECT_EQ(ReadSiteRootValue(m_connection, 3, kMdVrPath), "/" + Chars(258));
    EXPECT_FALSE(ReadSiteRootValue(m_connection, 4, kMdVrPath));
    EXPECT_FALSE(ReadSiteRootValue(m_connection, 5, kMdVrPath));
    EXPECT_FALSE(ReadSiteRootValue(m_connection, 9, kMdVrPath));
    EXPECT_EQ(ReadSiteRootValue(m_connection, 6, kMdVrPath), "");
    EXPECT_EQ(m_openHandles, 0u);
}

TEST_F(MetabaseReads, ReadServiceValueGivesNumbersAsFiveBytesAndTextOfAnyLength) {
    m_model.SetDword(u"/LM/W3SVC/AppPools/P", kMdAppPoolIdentityType, kIisMdUtServer, 0x01020304,
                     kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC/AppPools/P", kMdWamUserName, kIisMdUtFile, Units(3000, u'u'),
                    kMetadataInherit);
    m_model.SetText(u"/LM/W3SVC", kMdWamUserName, kIisMdUtFile, u"", kMetadataInherit);
    Connect();

    std::uint32_t length = 0;
    const auto number = ReadServiceValue(m_connection, "/W3SVC/AppPools/P", kMdAppPoolIdentityType,
                                         kIisMdUtServer, kDwordMetadata, kMetadataInherit, &length);
    ASSERT_TRUE(number);
    ASSERT_EQ(number->size(), 5u);
    std::uint32_t value = 0;
    std::memcpy(&value, number->data(), 4);
    EXPECT_EQ(value, 0x01020304u);
    EXPECT_EQ((*number)[4], '\0');
    EXPECT_EQ(length, 4u);
    EXPECT_EQ(m_calls[0].path, u"/LM");
    EXPECT_EQ(m_calls[0].timeoutMs, 20u);
    EXPECT_EQ(GetDataCalls()[0].path, u"/W3SVC/AppPools/P");
    EXPECT_EQ(GetDataCalls()[0].record.dataLen, 5048u);
    EXPECT_EQ(GetDataCalls()[0].record.dataType, kDwordMetadata);

    const auto text = ReadServiceValue(m_connection, "/W3SVC/AppPools/P", kMdWamUserName, kIisMdUtFile,
                                       kStringMetadata, kMetadataInherit, &length);
    EXPECT_EQ(text, Chars(3000, 'u'));
    EXPECT_EQ(length, 3000u);

    // An empty text is a value; a number asked as text is none.
    EXPECT_EQ(ReadServiceValue(m_connection, "/W3SVC", kMdWamUserName, kIisMdUtFile, kStringMetadata,
                               kMetadataInherit, &length),
              "");
    EXPECT_FALSE(ReadServiceValue(m_connection, "/W3SVC/AppPools/P", kMdAppPoolIdentityType, kIisMdUtServer,
                                  kStringMetadata, kMetadataInherit, &length));
    EXPECT_FALSE(ReadServiceValue(m_connection, "/W3SVC/AppPools/Missing", kMdAppPoolIdentityType,
                                  kIisMdUtServer, kDwordMetadata, kMetadataInherit, &length));
    // A path that does not fit the call's buffer is never sent.
    EXPECT_FALSE(ReadServiceValue(m_connection, "/W3SVC/AppPools/" + Chars(250), kMdWamUserName, kIisMdUtFile,
                                  kStringMetadata, kMetadataInherit, &length));
    EXPECT_EQ(m_openHandles, 0u);
}

} // namespace
} // namespace qv::test
