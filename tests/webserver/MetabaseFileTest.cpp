#include "TestData.h"
#include "support/TempMachine.h"

#include "webserver/MetabaseConnection.h"
#include "webserver/ModelAdminBase.h"
#include "webserver/SiteEnumeration.h"
#include "webserver/file/MetabaseFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>

namespace qv::test {
namespace {

const std::string kData = std::string(QV_TEST_DATA_DIR) + "/metabase";

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

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

class MetabaseFileTest : public ::testing::Test {
protected:
    const MetabaseProperty& Property(const std::u16string& path, std::uint32_t identifier) {
        const auto node = m_model.Find(path);
        EXPECT_TRUE(node) << std::string(path.begin(), path.end());
        static const MetabaseProperty none;
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

    TempMachine m_machine;
    MetabaseModel m_model;
};

TEST_F(MetabaseFileTest, AnIis6FileGivesEveryKeyInDocumentOrder) {
    std::string error;
    ASSERT_TRUE(MetabaseFile::Load(kData + "/iis6/MetaBase.xml", m_model, &error)) << error;
    const auto service = m_model.Find(u"/LM/W3SVC");
    ASSERT_TRUE(service);
    std::vector<std::u16string> children;
    for (std::size_t i = 0; i < m_model.ChildCount(*service); ++i)
        children.push_back(m_model.Name(m_model.Child(*service, i)));
    EXPECT_EQ(children,
              (std::vector<std::u16string>{u"Filters", u"AppPools", u"Info", u"1", u"0", u"2", u"3", u"4",
                                           u"5", u"6", u"7", u"07", u"8", u"9", u"12abc", u"10"}));
    // IIS_Global is no key; IIS_ROOT is the root itself.
    EXPECT_EQ(m_model.ChildCount(MetabaseModel::kRoot), 1u);
    EXPECT_EQ(m_model.KeyType(*service), u"IIsWebService");

    const MetabaseProperty& pools = Property(u"/LM/W3SVC/AppPools", kMdAppPoolIdentityType);
    EXPECT_EQ(pools.dataType, kDwordMetadata);
    EXPECT_EQ(pools.attributes, kMetadataInherit);
    EXPECT_EQ(Number(pools), 2u);
    EXPECT_EQ(Property(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled).attributes, kMetadataNoAttributes);
    EXPECT_EQ(Property(u"/LM/W3SVC/AppPools/UserPool", kMdWamUserName).userType, kIisMdUtFile);
    EXPECT_EQ(Text(Property(u"/LM/W3SVC/10", kMdServerComment)), u"Ten, described in a Custom element");

    // Windows paths land in the machine directory; POSIX paths stay.
    EXPECT_EQ(Text(Property(u"/LM/W3SVC/1/ROOT", kMdVrPath)),
              Wide(m_machine.Str() + "/drive_e/inetpub/wwwroot"));
    EXPECT_EQ(Text(Property(u"/LM/W3SVC/10/Root", kMdVrPath)),
              Wide(m_machine.Str() + "/drive_e/Web Sites/Ten"));
}

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
    EXPECT_EQ(Number(Property(u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled)), 1u);
    EXPECT_EQ(Number(Property(u"/LM/W3SVC", kMdAppPoolIdentityType)), 16u);
    EXPECT_EQ(Text(Property(u"/LM/W3SVC", kMdVrPath)), u"/srv/www");

    const MetabaseProperty& bindings = Property(u"/LM/W3SVC", 1023);
    EXPECT_EQ(bindings.dataType, kMultiStringMetadata);
    EXPECT_EQ(bindings.attributes, kMetadataInherit | 4u);
    EXPECT_EQ(bindings.bytes.size(), (6u + 6u + 1u) * 2);
    EXPECT_EQ(Text(bindings), std::u16string(u":80:\0:8080:", 11));

    const MetabaseProperty& blob = Property(u"/LM/W3SVC", 6027);
    EXPECT_EQ(blob.dataType, kBinaryMetadata);
    EXPECT_EQ(blob.userType, 100u);
    EXPECT_EQ(blob.bytes, (std::vector<unsigned char>{0x01, 0x00, 0xFF}));
    EXPECT_EQ(Number(Property(u"/LM/W3SVC", 9999)), 0u);
    EXPECT_EQ(Property(u"/LM/W3SVC", 9999).attributes, kMetadataInherit);
    EXPECT_EQ(Number(Property(u"/LM/W3SVC", 9998)), 0xFFFFFFFFu);
}

TEST_F(MetabaseFileTest, AMalformedFileIsNamedWithLineAndColumn) {
    std::string error;
    const std::string path = kData + "/malformed/MetaBase.xml";
    EXPECT_FALSE(MetabaseFile::Load(path, m_model, &error));
    EXPECT_EQ(error.rfind(path + ":10:", 0), 0u) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);

    // Values and elements IIS would refuse, each at its element.
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

TEST_F(MetabaseFileTest, OpenFindsNoServerWithoutAFileAndSaysWhyOnAMalformedOne) {
    MetabaseConnection connection;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(connection.Open());
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_FALSE(EnumSiteKey(connection, 0));

    const std::string file = m_machine.Str() + "/MetaBase.xml";
    std::filesystem::copy_file(kData + "/malformed/MetaBase.xml", file);
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(connection.Open());
    const std::string message = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(message.rfind(file + ":10:", 0), 0u) << message;
    EXPECT_EQ(message.find('\n'), message.size() - 1);
    EXPECT_FALSE(connection.IsOpen());

    std::filesystem::remove(file);
    std::filesystem::create_directory(file); // not a file at all
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(connection.Open());
    EXPECT_NE(::testing::internal::GetCapturedStderr().find(file), std::string::npos);
    std::filesystem::remove(file);

    std::filesystem::copy_file(kData + "/iis6/MetaBase.xml", file);
    ASSERT_TRUE(connection.Open());
    EXPECT_EQ(EnumSiteKey(connection, 3), "1");
    EXPECT_EQ(ReadSiteRoot(connection, 1), m_machine.Str() + "/drive_e/inetpub/wwwroot");
    connection.Close();
    EXPECT_FALSE(connection.IsOpen());
}

} // namespace
} // namespace qv::test
