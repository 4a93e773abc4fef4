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

// The metabase every implementation serves for the contract:
//   /LM/W3SVC                 ServerComment "Service" (INHERIT), WAMUserName "IWAM_SVC" (FILE, INHERIT),
//                             IIs5IsolationModeEnabled 1 (DWORD, no attributes), Custom 9999 "hidden" (no
//                             attributes)
//   /LM/W3SVC/1               ServerComment "Default Web Site", AppPoolId "DefaultAppPool"
//   /LM/W3SVC/1/ROOT          Path "c:\inetpub\wwwroot" (FILE, INHERIT)
//   /LM/W3SVC/1/ROOT/images   (no properties)
//   /LM/W3SVC/AppPools        AppPoolIdentityType 2 (DWORD, INHERIT)
//   /LM/W3SVC/AppPools/Pool3  AppPoolIdentityType 3, WAMUserName "poolUser"
//   /LM/W3SVC/AppPools/Plain  (no properties)
//   /LM/W3SVC/Filters         (exists only because /LM/W3SVC/Filters/Compression names it)
//   /LM/W3SVC/Filters/Compression
//   /LM/W3SVC/2               ServerComment of 1298 characters, Binary 9998 of three bytes
// Children of /LM/W3SVC in this order: 1, AppPools, Filters, 2.
MetabaseModel ContractModel();
// The text of the long ServerComment of site 2.
std::u16string ContractLongComment();

class AdminBaseContract : public ::testing::TestWithParam<AdminBaseFactory> {
protected:
    void SetUp() override;

    std::unique_ptr<AdminBase> m_admin;
};

} // namespace qv::test
