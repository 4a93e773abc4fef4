#include "AdminBaseContract.h"

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

namespace qv::test {

namespace {

constexpr std::uint32_t kMdBinarySample = 9998;
constexpr std::uint32_t kMdHidden = 9999;

struct Answer {
    std::int32_t result = 0;
    MetadataRecord record;
    std::uint32_t required = 0;
    std::vector<unsigned char> data;
};

// One GetData from the master root handle into a buffer of size bytes; a type of 0 asks for any.
Answer Get(AdminBase& admin, const char16_t* path, std::uint32_t identifier, std::uint32_t attributes,
           std::uint32_t userType, std::uint32_t dataType, std::uint32_t size = 5048) {
    Answer answer;
    answer.data.assign(size + 1, 0);
    answer.record = {identifier, attributes, userType, dataType, size, answer.data.data(), 0};
    answer.result = admin.GetData(kMetadataMasterRootHandle, path, &answer.record, &answer.required);
    return answer;
}

// The text read, without its terminator.
std::u16string Text(const Answer& answer) {
    std::u16string text(answer.record.dataLen / 2, u'\0');
    std::memcpy(text.data(), answer.data.data(), text.size() * sizeof(char16_t));
    if (!text.empty() && text.back() == u'\0')
        text.pop_back();
    return text;
}

// The name EnumKeys wrote into a buffer holding no terminator beforehand, or Failed(its result).
std::u16string Failed(std::int32_t result) {
    const std::string code = std::to_string(result);
    return u"failed " + std::u16string(code.begin(), code.end());
}
std::u16string Enum(AdminBase& admin, MetadataHandle handle, const char16_t* path, std::uint32_t index) {
    char16_t name[kMetadataMaxNameLen + 4];
    std::fill(std::begin(name), std::end(name), u'x');
    const std::int32_t result = admin.EnumKeys(handle, path, name, index);
    return result == kS_OK ? std::u16string(name) : Failed(result);
}

} // namespace

std::u16string ContractLongComment() {
    return u"Caf\u00e9 " + std::u16string(1293, u'd');
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

TEST_P(AdminBaseContract, EnumeratesChildrenInOrderAndEndsPastTheLastWhateverTheCaseOfThePath) {
    const auto open = [&](MetadataHandle from, const char16_t* path, MetadataHandle* handle) {
        return m_admin->OpenKey(from, path, kMetadataPermissionRead, 60000, handle);
    };
    MetadataHandle lm = 0, root = 0, none = 0;
    ASSERT_EQ(open(kMetadataMasterRootHandle, u"/LM", &lm), kS_OK);
    ASSERT_EQ(open(lm, u"/W3SVC/1/ROOT", &root), kS_OK); // relative to another handle
    EXPECT_EQ(open(lm, u"/W3SVC/3", &none), kErrPathNotFound);
    const std::u16string noMore = Failed(kErrNoMoreItems);
    const std::u16string children[] = {u"1", u"AppPools", u"Filters", u"2", noMore};
    for (std::uint32_t i = 0; i < 5; ++i)
        EXPECT_EQ(Enum(*m_admin, lm, u"/W3SVC", i), children[i]) << i;
    EXPECT_EQ(Enum(*m_admin, lm, u"/W3SVC", 1000), noMore);
    EXPECT_EQ(Enum(*m_admin, lm, u"/W3SVC/Filters", 0), u"Compression"); // named only by a deeper key
    EXPECT_EQ(Enum(*m_admin, lm, u"/W3SVC/1/ROOT/images", 0), noMore);
    EXPECT_EQ(Enum(*m_admin, lm, u"/W3SVC/7", 0), Failed(kErrPathNotFound));
    EXPECT_EQ(Enum(*m_admin, root, u"", 0), u"images");
    // Paths compare without case; names keep theirs.
    EXPECT_EQ(Enum(*m_admin, kMetadataMasterRootHandle, u"/Lm/W3Svc/1", 0), u"ROOT");
    // A closed handle is forgotten.
    EXPECT_EQ(m_admin->CloseKey(lm), kS_OK);
    EXPECT_EQ(Enum(*m_admin, lm, u"/W3SVC", 0), Failed(kErrInvalidHandle));
    EXPECT_EQ(m_admin->CloseKey(lm), kErrInvalidHandle);
    ASSERT_EQ(open(kMetadataMasterRootHandle, u"/lm/w3svc/1/root", &lm), kS_OK);
    EXPECT_EQ(m_admin->CloseKey(lm), kS_OK);
    EXPECT_EQ(Text(Get(*m_admin, u"/LM/w3svc/1/Root", kMdVrPath, 0, kIisMdUtFile, kAllMetadata)),
              u"c:\\inetpub\\wwwroot");
}

TEST_P(AdminBaseContract, TooSmallABufferTellsTheLengthNeededInBytes) {
    const std::uint32_t needed = static_cast<std::uint32_t>((ContractLongComment().size() + 1) * 2);
    for (const std::uint32_t size : {260u, needed - 1}) {
        const Answer small = Get(*m_admin, u"/LM/W3SVC/2", kMdServerComment, 0, kIisMdUtServer, 0, size);
        EXPECT_EQ(small.result, kErrInsufficientBuffer) << size;
        EXPECT_EQ(small.required, needed) << size;
    }
    const Answer exact = Get(*m_admin, u"/LM/W3SVC/2", kMdServerComment, 0, kIisMdUtServer, 0, needed);
    ASSERT_EQ(exact.result, kS_OK);
    EXPECT_EQ(exact.record.dataLen, needed);
    EXPECT_EQ(exact.record.dataType, kStringMetadata);
    EXPECT_EQ(Text(exact), ContractLongComment());
    const Answer binary = Get(*m_admin, u"/LM/W3SVC/2", kMdBinarySample, 0, kAllMetadata, kAllMetadata, 2);
    EXPECT_EQ(binary.result, kErrInsufficientBuffer);
    EXPECT_EQ(binary.required, 3u);
    const Answer read = Get(*m_admin, u"/LM/W3SVC/2", kMdBinarySample, 0, kAllMetadata, kAllMetadata, 3);
    ASSERT_EQ(read.result, kS_OK);
    EXPECT_EQ(read.record.dataType, kBinaryMetadata);
    EXPECT_EQ(std::vector<unsigned char>(read.data.begin(), read.data.begin() + 3),
              (std::vector<unsigned char>{0x01, 0x00, 0xFF}));
}

TEST_P(AdminBaseContract, InheritsFromTheNearestAncestorOnlyWhatItHandsDown) {
    const std::uint32_t inherited = kMetadataInherit | kMetadataIsInherited;
    // Without METADATA_INHERIT only the key's own data counts.
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/1/ROOT", kMdServerComment, 0, kIisMdUtServer, 0).result,
              kErrDataNotFound);
    const Answer comment =
        Get(*m_admin, u"/LM/W3SVC/1/ROOT", kMdServerComment, kMetadataInherit, kIisMdUtServer, 0);
    EXPECT_EQ(Text(comment), u"Default Web Site"); // the site's, not the service's
    EXPECT_EQ(comment.record.attributes & inherited, inherited);
    const Answer own = Get(*m_admin, u"/LM/W3SVC/1", kMdServerComment, kMetadataInherit, kIisMdUtServer, 0);
    ASSERT_EQ(own.result, kS_OK);
    EXPECT_EQ(own.record.attributes & kMetadataIsInherited, 0u);
    // Path, identifier, the number found (0: none). Data without METADATA_INHERIT stays on its key.
    const std::tuple<const char16_t*, std::uint32_t, std::uint32_t> numbers[] = {
        {u"/LM/W3SVC/AppPools/Plain", kMdAppPoolIdentityType, 2},
        {u"/LM/W3SVC/AppPools/Pool3", kMdAppPoolIdentityType, 3},
        {u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, 1},
        {u"/LM/W3SVC/1", kMdGlobalStandardAppModeEnabled, 0},
        {u"/LM/W3SVC/1", kMdHidden, 0},
        {u"/LM/W3SVC/1", 4242, 0}};
    for (const auto& [path, identifier, expected] : numbers) {
        const Answer answer = Get(*m_admin, path, identifier, kMetadataInherit, 0, 0);
        std::uint32_t value = 0;
        std::memcpy(&value, answer.data.data(), sizeof value);
        EXPECT_EQ(answer.result, expected ? kS_OK : kErrDataNotFound) << identifier;
        EXPECT_EQ(value, expected) << identifier;
    }
    // A missing path is not found, unless a partial path is allowed: then its nearest ancestor answers.
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/9", kMdServerComment, kMetadataInherit, 0, 0).result,
              kErrPathNotFound);
    const Answer partial = Get(*m_admin, u"/LM/W3SVC/9/ROOT", kMdServerComment,
                               kMetadataInherit | kMetadataPartialPath, kIisMdUtServer, 0);
    ASSERT_EQ(partial.result, kS_OK);
    EXPECT_EQ(Text(partial), u"Service");
    EXPECT_NE(partial.record.attributes & kMetadataIsInherited, 0u);
}

TEST_P(AdminBaseContract, AskedTypesMustMatchTheStoredOnes) {
    // A number asked as text is not found, never converted; nor text asked as a number, nor another type.
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, 0, 0, kStringMetadata).result,
              kErrDataNotFound);
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/1", kMdServerComment, 0, 0, kDwordMetadata).result, kErrDataNotFound);
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC/1", kMdServerComment, 0, kIisMdUtFile, 0).result, kErrDataNotFound);
    EXPECT_EQ(Get(*m_admin, u"/LM/W3SVC", kMdWamUserName, 0, kIisMdUtServer, 0).result, kErrDataNotFound);
    EXPECT_EQ(Text(Get(*m_admin, u"/LM/W3SVC", kMdWamUserName, 0, kIisMdUtFile, kStringMetadata)),
              u"IWAM_SVC");
    const Answer any = Get(*m_admin, u"/LM/W3SVC/AppPools/Pool3", kMdAppPoolIdentityType, 0, 0, 0);
    ASSERT_EQ(any.result, kS_OK);
    EXPECT_EQ(any.record.dataType, kDwordMetadata);
    EXPECT_EQ(any.record.userType, kIisMdUtServer);
}

} // namespace qv::test
