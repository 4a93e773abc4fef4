#pragma once
// What every AdminBase must answer as IIS does: the model, the COM client under Wine, applicationHost.config.
// Link AdminBaseContract.cpp in and INSTANTIATE_TEST_SUITE_P(X, AdminBaseContract,
// Values(AdminBaseFactory{...})) with the facts the backend's data holds: each backend keeps only what its
// source can express.
#include "webserver/AdminBase.h"
#include "webserver/MetabaseModel.h"

#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qv::test {

// A value as stored (its types and bytes), or with no bytes one that must not be found.
struct ContractValue {
    std::u16string path;
    std::uint32_t identifier = 0;
    std::uint32_t userType = kAllMetadata;
    std::uint32_t dataType = kAllMetadata;
    std::vector<unsigned char> bytes;
    bool inherited = false; // found on an ancestor, not on path itself
};

ContractValue TextValue(std::u16string path, std::uint32_t identifier, std::uint32_t userType,
                        const std::u16string& text, bool inherited = false);
ContractValue DwordValue(std::u16string path, std::uint32_t identifier, std::uint32_t userType,
                         std::uint32_t value, bool inherited = false);
ContractValue NoValue(std::u16string path, std::uint32_t identifier);

// A key below /LM and its children in enumeration order.
struct ContractKey {
    std::u16string path;
    std::vector<std::u16string> children;
};

struct ContractFacts {
    std::vector<ContractKey> keys;           // /W3SVC among them
    std::vector<std::u16string> missingKeys; // below /LM
    std::vector<ContractValue> stored;       // each on its own key: asked with its types and with others
    std::vector<ContractValue> large;        // each read through buffers too small for it
    std::vector<ContractValue> inheritance;  // asked with METADATA_INHERIT
    std::vector<ContractValue> partial;      // below a missing key, asked with a partial path
};

struct AdminBaseFactory {
    std::string name;
    std::function<std::unique_ptr<AdminBase>()> make; // nullptr when none can be had
    ContractFacts facts;
};

// Test names show the backend, not the bytes of its factory.
inline void PrintTo(const AdminBaseFactory& factory, std::ostream* out) {
    *out << factory.name;
}

// Sites 1 and 2, application pools and Filters, named only by a deeper key; /LM/W3SVC lists 1, AppPools,
// Filters, 2 in that order. Site 2's ServerComment is ContractLongComment().
MetabaseModel ContractModel();
std::u16string ContractLongComment();
// What ContractModel() holds, for the backends that serve it.
ContractFacts ContractModelFacts();

class AdminBaseContract : public ::testing::TestWithParam<AdminBaseFactory> {
protected:
    void SetUp() override {
        m_admin = GetParam().make();
        ASSERT_NE(m_admin, nullptr) << "no admin base from " << GetParam().name;
    }

    const ContractFacts& Facts() const { return GetParam().facts; }

    std::unique_ptr<AdminBase> m_admin;
};

} // namespace qv::test
