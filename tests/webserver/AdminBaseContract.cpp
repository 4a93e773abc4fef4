#include "AdminBaseContract.h"

#include <algorithm>
#include <cstring>
#include <string>
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
Answer Get(AdminBase& admin, const std::u16string& path, std::uint32_t identifier, std::uint32_t attributes,
           std::uint32_t userType, std::uint32_t dataType, std::uint32_t size = 5048) {
    Answer answer;
    answer.data.assign(size + 1, 0);
    answer.record = {identifier, attributes, userType, dataType, size, answer.data.data(), 0};
    answer.result = admin.GetData(kMetadataMasterRootHandle, path.c_str(), &answer.record, &answer.required);
    return answer;
}

// The bytes a successful GetData wrote.
std::vector<unsigned char> Bytes(const Answer& answer) {
    const std::size_t size = std::min<std::size_t>(answer.record.dataLen, answer.data.size());
    return {answer.data.begin(), answer.data.begin() + static_cast<std::ptrdiff_t>(size)};
}

// The name EnumKeys wrote into a buffer holding no terminator beforehand, or Failed(its result).
std::u16string Failed(std::int32_t result) {
    const std::string code = std::to_string(result);
    return u"failed " + std::u16string(code.begin(), code.end());
}
std::u16string Enum(AdminBase& admin, MetadataHandle handle, const std::u16string& path,
                    std::uint32_t index) {
    char16_t name[kMetadataMaxNameLen + 4];
    std::fill(std::begin(name), std::end(name), u'x');
    const std::int32_t result = admin.EnumKeys(handle, path.c_str(), name, index);
    return result == kS_OK ? std::u16string(name) : Failed(result);
}

// The path with the letter case of every ASCII letter turned round.
std::u16string SwapCase(std::u16string path) {
    for (char16_t& c : path) {
        if (c >= u'a' && c <= u'z')
            c = static_cast<char16_t>(c - u'a' + u'A');
        else if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return path;
}

std::string Narrow(const std::u16string& path) {
    std::string narrow;
    for (const char16_t c : path)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}
std::string Describe(const ContractValue& value) {
    return Narrow(value.path) + " #" + std::to_string(value.identifier);
}

} // namespace

ContractValue TextValue(std::u16string path, std::uint32_t identifier, std::uint32_t userType,
                        const std::u16string& text, bool inherited) {
    std::vector<unsigned char> bytes((text.size() + 1) * sizeof(char16_t), 0);
    std::memcpy(bytes.data(), text.data(), text.size() * sizeof(char16_t));
    return {std::move(path), identifier, userType, kStringMetadata, std::move(bytes), inherited};
}

ContractValue DwordValue(std::u16string path, std::uint32_t identifier, std::uint32_t userType,
                         std::uint32_t value, bool inherited) {
    std::vector<unsigned char> bytes(sizeof value);
    std::memcpy(bytes.data(), &value, sizeof value);
    return {std::move(path), identifier, userType, kDwordMetadata, std::move(bytes), inherited};
}

ContractValue NoValue(std::u16string path, std::uint32_t identifier) {
    return {std::move(path), identifier, kAllMetadata, kAllMetadata, {}, false};
}

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

