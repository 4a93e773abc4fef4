// The COM client of the metabase against a stand-in admin base object registered in this process.
#include <initguid.h> // the GUIDs of iadmw.h are defined where they are used

#include "ModelComServer.h"

#include "platform/TextCodec.h"
#include "webserver/AdminBaseContract.h"
#include "webserver/MetabaseConnection.h"
#include "webserver/com/ComAdminBase.h"

#include <memory>
#include <thread>

#include <gtest/gtest.h>

namespace qv::test {
namespace {

const auto g_model = std::make_shared<const MetabaseModel>(ContractModel());

// The stand-in is registered in the multithreaded apartment, which the main thread keeps alive.
DWORD g_cookie = 0;

class ComServerEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED)));
        g_cookie = ModelComServer::Register(g_model);
        ASSERT_NE(g_cookie, 0u);
    }
    void TearDown() override {
        ModelComServer::Revoke(g_cookie);
        CoUninitialize();
    }
};

const auto* const g_environment = ::testing::AddGlobalTestEnvironment(new ComServerEnvironment);

std::unique_ptr<AdminBase> OpenComAdminBase() {
    IMSAdminBaseW* object = nullptr;
    if (FAILED(CoCreateInstance(CLSID_MSAdminBase, nullptr, CLSCTX_ALL, IID_IMSAdminBase,
                                reinterpret_cast<void**>(&object))))
        return nullptr;
    return std::make_unique<ComAdminBase>(object);
}

INSTANTIATE_TEST_SUITE_P(Com, AdminBaseContract,
                         ::testing::Values(AdminBaseFactory{"Com", OpenComAdminBase, ContractModelFacts()}));

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
    // A value larger than the first buffer is read again with the size the object asked for.
    EXPECT_EQ(ReadSiteValue(connection, 2, kMdServerComment, kIisMdUtServer, kMetadataInherit),
              TextCodec::FromUtf16(ContractLongComment()));
    connection.Close();
    EXPECT_EQ(ModelComServer::LiveCount(), live);
    EXPECT_TRUE(ComInitialized(COINIT_MULTITHREADED)); // the environment's own initialisation stays
    // Without a registered object nothing opens and nothing is read.
    ModelComServer::Revoke(g_cookie);
    const bool opened = connection.Open() || connection.IsOpen() || EnumSiteKey(connection, 0);
    connection.Close();
    g_cookie = ModelComServer::Register(g_model);
    ASSERT_NE(g_cookie, 0u);
    EXPECT_FALSE(opened);
    EXPECT_TRUE(ComInitialized(COINIT_MULTITHREADED));
}

// Without COM, Open joins the multithreaded apartment and Close leaves it; on a dialog's single-threaded
// thread (RPC_E_CHANGED_MODE) it joins that one and Close leaves the thread's own initialisation in place.
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
            const DWORD cookie = singleThreaded ? ModelComServer::Register(g_model) : 0;
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
