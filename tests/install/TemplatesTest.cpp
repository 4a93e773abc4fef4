// The files the installation ships: the rules template as the rules reader sees it, the 404 image, the
// example pages, and the guide's settings table against the defaults the settings library really uses.
#include "platform/RegistryKey.h"
#include "settings/RulesReader.h"
#include "settings/SiteSettings.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
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
    // Every line that is neither blank nor a comment must come out as a rule: an editor that turned its TABs
    // into spaces would make the reader drop it without a word.
    std::size_t ruleLines = 0;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
        const std::size_t first = line.find_first_not_of(" \t\r");
        ruleLines += first != std::string::npos && line[first] != '#';
    }
    const std::vector<RedirectRule> rules = ParseRules(text);
    ASSERT_FALSE(rules.empty());
    EXPECT_EQ(ruleLines, rules.size());
    // The examples answer only requests that no real site has.
    for (const RedirectRule& rule : rules)
        EXPECT_EQ(rule.source.rfind("/qv-examples/", 0), 0u) << rule.source;
    // CR LF, so that notepad shows one rule a line.
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\r\n\n"), std::string::npos);
}

TEST(Image404, IsAGif89aOfSensibleSize) {
    const std::string gif = ReadFile(kInstall + "/Templates/404.gif");
    ASSERT_GT(gif.size(), 13u);
    EXPECT_EQ(gif.substr(0, 6), "GIF89a");
    const unsigned width = static_cast<unsigned char>(gif[6]) | (static_cast<unsigned char>(gif[7]) << 8);
    EXPECT_TRUE(width >= 100 && width <= 600 && gif.back() == ';') << width; // no trailer: cut short
}

const char* const kPages[] = {
    "Documentation.htm", "TechSupport.htm",   "Templates/403.htm",  "Templates/404.htm", "Templates/500.htm",
    "Templates/503.htm", "Templates/404.asp", "Templates/404.aspx", "Templates/404.php", "Templates/404.cfm"};

// Error pages show when a site is in trouble: they load nothing from outside, and no script runs in the
// browser (the ASP.NET page's block runs on the server).
TEST(Pages, NeedNothingFromOutsideAndRunNoScriptInTheBrowser) {
    const std::regex external(R"((src|href|action)\s*=\s*["']?\s*(https?:|//|javascript:))",
                              std::regex::icase);
    const std::string serverBlock = "<script runat=\"server\">";
    for (const char* name : kPages) {
        SCOPED_TRACE(name);
        const std::string page = ReadFile(kInstall + "/" + name);
        EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
        EXPECT_FALSE(std::regex_search(page, external));
        for (const char* outside : {"<link", "@import"})
            EXPECT_EQ(page.find(outside), std::string::npos) << outside;
        for (std::size_t at = page.find("<script"); at != std::string::npos;
             at = page.find("<script", at + 1))
            EXPECT_EQ(page.compare(at, serverBlock.size(), serverBlock), 0);
    }
}

TEST(Pages, DynamicExamplesPrintTheRequestedAddressOnlyEscaped) {
    // Each page's escaped print, and the print of the variable as it stands.
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

// The guide's settings table shows every registry value with the default the settings library really uses.
TEST(Documentation, SettingsTableMatchesTheBuiltInDefaults) {
    test::TempMachine machine;
    RegistryKey sites;
    ASSERT_EQ(sites.Create(kSitesKey, RegAccess::ReadWrite), 0);
    sites.Close();
    SiteSettings defaults;
    LoadDefaultEntry(defaults, "[installation directory]");

    // The log directory differs only by the separator on each platform.
    std::string logDir = defaults.LogDir;
    std::replace(logDir.begin(), logDir.end(), '/', '\\');
    const std::pair<const char*, std::string> values[] = {
        {value::EnableDisable, std::to_string(defaults.EnableDisable)},
        {value::ServerState, std::to_string(defaults.ServerState)},
        {value::Dyn404, std::to_string(defaults.Dyn404)},
        {value::SendErrorImage, std::to_string(defaults.SendErrorImage)},
        {value::Logging, std::to_string(defaults.Logging)},
        {value::LogThreshold, std::to_string(defaults.LogThreshold)},
        {value::Directory, defaults.Directory},
        {value::ExtList, JoinList(defaults.ExtList)},
        {value::DynExtList, JoinList(defaults.DynExtList)},
        {value::ImgFilters, JoinList(defaults.ImgFilters)},
        {value::ImgExts, JoinList(defaults.ImgExts)},
        {value::LogDir, logDir}};
    const std::string guide = ReadFile(kInstall + "/Documentation.htm");
    for (const auto& [name, text] : values) {
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
