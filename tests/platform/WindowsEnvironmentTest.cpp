#include "platform/WindowsEnvironment.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace qv::test {
namespace {

TEST(WindowsEnvironment, VariablesAreReplacedWholeOrNotAtAll) {
    const auto lookup = [](std::string_view name) -> std::optional<std::string> {
        if (name == "SystemDrive")
            return "C:";
        if (name == "EMPTY")
            return "";
        return std::nullopt;
    };
    // Text, and what it expands to ("none": no value).
    const std::pair<const char*, const char*> cases[] = {
        {"%SystemDrive%\\inetpub\\wwwroot", "C:\\inetpub\\wwwroot"},
        {"%SystemDrive%%SystemDrive%", "C:C:"},
        {"%EMPTY%x", "x"},
        {"100% sure", "100% sure"}, // a '%' without a partner stays
        {"%%SystemDrive%", "%C:"},  // "%%" names nothing
        {"%SystemDrive", "%SystemDrive"},
        {"D:\\%Unknown%\\web", "none"}, // never half expanded
        {"%SystemDrive%\\%NoSuch%", "none"},
        {"", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(WindowsEnvironment::ExpandWith(text, lookup).value_or("none"), expected) << text;
}

// Both systems answer as a 64-bit Windows does: the names without letter case, System32 the 64-bit one.
TEST(WindowsEnvironment, TheSystemsOwnVariablesAndSystemDirectory) {
    EXPECT_EQ(WindowsEnvironment::Variable("systemdrive"), WindowsEnvironment::Variable("SystemDrive"));
    ASSERT_TRUE(WindowsEnvironment::Variable("SystemDrive"));
    EXPECT_EQ(WindowsEnvironment::Variable("SystemDrive")->size(), 2u);
    EXPECT_FALSE(WindowsEnvironment::Variable("QV_NO_SUCH_VARIABLE"));
    const std::optional<std::string> root = WindowsEnvironment::Expand("%SystemRoot%\\System32");
    ASSERT_TRUE(root);
    EXPECT_EQ(root->substr(1, 2), ":\\");
    const std::string system = WindowsEnvironment::NativeSystemDirectory();
    EXPECT_EQ(system.substr(1, 2), ":\\");
    EXPECT_TRUE(system.ends_with("\\System32")) << system;
}

} // namespace
} // namespace qv::test
