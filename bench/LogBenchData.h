#pragma once
// A large handler log file for the log benchmarks, made once and kept: lines as the handler writes them
// (time, client and server address, path, query, code, number), with a comment block now and then.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>

namespace qv::bench {

// The directory of the benchmark logs: $QV_BENCH_DIR, else the system's temporary directory.
inline std::string BenchLogDirectory() {
    const char* env = std::getenv("QV_BENCH_DIR");
    const std::filesystem::path dir =
        (env && *env) ? std::filesystem::path(env) : std::filesystem::temp_directory_path() / "qv-bench-logs";
    std::filesystem::create_directories(dir);
    return dir.string();
}

// Makes dir/name of at least bytes bytes unless it is there already; returns its size.
inline std::uint64_t MakeBenchLog(const std::string& dir, const std::string& name, std::uint64_t bytes) {
    std::filesystem::create_directories(dir);
    const std::filesystem::path path = std::filesystem::path(dir) / name;
    std::error_code error;
    const std::uint64_t existing = std::filesystem::file_size(path, error);
    if (!error && existing >= bytes)
        return existing;

    static const char* const kPaths[] = {"/products/tents/ridgeline-%d.htm",
                                         "/images/catalog/p%d.jpg",
                                         "/archive/2019/spring-%d.htm",
                                         "/shop/item.asp",
                                         "/blog/post-%d.html",
                                         "/downloads/manual-%d.pdf",
                                         "/favicon.ico",
                                         "/images/staff/member%d.png"};
    static const char* const kQueries[] = {
        "-", "-", "-", "id=%d", "ref=newsletter&week=%d", "q=boots&page=%d"};
    std::mt19937 engine(20060315);
    const auto random = [&engine] { return static_cast<unsigned>(engine()); };
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string buffer;
    buffer.reserve(8 << 20);
    std::uint64_t written = 0;
    std::uint64_t line = 0;
    char text[256];
    while (written < bytes) {
        if (line % 20000 == 0) {
            buffer += "#Software: Quorvane error handler\n#Fields: time c-ip s-ip path query code number\n";
        }
        const unsigned seconds = static_cast<unsigned>((line / 200) % 86400);
        char path[96];
        char query[64];
        std::snprintf(path, sizeof(path), kPaths[random() % 8], static_cast<int>(random() % 5000));
        std::snprintf(query, sizeof(query), kQueries[random() % 6], static_cast<int>(random() % 1000));
        const unsigned pick = random() % 100;
        const int code = pick < 50 ? 2 : pick < 75 ? 3 : pick < 90 ? 4 : pick < 99 ? 1 : 9;
        int length = std::snprintf(text, sizeof(text), "%02u:%02u:%02u %u.%u.%u.%u 198.51.100.5 %s %s %d",
                                   seconds / 3600, seconds / 60 % 60, seconds % 60, 192 + random() % 32,
                                   random() % 256, random() % 256, 1 + random() % 254, path, query, code);
        if (code == 1 || code == 9)
            length +=
                std::snprintf(text + length, sizeof(text) - length, " %d", static_cast<int>(random() % 40));
        buffer.append(text, static_cast<std::size_t>(length));
        buffer += '\n';
        ++line;
        if (buffer.size() >= (4 << 20)) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            written += buffer.size();
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    written += buffer.size();
    out.close();
    return out ? written : 0;
}

} // namespace qv::bench
