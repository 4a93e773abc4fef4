// The files the installation ships: the rules template as the rules reader sees it, the 404 image, the
// example pages, and the guide's settings table against the defaults the settings library really uses.
#include "platform/RegistryKey.h"
#include "settings/RulesReader.h"
#include "settings/SiteSettings.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
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

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string Kinds(const RedirectRule& rule) {
    std::string kinds;
    for (const RulePart& part : rule.parts)
        kinds += part.kind == 0 ? '.' : static_cast<char>(part.kind);
    return kinds;
}

TEST(RulesTemplate, EveryExampleLineIsARuleOfItsIntendedForm) {
    const std::string text = ReadFile(kInstall + "/Templates/rules.qv");
    // Every line that is neither blank nor a comment must come out as a rule: an editor that turned its TABs
    // into spaces would make the reader drop it without a word.
    std::size_t ruleLines = 0;
    for (const std::string& line : Lines(text)) {
        const std::size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] != '#')
            ++ruleLines;
    }
    const std::vector<RedirectRule> rules = ParseRules(text);
    ASSERT_EQ(rules.size(), 6u);
    EXPECT_EQ(ruleLines, rules.size());

    const std::vector<std::uint16_t> permanent = {1, 0, 1, 0, 0, 0};
    const std::vector<std::string> kinds = {".", ".", ".Q", ".P", ".U.R", "."};
    for (std::size_t i = 0; i < rules.size(); ++i) {
        SCOPED_TRACE(rules[i].source);
        EXPECT_EQ(rules[i].index, i + 1);
        // The examples answer only requests that no real site has.
        EXPECT_EQ(rules[i].source.rfind("/qv-examples/", 0), 0u);
        EXPECT_EQ(rules[i].permanent, permanent[i]);
        EXPECT_EQ(Kinds(rules[i]), kinds[i]);
    }
    // The escaped dollar sign stays literal text, backslash included, for the handler to unescape.
    EXPECT_EQ(rules[5].parts[0].text, "/qv-examples/prices.htm?currency=\\$US");
    EXPECT_EQ(rules[4].parts[2].text, "&from=");
    // CR LF, so that notepad shows one rule a line.
    EXPECT_NE(text.find("\r\n"), std::string::npos);
    EXPECT_EQ(text.find("\r\n\n"), std::string::npos);
}

TEST(Image404, IsAGif89aOfSensibleSize) {
    const std::string gif = ReadFile(kInstall + "/Templates/404.gif");
    ASSERT_GT(gif.size(), 13u);
    EXPECT_EQ(gif.substr(0, 6), "GIF89a");
    const auto byte = [&](std::size_t i) {
        return static_cast<unsigned>(static_cast<unsigned char>(gif[i]));
    };
    const unsigned width = byte(6) | (byte(7) << 8);
    const unsigned height = byte(8) | (byte(9) << 8);
    EXPECT_GE(width, 100u);
    EXPECT_LE(width, 600u);
    EXPECT_GE(height, 60u);
    EXPECT_LE(height, 400u);
    EXPECT_NE(byte(10) & 0x80, 0u) << "no global colour table";
    EXPECT_EQ(gif.back(), ';') << "no trailer";
}

const char* const kPages[] = {
    "Documentation.htm", "TechSupport.htm",   "Templates/403.htm",  "Templates/404.htm", "Templates/500.htm",
    "Templates/503.htm", "Templates/404.asp", "Templates/404.aspx", "Templates/404.php", "Templates/404.cfm"};

std::string StyleOf(const std::string& page) {
    const std::size_t begin = page.find("<style>");
    const std::size_t end = page.find("</style>");
    if (begin == std::string::npos || end == std::string::npos || end < begin)
        return {};
    return page.substr(begin, end - begin);
}

