#include "webserver/file/MetabaseFile.h"
#include "platform/TextCodec.h"
#include "webserver/AdminBase.h"
#include "webserver/MetabaseModel.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qv::test {
namespace {

// Whole files, their sites and a malformed one are read in QvSitesTest; here the value forms those lack.
class MetabaseFileTest : public ::testing::Test {
protected:
    bool Parse(const std::string& keys, std::string* error) {
        return MetabaseFile::Parse("<?xml version =\"1.0\"?>\n<configuration>\n<MBProperty>\n" + keys +
                                       "</MBProperty>\n</configuration>\n",
                                   "test.xml", m_model, error);
    }
    // A property of /LM/W3SVC, where every value of these tests is.
    MetabaseProperty Property(std::uint32_t identifier) {
        const auto node = m_model.Find(u"/LM/W3SVC");
        const MetabaseProperty* property = node ? m_model.FindProperty(*node, identifier) : nullptr;
        EXPECT_NE(property, nullptr) << identifier;
        return property ? *property : MetabaseProperty{};
    }
    std::uint32_t Number(std::uint32_t identifier) {
        std::uint32_t value = 0;
        std::memcpy(&value, Property(identifier).bytes.data(), sizeof value);
        return value;
    }

    MetabaseModel m_model;
};

TEST_F(MetabaseFileTest, ValuesAreReadAsIisWritesThemAndRefusedOnesNamedWithLineAndColumn) {
    std::string error;
    ASSERT_TRUE(
        Parse("<IIsWebService Location=\"LM/W3SVC\" IIs5IsolationModeEnabled=\"TRUE\" "
              "AppPoolIdentityType=\"0x10\">\n"
              "<Custom Name=\"Bindings\" ID=\"1023\" Value=\":80:\n\t\t\t:8080:\n\t\t\" Type=\"MULTISZ\" "
              "UserType=\"IIS_MD_UT_SERVER\" Attributes=\"INHERIT | SECURE\"/>\n"
              "<Custom Name=\"Blob\" ID=\"6027\" Value=\"0100ff\" Type=\"BINARY\" UserType=\"100\"/>\n"
              "<Custom Name=\"Flag\" ID=\"9999\" Value=\"false\" Type=\"dword\" Attributes=\"1\"/>\n"
              "<Custom Name=\"Negative\" ID=\"9998\" Value=\"-1\" Type=\"DWORD\"/>\n"
              "</IIsWebService>\n",
              &error))
        << error;
    EXPECT_EQ(Number(kMdGlobalStandardAppModeEnabled), 1u);
    EXPECT_EQ(Number(kMdAppPoolIdentityType), 16u);
    EXPECT_EQ(Number(9999), 0u);
    EXPECT_EQ(Property(9999).attributes, kMetadataInherit);
    EXPECT_EQ(Number(9998), 0xFFFFFFFFu);
    const MetabaseProperty bindings = Property(1023);
    EXPECT_EQ(bindings.dataType, kMultiStringMetadata);
    EXPECT_EQ(bindings.attributes, kMetadataInherit | 4u);
    std::u16string units(bindings.bytes.size() / 2, u'\0');
    std::memcpy(units.data(), bindings.bytes.data(), units.size() * 2);
    EXPECT_EQ(units, std::u16string(u":80:\0:8080:\0", 13)); // the newlines and indentation split, not kept
    const MetabaseProperty blob = Property(6027);
    EXPECT_EQ(blob.dataType, kBinaryMetadata);
    EXPECT_EQ(blob.userType, 100u);
    EXPECT_EQ(blob.bytes, (std::vector<unsigned char>{0x01, 0x00, 0xFF}));
    EXPECT_FALSE(Parse("<IIsWebServer Location=\"/LM/W3SVC/1\"\n AppPoolIdentityType=\"two\"/>\n", &error));
    EXPECT_EQ(error, "test.xml:4:2: AppPoolIdentityType is not a valid value: \"two\"");
    const std::pair<const char*, const char*> refused[] = {
        {"<IIsWebServer ServerComment=\"x\"/>\n", "test.xml:4:2: "},
        {"<IIsWebServer Location=\"/LM\">\n  <Custom Name=\"x\" Value=\"1\"/>\n</IIsWebServer>\n",
         "test.xml:5:4: "},
        {"<IIsWebServer Location=\"/LM\">\n<Custom ID=\"5\" Type=\"WORD\"/></IIsWebServer>\n", "test.xml:5:"},
        {"<IIsWebServer Location=\"/LM\">\n<Custom ID=\"5\" Type=\"BINARY\" Value=\"abc\"/></IIsWebServer>\n",
         "test.xml:5:"}};
    for (const auto& [keys, place] : refused) {
        EXPECT_FALSE(Parse(keys, &error)) << keys;
        EXPECT_EQ(error.rfind(place, 0), 0u) << error;
    }
    EXPECT_FALSE(MetabaseFile::Parse("<MBProperty/>", "other.xml", m_model, &error));
    EXPECT_EQ(error, "other.xml:1:2: the root element is not <configuration>");
    EXPECT_FALSE(MetabaseFile::Parse("", "empty.xml", m_model, &error));
    EXPECT_EQ(error.rfind("empty.xml:1:1: ", 0), 0u) << error;
}

// Shapes that once made the reader quadratic or unbounded, made here at (or near) the size that did: each is
// read with the right result or refused as malformed, and a key just within the bounds is still read.
TEST_F(MetabaseFileTest, LongDeepAndCrowdedKeysAreReadOrRefusedWithinBounds) {
    const auto repeat = [](const std::string& piece, std::size_t times) {
        std::string text;
        text.reserve(piece.size() * times);
        for (std::size_t i = 0; i < times; ++i)
            text += piece;
        return text;
    };
    const auto customs = [](std::uint32_t count) {
        std::string text;
        for (std::uint32_t id = 0; id < count; ++id)
            text += "<Custom ID=\"" + std::to_string(id) + "\" Value=\"" + std::to_string(id) +
                    "\" Type=\"DWORD\"/>\n";
        return text;
    };
    std::string error;
    // One long Location over many <Custom> children; a deep one of a million segments.
    const std::pair<std::string, std::string> refused[] = {
        {"<IIsWebVirtualDir Location=\"/LM/W3SVC/1/ROOT" + repeat("/dir", 45000) + "\">\n" + customs(10000) +
             "</IIsWebVirtualDir>\n",
         "test.xml:4:2: the Location is longer than 259 characters"},
        {"<IIsWebServer Location=\"" + repeat("/x", 1u << 20) + "\"/>\n",
         "test.xml:4:2: the Location is longer than 259 characters"},
        {"<IIsWebServer Location=\"" + repeat("/x", 65) + "\"/>\n",
         "test.xml:4:2: the Location has more than 64 keys"},
        {"<IIsWebServer Location=\"/LM\"/>\n<IIsWebServer Location=\"/" + std::string(259, 'x') + "\"/>\n",
         "test.xml:5:2: the Location is longer than 259 characters"}};
    for (const auto& [keys, message] : refused) {
        EXPECT_FALSE(Parse(keys, &error));
        EXPECT_EQ(error, message);
    }
    // At the bounds: 64 segments, 259 characters (non-ASCII letters count once).
    const std::string deepest = repeat("/x", 64);
    const std::string longest = "/LM/" + repeat("\xc3\xa9", 255);
    ASSERT_TRUE(
        Parse("<IIsWebServer Location=\"" + deepest + "\"/>\n<IIsWebServer Location=\"" + longest + "\"/>\n",
              &error))
        << error;
    EXPECT_TRUE(m_model.Find(TextCodec::ToUtf16(deepest)));
    EXPECT_TRUE(m_model.Find(TextCodec::ToUtf16(longest)));

    // 150,000 distinct ids on one key, and the key met again with the first ids given other values.
    m_model = MetabaseModel();
    constexpr std::uint32_t kIds = 150000;
    ASSERT_TRUE(Parse("<IIsWebService Location=\"/LM/W3SVC\">\n" + customs(kIds) +
                          "</IIsWebService>\n<IIsWebService Location=\"lm/w3svc/\">\n"
                          "<Custom ID=\"0\" Value=\"7\" Type=\"DWORD\"/>\n</IIsWebService>\n",
                      &error))
        << error;
    const std::vector<MetabaseProperty>& properties = m_model.Properties(*m_model.Find(u"/LM/W3SVC"));
    // Id 1002 is the key type's: the <Custom> took its place, the key met again gave it back.
    ASSERT_EQ(properties.size(), kIds);
    EXPECT_EQ(properties.front().identifier, 1002u);
    EXPECT_EQ(properties.front().dataType, kStringMetadata);
    for (std::uint32_t id = 0; id < kIds; id += 7499)
        EXPECT_EQ(Number(id), id == 0 ? 7u : id);
    EXPECT_EQ(properties[1].identifier, 0u);
    EXPECT_EQ(properties.back().identifier, kIds - 1);
}

} // namespace
} // namespace qv::test
