// Test helper: writes the arguments it was given, each followed by a zero byte, to a file that appears whole.
//   qv_argv_dump [--after GO] OUT ARG...  with --after, first waits up to 30 s for the file GO; OUT then
//                                         starts with "go" or "timeout"
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    namespace fs = std::filesystem;
    const bool after = argc >= 3 && std::string(argv[1]) == "--after";
    const int first = after ? 3 : 1;
    if (argc <= first)
        return 2;
    for (int wait = 0; after && !fs::exists(argv[2]) && wait < 3000; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const fs::path out = argv[first], part = out.string() + ".part";
    {
        std::ofstream file(part, std::ios::binary);
        if (after)
            file << (fs::exists(argv[2]) ? "go" : "timeout") << '\0';
        for (int i = first + 1; i < argc; ++i)
            file << argv[i] << '\0';
    }
    std::error_code error;
    fs::rename(part, out, error);
    return error ? 1 : 0;
}
