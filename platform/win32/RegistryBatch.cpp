#include "platform/RegistryBatch.h"

#include "platform/WinError.h"

namespace qv {

// The registry takes every write at once; there is nothing to group.
RegistryBatch::RegistryBatch() = default;

RegistryBatch::~RegistryBatch() = default;

long RegistryBatch::End() {
    m_active = false;
    return kErrorSuccess;
}

} // namespace qv
