#pragma once
// A fresh machine whose product key is gone before and after: under Wine the registry outlives the machine.
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "settings/SiteSettings.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qv::test {

class CleanRegistryTest : public ::testing::Test {
protected:
    void SetUp() override { RegistryKey::DeleteTree(kProductKey); }
    void TearDown() override { RegistryKey::DeleteTree(kProductKey); }

    // Stores raw bytes of any type under path, creating the key; StoreText a REG_SZ with its terminator.
    static void Store(std::string_view path, std::string_view name, std::uint32_t type,
                      std::string_view bytes) {
        RegistryKey key;
        ASSERT_EQ(key.Create(path, RegAccess::ReadWrite), kErrorSuccess);
        ASSERT_EQ(key.SetValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
                  kErrorSuccess);
    }
    static void StoreText(std::string_view path, std::string_view name, std::string_view text) {
        Store(path, name, kRegSz, std::string(text) + '\0');
    }
    // The stored bytes (and type), nothing when the key or value is missing.
    static std::optional<std::string> Stored(std::string_view path, std::string_view name,
                                             std::uint32_t* type = nullptr) {
        RegistryKey key;
        std::string bytes;
        if (key.Open(path, RegAccess::Read) != kErrorSuccess ||
            key.ReadValue(name, type, bytes) != kErrorSuccess)
            return std::nullopt;
        return bytes;
    }

    TempMachine m_machine;
};

} // namespace qv::test
