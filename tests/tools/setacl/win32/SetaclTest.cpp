// Runs the built setacl.exe as the suite starts it: hidden, side by side, with the suite's command lines.
#include "DaclText.h"
#include "platform/ComputerName.h"
#include "win32/DirectoryAcl.h"

#include <windows.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace qv::setacl {
namespace {

namespace fs = std::filesystem;

class Setacl : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir); }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    // Starts the tool hidden once for each line of arguments, all at once; for each the exit code and what
    // it wrote, joined by '|'.
    std::vector<std::string> RunTogether(const std::vector<std::string>& argumentLines) const {
        std::vector<std::pair<PROCESS_INFORMATION, std::string>> started;
        for (const std::string& arguments : argumentLines) {
            const std::string output = (m_root / ("out" + std::to_string(started.size()))).string();
            SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
            startup.wShowWindow = SW_HIDE;
            startup.hStdError = startup.hStdOutput = CreateFileA(
                output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
            std::string line = "\"" QV_SETACL "\" " + arguments;
            PROCESS_INFORMATION process{};
            EXPECT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                                       &startup, &process));
            CloseHandle(startup.hStdError);
            started.emplace_back(process, output);
        }
        std::vector<std::string> results;
        for (const auto& [process, output] : started) {
            DWORD code = 99;
            WaitForSingleObject(process.hProcess, INFINITE);
            GetExitCodeProcess(process.hProcess, &code);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
            std::ifstream in(output);
            results.push_back(
                std::to_string(code) + "|" +
                std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
        }
        return results;
    }

    const fs::path m_root =
        fs::temp_directory_path() / ("qv-setacl-" + std::to_string(std::random_device()()));
    const fs::path m_dir = m_root / "errors dir";
    const std::string m_quoted = "\"" + m_dir.string() + "\"";
};

TEST_F(Setacl, GrantsTheSuitesCommandLinesSideBySideAndKeepsWhatWasThere) {
    const std::string before = DaclText(m_dir.string(), SE_FILE_OBJECT);
    ASSERT_NE(before, "unreadable");
    // IIS 6: the account qualified with the computer's name, the directory ending in a backslash as log
    // directories do. Older servers: the account as it is, then SYSTEM.
    const std::string qualified = "\"" + ComputerName::Get() + "\\Users\"";
    const std::string trailing = "\"" + m_dir.string() + "\\\"";
    const std::vector<std::string> results = RunTogether({
        trailing + " /dir /grant " + qualified + " /read /silent",
        trailing + " /dir /grant " + qualified + " /write /silent",
        m_quoted + " /dir /grant \"Users\" /read /silent",
        m_quoted + " /dir /grant \"Users\" /write /silent",
        m_quoted + " /dir /grant SYSTEM /read /silent",
        m_quoted + " /dir /grant SYSTEM /write /silent",
    });
    EXPECT_EQ(results, std::vector<std::string>(6, "0|"));
    // Every entry that was there stays. (Wine makes a directory's DACL from its Unix mode and keeps no other
    // entry, so the new ones cannot be read back here: WindowsAclTest checks them as they are made.)
    const std::string after = DaclText(m_dir.string(), SE_FILE_OBJECT);
    EXPECT_EQ(LostEntries(before, after), "") << after;
}

TEST_F(Setacl, FailuresExitWithOneAndSaySoUnlessSilent) {
    std::ofstream((m_root / "file").string()) << "x";
    const std::vector<std::string> results = RunTogether({
        "\"" + (m_root / "missing").string() + "\" /dir /grant SYSTEM /read",
        "\"" + (m_root / "file").string() + "\" /dir /grant SYSTEM /read",
        m_quoted + " /dir /grant \"ANOTHER-DOMAIN\\SYSTEM\" /write",
        m_quoted + " /dir /grant SYSTEM",
        m_quoted + " /dir /grant nobody-qv /read /silent",
        m_quoted + " /dir /grant SYSTEM /read",
    });
    const char* const reasons[] = {"cannot open", "not a directory", "unknown account",
                                   "neither /read nor /write"};
    for (std::size_t i = 0; i < std::size(reasons); ++i) {
        EXPECT_TRUE(results[i].starts_with("1|setacl: ") && results[i].find(reasons[i]) != std::string::npos)
            << results[i];
    }
    EXPECT_EQ(results[4], "1|");
    EXPECT_EQ(results[5],
              "0|setacl: read and execute on \"" + m_dir.string() + "\" for NT AUTHORITY\\SYSTEM\n");
}

TEST_F(Setacl, EverySpellingOfADirectoryTakesTheSameLock) {
    std::string error;
    const std::optional<std::string> key = DirectoryAcl::LockKey(m_dir.string(), &error);
    ASSERT_TRUE(key) << error;
    for (std::string other :
         {m_dir.string() + "\\", m_dir.string() + "\\.\\", m_dir.string() + "\\..\\Errors Dir"}) {
        EXPECT_EQ(DirectoryAcl::LockKey(other, &error), key) << other;
        for (char& c : other)
            c = c == '\\' ? '/' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(DirectoryAcl::LockKey(other, &error), key) << other;
    }
    fs::create_directory(m_root / "other");
    EXPECT_NE(DirectoryAcl::LockKey((m_root / "other").string(), &error), key);
}

} // namespace
} // namespace qv::setacl
