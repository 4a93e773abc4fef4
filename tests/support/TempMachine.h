#pragma once
// A fresh, empty machine directory for one test: the key store, MetaBase.xml and drive_c/ live there.
// It becomes the process's machine directory and is removed afterwards.
#include <filesystem>
#include <string>

namespace qv::test {

class TempMachine {
public:
    TempMachine();
    ~TempMachine();
    TempMachine(const TempMachine&) = delete;
    TempMachine& operator=(const TempMachine&) = delete;

    const std::filesystem::path& Path() const { return m_path; }
    std::string Str() const { return m_path.string(); }

private:
    std::filesystem::path m_path;
    std::string m_previous;
};

} // namespace qv::test
