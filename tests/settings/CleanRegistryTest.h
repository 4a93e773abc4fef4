#pragma once
// A test on a fresh machine whose product key (SOFTWARE\Helmark\Quorvane) is gone before and after. Under
// Wine the registry outlives the machine directory, so the key is deleted explicitly.
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

    // Stores raw bytes of any type under path, creating the key.
    static void Store(std::string_view path, std::string_view name, std::uint32_t type,
                      std::string_view bytes) {
        RegistryKey key;
        ASSERT_EQ(key.Create(path, RegAccess::ReadWrite), kErrorSuccess);
        ASSERT_EQ(key.SetValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
                  kErrorSuccess);
    }
    // A REG_SZ text with its terminator.
    static void StoreText(std::string_view path, std::string_view name, std::string_view text) {
        Store(path, name, kRegSz, std::string(text) + '\0');
    }
    // The stored bytes and type, or nothing when the key or value is missing.
    static std::optional<std::string> Stored(std::string_view path, std::string_view name,
                                             std::uint32_t* type = nullptr) {
        RegistryKey key;
        if (key.Open(path, RegAccess::Read) != kErrorSuccess)
            return std::nullopt;
        std::string bytes;
        if (key.ReadValue(name, type, bytes) != kErrorSuccess)
            return std::nullopt;
        return bytes;
    }

    TempMachine m_machine;
};

} // namespace qv::test
