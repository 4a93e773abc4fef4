#pragma once
// One scratch file per fuzzing process, for the readers that only read files; rewritten for every input.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

namespace qv::fuzz {

class FuzzTempFile {
public:
    explicit FuzzTempFile(std::string_view name) {
        m_directory = std::filesystem::temp_directory_path() / ("qv-fuzz-" + std::to_string(getpid()));
        std::filesystem::create_directories(m_directory);
        m_path = m_directory / name;
    }
    ~FuzzTempFile() {
        std::error_code ignored;
        std::filesystem::remove_all(m_directory, ignored);
    }
    FuzzTempFile(const FuzzTempFile&) = delete;
    FuzzTempFile& operator=(const FuzzTempFile&) = delete;

    void Write(std::string_view bytes) const {
        std::ofstream(m_path, std::ios::binary | std::ios::trunc)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }
    std::string Directory() const { return m_directory.string(); }
    std::string Path() const { return m_path.string(); }

private:
    std::filesystem::path m_directory;
    std::filesystem::path m_path;
};

} // namespace qv::fuzz
