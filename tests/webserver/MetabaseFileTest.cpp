#include "webserver/file/MetabaseFile.h"
#include "webserver/AdminBase.h"
#include "webserver/MetabaseModel.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qv::test {
namespace {

std::u16string Text(const MetabaseProperty& property) {
    std::u16string text(property.bytes.size() / 2, u'\0');
    std::memcpy(text.data(), property.bytes.data(), text.size() * 2);
    while (!text.empty() && text.back() == u'\0')
        text.pop_back();
    return text;
}

std::uint32_t Number(const MetabaseProperty& property) {
    std::uint32_t value = 0;
    std::memcpy(&value, property.bytes.data(), sizeof value);
    return value;
}

class MetabaseFileTest : public ::testing::Test {
protected:
    // A property of /LM/W3SVC, where every value of these tests is.
    const MetabaseProperty& Property(std::uint32_t identifier) {
        static const MetabaseProperty none;
        const auto node = m_model.Find(u"/LM/W3SVC");
        const MetabaseProperty* property = node ? m_model.FindProperty(*node, identifier) : nullptr;
        EXPECT_NE(property, nullptr) << identifier;
        return property ? *property : none;
    }
    bool Parse(const std::string& keys, std::string* error = nullptr) {
        std::string ignored;
        return MetabaseFile::Parse("<?xml version =\"1.0\"?>\n<configuration>\n<MBProperty>\n" + keys +
                                       "</MBProperty>\n</configuration>\n",
                                   "test.xml", m_model, error ? error : &ignored);
    }

    MetabaseModel m_model;
};

// Whole files, their sites in document order and a malformed one: QvSitesTest. Here values in every form
// IIS writes them and what it would refuse.
TEST_F(MetabaseFileTest, ValuesAreReadAsIisWritesThem) {
    std::string error;
    ASSERT_TRUE(
        Parse("<IIsWebService Location=\"LM/W3SVC\" IIs5IsolationModeEnabled=\"TRUE\" "
              "AppPoolIdentityType=\"0x10\" Path=\"/srv/www\">\n"
              "<Custom Name=\"Bindings\" ID=\"1023\" Value=\":80:\n\t\t\t:8080:\n\t\t\" Type=\"MULTISZ\" "
              "UserType=\"IIS_MD_UT_SERVER\" Attributes=\"INHERIT | SECURE\"/>\n"
              "<Custom Name=\"Blob\" ID=\"6027\" Value=\"0100ff\" Type=\"BINARY\" UserType=\"100\"/>\n"
              "<Custom Name=\"Flag\" ID=\"9999\" Value=\"false\" Type=\"dword\" Attributes=\"1\"/>\n"
              "<Custom Name=\"Negative\" ID=\"9998\" Value=\"-1\" Type=\"DWORD\"/>\n"
              "</IIsWebService>\n",
              &error))
        << error;
    EXPECT_EQ(Number(Property(kMdGlobalStandardAppModeEnabled)), 1u);
    EXPECT_EQ(Number(Property(kMdAppPoolIdentityType)), 16u);
    EXPECT_EQ(Text(Property(kMdVrPath)), u"/srv/www");

    const MetabaseProperty& bindings = Property(1023);
    EXPECT_EQ(bindings.dataType, kMultiStringMetadata);
    EXPECT_EQ(bindings.attributes, kMetadataInherit | 4u);
    EXPECT_EQ(bindings.bytes.size(), (6u + 6u + 1u) * 2);
    EXPECT_EQ(Text(bindings), std::u16string(u":80:\0:8080:", 11));

    const MetabaseProperty& blob = Property(6027);
    EXPECT_EQ(blob.dataType, kBinaryMetadata);
    EXPECT_EQ(blob.userType, 100u);
    EXPECT_EQ(blob.bytes, (std::vector<unsigned char>{0x01, 0x00, 0xFF}));
    EXPECT_EQ(Number(Property(9999)), 0u);
    EXPECT_EQ(Property(9999).attributes, kMetadataInherit);
    EXPECT_EQ(Number(Property(9998)), 0xFFFFFFFFu);
}

// Each named at its element.
TEST_F(MetabaseFileTest, RefusedValuesAndElementsAreNamedWithLineAndColumn) {
    std::string error;
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

} // namespace
} // namespace qv::test
