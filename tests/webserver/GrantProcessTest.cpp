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

// The permission tool started for real: a script in its place writes down the arguments it was given.
// What the started tools received, one text per process, sorted.
std::vector<std::string> GrantAndCollect(const TempMachine& machine, const std::filesystem::path& directory,
                                         std::size_t processes) {
    const std::filesystem::path install = machine.Path() / "install";
    const std::filesystem::path calls = machine.Path() / "calls";
    std::filesystem::create_directories(install);
    std::filesystem::create_directories(calls);
    const std::filesystem::path tool = install / "setacl";
    std::ofstream(tool)
        << "#!/bin/sh\n"
        << "out='" << calls.string() << "'/$$\n"
        << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$out.tmp\" && mv \"$out.tmp\" "
           "\"$out.txt\"\n";
    std::filesystem::permissions(tool, std::filesystem::perms::owner_all);
    std::filesystem::create_directories(directory);

    GrantDirectoryAccess(install.string(), directory.string(), std::nullopt);

    std::vector<std::string> written;
    for (int i = 0; i < 200 && written.size() < processes; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        written.clear();
        for (const auto& entry : std::filesystem::directory_iterator(calls)) {
            if (entry.path().extension() == ".txt") {
                std::ifstream file(entry.path());
                std::ostringstream text;
                text << file.rdbuf();
                written.push_back(text.str());
            }
        }
    }
    std::sort(written.begin(), written.end());
    return written;
}

// A directory whose text ends in a backslash (the log directory's form on Windows) arrives whole; the
// arguments after it are not swallowed into it. IIS 5.1 grants its account, then SYSTEM.
TEST(GrantProcess, TheToolGetsTheDirectoryAndTheAccountAsArgumentsOfTheirOwn) {
    TempMachine machine;
    OsVersion::Set(5, 1);
    const std::filesystem::path directory = machine.Path() / "Logs" / "W3SVC1\\";
    const std::string head = directory.string() + "\n/dir\n/grant\n";
    EXPECT_EQ(
        GrantAndCollect(machine, directory, 4),
        (std::vector<std::string>{head + "IIS_WPG\n/read\n/silent\n", head + "IIS_WPG\n/write\n/silent\n",
                                  head + "SYSTEM\n/read\n/silent\n", head + "SYSTEM\n/write\n/silent\n"}));
    OsVersion::Set(5, 2);
}

} // namespace
} // namespace qv::test
