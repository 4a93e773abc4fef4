#pragma once
// What every AdminBase must answer as IIS does: the model here, the COM client under Wine. Link
// AdminBaseContract.cpp in and INSTANTIATE_TEST_SUITE_P(X, AdminBaseContract, Values(AdminBaseFactory{...})).
#include "webserver/AdminBase.h"
#include "webserver/MetabaseModel.h"

#include <functional>
#include <memory>
#include <string>

#include <gtest/gtest.h>

namespace qv::test {

struct AdminBaseFactory {
    std::string name;
    std::function<std::unique_ptr<AdminBase>()> make; // over ContractModel(); nullptr when none can be had
};

// Sites 1 and 2, application pools and Filters, named only by a deeper key; /LM/W3SVC lists 1, AppPools,
// Filters, 2 in that order. Site 2's ServerComment is ContractLongComment().
MetabaseModel ContractModel();
std::u16string ContractLongComment();

class AdminBaseContract : public ::testing::TestWithParam<AdminBaseFactory> {
protected:
    void SetUp() override {
        m_admin = GetParam().make();
        ASSERT_NE(m_admin, nullptr) << "no admin base from " << GetParam().name;
    }

    std::unique_ptr<AdminBase> m_admin;
};

} // namespace qv::test
