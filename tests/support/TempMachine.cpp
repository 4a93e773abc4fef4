#include "TempMachine.h"

#include "platform/MachineDirectory.h"

#include <atomic>
#include <random>

namespace qv::test {

TempMachine::TempMachine() : m_previous(MachineDirectory::Path()) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    m_path = std::filesystem::temp_directory_path() /
             ("qv-machine-" + std::to_string(random()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(m_path);
    MachineDirectory::Set(m_path.string());
}

TempMachine::~TempMachine() {
    MachineDirectory::Set(m_previous);
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

} // namespace qv::test
