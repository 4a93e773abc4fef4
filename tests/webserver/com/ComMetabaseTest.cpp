// The COM client of the metabase against a stand-in IIS Admin Base Object registered in this process:
// CoInitializeEx, CoCreateInstance(CLSID_MSAdminBase, CLSCTX_ALL), the four IMSAdminBase calls, Release and
// CoUninitialize all go through COM.
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
DWORD g_cookie = 0;

class ComServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        g_cookie = ModelComServer::Register(SharedContractModel());
        ASSERT_NE(g_cookie, 0u);
    }
    void TearDown() override {
        ModelComServer::Revoke(g_cookie);
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

TEST(ComMetabase, OpenGoesThroughTheRegisteredObjectOnlyAndCloseReleasesIt) {
    const long live = ModelComServer::LiveCount();
    MetabaseConnection connection;
    ASSERT_TRUE(connection.Open());
    EXPECT_EQ(ModelComServer::LiveCount(), live + 1);

    // The enumeration, and a value larger than the first buffer: read again with the size the object asked
    // for. The other reads differ from these only above the admin base, which the contract holds to the
    // model's.
    EXPECT_EQ(EnumSiteKey(connection, 3), "2");
    EXPECT_FALSE(EnumSiteKey(connection, 4));
    EXPECT_EQ(ReadSiteValue(connection, 2, kMdServerComment, kIisMdUtServer, kMetadataInherit),
              TextCodec::FromUtf16(ContractLongComment()));

    connection.Close();
    EXPECT_FALSE(connection.IsOpen());
    EXPECT_EQ(ModelComServer::LiveCount(), live);
    EXPECT_TRUE(ComInitialized(COINIT_MULTITHREADED)); // the environment's own initialisation stays

    // Without a registered object nothing opens and nothing is read.
    ModelComServer::Revoke(g_cookie);
    const bool opened = connection.Open() || connection.IsOpen() || EnumSiteKey(connection, 0);
    connection.Close();
    g_cookie = ModelComServer::Register(SharedContractModel());
    ASSERT_NE(g_cookie, 0u);
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
            const DWORD cookie = singleThreaded ? ModelComServer::Register(SharedContractModel()) : 0;
            if (singleThreaded && !cookie)
                return;
            MetabaseConnection connection;
            if (connection.Open())
                comment = ReadSiteValue(connection, 1, kMdServerComment, kIisMdUtServer, kMetadataInherit)
                              .value_or("no value");
            connection.Close();
            initializedAfterClose = ComInitialized(apartment);
            ModelComServer::Revoke(cookie);
            if (singleThreaded)
                CoUninitialize();
        }).join();
        EXPECT_EQ(comment, "Default Web Site");
        EXPECT_EQ(initializedAfterClose, singleThreaded);
    }
}

} // namespace
} // namespace qv::test
