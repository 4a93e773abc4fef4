#include "platform/RegistryBatch.h"

#include "platform/WinError.h"
#include "platform/posix/KeyStore.h"

namespace qv {

RegistryBatch::RegistryBatch() {
    KeyStore::Instance().BeginBatch();
}

RegistryBatch::~RegistryBatch() {
    End();
}

long RegistryBatch::End() {
    if (!m_active)
        return kErrorSuccess;
    m_active = false;
    return KeyStore::Instance().EndBatch();
}

} // namespace qv
