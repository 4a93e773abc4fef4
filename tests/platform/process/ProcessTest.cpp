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

// Quotes one argument so that the Windows rules give it back unchanged.
std::string Quote(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
        out += c;
        backslashes = 0;
    }
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::string QuoteAll(const Args& args) {
    std::string line;
    for (const std::string& arg : args) {
        if (!line.empty())
            line += ' ';
        line += Quote(arg);
    }
    return line;
}

TEST(ProcessSplit, ProgramNameTakesNoEscapes) {
    EXPECT_EQ(Process::SplitCommandLine(R"("C:\Program Files\qv\setacl.exe" x)"),
              (Args{R"(C:\Program Files\qv\setacl.exe)", "x"}));
    // The name ends at the next quote even after a backslash; what follows starts the next argument.
    EXPECT_EQ(Process::SplitCommandLine(R"("C:\dir\"tail more)"), (Args{R"(C:\dir\)", "tail", "more"}));
    EXPECT_EQ(Process::SplitCommandLine(R"(C:\a\b.exe)"), (Args{R"(C:\a\b.exe)"}));
    EXPECT_EQ(Process::SplitCommandLine("\"unterminated name"), (Args{"unterminated name"}));
    EXPECT_EQ(Process::SplitCommandLine("  \tprog  a\t\tb  "), (Args{"prog", "a", "b"}));
    EXPECT_TRUE(Process::SplitCommandLine("").empty());
    EXPECT_TRUE(Process::SplitCommandLine(" \t ").empty());
}

TEST(ProcessSplit, BackslashesAndQuotes) {
    struct Case {
        const char* line;
        Args args;
    };
    const Case cases[] = {
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
}

TEST(ProcessSplit, QuotedArgumentsComeBackUnchanged) {
    const Args args = {"prog",
                       "",
                       " ",
                       "a b",
                       R"(a"b)",
                       R"(\)",
                       R"(\\)",
                       R"(a\)",
                       R"(a\\" b)",
                       R"("quoted")",
                       R"(C:\Program Files\)",
                       "semi;colon",
                       "$(id)",
                       "`id`",
                       "\t"};
    const std::string line = QuoteAll(args);
    EXPECT_EQ(Process::SplitCommandLine(line), args) << line;
}

class ProcessStart : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device random;
        m_dir = fs::temp_directory_path() / ("qv process " + std::to_string(random()));
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

    std::string Helper() const { return Quote(QV_ARGV_DUMP); }

    fs::path m_dir;
};

TEST_F(ProcessStart, ArgumentsArriveAsTheyWereAndNothingIsInterpreted) {
    const fs::path out = m_dir / "argv out";
    const fs::path marker = m_dir / "pwned";
    const std::string m = marker.string();
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
    const std::optional<Args> received = WaitForRecords(out);
    ASSERT_TRUE(received.has_value()) << "the helper wrote nothing";
    EXPECT_EQ(*received, args);
    EXPECT_FALSE(fs::exists(marker));
}

TEST_F(ProcessStart, ShownStartsToo) {
    const fs::path out = m_dir / "shown";
    ASSERT_TRUE(Process::StartShown(Helper() + " " + Quote(out.string()) + R"( one "two three")"));
    const std::optional<Args> received = WaitForRecords(out);
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(*received, (Args{"one", "two three"}));
}

TEST_F(ProcessStart, DoesNotWaitForTheProcess) {
    // The helper waits for a file that is only made once the start has returned.
    const fs::path go = m_dir / "go";
    const fs::path out = m_dir / "after";
    ASSERT_TRUE(
        Process::StartHidden(Helper() + " --after " + Quote(go.string()) + " " + Quote(out.string()) + " x"));
    std::ofstream(go).put('1');
    const std::optional<Args> received = WaitForRecords(out);
    ASSERT_TRUE(received.has_value());
    EXPECT_EQ(*received, (Args{"go", "x"}));
}

TEST_F(ProcessStart, MissingProgramOrEmptyLineIsNotStarted) {
    EXPECT_FALSE(Process::StartHidden(Quote((m_dir / "no such program").string()) + " arg"));
    EXPECT_FALSE(Process::StartShown(Quote((m_dir / "no such program").string())));
    EXPECT_FALSE(Process::StartHidden(""));
    EXPECT_FALSE(Process::StartHidden("   "));
}

} // namespace
} // namespace qv
