#include "platform/Process.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
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
        line += line.empty() ? "" : " ";
        if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos) {
            line += arg;
            continue;
        }
        line += '"';
        std::size_t backslashes = 0;
        for (char c : arg) {
            if (c == '"')
                line.append(backslashes + 1, '\\'); // the backslashes before it doubled, and one for it
            backslashes = c == '\\' ? backslashes + 1 : 0;
            line += c;
        }
        line.append(backslashes, '\\');
        line += '"';
    }
    return line;
}

TEST(ProcessSplit, BackslashesAndQuotesFollowTheWindowsRules) {
    const std::pair<const char*, Args> cases[] = {
        // The program name takes no escapes: it ends at the next quote, even after a backslash.
        {R"("C:\Program Files\qv\setacl.exe" x)", {R"(C:\Program Files\qv\setacl.exe)", "x"}},
        {R"("C:\dir\"tail more)", {R"(C:\dir\)", "tail", "more"}},
        {"\"unterminated name", {"unterminated name"}},
        {"  \tprog  a\t\tb  ", {"prog", "a", "b"}},
        {" \t ", {}},
        {R"(p a\\b c\)", {"p", R"(a\\b)", R"(c\)"}}, // backslashes not before a quote stay
        {R"(p a\"b)", {"p", R"(a"b)"}},              // 2n+1 before a quote: literal quote
        {R"(p "a\\" b)", {"p", R"(a\)", "b"}},       // 2n before a quote: n, and the quote closes
        {R"(p a\\\\"b c" d)", {"p", R"(a\\b c)", "d"}},
        {R"(p a"b c"d)", {"p", "ab cd"}},                    // quotes anywhere in an argument
        {R"(p "a""b" "x"" y")", {"p", R"(a"b)", R"(x" y)"}}, // "" inside quotes: a quote, still quoted
        {R"(p "open to the end)", {"p", "open to the end"}},
        {R"(p "C:\logs\" /dir)", {"p", R"(C:\logs" /dir)"}}, // a trailing backslash eats the quote
    };
    for (const auto& [line, args] : cases)
        EXPECT_EQ(Process::SplitCommandLine(line), args) << line;
    const Args args = {"prog", "", " ", R"(a"b)", R"(\\)", R"(a\\" b)", R"(C:\Program Files\)", "\t"};
    EXPECT_EQ(Process::SplitCommandLine(QuoteAll(args)), args) << QuoteAll(args);
}

// The zero-separated records of the file, once it appears (bounded wait).
Args WaitForRecords(const fs::path& file) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(file) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Args records;
    for (std::size_t start = 0, end; (end = text.find('\0', start)) != std::string::npos; start = end + 1)
        records.push_back(text.substr(start, end - start));
    return records;
}

TEST(ProcessStart, ArgumentsArriveAsTheyWereNothingIsInterpretedAndNothingWaits) {
    const fs::path dir = fs::temp_directory_path() / ("qv process " + std::to_string(std::random_device()()));
    fs::create_directories(dir);
    const std::string m = (dir / "pwned").string();
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
    Args all = {QV_ARGV_DUMP, (dir / "argv out").string()};
    all.insert(all.end(), args.begin(), args.end());
    ASSERT_TRUE(Process::StartHidden(QuoteAll(all)));
    EXPECT_EQ(WaitForRecords(dir / "argv out"), args);
    EXPECT_FALSE(fs::exists(m));

    // Shown starts alike, and neither waits: the program waits for a file made once the start has returned.
    const fs::path go = dir / "go";
    ASSERT_TRUE(Process::StartShown(
        QuoteAll({QV_ARGV_DUMP, "--after", go.string(), (dir / "shown").string(), "x y"})));
    std::ofstream(go).put('1');
    EXPECT_EQ(WaitForRecords(dir / "shown"), (Args{"go", "x y"}));

    // A missing program or an empty line is not started.
    const std::string missing = QuoteAll({(dir / "no such program").string()});
    EXPECT_FALSE(Process::StartHidden(missing + " arg") || Process::StartShown(missing));
    EXPECT_FALSE(Process::StartHidden("") || Process::StartHidden("   "));
    std::error_code error;
    fs::remove_all(dir, error);
}

} // namespace
} // namespace qv
