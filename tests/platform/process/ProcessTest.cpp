#include "platform/Process.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

namespace qv {
namespace {

using Args = std::vector<std::string>;
namespace fs = std::filesystem;

// Quotes each argument so that the Windows rules give it back unchanged.
std::string QuoteAll(const Args& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += ' ';
        if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
            line += arg;
            continue;
        }
        line += '"';
        std::size_t backslashes = 0;
        for (char c : arg) {
            if (c == '\\') {
                ++backslashes;
                continue;
            }
            line.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
            line += c;
            backslashes = 0;
        }
        line.append(backslashes * 2, '\\');
        line += '"';
    }
    return line;
}

TEST(ProcessSplit, BackslashesAndQuotesFollowTheWindowsRules) {
    struct Case {
        const char* line;
        Args args;
    };
    const Case cases[] = {
        // The program name takes no escapes: it ends at the next quote, even after a backslash.
        {R"("C:\Program Files\qv\setacl.exe" x)", {R"(C:\Program Files\qv\setacl.exe)", "x"}},
        {R"("C:\dir\"tail more)", {R"(C:\dir\)", "tail", "more"}},
        {"\"unterminated name", {"unterminated name"}},
        {"  \tprog  a\t\tb  ", {"prog", "a", "b"}},
        {" \t ", {}},
        {R"(p a\\b c\)", {"p", R"(a\\b)", R"(c\)"}}, // backslashes not before a quote stay
        {R"(p a\"b)", {"p", R"(a"b)"}},              // 2n+1 before a quote: literal quote
        {R"(p a\\\"b)", {"p", R"(a\"b)"}},
        {R"(p "a\\" b)", {"p", R"(a\)", "b"}}, // 2n before a quote: n, and the quote closes
        {R"(p a\\\\"b c" d)", {"p", R"(a\\b c)", "d"}},
        {R"(p a"b c"d)", {"p", "ab cd"}},                    // quotes anywhere in an argument
        {R"(p "a""b" "x"" y")", {"p", R"(a"b)", R"(x" y)"}}, // "" inside quotes: a quote, still quoted
        {R"(p "" "")", {"p", "", ""}},
        {R"(p "open to the end)", {"p", "open to the end"}},
        {R"(p "C:\logs\" /dir)", {"p", R"(C:\logs" /dir)"}}, // a trailing backslash eats the quote
        {"p \"tab\there\"\tnext", {"p", "tab\there", "next"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Process::SplitCommandLine(c.line), c.args) << c.line;

    const Args args = {"prog", "", " ", R"(a"b)", R"(\\)", R"(a\\" b)", R"(C:\Program Files\)", "\t"};
    EXPECT_EQ(Process::SplitCommandLine(QuoteAll(args)), args) << QuoteAll(args);
}

class ProcessStart : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = fs::temp_directory_path() / ("qv process " + std::to_string(std::random_device()()));
        fs::create_directories(m_dir);
    }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_dir, error);
    }

    // The zero-separated records of the file, once it appears (bounded wait).
    static std::optional<Args> WaitForRecords(const fs::path& file) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!fs::exists(file)) {
            if (std::chrono::steady_clock::now() > deadline)
                return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        std::ifstream in(file, std::ios::binary);
        const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        Args records;
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
            records.push_back(text.substr(start, end - start));
        return records;
    }

    fs::path m_dir;
};

TEST_F(ProcessStart, ArgumentsArriveAsTheyWereAndNothingIsInterpreted) {
    const fs::path out = m_dir / "argv out";
    const std::string m = (m_dir / "pwned").string();
    const Args args = {"with space",
                       R"(quote"inside)",
                       R"(back\slash\)",
                       R"(tail\\" "x)",
                       "a;b",
                       "; touch " + m,
                       "$(touch " + m + ")",
                       "`touch " + m + "`",
                       "| tee " + m,
                       "> " + m,
                       "*",
                       "~",
                       "%PATH%"};
    Args all = {QV_ARGV_DUMP, out.string()};
    all.insert(all.end(), args.begin(), args.end());
    ASSERT_TRUE(Process::StartHidden(QuoteAll(all)));
    EXPECT_EQ(WaitForRecords(out), args);
    EXPECT_FALSE(fs::exists(m));

    // Shown starts alike.
    const fs::path shown = m_dir / "shown";
    ASSERT_TRUE(Process::StartShown(QuoteAll({QV_ARGV_DUMP, shown.string(), "one", "two three"})));
    EXPECT_EQ(WaitForRecords(shown), (Args{"one", "two three"}));
}

TEST_F(ProcessStart, DoesNotWaitForTheProcess) {
    // The helper waits for a file that is only made once the start has returned.
    const fs::path go = m_dir / "go";
    const fs::path out = m_dir / "after";
    ASSERT_TRUE(Process::StartHidden(QuoteAll({QV_ARGV_DUMP, "--after", go.string(), out.string(), "x"})));
    std::ofstream(go).put('1');
    EXPECT_EQ(WaitForRecords(out), (Args{"go", "x"}));
}

TEST_F(ProcessStart, MissingProgramOrEmptyLineIsNotStarted) {
    const std::string missing = QuoteAll({(m_dir / "no such program").string()});
    EXPECT_FALSE(Process::StartHidden(missing + " arg"));
    EXPECT_FALSE(Process::StartShown(missing));
    EXPECT_FALSE(Process::StartHidden(""));
    EXPECT_FALSE(Process::StartHidden("   "));
}

} // namespace
} // namespace qv
