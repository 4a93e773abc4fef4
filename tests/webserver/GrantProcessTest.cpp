#include "support/TempMachine.h"

#include "platform/OsVersion.h"
#include "webserver/WorkerIdentity.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

namespace qv::test {
namespace {

// The permission tool started for real, a script that writes down its arguments: a directory ending in a
// backslash (the log directory's form on Windows) arrives whole and swallows none of the arguments after it.
TEST(GrantProcess, TheToolGetsTheDirectoryAndTheAccountAsArgumentsOfTheirOwn) {
    TempMachine machine;
    OsVersion::Set(5, 1); // grants its account, then SYSTEM
    const std::filesystem::path install = machine.Path() / "install", calls = machine.Path() / "calls";
    const std::filesystem::path directory = machine.Path() / "Logs" / "W3SVC1\\";
    for (const auto& made : {install, calls, directory})
        std::filesystem::create_directories(made);
    std::ofstream(install / "setacl")
        << "#!/bin/sh\nout='" << calls.string()
        << "'/$$\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\" && "
           "mv \"$out.tmp\" \"$out.txt\"\n";
    std::filesystem::permissions(install / "setacl", std::filesystem::perms::owner_all);
    GrantDirectoryAccess(install.string(), directory.string(), std::nullopt);
    OsVersion::Set(5, 2);
    std::vector<std::string> written;
    for (int i = 0; i < 200 && written.size() < 4; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        written.clear();
        for (const auto& entry : std::filesystem::directory_iterator(calls))
            if (entry.path().extension() == ".txt")
                written.push_back((std::ostringstream() << std::ifstream(entry.path()).rdbuf()).str());
    }
    std::sort(written.begin(), written.end());
    const std::string head = directory.string() + "\n/dir\n/grant\n";
    EXPECT_EQ(written, (std::vector<std::string>{
                           head + "IIS_WPG\n/read\n/silent\n", head + "IIS_WPG\n/write\n/silent\n",
                           head + "SYSTEM\n/read\n/silent\n", head + "SYSTEM\n/write\n/silent\n"}));
}

} // namespace
} // namespace qv::test
