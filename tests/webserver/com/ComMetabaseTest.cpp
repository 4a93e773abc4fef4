// The COM client of the metabase against a stand-in IIS Admin Base Object registered in this process:
// CoInitializeEx, CoCreateInstance(CLSID_MSAdminBase, CLSCTX_ALL), the four IMSAdminBase calls, Release and
// CoUninitialize all go through COM.
#include "ModelClassFactory.h"
#include "ModelComServer.h"

#include "platform/TextCodec.h"
#include "webserver/AdminBaseContract.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/com/ComAdminBase.h"

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

// The contract runs against the stand-in through COM and the client's own adapter.
std::unique_ptr<AdminBase> OpenComAdminBase() {
    IMSAdminBaseW* object = nullptr;
    if (FAILED(CoCreateInstance(CLSID_MSAdminBase, nullptr, CLSCTX_ALL, IID_IMSAdminBase,
                                reinterpret_cast<void**>(&object))))
        return nullptr;
    return std::make_unique<ComAdminBase>(object);
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
    const long live = ModelComServer::LiveCount();
    MetabaseConnection connection;
    ASSERT_TRUE(connection.Open());
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

// On a thread without COM, Open joins the multithreaded apartment and Close leaves it. A dialog's thread is a
// single-threaded apartment: CoInitializeEx first answers RPC_E_CHANGED_MODE, the connection joins that
// apartment and Close leaves the thread's own initialisation in place.
TEST(ComMetabase, OpenJoinsTheThreadsApartmentAndCloseUndoesOnlyItsOwnInitialisation) {
    for (const bool singleThreaded : {false, true}) {
        SCOPED_TRACE(singleThreaded);
        const DWORD apartment = singleThreaded ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED;
        std::string comment;
        bool initializedAfterClose = !singleThreaded;
        std::thread([&] {
            if (singleThreaded && FAILED(CoInitializeEx(nullptr, apartment)))
                return;
            // The multithreaded apartment has the environment's object; this one needs its own.
            ModelClassFactory factory(SharedContractModel());
            if (singleThreaded && !factory.Register())
                return;
            MetabaseConnection connection;
            if (connection.Open())
                comment = ReadSiteValue(connection, 1, kMdServerComment, kIisMdUtServer, kMetadataInherit)
                              .value_or("no value");
            connection.Close();
            initializedAfterClose = ComInitialized(apartment);
            factory.Revoke();
            if (singleThreaded)
                CoUninitialize();
        }).join();
        EXPECT_EQ(comment, "Default Web Site");
        EXPECT_EQ(initializedAfterClose, singleThreaded);
    }
}

} // namespace
} // namespace qv::test
