#pragma once
// A test that works below a key of its own: on POSIX in a fresh machine, under Wine in the prefix's real
// registry, where the key is deleted before and after because the registry outlives the test.
#include "platform/RegistryKey.h"
#include "platform/WinError.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>

namespace qv::test {

class RegSandbox : public ::testing::Test {
protected:
    RegSandbox() : m_key("SOFTWARE\\QuorvaneTests\\qv_reg-" + std::to_string(std::random_device()())) {}
    void SetUp() override { RegistryKey::DeleteTree(m_key); }
    void TearDown() override {
        RegistryKey::DeleteTree(m_key);
        RegistryKey::DeleteTree("SOFTWARE\\QuorvaneTests");
    }

    // The sandbox key (plus a relative path) below HKEY_LOCAL_MACHINE, and as a command line names it.
    std::string Key(std::string_view sub = {}) const {
        return sub.empty() ? m_key : m_key + "\\" + std::string(sub);
    }
    std::string Hklm(std::string_view sub = {}) const { return "HKLM\\" + Key(sub); }
    std::string Full(std::string_view sub = {}) const { return "HKEY_LOCAL_MACHINE\\" + Key(sub); }

    static void Store(std::string_view path, std::string_view name, std::uint32_t type,
                      std::string_view bytes) {
        RegistryKey key;
        ASSERT_EQ(key.Create(path, RegAccess::ReadWrite), kErrorSuccess);
        ASSERT_EQ(key.SetValue(name, type, bytes.data(), static_cast<std::uint32_t>(bytes.size())),
                  kErrorSuccess);
    }
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
    static bool KeyExists(std::string_view path) {
        RegistryKey key;
        return key.Open(path, RegAccess::Read) == kErrorSuccess;
    }

    TempMachine m_machine;
    std::string m_key;
};

} // namespace qv::test
