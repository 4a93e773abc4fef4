#include "AdminBaseContract.h"

#include <cstring>
#include <vector>

namespace qv::test {

namespace {

constexpr std::uint32_t kMdBinarySample = 9998;
constexpr std::uint32_t kMdHidden = 9999;

std::u16string TextOf(const std::vector<unsigned char>& bytes, std::uint32_t length) {
    std::u16string text(length / 2, u'\0');
    std::memcpy(text.data(), bytes.data(), text.size() * sizeof(char16_t));
    if (!text.empty() && text.back() == u'\0')
        text.pop_back();
    return text;
}

std::uint32_t DwordOf(const std::vector<unsigned char>& bytes) {
    std::uint32_t value = 0;
    std::memcpy(&value, bytes.data(), sizeof value);
    return value;
}

struct Answer {
    std::int32_t result = 0;
    MetadataRecord record;
    std::uint32_t required = 0;
    std::vector<unsigned char> data;
};

} // namespace

std::u16string ContractLongComment() {
    std::u16string text = u"Caf\u00e9 ";
    while (text.size() < 1298)
        text += u"long description ";
    text.resize(1298);
    return text;
}

MetabaseModel ContractModel() {
    MetabaseModel model;
    model.AddKey(u"/LM/W3SVC", u"IIsWebService");
    model.SetText(u"/LM/W3SVC", kMdServerComment, kIisMdUtServer, u"Service", kMetadataInherit);
    model.SetText(u"/LM/W3SVC", kMdWamUserName, kIisMdUtFile, u"IWAM_SVC", kMetadataInherit);
    model.SetDword(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kIisMdUtServer, 1, kMetadataNoAttributes);
    model.SetText(u"/LM/W3SVC", kMdHidden, kIisMdUtServer, u"hidden", kMetadataNoAttributes);
    model.AddKey(u"/LM/W3SVC/1", u"IIsWebServer");
    model.SetText(u"/LM/W3SVC/1", kMdServerComment, kIisMdUtServer, u"Default Web Site", kMetadataInherit);
    model.SetText(u"/LM/W3SVC/1", kMdAppAppPoolId, kIisMdUtServer, u"DefaultAppPool", kMetadataInherit);
    model.AddKey(u"/LM/W3SVC/1/ROOT", u"IIsWebVirtualDir");
    model.SetText(u"/LM/W3SVC/1/ROOT", kMdVrPath, kIisMdUtFile, u"c:\\inetpub\\wwwroot", kMetadataInherit);
    model.AddKey(u"/LM/W3SVC/1/ROOT/images", u"IIsWebDirectory");
    model.AddKey(u"/LM/W3SVC/AppPools", u"IIsApplicationPools");
    model.SetDword(u"/LM/W3SVC/AppPools", kMdAppPoolIdentityType, kIisMdUtServer, 2, kMetadataInherit);
    model.SetDword(u"/LM/W3SVC/AppPools/Pool3", kMdAppPoolIdentityType, kIisMdUtServer, 3, kMetadataInherit);
    model.SetText(u"/LM/W3SVC/AppPools/Pool3", kMdWamUserName, kIisMdUtFile, u"poolUser", kMetadataInherit);
    model.AddKey(u"/LM/W3SVC/AppPools/Plain", u"IIsApplicationPool");
    model.AddKey(u"/LM/W3SVC/Filters/Compression", u"IIsCompressionSchemes");
    model.AddKey(u"/LM/W3SVC/2", u"IIsWebServer");
    model.SetText(u"/LM/W3SVC/2", kMdServerComment, kIisMdUtServer, ContractLongComment(), kMetadataInherit);
    model.SetProperty(u"/LM/W3SVC/2", MetabaseProperty::Binary(kMdBinarySample, kIisMdUtServer,
                                                               {0x01, 0x00, 0xFF}, kMetadataNoAttributes));
    return model;
}

void AdminBaseContract::SetUp() {
    m_admin = GetParam().make();
    ASSERT_NE(m_admin, nullptr) << "no admin base from " << GetParam().name;
}

void AdminBaseContract::TearDown() {
    m_admin.reset();
}

namespace {

// One GetData from the master root handle into a buffer of size bytes.
Answer Get(AdminBase& admin, const char16_t* path, std::uint32_t identifier, std::uint32_t attributes,
           std::uint32_t userType, std::uint32_t dataType, std::uint32_t size = 5048) {
    Answer answer;
    answer.data.assign(size + 1, 0);
    answer.record.identifier = identifier;
    answer.record.attributes = attributes;
    answer.record.userType = userType;
    answer.record.dataType = dataType;
    answer.record.dataLen = size;
    answer.record.data = answer.data.data();
    answer.result = admin.GetData(kMetadataMasterRootHandle, path, &answer.record, &answer.required);
    return answer;
}

} // namespace

TEST_P(AdminBaseContract, EnumeratesChildrenInOrderAndEndsPastTheLast) {
    MetadataHandle lm = 0;
    ASSERT_EQ(m_admin->OpenKey(kMetadataMasterRootHandle, u"/LM", kMetadataPermissionRead, 60000, &lm),
              kS_OK);
    const char16_t* expected[] = {u"1", u"AppPools", u"Filters", u"2"};
    char16_t name[kMetadataMaxNameLen + 4];
    for (std::uint32_t i = 0; i < 4; ++i) {
        std::fill(std::begin(name), std::end(name), u'x');
        ASSERT_EQ(m_admin->EnumKeys(lm, u"/W3SVC", name, i), kS_OK) << i;
        EXPECT_EQ(std::u16string(name), expected[i]) << i;
    }
    EXPECT_EQ(m_admin->EnumKeys(lm, u"/W3SVC", name, 4), kErrNoMoreItems);
    EXPECT_EQ(m_admin->EnumKeys(lm, u"/W3SVC", name, 1000), kErrNoMoreItems);
    // A key that only a deeper key names is a key like any other; a key without children has none.
    ASSERT_EQ(m_admin->EnumKeys(lm, u"/W3SVC/Filters", name, 0), kS_OK);
    EXPECT_EQ(std::u16string(name), u"Compression");
    EXPECT_EQ(m_admin->EnumKeys(lm, u"/W3SVC/1/ROOT/images", name, 0), kErrNoMoreItems);
    EXPECT_EQ(m_admin->EnumKeys(lm, u"/W3SVC/7", name, 0), kErrPathNotFound);
    EXPECT_EQ(m_admin->CloseKey(lm), kS_OK);
}

TEST_P(AdminBaseContract, OpensKeysRelativeToHandlesAndForgetsClosedOnes) {
    MetadataHandle missing = 0;
    EXPECT_EQ(
        m_admin->OpenKey(kMetadataMasterRootHandle, u"/LM/W3SVC/3", kMetadataPermissionRead, 60000, &missing),
        kErrPathNotFound);

    MetadataHandle site = 0;
    ASSERT_EQ(
        m_admin->OpenKey(kMetadataMasterRootHandle, u"/LM/W3SVC/1", kMetadataPermissionRead, 60000, &site),
        kS_OK);
    MetadataHandle root = 0;
    ASSERT_EQ(m_admin->OpenKey(site, u"/ROOT", kMetadataPermissionRead, 60000, &root), kS_OK);
    EXPECT_NE(root, site);
    char16_t name[kMetadataMaxNameLen] = {};
    ASSERT_EQ(m_admin->EnumKeys(root, u"", name, 0), kS_OK);
    EXPECT_EQ(std::u16string(name), u"images");

    EXPECT_EQ(m_admin->CloseKey(root), kS_OK);
    EXPECT_EQ(m_admin->CloseKey(site), kS_OK);
    EXPECT_EQ(m_admin->EnumKeys(site, u"/ROOT", name, 0), kErrInvalidHandle);
    EXPECT_EQ(m_admin->CloseKey(site), kErrInvalidHandle);
}

TEST_P(AdminBaseContract, PathsCompareWithoutLetterCaseAndKeepTheirSpelling) {
    MetadataHandle lm = 0;
    ASSERT_EQ(
        m_admin->OpenKey(kMetadataMasterRootHandle, u"/lm/w3svc/1/root", kMetadataPermissionRead, 60000, &lm),
        kS_OK);
    EXPECT_EQ(m_admin->CloseKey(lm), kS_OK);

    const Answer path =
        Get(*m_admin, u"/LM/w3svc/1/Root", kMdVrPath, kMetadataInherit, kIisMdUtFile, kAllMetadata);
    ASSERT_EQ(path.result, kS_OK);
    EXPECT_EQ(TextOf(path.data, path.record.dataLen), u"c:\\inetpub\\wwwroot");

    char16_t name[kMetadataMaxNameLen] = {};
    ASSERT_EQ(m_admin->EnumKeys(kMetadataMasterRootHandle, u"/Lm/W3Svc/1", name, 0), kS_OK);
    EXPECT_EQ(std::u16string(name), u"ROOT");
    ASSERT_EQ(m_admin->EnumKeys(kMetadataMasterRootHandle, u"/LM/W3SVC/appPOOLS", name, 0), kS_OK);
    EXPECT_EQ(std::u16string(name), u"Pool3");
}

TEST_P(AdminBaseContract, TooSmallABufferTellsTheLengthNeededInBytes) {
    const std::uint32_t needed = static_cast<std::uint32_t>((ContractLongComment().size() + 1) * 2);
    const Answer small =
        Get(*m_admin, u"/LM/W3SVC/2", kMdServerComment, kMetadataInherit, kIisMdUtServer, kAllMetadata, 260);
    EXPECT_EQ(small.result, kErrInsufficientBuffer);
    EXPECT_EQ(small.required, needed);

    const Answer oneShort = Get(*m_admin, u"/LM/W3SVC/2", kMdServerComment, kMetadataInherit, kIisMdUtServer,
                                kAllMetadata, needed - 1);
    EXPECT_EQ(oneShort.result, kErrInsufficientBuffer);
    EXPECT_EQ(oneShort.required, needed);

    const Answer exact = Get(*m_admin, u"/LM/W3SVC/2", kMdServerComment, kMetadataInherit, kIisMdUtServer,
                             kAllMetadata, needed);
    ASSERT_EQ(exact.result, kS_OK);
    EXPECT_EQ(exact.record.dataLen, needed);
    EXPECT_EQ(exact.record.dataType, kStringMetadata);
    EXPECT_EQ(exact.record.userType, kIisMdUtServer);
    EXPECT_EQ(TextOf(exact.data, exact.record.dataLen), ContractLongComment());

    const Answer binary = Get(*m_admin, u"/LM/W3SVC/2", kMdBinarySample, 0, kAllMetadata, kAllMetadata, 2);
    EXPECT_EQ(binary.result, kErrInsufficientBuffer);
    EXPECT_EQ(binary.required, 3u);
    const Answer binaryRead =
        Get(*m_admin, u"/LM/W3SVC/2", kMdBinarySample, 0, kAllMetadata, kAllMetadata, 3);
    ASSERT_EQ(binaryRead.result, kS_OK);
    EXPECT_EQ(binaryRead.record.dataType, kBinaryMetadata);
    EXPECT_EQ(std::vector<unsigned char>(binaryRead.data.begin(), binaryRead.data.begin() + 3),
              (std::vector<unsigned char>{0x01, 0x00, 0xFF}));
}

TEST_P(AdminBaseContract, InheritsFromTheNearestAncestorOnlyWhatItHandsDown) {
    // Without METADATA_INHERIT only the key's own data counts.
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/1/ROOT", kMdServerComment, 0, kIisMdUtServer, kAllMetadata).result,
              kErrDataNotFound);

