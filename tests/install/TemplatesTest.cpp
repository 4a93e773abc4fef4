// The files the installation ships, read as the suite reads them, and the guide's table of defaults.
#include "platform/RegistryKey.h"
#include "settings/RulesReader.h"
#include "settings/SiteSettings.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <vector>

namespace qv {
namespace {

const std::string kInstall = QV_INSTALL_SOURCE_DIR;

std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file) << path;
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(RulesTemplate, EveryExampleLineIsARuleForNoRealSite) {
    const std::string text = ReadFile(kInstall + "/Templates/rules.qv");
    // A line whose TABs an editor turned into spaces would be dropped without a word.
    const std::regex ruleLine(R"((^|\n)[ \t]*[^\s#])");
    const std::size_t ruleLines = std::distance(std::sregex_iterator(text.begin(), text.end(), ruleLine), {});
    const std::vector<RedirectRule> rules = ParseRules(text);
    ASSERT_FALSE(rules.empty());
    EXPECT_EQ(ruleLines, rules.size());
    for (const RedirectRule& rule : rules)
        EXPECT_EQ(rule.source.rfind("/qv-examples/", 0), 0u) << rule.source;
    // CR LF, so that notepad shows one rule a line.
    EXPECT_TRUE(text.find("\r\n") != std::string::npos && text.find("\r\n\n") == std::string::npos);
}

TEST(Image404, IsAGif89aOfSensibleSize) {
    const std::string gif = ReadFile(kInstall + "/Templates/404.gif");
    ASSERT_GT(gif.size(), 13u);
    const unsigned width = static_cast<unsigned char>(gif[6]) | (static_cast<unsigned char>(gif[7]) << 8);
    // No trailer: cut short.
    EXPECT_TRUE(gif.starts_with("GIF89a") && width >= 100 && width <= 600 && gif.back() == ';') << width;
}

// Error pages show when a site is in trouble: nothing loaded from outside, no script in the browser (the
// ASP.NET page's block runs on the server), and the requested address printed only escaped.
TEST(Pages, NeedNothingFromOutsideRunNoScriptInTheBrowserAndEscapeTheAddress) {
    const std::regex external(R"((src|href|action)\s*=\s*["']?\s*(https?:|//|javascript:))",
                              std::regex::icase);
    const std::regex outside(R"(<link|@import|<script(?! runat="server">))");
    for (const char* name : {"Documentation.htm", "TechSupport.htm", "Templates/403.htm", "Templates/404.htm",
                             "Templates/500.htm", "Templates/503.htm", "Templates/404.asp",
                             "Templates/404.aspx", "Templates/404.php", "Templates/404.cfm"}) {
        SCOPED_TRACE(name);
        const std::string page = ReadFile(kInstall + "/" + name);
        EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
        EXPECT_FALSE(std::regex_search(page, external) || std::regex_search(page, outside));
    }
    const char* const examples[][3] = {
        {"404.asp", "<%= Server.HTMLEncode(requested) %>", "<%= requested"},
        {"404.aspx", "<%= Server.HtmlEncode(Requested) %>", "<%= Requested"},
        {"404.php", "echo htmlspecialchars($requested, $escapeFlags, 'UTF-8');", "echo $requested"},
        {"404.cfm", "#EncodeForHTML(requested)#", "#requested#"},
    };
    for (const auto& [file, escaped, raw] : examples) {
        SCOPED_TRACE(file);
        const std::string page = ReadFile(kInstall + "/Templates/" + file);
        EXPECT_NE(page.find(escaped), std::string::npos);
        EXPECT_EQ(page.find(raw), std::string::npos);
    }
}

TEST(Documentation, SettingsTableMatchesTheBuiltInDefaults) {
    test::TempMachine machine;
    ASSERT_EQ(RegistryKey().Create(kSitesKey, RegAccess::ReadWrite), 0);
    SiteSettings defaults;
    LoadDefaultEntry(defaults, "[installation directory]");
    std::replace(defaults.LogDir.begin(), defaults.LogDir.end(), '/', '\\'); // the guide shows Windows' form
    const auto n = [](int number) { return std::to_string(number); };
    const std::string values[] = {value::EnableDisable,  n(defaults.EnableDisable),
                                  value::ServerState,    n(defaults.ServerState),
                                  value::Dyn404,         n(defaults.Dyn404),
                                  value::SendErrorImage, n(defaults.SendErrorImage),
                                  value::Logging,        n(defaults.Logging),
                                  value::LogThreshold,   n(defaults.LogThreshold),
                                  value::Directory,      defaults.Directory,
                                  value::ExtList,        JoinList(defaults.ExtList),
                                  value::DynExtList,     JoinList(defaults.DynExtList),
                                  value::ImgFilters,     JoinList(defaults.ImgFilters),
                                  value::ImgExts,        JoinList(defaults.ImgExts),
                                  value::LogDir,         defaults.LogDir};
    const std::string guide = ReadFile(kInstall + "/Documentation.htm");
    for (std::size_t i = 0; i < std::size(values); i += 2) {
        const std::string &name = values[i], &text = values[i + 1];
        const std::size_t at = guide.find(std::string("<tr><td><code>") + name + "</code></td>");
        ASSERT_NE(at, std::string::npos) << "no row for " << name;
        const std::string cells = guide.substr(at, guide.find("</tr>", at) - at);
        EXPECT_NE(cells.find("<td><code>" + text + "</code></td>"), std::string::npos) << cells;
    }
    const std::string support = ReadFile(kInstall + "/TechSupport.htm");
    EXPECT_NE(support.find("qv_reg export \"HKLM\\SOFTWARE\\Helmark\\Quorvane\""), std::string::npos);
}

} // namespace
} // namespace qv
