// Test helper: writes the arguments it was given, each followed by a zero byte, to a file, so that a test can
// see exactly what arrived. The file appears whole (written aside, then renamed).
//   qv_argv_dump OUT ARG...            OUT receives ARG...
//   qv_argv_dump --after GO OUT ARG... waits up to 30 s for the file GO to exist first; OUT then starts with
//                                      the record "go" or "timeout"
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
    int first = 1;
    std::string record;
    if (argc >= 3 && std::string(argv[1]) == "--after") {
        const std::filesystem::path go = argv[2];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!std::filesystem::exists(go) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        record = std::filesystem::exists(go) ? "go" : "timeout";
        first = 3;
    }
    if (argc <= first)
        return 2;
    const std::filesystem::path out = argv[first];
    std::filesystem::path part = out;
    part += ".part";
    {
        std::ofstream file(part, std::ios::binary);
        if (!record.empty())
            file << record << '\0';
        for (int i = first + 1; i < argc; ++i)
            file << argv[i] << '\0';
        if (!file)
            return 1;
    }
    std::error_code error;
    std::filesystem::rename(part, out, error);
    return error ? 1 : 0;
}
