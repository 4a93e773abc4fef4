#include "platform/Process.h"
#include "platform/Paths.h"

#include <chrono>
#include <filesystem>
#include <fstream>
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
        std::string quoted = "\"";
        std::size_t backslashes = 0;
        for (char c : arg) {
            quoted.append(c == '"' ? backslashes + 1 : 0,
                          '\\'); // the backslashes before it doubled, one for it
            backslashes = c == '\\' ? backslashes + 1 : 0;
            quoted += c;
        }
        line += (line.empty() ? "" : " ") + quoted.append(backslashes, '\\') + '"';
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
    // QuoteArgument's text splits back whole; a quotation mark is escaped on POSIX, refused on Windows.
    for (const std::string text : {"plain", " ", "\t", "ends in \\", "C:\\dir\\\\", "\\\\server\\share", "",
                                   "with space", "say \"hi\"", "a\\\"b\\", "\"\\\\\"", R"(a\\" b)"}) {
        const std::optional<std::string> quoted = Process::QuoteArgument(text);
        EXPECT_EQ(quoted.has_value(), kPathSeparator == '/' || text.find('"') == std::string::npos) << text;
        if (quoted) {
            EXPECT_EQ(Process::SplitCommandLine("\"p\" " + *quoted + " next"), (Args{"p", text, "next"}));
        }
    }
    EXPECT_FALSE(Process::QuoteProgram("C:\\a\"b\\setacl.exe"));
}

// The zero-separated records of the file, once it appears (bounded wait).
Args WaitForRecords(const fs::path& file) {
    for (int wait = 0; !fs::exists(file) && wait < 3000; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::ifstream in(file, std::ios::binary);
    Args records;
    for (std::string record; std::getline(in, record, '\0');)
        records.push_back(record);
    return records;
}

TEST(ProcessStart, ArgumentsArriveAsTheyWereNothingIsInterpretedAndNothingWaits) {
    const fs::path dir = fs::temp_directory_path() / ("qv process " + std::to_string(std::random_device()()));
    fs::create_directories(dir);
    const std::string m = (dir / "pwned").string();
    Args args = {"with space", R"(quote"inside)", R"(back\slash\)", R"(tail\\" "x)", "a;b", "*",
                 "~",          "%PATH%"};
    for (std::string shell : {"; touch @", "$(touch @)", "`touch @`", "| tee @", "> @"})
        args.push_back(shell.replace(shell.find('@'), 1, m));
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
    fs::remove_all(dir);
}

} // namespace
} // namespace qv