ContractFacts ContractModelFacts() {
    const ContractValue binary{
        u"/LM/W3SVC/2", kMdBinarySample, kIisMdUtServer, kBinaryMetadata, {0x01, 0x00, 0xFF}};
    ContractFacts facts;
    facts.keys = {{u"/W3SVC", {u"1", u"AppPools", u"Filters", u"2"}},
                  {u"/W3SVC/1", {u"ROOT"}},
                  {u"/W3SVC/1/ROOT", {u"images"}},
                  {u"/W3SVC/1/ROOT/images", {}},
                  {u"/W3SVC/Filters", {u"Compression"}}, // named only by a deeper key
                  {u"/W3SVC/AppPools", {u"Pool3", u"Plain"}}};
    facts.missingKeys = {u"/W3SVC/3", u"/W3SVC/7"};
    facts.stored = {DwordValue(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kIisMdUtServer, 1),
                    TextValue(u"/LM/W3SVC/1", kMdServerComment, kIisMdUtServer, u"Default Web Site"),
                    TextValue(u"/LM/W3SVC", kMdWamUserName, kIisMdUtFile, u"IWAM_SVC"),
                    TextValue(u"/LM/W3SVC/1/ROOT", kMdVrPath, kIisMdUtFile, u"c:\\inetpub\\wwwroot"),
                    DwordValue(u"/LM/W3SVC/AppPools/Pool3", kMdAppPoolIdentityType, kIisMdUtServer, 3),
                    binary};
    facts.large = {TextValue(u"/LM/W3SVC/2", kMdServerComment, kIisMdUtServer, ContractLongComment()),
                   binary};
    // The site's comment, not the service's; data without METADATA_INHERIT stays on its key.
    facts.inheritance = {
        TextValue(u"/LM/W3SVC/1/ROOT", kMdServerComment, kIisMdUtServer, u"Default Web Site", true),
        TextValue(u"/LM/W3SVC/1", kMdServerComment, kIisMdUtServer, u"Default Web Site"),
        DwordValue(u"/LM/W3SVC/AppPools/Plain", kMdAppPoolIdentityType, kIisMdUtServer, 2, true),
        DwordValue(u"/LM/W3SVC/AppPools/Pool3", kMdAppPoolIdentityType, kIisMdUtServer, 3),
        DwordValue(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kIisMdUtServer, 1),
        NoValue(u"/LM/W3SVC/1", kMdGlobalStandardAppModeEnabled),
        NoValue(u"/LM/W3SVC/1", kMdHidden),
        NoValue(u"/LM/W3SVC/1", 4242)};
    facts.partial = {TextValue(u"/LM/W3SVC/9/ROOT", kMdServerComment, kIisMdUtServer, u"Service", true)};
    return facts;
}

