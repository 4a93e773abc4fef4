#include "platform/NativePath.h"
#include "platform/Paths.h"
#include "settings/RulesReader.h"
#include "settings/SiteSettings.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>

namespace qv {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

RulePart Literal(std::string text) {
    return RulePart{0, std::move(text)};
}
RulePart Token(char letter) {
    return RulePart{static_cast<std::uint16_t>(letter), {}};
}

std::vector<RulePart> Parts(std::string_view target) {
    RedirectRule rule;
    ParseTarget(rule, target);
    return rule.parts;
}

TEST(ParseTargetTest, SplitsTokensAndKeepsEscapes) {
    EXPECT_EQ(Parts("/new$Uold"), (std::vector{Literal("/new"), Token('U'), Literal("old")}));
    EXPECT_EQ(Parts("/cost\\$Q"), (std::vector{Literal("/cost\\$Q")}));
    EXPECT_EQ(Parts("$P"), (std::vector{Token('P')}));
    EXPECT_TRUE(Parts("").empty());
    // Lower-case letters and other capitals are no tokens; a "$" at the end stays text.
    EXPECT_EQ(Parts("/a$u$X$"), (std::vector{Literal("/a$u$X$")}));
    EXPECT_EQ(Parts("$$R$Q?x=$P"),
              (std::vector{Literal("$"), Token('R'), Token('Q'), Literal("?x="), Token('P')}));
}

TEST(ParseRulesTest, AcceptsTabLinesAndNumbersThem) {
    const auto rules = ParseRules("# comment\n"
                                  "\n"
                                  "/old\t/new\n"
                                  "no tab on this line\n"
                                  "   \t  # indented comment\n"
                                  " \t/a b \t/c d \n");
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].index, 1);
    EXPECT_EQ(rules[0].source, "/old");
    EXPECT_EQ(rules[0].parts, (std::vector{Literal("/new")}));
    // Leading blanks are skipped, later blanks belong to the fields.
    EXPECT_EQ(rules[1].index, 2);
    EXPECT_EQ(rules[1].source, "/a b ");
    EXPECT_EQ(rules[1].parts, (std::vector{Literal("/c d ")}));
}

TEST(ParseRulesTest, KindMarksPermanentRedirections) {
    const auto rules = ParseRules("/1\t/x\t301\n"
                                  "/2\t/x\tpermanent\n"
                                  "/3\t/x\t302\n"
                                  "/4\t/x\tPermanent\n"
                                  "/5\t/x\n"
                                  "/6\t/x\t3011 moved\n"
                                  "/7\t\tp\n"
                                  "/8\t/x\t\n"
                                  "/9\t/x\t 301\n");
    ASSERT_EQ(rules.size(), 9u);
    const std::vector<int> expected{1, 1, 0, 0, 0, 1, 1, 0, 0};
    for (std::size_t i = 0; i < rules.size(); ++i)
        EXPECT_EQ(rules[i].permanent, expected[i]) << rules[i].source;
    EXPECT_TRUE(rules[6].parts.empty()); // an empty target gives no parts
}

TEST(ParseRulesTest, CrLfAndLfGiveTheSameRules) {
    const auto lf = ParseRules("/a\t/b\t301\n/c\t/d\n");
    const auto crlf = ParseRules("/a\t/b\t301\r\n/c\t/d\r\n");
    ASSERT_EQ(crlf.size(), 2u);
    for (std::size_t i = 0; i < lf.size(); ++i) {
        EXPECT_EQ(crlf[i].source, lf[i].source);
        EXPECT_EQ(crlf[i].parts, lf[i].parts);
        EXPECT_EQ(crlf[i].permanent, lf[i].permanent);
    }
    EXPECT_EQ(crlf[0].permanent, 1);
    EXPECT_EQ(crlf[1].parts, (std::vector{Literal("/d")}));
    // A CR that is not right before the line end is text.
    const auto inner = ParseRules("/a\t/b\rc\n");
    ASSERT_EQ(inner.size(), 1u);
    EXPECT_EQ(inner[0].parts, (std::vector{Literal("/b\rc")}));
}

TEST(ParseRulesTest, OddBytesAreSafe) {
    // A NUL ends its line's text; the rules after it are still read.
    const std::string withNul = "/a\t/b\0ignored\t301\n\0/hidden\t/x\n/c\t/d\n"s;
    const auto rules = ParseRules(withNul);
    ASSERT_EQ(rules.size(), 2u);
    EXPECT_EQ(rules[0].parts, (std::vector{Literal("/b")}));
    EXPECT_EQ(rules[0].permanent, 0);
    EXPECT_EQ(rules[1].source, "/c");
    EXPECT_EQ(rules[1].index, 2);

    EXPECT_TRUE(ParseRules(std::string(4096, '\0')).empty());

    // A very long line, and a last line without a line end.
    const std::string longSource(1 << 20, 's');
    const auto longRules = ParseRules(longSource + "\t/t$U\n/last\t/end\t301");
    ASSERT_EQ(longRules.size(), 2u);
    EXPECT_EQ(longRules[0].source, longSource);
    EXPECT_EQ(longRules[0].parts, (std::vector{Literal("/t"), Token('U')}));
    EXPECT_EQ(longRules[1].source, "/last");
    EXPECT_EQ(longRules[1].permanent, 1);

    // High bytes and a file without any line end.
    const auto high = ParseRules("/caf\xc3\xa9\t/\xff\xfe$Q");
    ASSERT_EQ(high.size(), 1u);
    EXPECT_EQ(high[0].source, "/caf\xc3\xa9");
    EXPECT_EQ(high[0].parts, (std::vector{Literal("/\xff\xfe"), Token('Q')}));
}

class LoadRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Spaces, quotes and a non-ASCII letter in the site root (Windows names hold no quotation mark).
        const std::string quote = kPathSeparator == '/' ? "\"" : "'";
        m_root = JoinPath(m_machine.Str(), "site " + quote + "one" + quote + " caf\xc3\xa9");
        fs::create_directories(NativePath(m_root));
        m_record.siteRoot = m_root;
    }

    fs::path RulesFile() const { return NativePath(m_root) / "rules.qv"; }

    void Write(const std::string& content) {
        std::ofstream out(RulesFile(), std::ios::binary | std::ios::trunc);
        out << content;
    }
    // Moves the file's modification time by seconds from what it is now.
    void Touch(int seconds) {
        const auto time = fs::last_write_time(RulesFile());
        fs::last_write_time(RulesFile(), time + std::chrono::seconds(seconds));
    }

    test::TempMachine m_machine;
    std::string m_root;
    SiteSettings m_record;
};

TEST_F(LoadRulesTest, MissingFileOrRecordGivesZero) {
    EXPECT_EQ(LoadRules(nullptr), 0u);
    EXPECT_EQ(LoadRules(&m_record), 0u);
    EXPECT_EQ(m_record.rulesFileTime, 0);
    Write("");
    EXPECT_EQ(LoadRules(&m_record), 0u);
    Write("# nothing here\r\n\r\n");
    EXPECT_EQ(LoadRules(&m_record), 0u);
    EXPECT_TRUE(m_record.rules.empty());
}

TEST_F(LoadRulesTest, RereadsOnlyWhenTheFileMovesOn) {
    Write("/a\t/b\n/c\t/d\n");
    EXPECT_EQ(LoadRules(&m_record), 2u);
    ASSERT_EQ(m_record.rules.size(), 2u);
    EXPECT_EQ(m_record.rules[1].source, "/c");
    EXPECT_NE(m_record.rulesFileTime, 0);

    // Same modification time: the new content is not read.
    const auto time = fs::last_write_time(RulesFile());
    Write("/a\t/b\n/c\t/d\n/e\t/f\n");
    fs::last_write_time(RulesFile(), time);
    EXPECT_EQ(LoadRules(&m_record), 2u);

    Touch(5);
    EXPECT_EQ(LoadRules(&m_record), 3u);
    EXPECT_EQ(m_record.ruleCount, 3u);
    EXPECT_EQ(m_record.rules[2].index, 3);

    // Emptied or removed: the last rules stay.
    Write("");
    Touch(10);
    EXPECT_EQ(LoadRules(&m_record), 3u);
    fs::remove(RulesFile());
    EXPECT_EQ(LoadRules(&m_record), 3u);
    EXPECT_EQ(m_record.rules.size(), 3u);
}

TEST_F(LoadRulesTest, LoggingQueuesRulesReloaded) {
    m_record.Logging = 1;
    Write("/a\t/b\r\n# c\r\n/c\t/d");
    EXPECT_EQ(LoadRules(&m_record), 2u);
    ASSERT_EQ(m_record.pendingLog.size(), 1u);
    const PendingLogEntry& entry = m_record.pendingLog.front();
    EXPECT_EQ(entry.eventCode, 9);
    EXPECT_EQ(entry.value, 2);
    EXPECT_EQ(entry.clientAddress, "-");
    EXPECT_EQ(entry.serverAddress, "-");
    EXPECT_TRUE(std::regex_match(entry.date, std::regex(R"(\d\d/\d\d/\d\d)"))) << entry.date;
    EXPECT_TRUE(std::regex_match(entry.time, std::regex(R"(\d\d:\d\d:\d\d)"))) << entry.time;

    // Not reread, nothing more queued; reread, one more.
    EXPECT_EQ(LoadRules(&m_record), 2u);
    EXPECT_EQ(m_record.pendingLog.size(), 1u);
    Touch(3);
    EXPECT_EQ(LoadRules(&m_record), 2u);
    EXPECT_EQ(m_record.pendingLog.size(), 2u);
}

TEST_F(LoadRulesTest, ReadsAnotherFileToItsEndPastNulBytes) {
    std::ofstream(NativePath(m_root) / "other rules.txt", std::ios::binary) << "/x\t/y\0junk\n/z\t/w$P\n"s;
    EXPECT_EQ(LoadRules(&m_record, "other rules.txt"), 2u);
    EXPECT_EQ(m_record.rules[0].parts, (std::vector{Literal("/y")}));
    EXPECT_EQ(m_record.rules[1].parts, (std::vector{Literal("/w"), Token('P')}));
}

} // namespace
} // namespace qv
