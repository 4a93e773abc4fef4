// The COM client of the metabase against a stand-in IIS Admin Base Object registered in this process:
// CoInitializeEx, CoCreateInstance(CLSID_MSAdminBase, CLSCTX_ALL), the four IMSAdminBase calls, Release and
// CoUninitialize all go through COM.
#include "ModelClassFactory.h"
#include "ModelComServer.h"

#include "platform/TextCodec.h"
#include "webserver/AdminBaseContract.h"
#include "webserver/MetabaseConnection.h"

#include <memory>
#include <optional>
#include <string>
#include <thread>

#include <gtest/gtest.h>

namespace qv::test {
namespace {

std::shared_ptr<const MetabaseModel> SharedContractModel() {
    static const auto model = std::make_shared<const MetabaseModel>(ContractModel());
    return model;
}

// The stand-in is registered in the multithreaded apartment, which the main thread keeps alive.
ModelClassFactory* g_factory = nullptr;

class ComServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        g_factory = new ModelClassFactory(SharedContractModel());
        ASSERT_TRUE(g_factory->Register());
    }
    void TearDown() override {
        g_factory->Revoke();
        delete g_factory;
        g_factory = nullptr;
        CoUninitialize();
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ComServerEnvironment);

// An admin base that is an open connection: the contract then runs against the COM client.
class ConnectionAdminBase : public AdminBase {
public:
    bool Open() { return m_connection.Open(); }

    std::int32_t OpenKey(MetadataHandle handle, const char16_t* path, std::uint32_t permissions,
                         std::uint32_t timeoutMs, MetadataHandle* newHandle) override {
        return m_connection.Get()->OpenKey(handle, path, permissions, timeoutMs, newHandle);
    }
    std::int32_t CloseKey(MetadataHandle handle) override { return m_connection.Get()->CloseKey(handle); }
    std::int32_t EnumKeys(MetadataHandle handle, const char16_t* path, char16_t* name,
                          std::uint32_t index) override {
        return m_connection.Get()->EnumKeys(handle, path, name, index);
    }
    std::int32_t GetData(MetadataHandle handle, const char16_t* path, MetadataRecord* record,
                         std::uint32_t* requiredLen) override {
        return m_connection.Get()->GetData(handle, path, record, requiredLen);
    }

private:
    MetabaseConnection m_connection;
};

std::unique_ptr<AdminBase> OpenComAdminBase() {
    auto admin = std::make_unique<ConnectionAdminBase>();
    if (!admin->Open())
        return nullptr;
    return admin;
}

INSTANTIATE_TEST_SUITE_P(Com, AdminBaseContract,
                         ::testing::Values(AdminBaseFactory{"Com", OpenComAdminBase}));

// Whether COM is initialised on this thread, asked without changing that.
bool ComInitialized(DWORD model) {
    const HRESULT result = CoInitializeEx(nullptr, model);
    if (SUCCEEDED(result))
        CoUninitialize();
    return result == S_FALSE || result == RPC_E_CHANGED_MODE;
}

TEST(ComMetabase, OpenCreatesTheObjectTheReadsGoThroughItAndCloseReleasesIt) {
    const long created = g_factory->CreatedCount();
    const long live = ModelComServer::LiveCount();
    MetabaseConnection connection;
    ASSERT_TRUE(connection.Open());
    EXPECT_EQ(g_factory->CreatedCount(), created + 1);
    EXPECT_EQ(ModelComServer::LiveCount(), live + 1);

    EXPECT_EQ(EnumSiteKey(connection, 3), "2");
    EXPECT_FALSE(EnumSiteKey(connection, 4));
    // Larger than the first buffer: read again with the size the object asked for.
    EXPECT_EQ(ReadSiteValue(connection, 2, kMdServerComment, kIisMdUtServer, kMetadataInherit),
              TextCodec::FromUtf16(ContractLongComment()));
    EXPECT_EQ(ReadSiteRootValue(connection, 1, kMdVrPath), "c:\\inetpub\\wwwroot");
    std::uint32_t length = 0;
    const auto type = ReadServiceValue(connection, "/W3SVC/AppPools/Pool3", kMdAppPoolIdentityType,
                                       kIisMdUtServer, kDwordMetadata, kMetadataInherit, &length);
    ASSERT_TRUE(type && type->size() == 5u);
    EXPECT_EQ((*type)[0], 3);
    EXPECT_EQ(ReadServiceValue(connection, "/W3SVC/AppPools/Pool3", kMdWamUserName, kIisMdUtFile,
                               kStringMetadata, kMetadataInherit, &length),
              "poolUser");

    connection.Close();
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_EQ(ModelComServer::LiveCount(), live);
    EXPECT_TRUE(ComInitialized(COINIT_MULTITHREADED)); // the environment's own initialisation stays
}

TEST(ComMetabase, WithoutTheObjectNothingOpensAndNothingIsRead) {
    g_factory->Revoke();
    MetabaseConnection connection;
    const bool opened = connection.Open() || connection.IsOpen() || EnumSiteKey(connection, 0);
    connection.Close();
    ASSERT_TRUE(g_factory->Register());
    EXPECT_FALSE(opened);
    EXPECT_TRUE(ComInitialized(COINIT_MULTITHREADED));
}

TEST(ComMetabase, CloseUndoesOnlyTheInitialisationOfOpen) {
    // A thread without COM: Open joins the multithreaded apartment and Close leaves it.
    bool opened = false;
    bool readThere = false;
    bool initializedAfterClose = true;
    std::thread([&] {
        MetabaseConnection connection;
        opened = connection.Open();
        readThere = EnumSiteKey(connection, 0) == "1";
        connection.Close();
        initializedAfterClose = ComInitialized(COINIT_MULTITHREADED);
    }).join();
    EXPECT_TRUE(opened);
    EXPECT_TRUE(readThere);
    EXPECT_FALSE(initializedAfterClose);

    // Closing a connection that was never opened leaves the caller's COM alone.
    bool stillInitialized = false;
    std::thread([&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)))
            return;
        MetabaseConnection connection;
        connection.Close();
        stillInitialized = ComInitialized(COINIT_MULTITHREADED);
        CoUninitialize();
    }).join();
    EXPECT_TRUE(stillInitialized);
}

TEST(ComMetabase, ASingleThreadedApartmentIsJoined) {
    // A dialog's thread is a single-threaded apartment: the first CoInitializeEx answers
    // RPC_E_CHANGED_MODE and the connection joins that apartment instead.
    bool registered = false;
    bool opened = false;
    std::string comment;
    bool initializedAfterClose = false;
    std::thread([&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)))
            return;
        ModelClassFactory factory(SharedContractModel());
        registered = factory.Register();
        {
            MetabaseConnection connection;
            opened = connection.Open();
            comment = ReadSiteValue(connection, 1, kMdServerComment, kIisMdUtServer, kMetadataInherit)
                          .value_or("no value");
            connection.Close();
        }
        initializedAfterClose = ComInitialized(COINIT_APARTMENTTHREADED);
        factory.Revoke();
        CoUninitialize();
    }).join();
    ASSERT_TRUE(registered);
    EXPECT_TRUE(opened);
    EXPECT_EQ(comment, "Default Web Site");
    EXPECT_TRUE(initializedAfterClose);
}

} // namespace
} // namespace qv::test
