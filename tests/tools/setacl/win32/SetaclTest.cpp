// Runs the built setacl.exe as the suite starts it: hidden, side by side, with the suite's command lines.
#include "platform/ComputerName.h"

#include <windows.h>

#include <aclapi.h>
#include <sddl.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

namespace fs = std::filesystem;

class Setacl : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(m_dir); }
    void TearDown() override {
        std::error_code error;
        fs::remove_all(m_root, error);
    }

    // Starts the tool hidden with the arguments after its name, its error output in a file.
    PROCESS_INFORMATION Start(const std::string& arguments) {
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        const std::string errors = (m_root / ("err" + std::to_string(++m_runs))).string();
        HANDLE file =
            CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESHOWWINDOW | STARTF_USESTDHANDLES;
        startup.wShowWindow = SW_HIDE;
        startup.hStdError = startup.hStdOutput = file;
        std::string line = "\"" QV_SETACL "\" " + arguments;
        PROCESS_INFORMATION process{};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                            &process))
            ADD_FAILURE() << "cannot start " << line;
        CloseHandle(file);
        m_errors.push_back(errors);
        return process;
    }
    // The exit code and what the tool wrote, joined by '|'.
    std::string Wait(const PROCESS_INFORMATION& process) {
        DWORD code = 99;
        WaitForSingleObject(process.hProcess, INFINITE);
        GetExitCodeProcess(process.hProcess, &code);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
        std::ifstream in(m_errors.front());
        m_errors.erase(m_errors.begin());
        return std::to_string(code) + "|" +
               std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::string Run(const std::string& arguments) { return Wait(Start(arguments)); }
    std::string Dacl() const {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        char* text = nullptr;
        if (GetNamedSecurityInfoA(m_dir.string().c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                  nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS)
            ConvertSecurityDescriptorToStringSecurityDescriptorA(descriptor, SDDL_REVISION_1,
                                                                 DACL_SECURITY_INFORMATION, &text, nullptr);
        std::string result(text ? text : "unreadable");
        LocalFree(text);
        LocalFree(descriptor);
        return result;
    }

    const fs::path m_root =
        fs::temp_directory_path() / ("qv-setacl-" + std::to_string(std::random_device()()));
    const fs::path m_dir = m_root / "errors dir";
    const std::string m_quoted = "\"" + m_dir.string() + "\"";
    int m_runs = 0;
    std::vector<std::string> m_errors;
};

TEST_F(Setacl, GrantsTheSuitesCommandLinesSideBySideAndKeepsWhatWasThere) {
    const std::string before = Dacl();
    ASSERT_NE(before, "unreadable");
    // IIS 6: the account qualified with the computer's name, the directory ending in a backslash as log
    // directories do. Older servers: the account as it is, then SYSTEM. All started at once, as the suite
    // does.
    const std::string qualified = "\"" + qv::ComputerName::Get() + "\\Users\"";
    const std::string trailing = "\"" + m_dir.string() + "\\\"";
    std::vector<PROCESS_INFORMATION> running;
    for (const std::string& arguments : {
             trailing + " /dir /grant " + qualified + " /read /silent",
             trailing + " /dir /grant " + qualified + " /write /silent",
             m_quoted + " /dir /grant \"Users\" /read /silent",
             m_quoted + " /dir /grant \"Users\" /write /silent",
             m_quoted + " /dir /grant SYSTEM /read /silent",
             m_quoted + " /dir /grant SYSTEM /write /silent",
         })
        running.push_back(Start(arguments));
    for (const PROCESS_INFORMATION& process : running)
        EXPECT_EQ(Wait(process), "0|");
    // Wine makes a directory's DACL from its Unix mode and keeps no other entry; what it shows must survive.
    EXPECT_EQ(Dacl(), before);
}

TEST_F(Setacl, FailuresExitWithOneAndSaySoUnlessSilent) {
    std::ofstream((m_root / "file").string()) << "x";
    const std::pair<std::string, const char*> cases[] = {
        {"\"" + (m_root / "missing").string() + "\" /dir /grant SYSTEM /read", "cannot open"},
        {"\"" + (m_root / "file").string() + "\" /dir /grant SYSTEM /read", "not a directory"},
        {m_quoted + " /dir /grant \"ANOTHER-DOMAIN\\SYSTEM\" /write", "unknown account"},
        {m_quoted + " /dir /grant SYSTEM", "neither /read nor /write"},
        {m_quoted + " /dir /grant nobody-qv /read /silent", ""},
    };
    for (const auto& [arguments, reason] : cases) {
        const std::string result = Run(arguments);
        EXPECT_TRUE(result.starts_with("1|setacl: ") || result == "1|") << result;
        EXPECT_TRUE(*reason ? result.find(reason) != std::string::npos : result == "1|") << result;
    }
    EXPECT_EQ(Run(m_quoted + " /dir /grant SYSTEM /read"),
              "0|setacl: read and execute on \"" + m_dir.string() + "\" for NT AUTHORITY\\SYSTEM\n");
}

} // namespace
