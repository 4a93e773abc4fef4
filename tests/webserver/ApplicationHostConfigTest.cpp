#include "AllocationBudget.h"
#include "TestData.h"

#include "platform/OsVersion.h"
#include "platform/TextCodec.h"
#include "platform/WindowsEnvironment.h"
#include "webserver/ApplicationHostConfig.h"
#include "webserver/ModelAdminBase.h"
#include "webserver/SiteEnumeration.h"
#include "webserver/WorkerIdentity.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace qv::test {
namespace {

std::string Sample(const std::string& name) {
    return std::string(QV_TEST_DATA_DIR) + "/apphost/" + name + "/applicationHost.config";
}

// What the suite reads of every site of a model through the reads the programs use, one line a site.
std::string Sites(const std::shared_ptr<const MetabaseModel>& model) {
    MetabaseConnection connection;
    connection.Attach(std::make_unique<ModelAdminBase>(model), WebServerSource::ApplicationHost);
    std::string lines;
    EnumerateSiteIds(connection, [&](std::uint32_t site) {
        lines += std::to_string(site) + "|" + ReadSiteDescription(connection, site).value_or("-") + "|" +
                 ReadSiteRoot(connection, site).value_or("-") + "|" +
                 FindWorkerAccount(connection, site).value_or("-") + "\n";
        return true;
    });
    EXPECT_EQ(static_cast<const ModelAdminBase*>(connection.Get())->OpenHandleCount(), 0u);
    return lines;
}

std::shared_ptr<const MetabaseModel> Load(const std::string& path, std::string* error = nullptr) {
    MetabaseModel model;
    std::string message;
    EXPECT_TRUE(ApplicationHostConfig::Load(path, model, &message)) << message;
    if (error)
        *error = message;
    return std::make_shared<const MetabaseModel>(std::move(model));
}

// Every value of every key, to look for what must not be there.
std::u16string AllText(const MetabaseModel& model) {
    std::u16string text;
    for (MetabaseModel::NodeId node = 0; node < model.NodeCount(); ++node) {
        for (const MetabaseProperty& property : model.Properties(node)) {
            std::u16string units(property.bytes.size() / 2, u'\0');
            std::memcpy(units.data(), property.bytes.data(), units.size() * 2);
            text += units + u'\n';
        }
    }
    return text;
}

TEST(ApplicationHostConfig, SitesRootsAndPoolIdentitiesOfASampleServer) {
    const auto model = Load(Sample("iis10"));
    const auto expand = [](const char* path) { return WindowsEnvironment::Expand(path).value_or("?"); };
    // Document order; roots of the root application's root directory; pools through the site's and the
    // server's application defaults, in any letter case; LocalSystem and a site without root application
    // have no account.
    EXPECT_EQ(Sites(model),
              "1|Default Web Site|" + expand("%SystemDrive%\\inetpub\\wwwroot") +
                  "|IIS AppPool\\DefaultAppPool\n" +
                  "7|Fenwick & Hale Intranet|D:\\Web Sites\\Fenwick Hale Intranet|FENWICKHALE\\svc-intranet\n"
                  "3|Brackenridge Shop|" +
                  expand("%SystemDrive%\\inetpub\\Sites\\Brackenridge Shop") +
                  "|NETWORK SERVICE\n"
                  "714302958|Larkspur Clinic Portal|C:\\Sites\\Larkspur Portal|svc-portal@larkspur.example\n"
                  "12|Build Server|-|-\n"
                  "20|Reports Drop|" +
                  expand("%SystemDrive%\\inetpub\\ftproot") +
                  "|LOCAL SERVICE\n"
                  "9|Parked|-|-\n");
    // The service lists the sites and then the pools, as the walk meets them; the pool a site names in
    // another case is written as the pool names itself.
    const auto service = model->Find(u"/LM/W3SVC");
    ASSERT_TRUE(service);
    std::u16string children;
    for (std::size_t i = 0; i < model->ChildCount(*service); ++i)
        children += model->Name(model->Child(*service, i)) + u" ";
    EXPECT_EQ(children, u"1 7 3 714302958 12 20 9 AppPools ");
    const MetabaseProperty* pool = model->FindProperty(*model->Find(u"/LM/W3SVC/7/ROOT"), kMdAppAppPoolId);
    ASSERT_NE(pool, nullptr);
    EXPECT_EQ(pool->bytes.size(), sizeof(u"IntranetPool"));
    // Encrypted passwords are not kept, nor anything of the commented-out or other sections.
    const std::u16string text = AllText(*model);
    for (const char16_t* absent : {u"enc:", u"dGVzdC1", u"Commented Out", u"Reports\n", u"Checkout"})
        EXPECT_EQ(text.find(absent), std::u16string::npos) << TextCodec::FromUtf16(absent);
}

// The values answer as the metabase's own: the user and data types IIS declares, inheritable, and never
// converted when asked as another type (what the four reads and FindWorkerAccount rely on).
TEST(ApplicationHostConfig, ValuesCarryTheMetabasesTypesAndAttributes) {
    ModelAdminBase admin(Load(Sample("iis10")));
    struct Case {
        const char16_t* path;
        std::uint32_t identifier, userType, dataType;
        std::int32_t result;
    };
    const Case cases[] = {
        {u"/LM/W3SVC/7", kMdServerComment, kIisMdUtServer, kStringMetadata, kS_OK},
        {u"/LM/W3SVC/7/ROOT", kMdVrPath, kIisMdUtFile, kStringMetadata, kS_OK},
        {u"/LM/W3SVC/7/ROOT/docs", kMdVrPath, kIisMdUtFile, kStringMetadata, kErrPathNotFound},
        {u"/LM/W3SVC/7/ROOT", kMdAppAppPoolId, kIisMdUtServer, kStringMetadata, kS_OK},
        {u"/LM/W3SVC/7/ROOT", kMdServerComment, kIisMdUtServer, kStringMetadata, kS_OK}, // inherited
        {u"/LM/W3SVC/AppPools/intranetpool", kMdAppPoolIdentityType, kIisMdUtServer, kDwordMetadata, kS_OK},
        {u"/LM/W3SVC/AppPools/IntranetPool", kMdAppPoolIdentityType, kIisMdUtServer, kStringMetadata,
         kErrDataNotFound},
        {u"/LM/W3SVC/AppPools/IntranetPool", kMdWamUserName, kIisMdUtFile, kStringMetadata, kS_OK},
        {u"/LM/W3SVC/AppPools/IntranetPool", kMdWamUserName, kIisMdUtServer, kStringMetadata,
         kErrDataNotFound},
        {u"/LM/W3SVC/AppPools/ShopPool", kMdWamUserName, kIisMdUtFile, kStringMetadata, kErrDataNotFound},
        {u"/LM/W3SVC/9/ROOT", kMdVrPath, kIisMdUtFile, kStringMetadata, kErrPathNotFound},
        {u"/LM/W3SVC", kMdGlobalStandardAppModeEnabled, kAllMetadata, kAllMetadata, kErrDataNotFound},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> buffer(600);
        MetadataRecord record{c.identifier,
                              kMetadataInherit,
                              c.userType,
                              c.dataType,
                              static_cast<std::uint32_t>(buffer.size()),
                              buffer.data(),
                              0};
        std::uint32_t required = 0;
        EXPECT_EQ(admin.GetData(kMetadataMasterRootHandle, c.path, &record, &required), c.result)
            << TextCodec::FromUtf16(c.path) << " " << c.identifier;
        if (c.result == kS_OK) {
            EXPECT_NE(record.attributes & kMetadataInherit, 0u) << TextCodec::FromUtf16(c.path);
        }
    }
}

TEST(ApplicationHostConfig, SectionsMovedOutAreReadFromTheirFilesBeside) {
    const auto model = Load(Sample("configsource"));
    EXPECT_EQ(Sites(model), "2|Marsh Lane Library|E:\\Library|MARSHLANE\\web\n"
                            "5|Marsh Lane Events|E:\\Events|NETWORK SERVICE\n");
    EXPECT_EQ(AllText(*model).find(u"dGVzdC1"), std::u16string::npos);
}

TEST(ApplicationHostConfig, AFaultyFileGivesNoSitesAndNamesFileLineAndColumn) {
    MetabaseModel model;
    std::string error;
    EXPECT_FALSE(ApplicationHostConfig::Load(Sample("malformed"), model, &error));
    EXPECT_EQ(error, Sample("malformed") + ":8:17: '<' is not allowed in an attribute value");
    EXPECT_EQ(model.NodeCount(), 1u);
    EXPECT_FALSE(ApplicationHostConfig::Load(Sample("missing"), model, &error));
    EXPECT_EQ(error, Sample("missing") + ":1:1: cannot be read");

    // configSource files: what is beside (name -> text); the errors of a file name that file.
    const std::map<std::string, std::string> files = {
        {"C:\\cfg\\sites.config", "<sites>\n  <site id=\"1\" name=\"a\"/>\n</sites>"},
        {"C:\\cfg\\bad.config", "<sites>\n  <site id=\"1\n</sites>"},
        {"C:\\cfg\\sub\\other.config", "<applicationPools/>"}};
    const auto beside = [&](const std::string& path) -> std::optional<std::string> {
        const auto found = files.find(path);
        return found == files.end() ? std::nullopt : std::optional<std::string>(found->second);
    };
    const auto parse = [&](const std::string& section) {
        MetabaseModel parsed;
        std::string message;
        const std::string text = "<configuration>\n<system.applicationHost>\n  " + section +
                                 "\n</system.applicationHost>\n</configuration>";
        const bool ok =
            ApplicationHostConfig::Parse(text, "C:\\cfg\\applicationHost.config", beside, parsed, &message);
        return ok ? "ok " + std::to_string(parsed.NodeCount()) : message;
    };
    const std::string main = "C:\\cfg\\applicationHost.config:3:3: ";
    const std::pair<std::string, std::string> cases[] = {
        {"<sites configSource=\"sites.config\"/>", "ok 5"}, // the root, LM, W3SVC, 1 and AppPools
        {"<sites configSource=\"missing.config\"/>", main + "configSource \"missing.config\" cannot be read"},
        {"<sites configSource=\"..\\sites.config\"/>",
         main + "configSource \"..\\sites.config\" is not a file beside this one"},
        {"<sites configSource=\"C:\\cfg\\sites.config\"/>",
         main + "configSource \"C:\\cfg\\sites.config\" is not a file beside this one"},
        {"<sites configSource=\"bad.config\"/>",
         "C:\\cfg\\bad.config:3:1: '<' is not allowed in an attribute value"},
        {"<sites configSource=\"sub/other.config\"/>",
         "C:\\cfg\\sub\\other.config:1:1: the root element is not <sites>"},
        // Not even the same file twice: a second section is not read.
        {"<sites configSource=\"sites.config\"/>\n  <sites configSource=\"sites.config\"/>",
         "C:\\cfg\\applicationHost.config:4:3: <sites> is given a second time"},
        {"<applicationPools/>\n</system.applicationHost><system.applicationHost><applicationPools/>",
         "C:\\cfg\\applicationHost.config:4:50: <applicationPools> is given a second time"},
    };
    for (const auto& [section, expected] : cases)
        EXPECT_EQ(parse(section), expected) << section;
    EXPECT_EQ(parse("<sites/>").substr(0, 2), "ok");
    MetabaseModel other;
    EXPECT_FALSE(ApplicationHostConfig::Parse("<sites/>", "x.config", beside, other, &error));
    EXPECT_EQ(error, "x.config:1:1: the root element is not <configuration>");
}

TEST(ApplicationHostConfig, PoolIdentitiesAndTheirDefaults) {
    // Pool name, its processModel (none: no element), the pool's identity type (-1: no value), its user.
    struct Case {
        const char* pool;
        const char* processModel;
        int type;
        const char16_t* user;
    };
    const Case cases[] = {
        {"Inherits", nullptr, 2, nullptr},
        {"Numbered", "identityType=\"3\" userName=\"u3\"", 3, u"u3"},
        {"UserIgnored", "identityType=\"localservice\" userName=\"u\"", 1, nullptr},
        {"Unknown", "identityType=\"Guest\"", -1, nullptr},
        {"Empty", "identityType=\"SpecificUser\" userName=\"\"", 3, nullptr},
        {"Pool/With/Slashes", "identityType=\"LocalSystem\"", -2, nullptr}, // no key at all
    };
    std::string pools =
        "<applicationPools><applicationPoolDefaults><processModel identityType=\"NetworkService\"/>"
        "</applicationPoolDefaults>";
    for (const Case& c : cases) {
        pools += std::string("<add name=\"") + c.pool + "\">";
        if (c.processModel)
            pools += std::string("<processModel ") + c.processModel + "/>";
        pools += "</add>";
    }
    pools += "<add name=\"INHERITS\"><processModel identityType=\"LocalSystem\"/></add></applicationPools>";
    MetabaseModel model;
    std::string error;
    ASSERT_TRUE(ApplicationHostConfig::Parse("<configuration><system.applicationHost>" + pools +
                                                 "</system.applicationHost></configuration>",
                                             "t.config", {}, model, &error))
        << error;
    for (const Case& c : cases) {
        const auto node = model.Find(u"/LM/W3SVC/AppPools/" + TextCodec::ToUtf16(c.pool));
        ASSERT_EQ(node.has_value(), c.type != -2) << c.pool;
        if (!node)
            continue;
        const MetabaseProperty* type = model.FindProperty(*node, kMdAppPoolIdentityType);
        std::uint32_t value = 0;
        if (type)
            std::memcpy(&value, type->bytes.data(), sizeof value);
        EXPECT_EQ(type ? static_cast<int>(value) : -1, c.type) << c.pool;
        const MetabaseProperty* user = model.FindProperty(*node, kMdWamUserName);
        EXPECT_EQ(user ? std::u16string(reinterpret_cast<const char16_t*>(user->bytes.data())) : u"-",
                  c.user ? c.user : u"-")
            << c.pool;
    }
    // The second pool of a name in another case is the first one.
    EXPECT_EQ(model.ChildCount(*model.Find(u"/LM/W3SVC/AppPools")), 5u);
}

// Sites with their pools, each as IIS writes them, and as many elements of sections not read, up to bytes.
std::string GeneratedServer(std::size_t bytes) {
    std::string pools, sites, other;
    for (int n = 1; pools.size() + sites.size() + other.size() < bytes; ++n) {
        const std::string id = std::to_string(n);
        pools += "<add name=\"P" + id + "\"><processModel identityType=\"SpecificUser\" userName=\"u" + id +
                 "\" password=\"[enc:secret" + id + ":enc]\"/></add>\n";
        sites += "<site name=\"S" + id + "\" id=\"" + id + "\"><application path=\"/\" applicationPool=\"P" +
                 id + "\"><virtualDirectory path=\"/\" physicalPath=\"D:\\s" + id +
                 "\"/></application><bindings><binding protocol=\"http\" bindingInformation=\"*:80:\"/>"
                 "</bindings></site>\n";
        other += "<add name=\"module" + id + "\" type=\"x\"/>\n";
    }
    return "<configuration>\n<system.applicationHost>\n<applicationPools>\n" + pools +
           "</applicationPools>\n<sites>\n" + sites +
           "</sites>\n</system.applicationHost>\n"
           "<system.webServer><modules>\n" +
           other + "</modules></system.webServer>\n</configuration>\n";
}

bool ParseText(const std::string& text, MetabaseModel& model, std::string* error) {
    return ApplicationHostConfig::Parse(
        text, "C:\\cfg\\applicationHost.config", {}, model, error,
        [](std::string_view value) { return std::optional<std::string>(value); });
}

TEST(ApplicationHostConfig, ALargeFileIsReadWithinAFewTimesItsSize) {
    // Sites and pools, and a file that is all sections not read: what is kept is what the model needs.
    std::string filler = "<configuration>";
    while (filler.size() < (1u << 20))
        filler += "<a/>";
    filler += "</configuration>";
    const std::pair<std::string, std::size_t> cases[] = {{GeneratedServer(2u << 20), 10}, {filler, 1}};
    for (const auto& [text, times] : cases) {
        MetabaseModel model;
        std::string error;
        std::size_t peak = 0;
        {
            const AllocationBudget unlimited(std::size_t{1} << 40);
            EXPECT_TRUE(ParseText(text, model, &error)) << error;
            peak = AllocationBudget::Peak();
        }
        EXPECT_LE(peak, times * text.size()) << text.substr(0, 40);
    }
}

TEST(ApplicationHostConfig, RunningOutOfMemoryIsAFailedReadThatLeavesTheModel) {
    const std::string text = GeneratedServer(256u << 10);
    for (const std::size_t budget : {std::size_t{4096}, std::size_t{64} << 10, std::size_t{1} << 20}) {
        MetabaseModel model;
        model.AddKey(u"/Before");
        std::string error;
        bool read = true;
        {
            const AllocationBudget limit(budget);
            read = ParseText(text, model, &error);
        }
        EXPECT_FALSE(read) << budget;
        EXPECT_EQ(error, "C:\\cfg\\applicationHost.config:1:1: not enough memory to read the file") << budget;
        EXPECT_EQ(model.NodeCount(), 2u) << budget;
    }
    MetabaseModel model;
    std::string error;
    ASSERT_TRUE(ParseText(text, model, &error)) << error;
    EXPECT_TRUE(model.Find(u"/LM/W3SVC/1/ROOT"));
    EXPECT_EQ(AllText(model).find(u"secret"), std::u16string::npos);
}

} // namespace
} // namespace qv::test
