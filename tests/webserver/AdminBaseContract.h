#pragma once
// What every AdminBase must answer as IIS does, run against any implementation: the model over the contract
// metabase here, the COM client against a server of the same metabase under Wine.
//
// Use: serve ContractModel() through the factory, link AdminBaseContract.cpp into the test program and
//   INSTANTIATE_TEST_SUITE_P(Model, AdminBaseContract, ::testing::Values(AdminBaseFactory{"Model", make}));
#include "webserver/AdminBase.h"
#include "webserver/MetabaseModel.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

namespace qv::test {

struct AdminBaseFactory {
    std::string name;
    // A fresh admin base over ContractModel(), or nullptr when none can be had.
    std::function<std::unique_ptr<AdminBase>()> make;
};

inline void PrintTo(const AdminBaseFactory& factory, std::ostream* os) {
    *os << factory.name;
}

// The metabase every implementation serves for the contract: a service with sites 1 and 2, application pools
// and a key (Filters) that exists only because a deeper key names it; the children of /LM/W3SVC come in the
// order 1, AppPools, Filters, 2.
MetabaseModel ContractModel();
// The text of the long ServerComment of site 2.
std::u16string ContractLongComment();

class AdminBaseContract : public ::testing::TestWithParam<AdminBaseFactory> {
protected:
    void SetUp() override;

    std::unique_ptr<AdminBase> m_admin;
};

} // namespace qv::test
