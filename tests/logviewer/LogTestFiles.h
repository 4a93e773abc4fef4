#pragma once
// A scratch directory of log files for one test, removed afterwards.
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace qv::test {

class LogTestDirectory {
public:
    LogTestDirectory() {
        std::random_device random;
        m_path = std::filesystem::temp_directory_path() / ("qv-logs-" + std::to_string(random()));
        std::filesystem::create_directories(m_path);
    }
    ~LogTestDirectory() {
        std::error_code ignored;
        std::filesystem::remove_all(m_path, ignored);
    }
    LogTestDirectory(const LogTestDirectory&) = delete;
    LogTestDirectory& operator=(const LogTestDirectory&) = delete;

    std::string Str() const { return m_path.string(); }
    std::filesystem::path File(std::string_view name) const { return m_path / name; }
    void Write(std::string_view name, std::string_view bytes) const {
        std::ofstream(File(name), std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    std::filesystem::path m_path;
};

} // namespace qv::test