TEST(Pages, ShareOneStyleAndNeedNothingFromOutside) {
    const std::string style = StyleOf(ReadFile(kInstall + "/Documentation.htm"));
    ASSERT_FALSE(style.empty());
    const std::regex external(R"((src|href|action)\s*=\s*["']?\s*(https?:|//|javascript:))",
                              std::regex::icase);
    for (const char* name : kPages) {
        SCOPED_TRACE(name);
        const std::string page = ReadFile(kInstall + "/" + name);
        EXPECT_NE(page.find("<!DOCTYPE html>"), std::string::npos);
        EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
        EXPECT_NE(page.find("<title>"), std::string::npos);
        EXPECT_EQ(StyleOf(page), style);
        EXPECT_FALSE(std::regex_search(page, external));
        EXPECT_EQ(page.find("<link"), std::string::npos);
        EXPECT_EQ(page.find("@import"), std::string::npos);
        // No script runs in the browser; the ASP.NET page's block runs on the server.
        std::size_t at = 0;
        while ((at = page.find("<script", at)) != std::string::npos) {
            const std::string serverBlock = "<script runat=\"server\">";
            EXPECT_EQ(page.compare(at, serverBlock.size(), serverBlock), 0);
            ++at;
        }
    }
}

TEST(Pages, DynamicExamplesPrintTheRequestedAddressOnlyEscaped) {
    struct Example {
        const char* file;
        const char* escaped;
        const char* raw; // printing the variable as it stands
    };
    const Example examples[] = {
        {"404.asp", "<%= Server.HTMLEncode(requested) %>", "<%= requested"},
        {"404.aspx", "<%= Server.HtmlEncode(Requested) %>", "<%= Requested"},
        {"404.php", "echo htmlspecialchars($requested, $escapeFlags, 'UTF-8');", "echo $requested"},
        {"404.cfm", "#EncodeForHTML(requested)#", "#requested#"},
    };
    for (const Example& example : examples) {
        SCOPED_TRACE(example.file);
        const std::string page = ReadFile(kInstall + "/Templates/" + example.file);
        EXPECT_NE(page.find(example.escaped), std::string::npos);
        EXPECT_EQ(page.find(example.raw), std::string::npos);
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

    const std::string guide = ReadFile(kInstall + "/Documentation.htm");
    const auto row = [&](const std::string& value) {
        const std::size_t at = guide.find("<tr><td><code>" + value + "</code></td>");
        if (at == std::string::npos)
            return std::string();
        return guide.substr(at, guide.find("</tr>", at) - at);
    };
    const auto expectDefault = [&](const char* value, const std::string& text) {
        SCOPED_TRACE(value);
        const std::string cells = row(value);
        ASSERT_FALSE(cells.empty()) << "no row for " << value;
        EXPECT_NE(cells.find("<td><code>" + text + "</code></td>"), std::string::npos) << cells;
    };
    expectDefault(value::EnableDisable, std::to_string(defaults.EnableDisable));
    expectDefault(value::ServerState, std::to_string(defaults.ServerState));
    expectDefault(value::Dyn404, std::to_string(defaults.Dyn404));
    expectDefault(value::SendErrorImage, std::to_string(defaults.SendErrorImage));
    expectDefault(value::Logging, std::to_string(defaults.Logging));
    expectDefault(value::LogThreshold, std::to_string(defaults.LogThreshold));
    expectDefault(value::Directory, defaults.Directory);
    expectDefault(value::ExtList, JoinList(defaults.ExtList));
    expectDefault(value::DynExtList, JoinList(defaults.DynExtList));
    expectDefault(value::ImgFilters, JoinList(defaults.ImgFilters));
    expectDefault(value::ImgExts, JoinList(defaults.ImgExts));
    // The log directory differs only by the separator on each platform.
    std::string logDir = defaults.LogDir;
    for (char& c : logDir)
        c = c == '/' ? '\\' : c;
    expectDefault(value::LogDir, logDir);

    for (const char* text : {"ProgFiles", "Redirection Rule", "Quorvane File", "Rules.qv Reloaded", "qv_reg",
                             "qv_sites", "setacl", "QUORVANE_MACHINE", "MetaBase.xml", "registry.db"})
        EXPECT_NE(guide.find(text), std::string::npos) << text;

    const std::string support = ReadFile(kInstall + "/TechSupport.htm");
    EXPECT_NE(support.find("qv_reg export \"HKLM\\SOFTWARE\\Helmark\\Quorvane\""), std::string::npos);
    EXPECT_NE(support.find("qv_sites"), std::string::npos);
    EXPECT_NE(support.find("qv250311.log"), std::string::npos);
}

} // namespace
} // namespace qv