    const Answer comment =
        Get(*m_admin, u"/LM/W3SVC/1/ROOT", kMdServerComment, kMetadataInherit, kIisMdUtServer, kAllMetadata);
    ASSERT_EQ(comment.result, kS_OK);
    EXPECT_EQ(TextOf(comment.data, comment.record.dataLen),
              u"Default Web Site"); // the site's, not the service's
    EXPECT_EQ(comment.record.attributes & (kMetadataInherit | kMetadataIsInherited),
              kMetadataInherit | kMetadataIsInherited);

    const Answer own = Get(*m_admin, u"/LM/W3SVC/1", kMdServerComment, kMetadataInherit, kIisMdUtServer, 0);
    ASSERT_EQ(own.result, kS_OK);
    EXPECT_EQ(own.record.attributes & kMetadataIsInherited, 0u);

    const Answer path =
        Get(*m_admin, u"/LM/W3SVC/1/ROOT/images", kMdVrPath, kMetadataInherit, kIisMdUtFile, kAllMetadata);
    ASSERT_EQ(path.result, kS_OK);
    EXPECT_EQ(TextOf(path.data, path.record.dataLen), u"c:\\inetpub\\wwwroot");

    const Answer plain = Get(*m_admin, u"/LM/W3SVC/AppPools/Plain", kMdAppPoolIdentityType, kMetadataInherit,
                             kIisMdUtServer, 1);
    ASSERT_EQ(plain.result, kS_OK);
    EXPECT_EQ(DwordOf(plain.data), 2u);
    const Answer pool3 = Get(*m_admin, u"/LM/W3SVC/AppPools/Pool3", kMdAppPoolIdentityType, kMetadataInherit,
                             kIisMdUtServer, 1);
    ASSERT_EQ(pool3.result, kS_OK);
    EXPECT_EQ(DwordOf(pool3.data), 3u);
    EXPECT_EQ(pool3.record.dataLen, 4u);