TEST_P(AdminBaseContract, EnumeratesChildrenInOrderAndEndsPastTheLastWhateverTheCaseOfThePath) {
    ASSERT_FALSE(Facts().keys.empty());
    ASSERT_FALSE(Facts().missingKeys.empty());
    const auto open = [&](MetadataHandle from, const std::u16string& path, MetadataHandle* handle) {
        return m_admin->OpenKey(from, path.c_str(), kMetadataPermissionRead, 60000, handle);
    };
    const std::u16string noMore = Failed(kErrNoMoreItems);
    MetadataHandle lm = 0;
    ASSERT_EQ(open(kMetadataMasterRootHandle, u"/LM", &lm), kS_OK);
    for (const ContractKey& key : Facts().keys) {
        SCOPED_TRACE(Narrow(key.path));
        std::vector<std::u16string> expected = key.children;
        expected.push_back(noMore);
        for (std::uint32_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(Enum(*m_admin, lm, key.path, i), expected[i]) << i;
        EXPECT_EQ(Enum(*m_admin, lm, key.path, 1000), noMore);
        // Relative to a handle of the key itself; paths compare without case, names keep theirs.
        MetadataHandle handle = 0;
        ASSERT_EQ(open(lm, key.path, &handle), kS_OK);
        EXPECT_EQ(Enum(*m_admin, handle, u"", 0), expected.front());
        EXPECT_EQ(m_admin->CloseKey(handle), kS_OK);
        EXPECT_EQ(Enum(*m_admin, kMetadataMasterRootHandle, SwapCase(u"/LM" + key.path), 0),
                  expected.front());
        ASSERT_EQ(open(kMetadataMasterRootHandle, SwapCase(u"/LM" + key.path), &handle), kS_OK);
        EXPECT_EQ(m_admin->CloseKey(handle), kS_OK);
    }
    for (const std::u16string& path : Facts().missingKeys) {
        MetadataHandle none = 0;
        EXPECT_EQ(open(lm, path, &none), kErrPathNotFound);
        EXPECT_EQ(Enum(*m_admin, lm, path, 0), Failed(kErrPathNotFound));
    }
    for (const ContractValue& value : Facts().stored) {
        const Answer answer =
            Get(*m_admin, SwapCase(value.path), value.identifier, 0, value.userType, value.dataType);
        EXPECT_EQ(answer.result, kS_OK) << Describe(value);
        EXPECT_EQ(Bytes(answer), value.bytes) << Describe(value);
    }
    // A closed handle is forgotten.
    EXPECT_EQ(m_admin->CloseKey(lm), kS_OK);
    EXPECT_EQ(Enum(*m_admin, lm, Facts().keys.front().path, 0), Failed(kErrInvalidHandle));
    EXPECT_EQ(m_admin->CloseKey(lm), kErrInvalidHandle);
}

TEST_P(AdminBaseContract, TooSmallABufferTellsTheLengthNeededInBytes) {
    // One of them longer than the first read of a path's worth of characters, as a long site name is.
    ASSERT_TRUE(std::any_of(Facts().large.begin(), Facts().large.end(),
                            [](const ContractValue& value) { return value.bytes.size() > 260 * 2; }));
    for (const ContractValue& value : Facts().large) {
        SCOPED_TRACE(Describe(value));
        const auto needed = static_cast<std::uint32_t>(value.bytes.size());
        ASSERT_GT(needed, 1u);
        for (const std::uint32_t size : {1u, 260u, needed - 1}) {
            if (size >= needed)
                continue;
            const Answer small = Get(*m_admin, value.path, value.identifier, 0, value.userType, 0, size);
            EXPECT_EQ(small.result, kErrInsufficientBuffer) << size;
            EXPECT_EQ(small.required, needed) << size;
        }
        const Answer exact = Get(*m_admin, value.path, value.identifier, 0, value.userType, 0, needed);
        ASSERT_EQ(exact.result, kS_OK);
        EXPECT_EQ(exact.record.dataLen, needed);
        EXPECT_EQ(exact.record.dataType, value.dataType);
        EXPECT_EQ(Bytes(exact), value.bytes);
    }
}

TEST_P(AdminBaseContract, InheritsFromTheNearestAncestorOnlyWhatItHandsDown) {
    ASSERT_FALSE(Facts().inheritance.empty());
    ASSERT_FALSE(Facts().partial.empty());
    const auto check = [](const Answer& answer, const ContractValue& value) {
        if (value.bytes.empty()) {
            EXPECT_EQ(answer.result, kErrDataNotFound);
            return;
        }
        ASSERT_EQ(answer.result, kS_OK);
        EXPECT_EQ(Bytes(answer), value.bytes);
        EXPECT_EQ(answer.record.dataType, value.dataType);
        EXPECT_EQ(answer.record.userType, value.userType);
        EXPECT_EQ((answer.record.attributes & kMetadataIsInherited) != 0, value.inherited);
        if (value.inherited) {
            EXPECT_NE(answer.record.attributes & kMetadataInherit, 0u);
        }
    };
    for (const ContractValue& value : Facts().inheritance) {
        SCOPED_TRACE(Describe(value));
        check(Get(*m_admin, value.path, value.identifier, kMetadataInherit, 0, 0), value);
        // Without METADATA_INHERIT only the key's own data counts.
        const Answer own = Get(*m_admin, value.path, value.identifier, 0, 0, 0);
        EXPECT_EQ(own.result, value.bytes.empty() || value.inherited ? kErrDataNotFound : kS_OK);
    }
    // A missing path is not found, unless a partial path is allowed: then its nearest ancestor answers.
    for (const ContractValue& value : Facts().partial) {
        SCOPED_TRACE(Describe(value));
        EXPECT_EQ(Get(*m_admin, value.path, value.identifier, kMetadataInherit, 0, 0).result,
                  kErrPathNotFound);
        check(Get(*m_admin, value.path, value.identifier, kMetadataInherit | kMetadataPartialPath, 0, 0),
              value);
    }
}

TEST_P(AdminBaseContract, AskedTypesMustMatchTheStoredOnes) {
    ASSERT_FALSE(Facts().stored.empty());
    for (const ContractValue& value : Facts().stored) {
        SCOPED_TRACE(Describe(value));
        const Answer exact = Get(*m_admin, value.path, value.identifier, 0, value.userType, value.dataType);
        ASSERT_EQ(exact.result, kS_OK);
        EXPECT_EQ(Bytes(exact), value.bytes);
        const Answer any = Get(*m_admin, value.path, value.identifier, 0, 0, 0);
        ASSERT_EQ(any.result, kS_OK);
        EXPECT_EQ(any.record.dataType, value.dataType);
        EXPECT_EQ(any.record.userType, value.userType);
        // A number asked as text is not found, never converted; nor text as a number, nor another type.
        for (const std::uint32_t dataType : {kDwordMetadata, kStringMetadata, kBinaryMetadata,
                                             kExpandStringMetadata, kMultiStringMetadata}) {
            if (dataType != value.dataType) {
                EXPECT_EQ(Get(*m_admin, value.path, value.identifier, 0, 0, dataType).result,
                          kErrDataNotFound)
                    << dataType;
            }
        }
        for (const std::uint32_t userType : {kIisMdUtServer, kIisMdUtFile}) {
            if (userType != value.userType) {
                EXPECT_EQ(Get(*m_admin, value.path, value.identifier, 0, userType, 0).result,
                          kErrDataNotFound)
                    << userType;
            }
        }
    }
}

} // namespace qv::test
