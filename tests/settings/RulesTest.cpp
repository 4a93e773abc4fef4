#include "platform/FileSystem.h"
#include "platform/Paths.h"
#include "settings/RulesReader.h"
#include "settings/SiteSettings.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

namespace qv {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
// Literal parts in [], tokens in {}.
std::string Shown(const std::vector<RulePart>& parts) {
    std::string text;
    for (const RulePart& part : parts)
        text += part.kind ? "{" + std::string(1, static_cast<char>(part.kind)) + part.text + "}"
                          : "[" + part.text + "]";
    return text;
}
// A line "index source =>parts" for each rule, " 301" after permanent ones.
std::string Shown(const std::vector<RedirectRule>& rules) {
    std::string text;
    for (const RedirectRule& rule : rules)
        text += std::to_string(rule.index) + " " + rule.source + " =>" + Shown(rule.parts) +
                (rule.permanent ? " 301\n" : "\n");
    return text;
}

TEST(ParseRulesTest, TargetsSplitIntoTokensAndKeepEscapes) {
    const std::pair<const char*, const char*> cases[] = {
        {"/new$Uold", "[/new]{U}[old]"},
        {"/cost\\$Q", "[/cost\\$Q]"},
        {"", ""},
        {"/a$u$X$", "[/a$u$X$]"}, // lower-case letters and other capitals are no tokens; a last "$" is text
        {"$$R$Q?x=$P", "[$]{R}{Q}[?x=]{P}"},
    };
    for (const auto& [target, parts] : cases) {
        RedirectRule rule;
        ParseTarget(rule, target);
        EXPECT_EQ(Shown(rule.parts), parts) << target;
    }
}

TEST(ParseRulesTest, TabLinesAreRulesTheKindMarksPermanentOnesAndOddBytesAreSafe) {
    // Comments, blank lines and lines without TAB are skipped; CR LF ends a line as LF does, a CR elsewhere
    // is text. Leading blanks are skipped, later blanks belong to the fields.
    EXPECT_EQ(
        Shown(ParseRules("# comment\r\n\n/1\t/x\t301\r\nno tab on this line\n   \t  # indented\n"
                         " \t/2 b \t/c d \tpermanent\n/3\t/x\t302\n/4\t/x\tPermanent\r\n/5\t/x\n"
                         "/6\t/x\t3011 moved\n/7\t\tp\n/8\t/x\t 301\n/9\t/b\rc\n")),
        "1 /1 =>[/x] 301\n2 /2 b  =>[/c d ] 301\n3 /3 =>[/x]\n4 /4 =>[/x]\n5 /5 =>[/x]\n6 /6 =>[/x] 301\n"
        "7 /7 => 301\n8 /8 =>[/x]\n9 /9 =>[/b\rc]\n");
    // A NUL ends its line's text; the rules after it are still read.
    EXPECT_EQ(Shown(ParseRules("/a\t/b\0ignored\t301\n\0/hidden\t/x\n/c\t/d\n"s)),
              "1 /a =>[/b]\n2 /c =>[/d]\n");
    EXPECT_TRUE(ParseRules(std::string(4096, '\0')).empty());
    // A very long line, high bytes, and a last line without a line end.
    const std::string longSource(1 << 20, 's');
    EXPECT_EQ(Shown(ParseRules(longSource + "\t/t$U\n/caf\xc3\xa9\t/\xff\xfe$Q\t301")),
              "1 " + longSource + " =>[/t]{U}\n2 /caf\xc3\xa9 =>[/\xff\xfe]{Q} 301\n");
}

TEST(LoadRulesTest, RereadsOnlyWhenTheFileMovesOnAndLogsEachReread) {
    test::TempMachine machine;
    SiteSettings record;
    const std::string quote = kPathSeparator == '/' ? "\"" : "'"; // Windows names hold no quotation mark
    record.siteRoot = JoinPath(machine.Str(), "site " + quote + "one" + quote + " caf\xc3\xa9");
    const fs::path file = FileSystem::Native(record.siteRoot) / "rules.qv";
    fs::create_directories(file.parent_path());
    const auto write = [&](const std::string& content) { std::ofstream(file, std::ios::binary) << content; };
    const auto touch = [&](int seconds) {
        fs::last_write_time(file, fs::last_write_time(file) + std::chrono::seconds(seconds));
    };
    EXPECT_EQ(LoadRules(nullptr), 0u);
    SiteSettings rootless; // reads no file at the top of the drive
    EXPECT_EQ(LoadRules(&rootless), 0u);
    EXPECT_EQ(LoadRules(&record), 0u);
    write("# nothing here\r\n\r\n");
    EXPECT_EQ(LoadRules(&record), 0u);
    record.Logging = 1;
    write("/a\t/b\r\n# c\r\n/c\t/d");
    touch(2);
    EXPECT_EQ(LoadRules(&record), 2u);
    // Same modification time: the new content is not read, nor a reload logged.
    const auto time = fs::last_write_time(file);
    write("/a\t/b\n/c\t/d\n/e\t/f\n");
    fs::last_write_time(file, time);
    EXPECT_EQ(LoadRules(&record), 2u);
    touch(5);
    EXPECT_EQ(LoadRules(&record), 3u);
    EXPECT_EQ(record.ruleCount, 3u);
    ASSERT_EQ(record.pendingLog.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(record.pendingLog[i].eventCode, 9);
        EXPECT_EQ(record.pendingLog[i].value, static_cast<std::int32_t>(i + 2));
    }
    // Emptied or removed: the last rules stay.
    write("");
    touch(10);
    EXPECT_EQ(LoadRules(&record), 3u);
    fs::remove(file);
    EXPECT_EQ(LoadRules(&record), 3u);
    // Another file is read to its end, past NUL bytes.
    SiteSettings other;
    other.siteRoot = record.siteRoot;
    std::ofstream(file.parent_path() / "other rules.txt", std::ios::binary) << "/x\t/y\0junk\n/z\t/w$P\n"s;
    EXPECT_EQ(LoadRules(&other, "other rules.txt"), 2u);
    EXPECT_EQ(Shown(other.rules), "1 /x =>[/y]\n2 /z =>[/w]{P}\n");
}

TEST(LoadRulesTest, AFileOverTheCapIsReadToItsLastWholeLineWithinIt) {
    test::TempMachine machine;
    const fs::path file = FileSystem::Native(machine.Str()) / "rules.qv";
    // Rules of 16 bytes: the cap holds a whole number of them; the line the cap cuts is not read.
    const std::string rule = "/source\t/target\n";
    const std::size_t whole = kRulesFileMaxBytes / rule.size();
    const std::pair<std::size_t, std::size_t> cases[] = {{whole, whole}, // up to the cap exactly: all read
                                                         {whole + 1, whole},     // one rule past it: ignored
                                                         {whole + 1000, whole}}; // many past it: ignored
    for (const auto& [written, read] : cases) {
        std::string content;
        content.reserve(written * rule.size() + 8);
        for (std::size_t i = 0; i < written; ++i)
            content += rule;
        std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
        SiteSettings record;
        record.siteRoot = machine.Str();
        EXPECT_EQ(LoadRules(&record), read) << written;
    }
    // A rule that the cap cuts in two is not read cut short.
    std::string content(kRulesFileMaxBytes - 8, '#');
    content += "\n/cut\t/in two\n";
    std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
    SiteSettings record;
    record.siteRoot = machine.Str();
    EXPECT_EQ(LoadRules(&record), 0u);
}

} // namespace
} // namespace qv