    // Data without METADATA_INHERIT stays on its key.
    const Answer isolation =
        Get(*m_admin, u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kMetadataInherit, kIisMdUtServer, 1);
    ASSERT_EQ(isolation.result, kS_OK);
    EXPECT_EQ(DwordOf(isolation.data), 1u);
    EXPECT_EQ(
        Get(*m_admin, u"/LM/W3SVC/1", kMdGlobalStandardAppModeEnabled, kMetadataInherit, kIisMdUtServer, 1)
            .result,
        kErrDataNotFound);
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/1", kMdHidden, kMetadataInherit, kAllMetadata, kAllMetadata).result,
              kErrDataNotFound);
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/1", 4242, kMetadataInherit, kAllMetadata, kAllMetadata).result,
              kErrDataNotFound);
}

TEST_P(AdminBaseContract, AskedTypesMustMatchTheStoredOnes) {
    // IIs5IsolationModeEnabled is a number: asked as text it is not found, never converted.
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kMetadataInherit, kIisMdUtServer,
                  kStringMetadata)
                  .result,
              kErrDataNotFound);
    EXPECT_EQ(
        Get(*m_admin, u"/LM/W3SVC/1", kMdServerComment, kMetadataInherit, kIisMdUtServer, kDwordMetadata)
            .result,
        kErrDataNotFound);
    const Answer any = Get(*m_admin, u"/LM/W3SVC/AppPools/Pool3", kMdAppPoolIdentityType, 0, 0, kAllMetadata);
    ASSERT_EQ(any.result, kS_OK);
    EXPECT_EQ(any.record.dataType, kDwordMetadata);
    EXPECT_EQ(any.record.userType, kIisMdUtServer);

    // The user type too: ServerComment belongs to the server, WAMUserName to files.
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/1", kMdServerComment, 0, kIisMdUtFile, kAllMetadata).result,
              kErrDataNotFound);
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC", kMdWamUserName, 0, kIisMdUtServer, kStringMetadata).result,
              kErrDataNotFound);
    const Answer user = Get(*m_admin, u"/LM/W3SVC", kMdWamUserName, 0, kIisMdUtFile, kStringMetadata);
    ASSERT_EQ(user.result, kS_OK);
    EXPECT_EQ(TextOf(user.data, user.record.dataLen), u"IWAM_SVC");
}

TEST_P(AdminBaseContract, MissingPathsAreNotFoundUnlessAPartialPathIsAllowed) {
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/9", kMdServerComment, kMetadataInherit, kIisMdUtServer, 0).result,
              kErrPathNotFound);
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/2/Root", kMdVrPath, kMetadataInherit, kIisMdUtFile, 0).result,
              kErrPathNotFound);
    const Answer partial = Get(*m_admin, u"/LM/W3SVC/9/ROOT", kMdServerComment,
                               kMetadataInherit | kMetadataPartialPath, kIisMdUtServer, kAllMetadata);
    ASSERT_EQ(partial.result, kS_OK);
    EXPECT_EQ(TextOf(partial.data, partial.record.dataLen), u"Service");
    EXPECT_NE(partial.record.attributes & kMetadataIsInherited, 0u);
}

} // namespace qv::test
