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
using Parts = std::vector<RulePart>;

RulePart Literal(std::string text) {
    return RulePart{0, std::move(text)};
}
RulePart Token(char letter) {
    return RulePart{static_cast<std::uint16_t>(letter), {}};
}

TEST(ParseRulesTest, TargetsSplitIntoTokensAndKeepEscapes) {
    const std::pair<std::string, Parts> cases[] = {
        {"/new$Uold", {Literal("/new"), Token('U'), Literal("old")}},
        {"/cost\\$Q", {Literal("/cost\\$Q")}},
        {"", {}},
        // Lower-case letters and other capitals are no tokens; a "$" at the end stays text.
        {"/a$u$X$", {Literal("/a$u$X$")}},
        {"$$R$Q?x=$P", {Literal("$"), Token('R'), Token('Q'), Literal("?x="), Token('P')}},
    };
    for (const auto& [target, parts] : cases) {
        RedirectRule rule;
        ParseTarget(rule, target);
        EXPECT_EQ(rule.parts, parts) << target;
    }
}

TEST(ParseRulesTest, TabLinesAreRulesAndTheKindMarksPermanentOnes) {
    // Comments, blank lines and lines without TAB are skipped; CR LF ends a line as LF does.
    const auto rules = ParseRules("# comment\r\n\n/1\t/x\t301\r\nno tab on this line\n   \t  # indented\n"
                                  " \t/2 b \t/c d \tpermanent\n/3\t/x\t302\n/4\t/x\tPermanent\r\n/5\t/x\n"
                                  "/6\t/x\t3011 moved\n/7\t\tp\n/8\t/x\t 301\n/9\t/b\rc\n");
    ASSERT_EQ(rules.size(), 9u);
    const int permanent[] = {1, 1, 0, 0, 0, 1, 1, 0, 0};
    for (std::size_t i = 0; i < rules.size(); ++i) {
        EXPECT_EQ(rules[i].index, static_cast<int>(i + 1));
        EXPECT_EQ(rules[i].permanent, permanent[i]) << rules[i].source;
    }
    EXPECT_EQ(rules[0].parts, Parts{Literal("/x")});
    // Leading blanks are skipped, later blanks belong to the fields.
    EXPECT_EQ(rules[1].source, "/2 b ");
    EXPECT_EQ(rules[1].parts, Parts{Literal("/c d ")});
    EXPECT_TRUE(rules[6].parts.empty());
    // A CR that is not right before the line end is text.
    EXPECT_EQ(rules[8].parts, Parts{Literal("/b\rc")});
}

TEST(ParseRulesTest, OddBytesAreSafe) {
    // A NUL ends its line's text; the rules after it are still read.
    const auto rules = ParseRules("/a\t/b\0ignored\t301\n\0/hidden\t/x\n/c\t/d\n"s);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].parts, Parts{Literal("/b")});
    EXPECT_EQ(rules[1].source, "/c");
    EXPECT_TRUE(ParseRules(std::string(4096, '\0')).empty());

    // A very long line, high bytes, and a last line without a line end.
    const std::string longSource(1 << 20, 's');
    const auto longRules = ParseRules(longSource + "\t/t$U\n/caf\xc3\xa9\t/\xff\xfe$Q\t301");
    ASSERT_EQ(longRules.size(), 2u);
    EXPECT_EQ(longRules[0].source, longSource);
    EXPECT_EQ(longRules[0].parts, (Parts{Literal("/t"), Token('U')}));
    EXPECT_EQ(longRules[1].source, "/caf\xc3\xa9");
    EXPECT_EQ(longRules[1].parts, (Parts{Literal("/\xff\xfe"), Token('Q')}));
}

class LoadRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Spaces, quotes and a non-ASCII letter in the site root (Windows names hold no quotation mark).
        const std::string quote = kPathSeparator == '/' ? "\"" : "'";
        m_record.siteRoot = JoinPath(m_machine.Str(), "site " + quote + "one" + quote + " caf\xc3\xa9");
        fs::create_directories(FileSystem::Native(m_record.siteRoot));
    }
    fs::path File() const { return FileSystem::Native(m_record.siteRoot) / "rules.qv"; }
    void Write(const std::string& content) {
        std::ofstream(File(), std::ios::binary | std::ios::trunc) << content;
    }
    // Moves the file's modification time by seconds from what it is now.
    void Touch(int seconds) {
        fs::last_write_time(File(), fs::last_write_time(File()) + std::chrono::seconds(seconds));
    }

    test::TempMachine m_machine;
    SiteSettings m_record;
};

TEST_F(LoadRulesTest, RereadsOnlyWhenTheFileMovesOnAndLogsEachReread) {
    EXPECT_EQ(LoadRules(nullptr), 0u);
    SiteSettings rootless; // reads no file at the top of the drive
    EXPECT_EQ(LoadRules(&rootless), 0u);
    EXPECT_EQ(LoadRules(&m_record), 0u);
    Write("# nothing here\r\n\r\n");
    EXPECT_EQ(LoadRules(&m_record), 0u);

    m_record.Logging = 1;
    Write("/a\t/b\r\n# c\r\n/c\t/d");
    Touch(2);
    EXPECT_EQ(LoadRules(&m_record), 2u);
    // Same modification time: the new content is not read, nor a reload logged.
    const auto time = fs::last_write_time(File());
    Write("/a\t/b\n/c\t/d\n/e\t/f\n");
    fs::last_write_time(File(), time);
    EXPECT_EQ(LoadRules(&m_record), 2u);
    Touch(5);
    EXPECT_EQ(LoadRules(&m_record), 3u);
    EXPECT_EQ(m_record.ruleCount, 3u);
    ASSERT_EQ(m_record.pendingLog.size(), 2u);
    for (std::size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(m_record.pendingLog[i].eventCode, 9);
        EXPECT_EQ(m_record.pendingLog[i].value, static_cast<std::int32_t>(i + 2));
    }

    // Emptied or removed: the last rules stay.
    Write("");
    Touch(10);
    EXPECT_EQ(LoadRules(&m_record), 3u);
    fs::remove(File());
    EXPECT_EQ(LoadRules(&m_record), 3u);
}

TEST_F(LoadRulesTest, ReadsAnotherFileToItsEndPastNulBytes) {
    std::ofstream(FileSystem::Native(m_record.siteRoot) / "other rules.txt", std::ios::binary)
        << "/x\t/y\0junk\n/z\t/w$P\n"s;
    EXPECT_EQ(LoadRules(&m_record, "other rules.txt"), 2u);
    EXPECT_EQ(m_record.rules[1].parts, (Parts{Literal("/w"), Token('P')}));
}

} // namespace
} // namespace qv
