// The admin-base contract over applicationHost.config: the model the reader builds, served as every
// metabase model is, with the facts a server of IIS 7 or later can hold.
#include "AdminBaseContract.h"
#include "TestData.h"

#include "webserver/ApplicationHostConfig.h"
#include "webserver/ModelAdminBase.h"

namespace qv::test {
namespace {

// Longer than the 260 characters a first read offers, with a letter outside the BMP.
std::u16string LongSiteName() {
    std::u16string name = u"Caf\u00e9 \U0001D11E Quayside Market ";
    for (int i = 0; i < 14; ++i)
        name += u"and Harbour Lane Traders ";
    return name + u"Cooperative";
}

std::unique_ptr<AdminBase> LoadSample() {
    MetabaseModel model;
    std::string error;
    if (!ApplicationHostConfig::Load(
            std::string(QV_TEST_DATA_DIR) + "/apphost/contract/applicationHost.config", model, &error)) {
        ADD_FAILURE() << error;
        return nullptr;
    }
    return std::make_unique<ModelAdminBase>(std::make_shared<const MetabaseModel>(std::move(model)));
}

ContractFacts SampleFacts() {
    constexpr auto server = kIisMdUtServer;
    constexpr auto file = kIisMdUtFile;
    ContractFacts facts;
    // Sites in document order before the pools; a site without a root application has no ROOT.
    facts.keys = {{u"/W3SVC", {u"5", u"2", u"11", u"AppPools"}},
                  {u"/W3SVC/5", {u"ROOT"}},
                  {u"/W3SVC/5/ROOT", {}},
                  {u"/W3SVC/11", {}},
                  {u"/W3SVC/AppPools", {u"Storefront", u"Ledger", u"Idle"}},
                  {u"/W3SVC/AppPools/Ledger", {}}};
    facts.missingKeys = {u"/W3SVC/9", u"/W3SVC/11/ROOT", u"/W3SVC/AppPools/Spare"};
    facts.stored = {TextValue(u"/LM/W3SVC/5", kMdServerComment, server, u"Storefront"),
                    TextValue(u"/LM/W3SVC/5/ROOT", kMdVrPath, file, u"D:\\Web\\Storefront"),
                    TextValue(u"/LM/W3SVC/5/ROOT", kMdAppAppPoolId, server, u"Storefront"),
                    TextValue(u"/LM/W3SVC/2/ROOT", kMdAppAppPoolId, server, u"Ledger"),
                    TextValue(u"/LM/W3SVC/2/ROOT", kMdVrPath, file, u"D:\\Web\\Quayside Caf\u00e9"),
                    DwordValue(u"/LM/W3SVC/AppPools/Ledger", kMdAppPoolIdentityType, server, 3),
                    TextValue(u"/LM/W3SVC/AppPools/Ledger", kMdWamUserName, file, u"LEDGER\\svc-books"),
                    DwordValue(u"/LM/W3SVC/AppPools/Idle", kMdAppPoolIdentityType, server, 0)};
    facts.large = {TextValue(u"/LM/W3SVC/2", kMdServerComment, server, LongSiteName()),
                   TextValue(u"/LM/W3SVC/AppPools/Ledger", kMdWamUserName, file, u"LEDGER\\svc-books"),
                   DwordValue(u"/LM/W3SVC/AppPools/Ledger", kMdAppPoolIdentityType, server, 3)};
    // A pool's identity is its own, from the defaults or not; nothing passes between siblings or from a pool
    // to the site that uses it.
    facts.inheritance = {TextValue(u"/LM/W3SVC/5/ROOT", kMdServerComment, server, u"Storefront", true),
                         TextValue(u"/LM/W3SVC/5", kMdServerComment, server, u"Storefront"),
                         DwordValue(u"/LM/W3SVC/AppPools/Storefront", kMdAppPoolIdentityType, server, 2),
                         DwordValue(u"/LM/W3SVC/AppPools/Ledger", kMdAppPoolIdentityType, server, 3),
                         NoValue(u"/LM/W3SVC/AppPools/Storefront", kMdWamUserName),
                         NoValue(u"/LM/W3SVC/5/ROOT", kMdAppPoolIdentityType),
                         NoValue(u"/LM/W3SVC/5/ROOT", kMdWamUserName),
                         NoValue(u"/LM/W3SVC/5", 4242)};
    // An application below the root is answered by the root; the service has no comment to give.
    facts.partial = {TextValue(u"/LM/W3SVC/5/ROOT/shop/cart", kMdVrPath, file, u"D:\\Web\\Storefront", true),
                     TextValue(u"/LM/W3SVC/5/ROOT/shop/cart", kMdServerComment, server, u"Storefront", true),
                     NoValue(u"/LM/W3SVC/9/ROOT", kMdServerComment)};
    return facts;
}

INSTANTIATE_TEST_SUITE_P(ApplicationHost, AdminBaseContract,
                         ::testing::Values(AdminBaseFactory{"ApplicationHost", LoadSample, SampleFacts()}));

} // namespace
} // namespace qv::test
